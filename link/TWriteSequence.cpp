#include "link/TWriteSequence.h"

#include "link/TLinkPolicy.h"
#include "project/TImageFile.h"

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

TWriteSequence::TWriteSequence(const TImage& image, std::string serialNumber, Line line, Options options)
    : m_image(image), m_serial(std::move(serialNumber)), m_line(std::move(line)), m_options(std::move(options)),
      m_next(m_options.keepBackup ? Step::ReadBackup : Step::Write)
{
}

void TWriteSequence::start()
{
    if (m_options.keepBackup)
        return;
    recallUnfinished();
    beginWrite();
}

bool TWriteSequence::foreignBackup() const
{
    return !m_options.backupSerial.empty() && m_options.backupSerial != TBackupStore::serialInName(m_serial);
}

void TWriteSequence::recallUnfinished()
{
    const std::optional<std::string> marked = TBackupStore::unfinished(m_serial);
    m_wasMarked = marked.has_value();
    m_verdict.previous = marked ? *marked : m_verdict.backup;
    // Marked, the controller was left between two configurations, unless it
    // holds the one its mark names whole.
    TImage before;
    m_verdict.mixedBefore
        = marked && !(m_heldKnown && !marked->empty() && TImageFile::read(*marked, before) && before == m_held);
}

void TWriteSequence::backupRead(const TImage& held, std::time_t when)
{
    m_held = held;
    m_heldKnown = true;
    recallUnfinished();
    // Nothing changes in the controller, so nothing needs keeping.
    if (held == m_image && !m_options.always) {
        m_verdict.holds = Holds::New;
        finish(End::AlreadyHeld);
        return;
    }
    m_verdict.backupResult
        = TBackupStore::keep(m_serial, held, m_verdict.backup, TBackupStore::Reason::Write,
                             m_options.backupSerial.empty() ? m_options.project : std::string(), when);
    if (!m_verdict.backupResult) {
        m_verdict.backup.clear();
        m_verdict.holds = m_verdict.mixedBefore ? Holds::Mixed : Holds::Earlier;
        finish(End::BackupNotKept);
        return;
    }
    if (!m_wasMarked)
        m_verdict.previous = m_verdict.backup;
    beginWrite();
}

void TWriteSequence::beginWrite()
{
    // Marked before the first block goes out: whatever ends the write, even
    // a run that never gets to say so, the next one knows.
    if (!m_wasMarked) {
        TBackupStore::markUnfinished(m_serial, m_verdict.previous);
        m_wasMarked = true;
    }
    m_next = Step::Write;
}

void TWriteSequence::backupStopped()
{
    recallUnfinished();
    m_verdict.holds = m_verdict.mixedBefore ? Holds::Mixed : Holds::Earlier;
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
        return in == 0 && !v.mixedBefore ? Holds::Earlier : Holds::Mixed;
    };
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
    const bool whole = !m_verdict.doubtful();
    if (whole && m_wasMarked)
        TBackupStore::markFinished(m_serial);
    else if (!whole && !m_wasMarked)
        TBackupStore::markUnfinished(m_serial, m_verdict.previous);
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
