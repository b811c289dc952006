#include "report/TPdfConversion.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {
std::string onPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::string folder = folders.substr(start, end - start);
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

// A file URL of an absolute path, every byte but the unreserved ones and
// "/" percent-encoded.
std::string fileUrl(const std::string& path)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        // ASCII only, whatever bytes the locale calls letters.
        if ((u < 0x80 && std::isalnum(u)) || (c != '\0' && std::strchr("/-._~", c)))
            url += c;
        else
            url += {'%', hex[u >> 4], hex[u & 15]};
    }
    return url;
}

std::string profileFolder()
{
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    const std::string base = cache && *cache == '/' ? cache : std::string(home ? home : "/tmp") + "/.cache";
    return base + "/kt7config/libreoffice";
}

std::string folderOf(const std::string& docx)
{
    std::error_code ec;
    const fs::path absolute = fs::absolute(docx, ec);
    return (ec ? fs::path(docx) : absolute).parent_path().string();
}
} // namespace

std::string TPdfConversion::program()
{
    for (const char* name : {"soffice", "libreoffice"})
        if (std::string found = onPath(name); !found.empty())
            return found;
    return {};
}

std::vector<std::string> TPdfConversion::arguments(const std::string& docx)
{
    return {"-env:UserInstallation=" + fileUrl(profileFolder()),
            "--headless",
            "--norestore",
            "--convert-to",
            "pdf",
            "--outdir",
            folderOf(docx),
            docx};
}

std::string TPdfConversion::pdfPath(const std::string& docx)
{
    return (fs::path(folderOf(docx)) / fs::path(docx).filename().replace_extension(".pdf")).string();
}

std::string TPdfConversion::run(const std::string& docx, int timeoutSeconds)
{
    const std::string soffice = program();
    if (soffice.empty())
        return MissingText;
    std::error_code ec;
    fs::remove(pdfPath(docx), ec);
    std::vector<std::string> args = arguments(docx);
    args.insert(args.begin(), soffice);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // Its own output would mix with the caller's: it goes nowhere.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, soffice.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return soffice + ": " + std::strerror(spawned);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child)
            break;
        if (done < 0 && errno != EINTR)
            return std::string("waiting for LibreOffice: ") + std::strerror(errno);
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return "LibreOffice did not finish within " + std::to_string(timeoutSeconds) + " s";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "LibreOffice ended with status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    if (!fs::exists(pdfPath(docx), ec))
        return "LibreOffice made no PDF of " + docx;
    return {};
}
