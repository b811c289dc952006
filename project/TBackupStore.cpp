#include "project/TBackupStore.h"

#include "project/TAtomicFile.h"
#include "project/TBackupKeeper.h"
#include "project/TImageFile.h"
#include "project/TProgramNamesFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view Extension = ".usr";
constexpr size_t StampLength = 16; // 20261208T072724Z
constexpr int MaxPerSecond = 1000;
constexpr int FirstYear = 1970; // the store names files after the system clock
const char* const IndexName = ".index";
constexpr std::uintmax_t IndexLimit = 16u << 20;

bool digits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool serialCharacter(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// 20261208T072724Z names a second that exists, from 1970 on: no 13th month,
// no 30th of February.
bool validTime(std::string_view stamp)
{
    const auto number = [&](size_t at, size_t n) { return std::atoi(std::string(stamp.substr(at, n)).c_str()); };
    std::tm parts{};
    parts.tm_year = number(0, 4) - 1900;
    parts.tm_mon = number(4, 2) - 1;
    parts.tm_mday = number(6, 2);
    parts.tm_hour = number(9, 2);
    parts.tm_min = number(11, 2);
    parts.tm_sec = number(13, 2);
    if (parts.tm_year < FirstYear - 1900)
        return false;
    const std::tm wanted = parts;
    const std::time_t when = ::timegm(&parts);
    std::tm back{};
    return gmtime_r(&when, &back) && back.tm_year == wanted.tm_year && back.tm_mon == wanted.tm_mon
        && back.tm_mday == wanted.tm_mday && back.tm_hour == wanted.tm_hour && back.tm_min == wanted.tm_min
        && back.tm_sec == wanted.tm_sec;
}

struct Name {
    TBackupStore::Entry entry;
    std::string stamp;
    long counter = 1;
};

// Splits <serial>-<stamp>[-N].usr, N from 2 to MaxPerSecond as keep() counts;
// false for any other name.
bool parse(const std::string& file, Name& name)
{
    std::string_view rest(file);
    if (rest.size() <= Extension.size() || rest.substr(rest.size() - Extension.size()) != Extension)
        return false;
    rest.remove_suffix(Extension.size());
    const size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string_view::npos)
        return false;
    const std::string_view serial = rest.substr(0, dash);
    if (!std::all_of(serial.begin(), serial.end(), serialCharacter))
        return false;
    rest.remove_prefix(dash + 1);
    const std::string_view stamp = rest.substr(0, StampLength);
    if (stamp.size() != StampLength || !digits(stamp.substr(0, 8)) || stamp[8] != 'T' || !digits(stamp.substr(9, 6))
        || stamp[15] != 'Z')
        return false;
    if (!validTime(stamp))
        return false;
    rest.remove_prefix(StampLength);
    if (!rest.empty()) {
        const std::string_view counter = rest.substr(1);
        if (rest[0] != '-' || !digits(counter) || counter[0] == '0' || counter.size() > 4)
            return false;
        name.counter = std::atol(std::string(counter).c_str());
        if (name.counter < 2 || name.counter > MaxPerSecond)
            return false;
    }
    name.stamp = stamp;
    name.entry.serial = serial;
    const auto s = [&](size_t at, size_t n) { return std::string(stamp.substr(at, n)); };
    name.entry.time = s(0, 4) + "-" + s(4, 2) + "-" + s(6, 2) + "T" + s(9, 2) + ":" + s(11, 2) + ":" + s(13, 2) + "Z";
    return true;
}

// The index, as far as it can be read: every line whole and well formed up
// to the first that is not. A line cut short by a crash ends it.
struct Index {
    struct Label {
        TBackupStore::Reason reason = TBackupStore::Reason::Unknown;
        std::string project;
    };
    std::map<std::string, Label> labels; // by file name; the first record counts
    // By serial as in file names: the mark of the last writes, finished or
    // not (its backup a file name), and whether a damaged line follows it.
    struct Mark {
        bool unfinished = false;
        TWriteMark writes;
        bool doubtful = false;
    };
    std::map<std::string, Mark> marks;
};

std::string indexPath()
{
    return TBackupStore::folder() + "/" + IndexName;
}

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> out;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        out.push_back(field);
    if (!line.empty() && line.back() == '\t')
        out.emplace_back();
    return out;
}

TBackupStore::Reason reasonOf(const std::string& word)
{
    using Reason = TBackupStore::Reason;
    for (const Reason r : {Reason::Read, Reason::Write, Reason::Compare})
        if (word == TBackupStore::reasonWord(r))
            return r;
    return Reason::Unknown;
}

