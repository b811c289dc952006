#pragma once
// Answers the program's dialogs from a script and records every message box,
// so tests can drive the real windows without a user.

#include "widgets/TDialogs.h"

#include <QDialog>
#include <deque>
#include <functional>
#include <vector>

class TScriptedDialogs : public TDialogs {
public:
    TScriptedDialogs() { TDialogs::install(this); }
    ~TScriptedDialogs() override { TDialogs::install(nullptr); }

    // Answers for the coming message boxes, in order; without one, a box is
    // answered with OK (or Yes, or its first button).
    std::deque<int> answers;
    // Paths for the coming file dialogs; an empty path cancels.
    std::deque<QString> openPaths;
    std::deque<QString> savePaths;
    // Handlers for the coming modal dialogs: they may fill the dialog's
    // controls and return its result.
    std::deque<std::function<int(QDialog&)>> modals;
    // Runs while a message box is open, before it is answered: a modal box
    // runs the event loop, so a transfer may go on or end meanwhile.
    std::function<void(const TMessage&)> whileShown;

    // How long each message box keeps its own event loop running before it
    // is answered, as a real modal box does while the user reads it.
    int boxOpenMs = 0;

    std::vector<TMessage> messages;
    // The buttons of each box with buttons of its own.
    std::vector<QStringList> choiceLists;
    std::vector<TFileRequest> fileRequests;

    int message(const TMessage& msg) override;
    // Recorded with the messages; answered by mbChoice + index from the
    // answers, and with the first choice without one.
    int choose(const TMessage& msg, const QStringList& choices, int defaultChoice) override;
    QString openFile(const TFileRequest& req) override;
    QString saveFile(const TFileRequest& req) override;
    int execModal(QDialog& dialog) override;

    // Texts of the boxes shown so far.
    QStringList texts() const;
};
