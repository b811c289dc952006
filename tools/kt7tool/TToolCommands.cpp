#include "tools/kt7tool/TToolCommands.h"

#include "link/TFrameLine.h"
#include "link/THexText.h"
#include "link/TWriteSequence.h"
#include "project/TBackupFolder.h"
#include "project/TBackupStore.h"
#include "project/TImageFile.h"
#include "project/TProject.h"
#include "project/TProjectFiles.h"
#include "project/TProjectName.h"
#include "report/TCommissioningPack.h"
#include "report/TConfigDescriber.h"
#include "report/TConfigDiffer.h"
#include "report/TDocxWriter.h"
#include "report/TPackDocument.h"
#include "report/TPdfConversion.h"
#include "report/TReportGenerator.h"
#include "report/TReportSource.h"
#include "serial/TPortLock.h"
#include "serial/TPortMap.h"
#include "tools/kt7tool/TDirectLink.h"
#include "tools/kt7tool/TProgressBar.h"
#include "tools/kt7tool/TStopSignal.h"
#include "tools/kt7tool/TToolAcceptance.h"
#include "tools/kt7tool/TToolCauseEffect.h"
#include "tools/kt7tool/TToolError.h"
#include "tools/kt7tool/TToolInput.h"
#include "tools/kt7tool/TToolOutput.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <linux/magic.h>
#include <optional>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void warn(const std::string& text)
{
    std::cerr << "kt7tool: warning: " << text << '\n';
}

// The identification bytes are characters of one byte each.
std::string latin1ToUtf8(const std::string& bytes)
{
    std::string out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

// The identification text as a line of kt7tool's output: it ends in a blank,
// which the window keeps and a script's line does not.
std::string identificationLine(const TIdentReply& ident)
{
    std::string text = ident.text();
    text.erase(text.find_last_not_of(' ') + 1);
    // The controller's bytes reach a terminal: control characters are shown
    // as the words of a configuration show them.
    return TConfigDescriber::printable(latin1ToUtf8(text));
}

// The local time now.
std::string nowText(const char* format)
{
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    char text[128];
    return std::strftime(text, sizeof text, format, &parts) ? text : "";
}

// A JSON string, or null for an empty text.
std::string jsonOrNull(const std::string& text)
{
    return text.empty() ? "null" : TConfigDescriber::jsonString(text);
}

// The /dev/serial/by-id name of a device, or "-".
std::string byIdName(const std::string& device)
{
    std::error_code ec;
    const fs::path target = fs::canonical(device, ec);
    if (ec)
        return "-";
    for (const fs::directory_entry& e : fs::directory_iterator("/dev/serial/by-id", ec)) {
        std::error_code ec2;
        if (fs::canonical(e.path(), ec2) == target && !ec2)
            return e.path().string();
    }
    return "-";
}

// Why no image file can be kept at path, or nothing when one can: only a
// regular file in a folder is one; writing into a device, a FIFO or a file of
// the kernel's would send the image elsewhere or fail after the transfer.
std::string unwritable(const std::string& path)
{
    const fs::path folder = fs::path(path).parent_path().empty() ? fs::path(".") : fs::path(path).parent_path();
    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (!exists && errno != ENOENT)
        return std::strerror(errno);
    struct statfs system {};
    if (::statfs(exists ? path.c_str() : folder.c_str(), &system) == 0
        && (system.f_type == PROC_SUPER_MAGIC || system.f_type == SYSFS_MAGIC))
        return "a file of the kernel (/proc or /sys), not a place for an image";
    if (exists) {
        if (S_ISDIR(info.st_mode))
            return std::strerror(EISDIR);
        if (S_ISFIFO(info.st_mode))
            return "a FIFO, not a file (- writes the image to standard output)";
        if (!S_ISREG(info.st_mode))
            return "a device or socket, not a file";
        if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
            return std::strerror(errno);
        return {};
    }
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return std::strerror(ec ? ec.value() : ENOTDIR);
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return std::strerror(errno);
    return {};
}

// What the system tells of a device without its being opened: a missing
// device or one the user may not use as an errno value, EBUSY where a lock
// file names a running program, else 0.
int knownState(const std::string& device)
{
    if (::faccessat(AT_FDCWD, device.c_str(), R_OK | W_OK, AT_EACCESS) != 0)
        return errno;
    return TPortLock::holder(device) != 0 ? EBUSY : 0;
}

} // namespace

