#pragma once

#include <QObject>

class TSyncMailbox;

// Lives on the user-interface thread and drains the mailbox whenever a
// worker posts to it.
class TSyncReceiver : public QObject {
public:
    explicit TSyncReceiver(TSyncMailbox& mailbox);

protected:
    bool event(QEvent* e) override;

private:
    TSyncMailbox& FMailbox;
};
