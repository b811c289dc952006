#include "link/TWriteSequence.h"

#include "project/TBackupStore.h"

#include <algorithm>
#include <cctype>
#include <cstring>

TWriteSequence::TWriteSequence(const TImage& image, std::string serialNumber, Options options)
    : m_image(image), m_serialNumber(std::move(serialNumber)), m_options(options)
{
}

TWriteSequence::Next TWriteSequence::backupRead(const TImage& held, std::time_t when)
{
    m_held = held;
    // Nothing changes in the controller, so nothing needs keeping.
    if (held == m_image && !m_options.always)
        return Next::AlreadyHeld;
    m_backupResult = TBackupStore::keep(m_serialNumber, held, m_backupPath, when);
    if (!m_backupResult) {
        m_backupPath.clear();
        return Next::BackupNotKept;
    }
    return Next::Write;
}

TWriteSequence::CutShort TWriteSequence::cutShort(int blocksDone, bool requestUnanswered) const
{
    CutShort c;
    c.done = blocksDone;
    c.maybeNext = requestUnanswered && blocksDone < Blocks;
    c.nextAddress = static_cast<uint16_t>(blocksDone * TImage::BlockSize);
    // New blocks in front, old ones behind, whichever way the one in
    // doubt went.
    c.mixed = c.done > 0 && c.mostDone() < Blocks;
    c.backup = m_backupPath;
    return c;
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

std::string TWriteSequence::restoreCommand(const std::string& backup, const std::string& port)
{
    return "kt7tool write " + shellWord(backup) + " " + port;
}