std::string TToolCommands::devicePath() const
{
    if (!m_o.device.empty())
        return m_o.device;
    const std::string com = "COM" + std::to_string(m_o.com);
    const std::string device = TPortMap::Device(m_o.com);
    if (device.empty())
        throw TToolError(com + ": no such port (see kt7tool ports)");
    const std::string link = TPortMap::Link(m_o.com);
    std::error_code ec;
    if (!link.empty() && !fs::exists(device, ec))
        throw TToolError(com + ": " + link + " points at " + device + ", which does not exist");
    return device;
}

std::unique_ptr<TDirectLink> TToolCommands::openLink() const
{
    // From the first request on, a stop signal ends the job between two
    // exchanges with the controller, never in the middle of a frame.
    TStopSignal::install();
    auto link = std::make_unique<TDirectLink>(devicePath(), m_o.baud, m_o.timeoutMs);
    if (m_o.verbose >= 2)
        link->setFrameObserver([port = portName()](const uint8_t* bytes, size_t count, bool received) {
            const auto direction = received ? TFrameLine::Direction::Received : TFrameLine::Direction::Sent;
            std::cerr << TFrameLine::format(port, bytes, count, direction) << '\n';
        });
    return link;
}

std::string TToolCommands::portName() const
{
    return m_o.device.empty() ? "COM" + std::to_string(m_o.com) : m_o.device;
}

void TToolCommands::note(const std::string& text) const
{
    if (m_o.verbose > 0)
        std::cerr << "kt7tool: " << text << '\n';
}

TIdentReply TToolCommands::identifyController(TDirectLink& link) const
{
    const TIdentReply ident = link.identify();
    note(portName() + ": " + identificationLine(ident));
    return ident;
}

TProgressBar::Style TToolCommands::progressStyle() const
{
    if (m_o.quiet)
        return TProgressBar::Style::None;
    if (::isatty(STDERR_FILENO))
        return TProgressBar::Style::Bar;
    return m_o.progress ? TProgressBar::Style::Lines : TProgressBar::Style::None;
}

