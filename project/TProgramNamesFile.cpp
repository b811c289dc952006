#include "project/TProgramNamesFile.h"

#include "project/TProjectName.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace {

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir)
        return user->pw_dir;
    return "/tmp";
}

} // namespace

std::string TProgramNamesFile::dataFolder()
{
    // A relative XDG_DATA_HOME is invalid and ignored, as the XDG rules say.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        return xdg;
    return homeFolder() + "/.local/share";
}

std::string TProgramNamesFile::path(const std::string& executablePath)
{
    if (::access(folderOf(executablePath).c_str(), W_OK) == 0)
        return TProjectName::namesFilePath(executablePath);
    return dataFolder() + "/kt7config/kt7config.ini";
}

TFileResult TProgramNamesFile::write(const std::string& executablePath, const TNamesFile::Names& names)
{
    const std::string target = path(executablePath);
    std::error_code error;
    std::filesystem::create_directories(folderOf(target), error);
    if (error)
        return TFileResult::failure(target, error.message());
    return TNamesFile::write(target, names);
}