Index readIndex()
{
    Index index;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(indexPath(), ec);
    if (ec || size > IndexLimit)
        return index;
    std::ifstream in(indexPath(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t from = 0;
    while (from < text.size()) {
        const size_t end = text.find('\n', from);
        const std::vector<std::string> f
            = fields(end == std::string::npos ? std::string() : text.substr(from, end - from));
        const bool whole = end != std::string::npos;
        // What a write sent; a mark of an older program has none.
        const std::optional<TWriteMark::Sent> sent
            = f.size() >= 3 ? TWriteMark::Sent::parse(f.back()) : std::optional<TWriteMark::Sent>();
        if (whole && f.size() == 4 && f[0] == "kept") {
            index.labels.try_emplace(f[1], Index::Label{reasonOf(f[2]), f[3]});
        } else if (whole && f[0] == "unfinished" && (f.size() == 3 || (f.size() == 4 && sent))) {
            TWriteMark writes;
            writes.backup = f[2];
            writes.sentKnown = f.size() == 4;
            if (sent && f.size() == 4)
                writes.sent.push_back(*sent);
            index.marks[f[1]] = {true, std::move(writes), false};
        } else if (whole && f.size() == 3 && f[0] == "sent" && sent) {
            // Another write to a marked controller; one that is not marked
            // has no mark to add it to.
            if (const auto mark = index.marks.find(f[1]); mark != index.marks.end() && mark->second.unfinished)
                mark->second.writes.sent.push_back(*sent);
        } else if (whole && f.size() == 2 && f[0] == "finished") {
            Index::Mark& mark = index.marks[f[1]];
            mark.unfinished = false;
            mark.doubtful = false;
        } else {
            // Whatever the line was, marks before it can no longer be
            // trusted to be the last word.
            for (auto& [serial, mark] : index.marks)
                mark.doubtful = true;
        }
        if (!whole)
            break;
        from = end + 1;
    }
    return index;
}

// Tabs and line ends would split a record.
std::string field(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return text;
}

// One record in a single write: appends of other programs never interleave
// with it. A record that cannot be written costs only what it would tell.
void append(const std::string& record)
{
    std::error_code ec;
    fs::create_directories(TBackupStore::folder(), ec);
    const int fd = ::open(indexPath().c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return;
    // After a line a crash cut short, the record starts a line of its own.
    char last = '\n';
    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (size > 0 && ::pread(fd, &last, 1, size - 1) != 1)
        last = '\n';
    const std::string line = (last == '\n' ? "" : "\n") + record + "\n";
    ssize_t n;
    do
        n = ::write(fd, line.data(), line.size());
    while (n < 0 && errno == EINTR);
    // A part of the line would make the next record unreadable; ending it
    // here damages only this one.
    if (n >= 0 && static_cast<size_t>(n) < line.size()) {
        const char end = '\n';
        while (::write(fd, &end, 1) < 0 && errno == EINTR) {}
    }
    ::close(fd);
}

std::string fileName(const std::string& path)
{
    return fs::path(path).filename().string();
}

} // namespace

std::string TBackupStore::folder()
{
    return TProgramNamesFile::dataFolder() + "/kt7config/backups";
}

std::string TBackupStore::serialInName(const std::string& serial)
{
    return TBackupKeeper::serialInName(serial);
}

const char* TBackupStore::reasonWord(Reason reason)
{
    switch (reason) {
    case Reason::Read: return "read";
    case Reason::Write: return "write";
    case Reason::Compare: return "compare";
    case Reason::Unknown: break;
    }
    return "-";
}

TFileResult TBackupStore::keep(const std::string& serial, const TImage& image, std::string& path, Reason reason,
                               const std::string& project, std::time_t when)
{
    const std::string where = folder();
    std::error_code ec;
    fs::create_directories(where, ec);
    if (ec)
        return TFileResult::failure(where, ec.message());

    const std::string name = serialInName(serial);
    std::vector<Entry> entries;
    if (list(entries)) {
        const auto newest
            = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.serial == name; });
        TImage held;
        if (newest != entries.end() && TImageFile::read(newest->path, held) && held == image) {
            path = newest->path;
            return TFileResult::success();
        }
    }

    std::tm parts{};
    gmtime_r(&when, &parts);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &parts);
    const std::string base = name + "-" + stamp;

    const auto& bytes = image.bytes();
    const std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    TFileResult result = TFileResult::success();
    for (int n = 1; n <= MaxPerSecond; ++n) {
        const std::string candidate
            = where + "/" + base + (n == 1 ? "" : "-" + std::to_string(n)) + std::string(Extension);
        result = TAtomicFile::create(candidate, content);
        if (result.code() != EEXIST) {
            if (result) {
                path = candidate;
                append(std::string("kept\t") + fileName(candidate) + "\t" + reasonWord(reason) + "\t" + field(project));
            }
            return result;
        }
    }
    return result;
}