void TToolCommands::transfer(TDirectLink& link, const std::string& what,
                             const std::function<void(const TDirectLink::Progress&)>& body) const
{
    const int repeated = link.repeats();
    const auto start = std::chrono::steady_clock::now();
    {
        TProgressBar bar(what, TImage::Blocks, progressStyle());
        body([&](int done) { bar.show(done); });
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    char took[32];
    std::snprintf(took, sizeof took, "%.2f s", seconds);
    std::string name = what;
    name.erase(name.find_last_not_of(' ') + 1);
    note(name + ": " + std::to_string(TImage::Blocks) + " blocks in " + took + ", "
         + std::to_string(link.repeats() - repeated) + " asked for again");
}

std::string TToolCommands::fileName(const std::string& path)
{
    return path == "-" ? "standard input" : path;
}

void TToolCommands::noteRepeats(const TDirectLink& link) const
{
    if (link.repeats() > 0 && !m_o.quiet)
        warn(link.device() + ": " + std::to_string(link.repeats())
             + (link.repeats() == 1 ? " reply was" : " replies were") + " late or damaged and asked for again");
}

int TToolCommands::ports()
{
    std::string out;
    for (int n = 1; n <= 255; ++n) {
        const std::string device = TPortMap::Device(n);
        if (device.empty())
            continue;
        // Without --probe nothing is opened: opening a port raises DTR and
        // RTS, which resets some devices. Empty: not known.
        const int state = m_o.probe ? TPortMap::Probe(n) : knownState(device);
        const std::string use = state == 0 ? (m_o.probe ? "free" : "") : state == EBUSY ? "busy" : std::strerror(state);
        const std::string byId = byIdName(device);
        if (m_o.json)
            out += std::string(out.empty() ? "" : ",") + "\n  {\"com\": " + std::to_string(n) + ", \"device\": "
                + TConfigDescriber::jsonString(device) + ", \"byId\": " + jsonOrNull(byId == "-" ? std::string() : byId)
                + ", \"state\": " + jsonOrNull(use) + "}";
        else
            out += "COM" + std::to_string(n) + '\t' + device + '\t' + byId + '\t' + (use.empty() ? "-" : use) + '\n';
    }
    if (m_o.json)
        out = "{\"ports\": [" + out + (out.empty() ? "" : "\n") + "]}\n";
    TToolOutput::write(out);
    return 0;
}

int TToolCommands::identify()
{
    const auto link = openLink();
    const TIdentReply ident = link->identify();
    const std::string text = identificationLine(ident);
    if (m_o.json)
        TToolOutput::write("{\"port\": " + TConfigDescriber::jsonString(portName())
                           + ", \"device\": " + TConfigDescriber::jsonString(link->device())
                           + ", \"identification\": " + TConfigDescriber::jsonString(text) + ", \"serial\": "
                           + TConfigDescriber::jsonString(latin1ToUtf8(ident.serialNumber())) + "}\n");
    else
        TToolOutput::write(text + '\n');
    return 0;
}

int TToolCommands::read()
{
    const bool toOutput = m_o.operands[0] == "-";
    if (toOutput && ::isatty(STDOUT_FILENO))
        throw TToolError("read: standard output is a terminal, and the image is 2048 bytes of binary data; redirect it "
                         "or name a file",
                         TToolError::Usage);
    // A file that cannot be made is found out before a transfer of seconds.
    if (!toOutput) {
        if (const std::string why = unwritable(m_o.operands[0]); !why.empty())
            throw TToolError(m_o.operands[0] + ": " + why + "; nothing was read");
    }
    const auto link = openLink();
    identifyController(*link);
    TImage image;
    try {
        transfer(*link, "read ", [&](const TDirectLink::Progress& progress) { link->read(image, progress); });
    } catch (const TToolError& e) {
        if (!TStopSignal::received())
            throw;
        throw TToolError(
            std::string(e.what()) + "; read cut short after " + std::to_string(link->blocksDone()) + " of "
                + std::to_string(TImage::Blocks) + " blocks, "
                + (toOutput ? "nothing was written to standard output" : m_o.operands[0] + " is left as it was"),
            e.status());
    }
    if (toOutput) {
        const TImage::Bytes& bytes = image.bytes();
        TToolOutput::write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } else if (const TFileResult saved = TImageFile::write(m_o.operands[0], image); !saved) {
        throw TToolError(saved.text());
    }
    noteRepeats(*link);
    return 0;
}

int TToolCommands::write()
{
    const std::string& file = m_o.operands[0];
    TProject project;
    const bool named = loadProject(file, {}, project, !m_o.force);
    const bool restoring = m_o.command == "restore";
    // A kept image is what a controller held: its findings never refuse it.
    refuseFaultyConfiguration(project, named, restoring || TBackupStore::holds(file));
    const auto link = openLink();
    const TIdentReply ident = identifyController(*link);
    TWriteSequence::Options options;
    options.keepBackup = !m_o.noBackup;
    options.always = m_o.always;
    options.verify = m_o.verify;
    // A backup put back was made for no project.
    options.project = restoring || file == "-" ? std::string() : TProjectName::fromPath(file);
    options.backupSerial = TBackupStore::serialOf(file);
    TBackupFolder backups;
    TWriteSequence sequence(backups, project.image(), ident.serialNumber(), line(), options);
    if (sequence.foreignBackup()) {
        const std::string controllers = fileName(file) + " is a backup of controller " + options.backupSerial
            + ", but controller " + TBackupStore::serialInName(ident.serialNumber()) + " answered";
        if (!m_o.force)
            throw TToolError(controllers + "; nothing was written (--force writes it all the same)");
        warn(controllers + "; written all the same (--force)");
    }
    sequence.start();

    // Why the last step did not complete.
    std::optional<TToolError> stop;
    const auto carry = [&](const std::string& what, const std::function<void(const TDirectLink::Progress&)>& body) {
        try {
            transfer(*link, what, body);
            return true;
        } catch (const TToolError& e) {
            stop = e;
            return false;
        }
    };
    for (;;) {
        switch (sequence.next()) {
        case TWriteSequence::Step::ReadBackup: {
            TImage held;
            if (carry("backup", [&](const TDirectLink::Progress& progress) { link->read(held, progress); })) {
                sequence.backupRead(held);
            } else {
                const int blocks = link->readSoFar(held);
                sequence.backupStopped(held, blocks);
            }
            continue;
        }
        case TWriteSequence::Step::Write: {
            std::vector<uint16_t> differing;
            if (carry("write ", [&](const TDirectLink::Progress& progress) {
                    differing = link->write(sequence.image(), progress);
                }))
                sequence.written(differing);
            else
                sequence.writeStopped(link->blocksDone(), link->nextRequestSent());
            continue;
        }
        case TWriteSequence::Step::ReadBack: {
            TImage back;
            if (carry("verify", [&](const TDirectLink::Progress& progress) { link->read(back, progress); }))
                sequence.readBack(back);
            else
                sequence.readBackStopped();
            continue;
        }
        case TWriteSequence::Step::Done: break;
        }
        break;
    }
    return writeEnded(sequence, stop, *link);
}

int TToolCommands::writeEnded(const TWriteSequence& sequence, const std::optional<TToolError>& stop,
                              const TDirectLink& link) const
{
    using End = TWriteSequence::End;
    const TWriteSequence::Verdict& v = sequence.verdict();
    const std::string command = sequence.restoreCommand();
    const std::string cause = stop ? stop->what() : std::string();
    const int status = stop ? stop->status() : 2;
    switch (v.end) {
    case End::AlreadyHeld:
        if (!m_o.quiet)
            std::cerr << "kt7tool: the controller already holds " << fileName(m_o.operands[0])
                      << "; nothing was written (--always writes all the same)\n";
        return 0;
    case End::BackupNotKept:
        throw TToolError(v.backupResult.text() + " (nothing was written to the controller)" + before(v, command));
    case End::BackupStopped:
        throw TToolError(
            cause + " while keeping the backup; nothing was written to the controller" + before(v, command), status);
    case End::WriteStopped: throw TToolError(cause + "; " + writeStopped(v, command), status);
    case End::Written:
    case End::ReadBackStopped: break;
    }
    for (const uint16_t address : v.differing)
        std::cerr << "kt7tool: " << link.device() << ": block 0x" << THexText::of(address, 4)
                  << ": the echo differs from what was written\n";
    // A command is given only where an echo or the read-back leaves the
    // controller in doubt.
    if (!command.empty())
        std::cerr << "kt7tool: the controller may hold another configuration than the one written; its earlier "
                     "configuration is in "
                  << v.previous << ", restore it with: " << command << '\n';
    if (v.end == End::ReadBackStopped)
        throw TToolError(cause + " while reading back; all " + std::to_string(TImage::Blocks) + " blocks were written",
                         status);
    int result = v.differing.empty() ? 0 : 1;
    if (v.readBack)
        result = std::max(
            result,
            printDifferences(TConfigDiffer::compare(sequence.image(), nullptr, sequence.readBackImage(), nullptr)));
    noteRepeats(link);
    if (!v.backup.empty() && !m_o.quiet)
        std::cerr << "kt7tool: backup of the controller in " << v.backup << '\n';
    return result;
}

TWriteSequence::Line TToolCommands::line() const
{
    // A COM number of the user's own is named by its device, which anyone
    // who runs the command reaches by that name.
    return {m_o.com, m_o.device.empty() ? TPortMap::OwnDevice(m_o.com) : m_o.device, m_o.baud, m_o.timeoutMs};
}

std::string TToolCommands::holds(const TWriteSequence::Verdict& v)
{
    using Holds = TWriteSequence::Holds;
    const std::string block = "block 0x" + THexText::of(v.doubtAddress, 4);
    switch (v.holds) {
    case Holds::New: return "every block the write changes was confirmed: the controller holds the new configuration";
    case Holds::Earlier:
        return "no block the write changes was written: the controller still holds its earlier configuration";
    case Holds::Mixed: {
        if (v.mixedByEarlierOnly())
            return v.before == TWriteSequence::Before::MayBeMixed ? "the controller may hold a mixed configuration"
                                                                  : "the controller holds a mixed configuration";
        return "the controller holds a mixed configuration (" + std::to_string(v.changedIn) + " of the "
            + std::to_string(v.changed) + " blocks the write changes written, " + std::to_string(v.changedOut())
            + " not" + (v.doubtChanged ? ", " + block + " unknown" : std::string()) + ")";
    }
    case Holds::NewOrEarlier:
        return "the controller may hold the new configuration (if it took " + block + ") or its earlier one (if not)";
    case Holds::NewOrMixed:
        return "the controller may hold the new configuration (if it took " + block
            + ") or a mixed one without that block";
    case Holds::EarlierOrMixed:
        return "the controller may hold its earlier configuration (if it did not take " + block
            + ") or a mixed one with that block new";
    case Holds::Unknown:
        return "the controller was not read before the write (--no-backup), so what it holds now is unknown: the new "
               "configuration if its other blocks held it already, a mixed one otherwise";
    }
    return {};
}

std::string TToolCommands::writeStopped(const TWriteSequence::Verdict& v, const std::string& command)
{
    const auto blocks = [](int n) { return std::to_string(n) + " of " + std::to_string(TImage::Blocks) + " blocks"; };
    std::string text;
    if (v.untouched())
        return "nothing was written, the controller still holds its earlier configuration"
            + (v.backup.empty() ? std::string() : " (kept in " + v.backup + ")");
    if (v.nothingWritten()) {
        text = "nothing was written, " + holds(v);
    } else {
        text = "write cut short after " + blocks(v.done);
        if (v.inDoubt)
            text += ", " + std::to_string(v.done + 1) + " if the controller took block 0x"
                + THexText::of(v.doubtAddress, 4) + " before its reply failed";
        text += ", " + holds(v);
    }
    if (v.before == TWriteSequence::Before::Mixed)
        text += "; an earlier write had left it mixed already";
    if (v.before == TWriteSequence::Before::MayBeMixed)
        text += "; an earlier write that did not finish may have left it mixed already (" + unseen(v) + ")";
    if (!v.doubtful())
        return text;
    return text + advice(v, command);
}

std::string TToolCommands::before(const TWriteSequence::Verdict& v, const std::string& command)
{
    if (v.before == TWriteSequence::Before::Mixed)
        return "; the controller holds a mixed configuration an earlier write left" + advice(v, command);
    if (v.before == TWriteSequence::Before::MayBeMixed)
        return "; the controller may hold a mixed configuration an earlier write left (" + unseen(v) + ")"
            + advice(v, command);
    return {};
}

std::string TToolCommands::unseen(const TWriteSequence::Verdict& v)
{
    using Unseen = TWriteSequence::Unseen;
    switch (v.unseen) {
    case Unseen::ReadStopped: return "the read before this write stopped";
    case Unseen::NotRead: return "it was not read before this write";
    case Unseen::NotKept: break;
    }
    return "too little of that write was kept to tell";
}

std::string TToolCommands::advice(const TWriteSequence::Verdict& v, const std::string& command)
{
    if (command.empty())
        return " (no backup was kept)";
    // Where no backup from before the earlier write is known, the way back
    // is what the controller held before this one.
    if (v.mixedBefore() && v.previous == v.backup)
        return "; what it held before this write is in " + v.previous + ", restore it with: " + command;
    return "; its earlier configuration is in " + v.previous + ", restore it with: " + command;
}

int TToolCommands::verify()
{
    TProject project;
    loadProject(m_o.operands[0], {}, project);
    const auto link = openLink();
    identifyController(*link);
    TImage image;
    transfer(*link, "read ", [&](const TDirectLink::Progress& progress) { link->read(image, progress); });
    noteRepeats(*link);
    // The controller holds no names: it is compared under the file's.
    const int status = printDifferences(
        TConfigDiffer::compare(project.image(), &project.names(), image, nullptr, &project.siteNames()));
    if (status == 0)
        note("the controller holds " + fileName(m_o.operands[0]));
    return status;
}

bool TToolCommands::loadProject(const std::string& path, const std::string& namesPath, TProject& project,
                                bool exactSize)
{
    std::error_code ec;
    uintmax_t size = 0;
    std::string sizeText;
    TProjectFiles::Opened opened;
    if (path == "-") {
        // One byte past the image is enough to know there are more.
        const std::string bytes = TToolInput::readAll(TImage::Size);
        TImage& image = project.image();
        image.clear();
        for (size_t i = 0; i < bytes.size() && i < TImage::Size; ++i)
            image.setByte(static_cast<int>(i), static_cast<uint8_t>(bytes[i]));
        size = bytes.size();
        sizeText = size > TImage::Size ? "more than 2048 bytes" : std::to_string(size) + " bytes, not 2048";
        // An image on standard input has no names file beside it.
        if (!namesPath.empty())
            opened = TProjectFiles::readNames(namesPath, true, project);
    } else {
        opened = TProjectFiles::open(path, project, namesPath);
        if (!opened.image)
            throw TToolError(opened.image.text());
        size = fs::file_size(path, ec);
        sizeText = std::to_string(size) + " bytes, not 2048";
    }
    if (!ec && size != TImage::Size && exactSize)
        throw TToolError(fileName(path) + ": " + sizeText
                         + "; not written (--force writes it, the rest as zeros or cut at 2048)");
    if (!ec && size != TImage::Size)
        warn(fileName(path) + ": " + sizeText + "; "
             + (size < TImage::Size ? "the rest of the image reads as zeros" : "bytes past 2048 are ignored"));
    if (!opened.names) {
        // A names file asked for by name must be there.
        if (!namesPath.empty())
            throw TToolError(opened.names.text());
        warn(opened.names.text() + "; the algorithms have no names");
    }
    const std::string names = TConfigDescriber::printable(TProjectFiles::namesAsRead(project, "; "));
    if (opened.namesLookUtf8)
        warn(opened.namesPath
             + ": the names file looks like UTF-8, but names files are Windows-1251; its names read as: " + names);
    if (!opened.namesUnicode.empty())
        warn(opened.namesPath + ": the names file is in " + opened.namesUnicode
             + ", but names files are Windows-1251; read as " + opened.namesUnicode + ", its names are: " + names);
    for (const TNamesFile::Reading::Cut& cut : opened.namesCut)
        warn(opened.namesPath + ": a NUL byte ends the name " + cut.where + ", as Windows reads it: read as \""
             + TConfigDescriber::printable(cut.kept) + "\"; what follows it (\"" + TConfigDescriber::printable(cut.lost)
             + "\") cannot be part of a name and stays in the file only while the name is unchanged");
    return opened.namesKnown;
}

TReportInput TToolCommands::reportInput(const TProject& project, std::string dateTime)
{
    return TReportSource::of(project.image(), project.names(), project.name(), std::move(dateTime),
                             project.siteNames());
}

int TToolCommands::printDifferences(const std::vector<TConfigDiffer::Line>& lines)
{
    std::string out;
    for (const TConfigDiffer::Line& line : lines)
        out += line.text + "\n";
    TToolOutput::write(out);
    return lines.empty() ? 0 : 1;
}

void TToolCommands::refuseFaultyConfiguration(const TProject& project, bool named, bool backup) const
{
    const std::vector<TConfigFinding> findings = TConfigCheck::run(project.image(), named ? &project.names() : nullptr);
    const int errors = TConfigCheck::errors(findings);
    std::string out;
    for (const TConfigFinding& f : findings)
        out += std::string("kt7tool: ")
            + TConfigCheck::severityWord(backup ? TConfigFinding::Severity::Warning : f.severity) + ": " + f.line()
            + "\n";
    std::cerr << out << std::flush;
    if (errors == 0)
        return;
    const std::string count = std::to_string(errors) + (errors == 1 ? " error" : " errors");
    if (backup) {
        warn(fileName(m_o.operands[0]) + " is a backup of what a controller held: written all the same, its " + count
             + " shown as warnings");
        return;
    }
    if (m_o.force) {
        warn("writing a configuration with " + count + " (--force)");
        return;
    }
    throw TToolError(fileName(m_o.operands[0]) + ": the configuration has " + count
                     + "; nothing was written (kt7tool check lists them; --force writes it anyway)");
}

int TToolCommands::check()
{
    TProject project;
    const bool named = loadProject(m_o.operands[0], m_o.names, project);
    const std::vector<TConfigFinding> findings = TConfigCheck::run(project.image(), named ? &project.names() : nullptr);
    TToolOutput::write(m_o.json ? TConfigCheck::json(findings) : TConfigCheck::text(findings));
    return findings.empty() ? 0 : 1;
}

int TToolCommands::show()
{
    TProject project;
    loadProject(m_o.operands[0], m_o.names, project);
    const auto facts = TConfigDescriber::facts(reportInput(project));
    TToolOutput::write(m_o.json ? TConfigDescriber::json(facts) : TConfigDescriber::text(facts));
    return 0;
}

int TToolCommands::diff()
{
    TProject projects[2];
    const bool named[2] = {loadProject(m_o.operands[0], m_o.namesA, projects[0]),
                           loadProject(m_o.operands[1], m_o.namesB, projects[1])};
    // A side without a names file has unknown names, not empty ones: the
    // names are compared only where both sides have them.
    if (named[0] != named[1]) {
        const int unknown = named[0] ? 1 : 0;
        warn(fileName(m_o.operands[static_cast<size_t>(unknown)])
             + " has no names file: its algorithms' names are unknown and not compared");
    } else if (!named[0]) {
        warn("neither " + fileName(m_o.operands[0]) + " nor " + fileName(m_o.operands[1])
             + " has a names file: the algorithms' names are unknown and not compared");
    }
    return printDifferences(TConfigDiffer::compare(projects[0].image(), named[0] ? &projects[0].names() : nullptr,
                                                   projects[1].image(), named[1] ? &projects[1].names() : nullptr,
                                                   &projects[0].siteNames(), &projects[1].siteNames()));
}

int TToolCommands::backups()
{
    std::vector<TBackupStore::Entry> entries;
    const TFileResult listed = TBackupStore::list(entries);
    if (!listed)
        throw TToolError(listed.text());
    std::string out;
    for (const TBackupStore::Entry& e : entries) {
        const bool known = e.reason != TBackupStore::Reason::Unknown;
        if (m_o.json)
            out += std::string(out.empty() ? "" : ",") + "\n  {\"serial\": " + TConfigDescriber::jsonString(e.serial)
                + ", \"time\": " + TConfigDescriber::jsonString(e.time)
                + ", \"path\": " + TConfigDescriber::jsonString(e.path) + ", \"reason\": "
                + (known ? TConfigDescriber::jsonString(TBackupStore::reasonWord(e.reason)) : std::string("null"))
                + ", \"project\": " + jsonOrNull(e.project) + "}";
        else
            out += e.serial + '\t' + e.time + '\t' + e.path + '\t' + TBackupStore::reasonWord(e.reason) + '\n';
    }
    if (m_o.json)
        out = "{\"backups\": [" + out + (out.empty() ? "" : "\n") + "]}\n";
    TToolOutput::write(out);
    return 0;
}

int TToolCommands::report()
{
    const bool toOutput = m_o.output == "-";
    if (toOutput && ::isatty(STDOUT_FILENO))
        throw TToolError("report: standard output is a terminal, and the document is binary data; redirect it or "
                         "name a file",
                         TToolError::Usage);
    std::setlocale(LC_TIME, "");
    TProject project;
    loadProject(m_o.operands[0], m_o.names, project);
    const TReportInput input = reportInput(project, nowText("%x %X"));
    TWordDocument doc;
    try {
        TReportGenerator(input, doc, [] {}).run();
    } catch (const std::exception& e) {
        throw TToolError(m_o.operands[0] + ": the report cannot be made: " + e.what() + " (no document written)");
    }
    std::string bytes;
    try {
        if (toOutput)
            bytes = TDocxWriter::bytes(doc.document());
        else
            TDocxWriter::save(doc.document(), m_o.output);
    } catch (const std::exception& e) {
        throw TToolError(e.what());
    }
    if (toOutput)
        TToolOutput::write(bytes);
    return 0;
}

int TToolCommands::matrix()
{
    TProject project;
    loadProject(m_o.operands[0], m_o.names, project);
    return TToolCauseEffect(m_o, reportInput(project)).matrix();
}

int TToolCommands::results()
{
    TToolAcceptance acceptance(m_o);
    TProject project;
    loadProject(m_o.operands[0], m_o.names, project);
    return acceptance.results(project);
}

int TToolCommands::record()
{
    TToolAcceptance acceptance(m_o);
    TProject project;
    loadProject(m_o.operands[0], m_o.names, project);
    return acceptance.record(project);
}

int TToolCommands::timeline()
{
    TProject project;
    loadProject(m_o.operands[0], m_o.names, project);
    return TToolCauseEffect(m_o, reportInput(project)).timeline();
}

int TToolCommands::pack()
{
    const bool toOutput = m_o.output == "-";
    if (toOutput && m_o.pdf)
        throw TToolError("pack: --pdf makes a file beside the document; name the document with -o OUT.docx",
                         TToolError::Usage);
    if (toOutput && ::isatty(STDOUT_FILENO))
        throw TToolError("pack: standard output is a terminal, and the document is binary data; redirect it or "
                         "name a file",
                         TToolError::Usage);
    std::setlocale(LC_TIME, "");
    TProject project;
    TCommissioningPack::Input input;
    input.namesKnown = loadProject(m_o.operands[0], m_o.names, project);
    input.project = reportInput(project, nowText("%x %X"));
    input.projectFile = m_o.operands[0] == "-" ? std::string() : fs::absolute(m_o.operands[0]).string();
    input.program = "kt7config " KT7CONFIG_VERSION;
    if (m_o.com != 0 || !m_o.device.empty()) {
        const auto link = openLink();
        const TIdentReply ident = identifyController(*link);
        TCommissioningPack::Controller controller;
        transfer(*link, "read ",
                 [&](const TDirectLink::Progress& progress) { link->read(controller.image, progress); });
        noteRepeats(*link);
        controller.identification = identificationLine(ident);
        controller.serial = TConfigDescriber::printable(latin1ToUtf8(ident.serialNumber()));
        controller.readAt = nowText("%x %X");
        input.controller = std::move(controller);
        if (const auto backup = TBackupStore::beforeLastWrite(ident.serialNumber(), controller.image))
            input.backupBeforeWrite = TCommissioningPack::Backup{backup->path, backup->time};
    }
    const TCommissioningPack pack = TCommissioningPack::of(input);
    try {
        if (toOutput)
            TToolOutput::write(TDocxWriter::bytes(TPackDocument::of(pack)));
        else
            TDocxWriter::save(TPackDocument::of(pack), m_o.output);
    } catch (const TToolError&) {
        throw;
    } catch (const std::exception& e) {
        throw TToolError(e.what());
    }
    if (m_o.pdf) {
        if (const std::string failed = TPdfConversion::run(m_o.output); !failed.empty())
            throw TToolError("pack: no PDF made: " + failed + "; " + m_o.output + " is written");
        note("PDF written to " + TPdfConversion::pdfPath(m_o.output));
    }
    if (pack.verdict != TCommissioningPack::Verdict::Differs)
        return 0;
    if (!m_o.quiet)
        warn("the controller differs from " + fileName(m_o.operands[0]) + " (" + std::to_string(pack.differences.size())
             + " differences, listed in the pack)");
    return 1;
}
