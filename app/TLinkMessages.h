#pragma once
// What the window tells the user when a transfer does not end as asked: why
// a block was given up, what a write cut short leaves in the controller, and
// how to put the controller's earlier configuration back.

#include "link/TLinkEngine.h"
#include "link/TWriteSequence.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class TLinkMessages {
public:
    // "блок 0020: нет ответа за 500 мс (попыток: 3)"
    static QString failure(const TLinkEngine::Step& step, int timeoutMs);
    // The box after a write cut short for cause; port is kt7tool's port
    // option for the restore command.
    static QString writeStopped(const QString& cause, const TWriteSequence::CutShort& c, const std::string& port);
    // The box after a write whose echo differed in these blocks.
    static QString echoDiffers(const std::vector<uint16_t>& blocks, const std::string& backup, const std::string& port);
    // Where the earlier configuration is and the two ways back; empty
    // without a backup.
    static QString restore(const std::string& backup, const std::string& port);
};
