#include "link/TWriteSequence.h"

#include "link/TLinkPolicy.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

bool sameBlock(const TImage& a, const TImage& b, int block)
{
    const auto from = a.bytes().begin() + block * TImage::BlockSize;
    return std::equal(from, from + TImage::BlockSize, b.bytes().begin() + block * TImage::BlockSize);
}

// A path as a command's operand: one that begins with a dash would be taken
// for an option.
std::string operand(const std::string& path)
{
    return !path.empty() && path[0] == '-' ? "./" + path : path;
}

} // namespace

std::string TWriteSequence::Line::options() const
{
    std::string text = device.empty() ? "--com " + std::to_string(com) : "--device " + shellWord(device);
    if (baud != TLinkPolicy::DefaultBaud)
        text += " --baud " + std::to_string(baud);
    if (timeoutMs != TLinkPolicy::DefaultTimeoutMs)
        text += " --timeout " + std::to_string(timeoutMs);
    return text;
}

bool TWriteSequence::Verdict::doubtful() const
{
    if (holds != Holds::New && holds != Holds::Earlier)
        return true;
    // A read back tells what an echo could not.
    return readBack ? readBackDiffers : !differing.empty();
}

TWriteSequence::TWriteSequence(TBackupKeeper& backups, const TImage& image, std::string serialNumber, Line line,
                               Options options)
    : m_backups(backups), m_image(image), m_serial(std::move(serialNumber)), m_line(std::move(line)),
      m_options(std::move(options)), m_next(m_options.keepBackup ? Step::ReadBackup : Step::Write)
{
}

void TWriteSequence::start()
{
    if (m_options.keepBackup)
        return;
    recallMark();
    if (m_mark) {
        m_verdict.before = Before::MayBeMixed;
        m_verdict.unseen = Unseen::NotRead;
    }
    beginWrite();
}

bool TWriteSequence::foreignBackup() const
{
    return !m_options.backupSerial.empty() && m_options.backupSerial != TBackupKeeper::serialInName(m_serial);
}

void TWriteSequence::recallMark()
{
    m_mark = m_backups.unfinished(m_serial);
    m_earlierKnown = m_mark && !m_mark->backup.empty() && m_backups.read(m_mark->backup, m_earlier);
}

void TWriteSequence::weigh(const TImage& held, int blocks)
{
    if (!m_mark)
        return;
    using Shows = TWriteMark::Shows;
    switch (m_mark->check(earlier(), held, blocks)) {
    case Shows::Earlier:
    case Shows::Sent: endMark(); return;
    case Shows::Neither:
        m_verdict.before = Before::Stale;
        endMark();
        return;
    case Shows::Mixed: m_verdict.before = Before::Mixed; return;
    case Shows::Unclear:
        m_verdict.before = Before::MayBeMixed;
        m_verdict.unseen = blocks < TImage::Blocks ? Unseen::ReadStopped : Unseen::NotKept;
        return;
    }
}

void TWriteSequence::endMark()
{
    m_backups.markFinished(m_serial);
    m_mark.reset();
    m_earlierKnown = false;
}

void TWriteSequence::backupRead(const TImage& held, std::time_t when)
{
    m_held = held;
    m_heldKnown = true;
    recallMark();
    weigh(held, TImage::Blocks);
    // Nothing changes in the controller, so nothing needs keeping.
    if (held == m_image && !m_options.always) {
        m_verdict.holds = Holds::New;
        finish(End::AlreadyHeld);
        return;
    }
    m_verdict.backupResult = m_backups.keep(m_serial, held, m_options.backupSerial.empty() ? m_options.project : "",
                                            when, m_verdict.backup);
    if (!m_verdict.backupResult) {
        m_verdict.backup.clear();
        m_verdict.holds = m_verdict.mixedBefore() ? Holds::Mixed : Holds::Earlier;
        finish(End::BackupNotKept);
        return;
    }
    beginWrite();
}

