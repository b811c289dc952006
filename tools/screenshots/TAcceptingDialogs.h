#pragma once
// Answers every question of the program with its accepting button and every
// dialog with OK, so that a picture run never waits for a user. Each message
// is echoed on standard error.

#include "widgets/TDialogs.h"

class TAcceptingDialogs : public TDialogs {
public:
    int message(const TMessage& msg) override;
    // The first button: the one that goes ahead.
    int choose(const TMessage& msg, const QStringList& choices, int defaultChoice) override;
    QString openFile(const TFileRequest& req) override;
    QString saveFile(const TFileRequest& req) override;
    int execModal(QDialog& dialog) override;
};
