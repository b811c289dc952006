#pragma once
// What the window tells the user when a transfer does not end as asked: why
// a block was given up, what a write that ended otherwise than whole leaves
// in the controller, and how to put the controller's earlier configuration
// back. The facts are the write's verdict; these are its words.

#include "link/TLinkEngine.h"
#include "link/TWriteSequence.h"

#include <QString>

#include <string>

class TLinkMessages {
public:
    using Verdict = TWriteSequence::Verdict;

    // "блок 0020: нет ответа за 500 мс (попыток: 3)"
    static QString failure(const TLinkEngine::Step& step, int timeoutMs);
    // The boxes after a write cut short for cause, a write whose read
    // before it was, one whose backup could not be kept, and one whose echo
    // differed; command is the restore command, empty when none is told.
    static QString writeStopped(const QString& cause, const Verdict& v, const std::string& command);
    static QString backupStopped(const QString& cause, const Verdict& v, const std::string& command);
    static QString backupNotKept(const Verdict& v, const std::string& command);
    static QString echoDiffers(const Verdict& v, const std::string& command);

private:
    // What the controller holds, in one sentence.
    static QString holds(const Verdict& v);
    // That an earlier write left the controller mixed; the way back where
    // the controller is not known to hold one configuration whole.
    static QString before(const Verdict& v);
    static QString restore(const Verdict& v, const std::string& command);
};
