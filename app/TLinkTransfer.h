#pragma once
// One whole-image read or write of the window, stop and wait, under the
// checked rules: the engine says what to send and how to judge a reply, and
// this class sends each request through the serial port component (the
// input cleared first, after a quiet line for a repeat), waits for its reply
// no longer than the engine allows, moves the progress bar and tells by its
// signals what went over the line and, once, how the transfer ended. A read
// fills an image of its own, so whatever ends it leaves the project as it was.

#include "image/TImage.h"
#include "link/TLinkEngine.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <cstdint>
#include <vector>

class QTimer;
class TCommPort;
class TScanPanel;

class TLinkTransfer : public QObject {
    Q_OBJECT
public:
    struct Ending {
        bool complete = false;
        TLinkEngine::Job job = TLinkEngine::Job::Read;
        // With a failure: the engine's step that ended it (cause, block, tries).
        TLinkEngine::Step failure;
        // A write: the blocks whose echo differs from what was sent.
        std::vector<uint16_t> differing;
    };

    TLinkTransfer(TCommPort& port, TScanPanel& panel, QObject* parent = nullptr);

    // Begins the job: a write sends image, a read fills received(). A
    // transfer still running is given up first; the rest of the reply to
    // its outstanding request is let in and dropped before block 0 goes out.
    void start(TLinkEngine::Job job, const TImage& image, const QString& caption);
    // Gives the transfer up without a signal: its owner ended it.
    void stop();
    // A batch of received bytes.
    void take(const uint8_t* batch, int count);

    // Between start and the end: waiting for a reply or for a quiet line.
    bool running() const;
    const TImage& received() const { return m_received; }
    // Blocks whose reply was taken; the request for the next went out whole.
    int blocksDone() const { return m_engine.blocksDone(); }
    bool requestUnanswered() const { return m_engine.requestUnanswered(); }
    // What a read that did not complete took, from block 0 on: how many blocks.
    int readSoFar(TImage& image) const { return m_engine.readSoFar(image); }
    // Replies asked for again in the transfer now running or last run.
    int repeats() const { return m_engine.repeats(); }
    int timeoutMs() const { return m_engine.policy().timeoutMs; }

signals:
    // Bytes that went out whole or in part, or came in.
    void framed(const QByteArray& bytes, bool received);
    // A line for the traffic log.
    void noted(const QString& note);
    void ended(const TLinkTransfer::Ending& ending);

private:
    enum class Wait { None, Stale, Quiet, Reply, Box };

    void send(const std::vector<uint8_t>& request);
    // The quiet line before a repeat, or the end of a restart's stale reply.
    void settled();
    void replyOverdue();
    void handle(const TLinkEngine::Step& step);
    void end(bool complete, const TLinkEngine::Step& step);
    void log(const uint8_t* bytes, int count, bool received);
    int staleInterval() const;

    TCommPort& m_port;
    TScanPanel& m_panel;
    TLinkEngine m_engine;
    TLinkEngine::Job m_job = TLinkEngine::Job::Read;
    TImage m_image; // what a write sends
    TImage m_received;
    std::vector<uint16_t> m_differing;
    std::vector<uint8_t> m_request; // waiting for a quiet line before it goes out
    Wait m_wait = Wait::None;
    size_t m_staleBytes = 0;
    QElapsedTimer m_quietSince; // a quiet wait gives up after one time-out
    QTimer* m_settle;
    QTimer* m_reply;
    unsigned m_run = 0; // counts the transfers given up, to notice one while a box is open
};
