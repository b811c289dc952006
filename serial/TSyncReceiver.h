#pragma once

#include <QObject>

#include <functional>

// Lives on the user-interface thread and runs `drain` whenever a worker posts
// to it: the mailbox hands its queue over this way without the receiver
// knowing the mailbox.
class TSyncReceiver : public QObject {
public:
    explicit TSyncReceiver(std::function<void()> drain);

protected:
    bool event(QEvent* e) override;

private:
    std::function<void()> FDrain;
};
