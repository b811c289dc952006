#pragma once
// The commands of kt7tool, one handler each, run through TToolCommandTable.
// Results go to standard output, warnings to standard error; failures throw
// TToolError. A handler returns the exit status: 0, or 1 when a check found
// a difference.

#include "image/TImage.h"
#include "link/TWriteSequence.h"
#include "project/TProject.h"
#include "report/TConfigCheck.h"
#include "report/TConfigDiffer.h"
#include "report/TReportInput.h"
#include "tools/kt7tool/TDirectLink.h"
#include "tools/kt7tool/TProgressBar.h"
#include "tools/kt7tool/TToolError.h"
#include "tools/kt7tool/TToolOptions.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class TToolCommands {
public:
    explicit TToolCommands(TToolOptions options) : m_o(std::move(options)) {}

    int ports();
    int identify();
    int read();
    int write();
    int verify();
    int show();
    int check();
    int diff();
    int backups();
    int report();
    int matrix();
    int timeline();
    int results();
    int record();
    int pack();

private:
    std::unique_ptr<TDirectLink> openLink() const;
    std::string devicePath() const;
    // The port as the traffic log names it: COM N, or the device's path.
    std::string portName() const;
    // Identifies the controller; with -v says which one answered.
    TIdentReply identifyController(TDirectLink& link) const;
    // One whole-image transfer with its progress; with -v a line on the
    // blocks, the time taken and the replies asked for again.
    void transfer(TDirectLink& link, const std::string& what,
                  const std::function<void(const TDirectLink::Progress&)>& body) const;
    TProgressBar::Style progressStyle() const;
    // With -v: a line on standard error.
    void note(const std::string& text) const;
    // The project as the window's Open reads it, from standard input for
    // "-" (without names then, unless namesPath names a file). The names come
    // from namesPath, which must be readable, or from the names file beside
    // the image. A file of another size than the image gives a warning, or
    // an error when exactSize. True when a names file gave the names: without
    // one they are unknown.
    static bool loadProject(const std::string& path, const std::string& namesPath, TProject& project,
                            bool exactSize = false);
    static TReportInput reportInput(const TProject& project, std::string dateTime = {});
    // Before a write: errors refuse it unless --force or the file is a
    // backup; findings are printed, a backup's all as warnings.
    void refuseFaultyConfiguration(const TProject& project, bool named, bool backup) const;
    // Prints the differences; returns 1 when there are any.
    static int printDifferences(const std::vector<TConfigDiffer::Line>& lines);
    // Words the end of a write: the status, or a TToolError with what
    // stopped it and what the controller holds.
    int writeEnded(const TWriteSequence& sequence, const std::optional<TToolError>& stop,
                   const TDirectLink& link) const;
    // The line as a restore command names it.
    TWriteSequence::Line line() const;
    // What the controller holds; what a write cut short leaves; that an
    // earlier write left it mixed; the way back.
    static std::string holds(const TWriteSequence::Verdict& v);
    static std::string writeStopped(const TWriteSequence::Verdict& v, const std::string& command);
    static std::string before(const TWriteSequence::Verdict& v, const std::string& command);
    static std::string advice(const TWriteSequence::Verdict& v, const std::string& command);
    // Why a read could not show that an earlier write left it mixed.
    static std::string unseen(const TWriteSequence::Verdict& v);
    // A warning when replies had to be asked for again.
    void noteRepeats(const TDirectLink& link) const;

    // "standard input" for "-", else the path.
    static std::string fileName(const std::string& path);

    TToolOptions m_o;
};