void TWriteSequence::beginWrite()
{
    // Marked before the first block goes out: whatever ends the write, even
    // a run that never gets to say so, the next one knows what it sent.
    if (m_mark) {
        m_backups.markAnotherWrite(m_serial, TWriteMark::sentOf(m_image, earlier()));
    } else {
        const TImage* held = m_heldKnown ? &m_held : nullptr;
        m_backups.markUnfinished(m_serial, m_verdict.backup, TWriteMark::sentOf(m_image, held));
        m_mark.emplace();
        m_mark->backup = m_verdict.backup;
    }
    m_next = Step::Write;
}

void TWriteSequence::backupStopped(const TImage& partial, int blocksRead)
{
    recallMark();
    weigh(partial, blocksRead);
    m_verdict.holds = m_verdict.mixedBefore() ? Holds::Mixed : Holds::Earlier;
    finish(End::BackupStopped);
}

void TWriteSequence::written(const std::vector<uint16_t>& differing)
{
    m_verdict.differing = differing;
    judge(TImage::Blocks, false);
    if (m_options.verify)
        m_next = Step::ReadBack;
    else
        finish(End::Written);
}

void TWriteSequence::writeStopped(int blocksDone, bool requestWentOut)
{
    judge(blocksDone, requestWentOut);
    finish(End::WriteStopped);
}

void TWriteSequence::readBack(const TImage& back)
{
    m_back = back;
    m_verdict.readBack = true;
    m_verdict.readBackDiffers = back != m_image;
    finish(End::Written);
}

void TWriteSequence::readBackStopped()
{
    finish(End::ReadBackStopped);
}

void TWriteSequence::judge(int done, bool inDoubt)
{
    Verdict& v = m_verdict;
    v.done = done;
    v.inDoubt = inDoubt && done < TImage::Blocks;
    v.doubtAddress = static_cast<uint16_t>(std::min(done, TImage::Blocks - 1) * TImage::BlockSize);
    v.changed = 0;
    v.changedIn = 0;
    v.doubtChanged = false;
    for (int block = 0; block < TImage::Blocks; ++block) {
        // Without the backup read every block may change.
        if (m_heldKnown && sameBlock(m_held, m_image, block))
            continue;
        ++v.changed;
        if (block < done)
            ++v.changedIn;
        else if (block == done && v.inDoubt)
            v.doubtChanged = true;
    }
    const auto holds = [&](int in, int out) {
        if (out == 0)
            return Holds::New;
        return in == 0 && !v.mixedBefore() ? Holds::Earlier : Holds::Mixed;
    };
    // Unread, the blocks not written may hold the image already or not.
    if (!m_heldKnown && !v.nothingWritten() && v.changedIn < v.changed) {
        v.holds = Holds::Unknown;
        return;
    }
    if (!v.doubtChanged) {
        v.holds = holds(v.changedIn, v.changedOut());
        return;
    }
    const Holds taken = holds(v.changedIn + 1, v.changedOut());
    const Holds notTaken = holds(v.changedIn, v.changedOut() + 1);
    if (taken == notTaken)
        v.holds = taken;
    else if (taken == Holds::New)
        v.holds = notTaken == Holds::Earlier ? Holds::NewOrEarlier : Holds::NewOrMixed;
    else
        v.holds = notTaken == Holds::Earlier ? Holds::EarlierOrMixed : Holds::Mixed;
}

void TWriteSequence::finish(End end)
{
    m_verdict.end = end;
    m_next = Step::Done;
    // The way back: what the controller held before the first write the
    // mark counts, or, where it names no backup, what this write kept.
    m_verdict.previous = m_mark && !m_mark->backup.empty() ? m_mark->backup : m_verdict.backup;
    if (m_mark && !m_verdict.doubtful())
        endMark();
}

std::string TWriteSequence::restoreCommand() const
{
    if (!m_verdict.doubtful() || m_verdict.previous.empty())
        return {};
    return restoreCommand(m_verdict.previous, m_line);
}

std::string TWriteSequence::restoreCommand(const std::string& backup, const Line& line)
{
    return "kt7tool restore " + shellWord(operand(backup)) + " " + line.options();
}

std::string TWriteSequence::shellWord(const std::string& word)
{
    const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || (c != '\0' && std::strchr("/._-+:,=@%", c));
    });
    if (plain)
        return word;
    std::string quoted = "'";
    for (const char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