TFileResult TBackupStore::list(std::vector<Entry>& entries, bool* folderMissing)
{
    entries.clear();
    const std::string where = folder();
    std::vector<Name> names;
    std::error_code ec;
    fs::directory_iterator it(where, ec);
    const bool missing = ec == std::errc::no_such_file_or_directory;
    if (folderMissing)
        *folderMissing = missing;
    if (ec)
        return missing ? TFileResult::success() : TFileResult::failure(where, ec.message());
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        // Only what the store writes and can be written back: a whole image
        // in a regular file, not a link to one.
        Name name;
        std::error_code fileEc;
        if (parse(it->path().filename().string(), name) && fs::is_regular_file(it->symlink_status(fileEc)) && !fileEc
            && fs::file_size(it->path(), fileEc) == TImage::Size && !fileEc) {
            name.entry.path = it->path().string();
            names.push_back(std::move(name));
        }
    }
    if (ec)
        return TFileResult::failure(where, ec.message());
    std::sort(names.begin(), names.end(), [](const Name& a, const Name& b) {
        if (a.stamp != b.stamp)
            return a.stamp > b.stamp;
        if (a.counter != b.counter)
            return a.counter > b.counter;
        return a.entry.path < b.entry.path;
    });
    const Index index = readIndex();
    for (Name& name : names) {
        if (const auto label = index.labels.find(fileName(name.entry.path)); label != index.labels.end()) {
            name.entry.reason = label->second.reason;
            name.entry.project = label->second.project;
        }
        entries.push_back(std::move(name.entry));
    }
    return TFileResult::success();
}

std::string TBackupStore::serialOf(const std::string& path)
{
    Name name;
    return parse(fileName(path), name) ? name.entry.serial : std::string();
}

bool TBackupStore::holds(const std::string& path)
{
    std::error_code ec;
    const fs::path file = fs::canonical(path, ec);
    if (ec)
        return false;
    const fs::path where = fs::canonical(folder(), ec);
    return !ec && file.parent_path() == where;
}

void TBackupStore::markUnfinished(const std::string& serial, const std::string& backup, const TWriteMark::Sent& sent)
{
    append("unfinished\t" + serialInName(serial) + "\t" + field(backup.empty() ? std::string() : fileName(backup))
           + "\t" + sent.text());
}

void TBackupStore::markAnotherWrite(const std::string& serial, const TWriteMark::Sent& sent)
{
    append("sent\t" + serialInName(serial) + "\t" + sent.text());
}

void TBackupStore::markFinished(const std::string& serial)
{
    append("finished\t" + serialInName(serial));
}

std::optional<TWriteMark> TBackupStore::unfinished(const std::string& serial)
{
    const Index index = readIndex();
    const auto mark = index.marks.find(serialInName(serial));
    if (mark == index.marks.end() || !mark->second.unfinished || mark->second.doubtful)
        return std::nullopt;
    TWriteMark writes = mark->second.writes;
    // The backup may have been removed since: the mark stands without it.
    const std::string path = folder() + "/" + writes.backup;
    std::error_code ec;
    writes.backup = !writes.backup.empty() && fs::is_regular_file(fs::symlink_status(path, ec)) && !ec ? path : "";
    return writes;
}

std::optional<TBackupStore::Entry> TBackupStore::beforeLastWrite(const std::string& serial, const TImage& held)
{
    const Index index = readIndex();
    const auto mark = index.marks.find(serialInName(serial));
    if (mark == index.marks.end() || mark->second.writes.backup.empty())
        return std::nullopt;
    const TWriteMark& writes = mark->second.writes;
    std::vector<Entry> entries;
    if (!list(entries))
        return std::nullopt;
    const auto kept = std::find_if(entries.begin(), entries.end(),
                                   [&](const Entry& e) { return fileName(e.path) == writes.backup; });
    if (kept == entries.end())
        return std::nullopt;
    // A controller that holds a block none of those writes left has been
    // written since by someone else, whose backup this store does not know.
    TImage earlier;
    const bool known = TImageFile::read(kept->path, earlier).ok();
    if (writes.check(known ? &earlier : nullptr, held, TImage::Blocks) == TWriteMark::Shows::Neither)
        return std::nullopt;
    return *kept;
}
