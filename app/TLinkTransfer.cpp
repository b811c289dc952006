#include "app/TLinkTransfer.h"

#include "app/TScanPanel.h"
#include "link/FrameLayout.h"
#include "link/THexText.h"
#include "link/TLinkPolicy.h"
#include "serial/TCommPort.h"
#include "widgets/TDialogs.h"

#include <QProgressBar>
#include <QTimer>

#include <algorithm>

namespace {
const QString CompareError = QStringLiteral("Compare Erorr !!!");
const QString RepeatNote = QStringLiteral("повтор запроса блока %1");

int ceilMs(std::chrono::microseconds wait)
{
    return static_cast<int>((wait.count() + 999) / 1000);
}
} // namespace

TLinkTransfer::TLinkTransfer(TCommPort& port, TScanPanel& panel, QObject* parent)
    : QObject(parent), m_port(port), m_panel(panel),
      m_engine(TLinkPolicy::checked(TLinkPolicy::DefaultTimeoutMs, TLinkPolicy::DefaultBaud)),
      m_settle(new QTimer(this)), m_reply(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_reply->setSingleShot(true);
    // A coarse timer may fire 5 % early and cut a reply's time short.
    m_reply->setTimerType(Qt::PreciseTimer);
    connect(m_settle, &QTimer::timeout, this, &TLinkTransfer::settled);
    connect(m_reply, &QTimer::timeout, this, &TLinkTransfer::replyOverdue);
}

bool TLinkTransfer::running() const
{
    return m_wait != Wait::None;
}

void TLinkTransfer::start(TLinkEngine::Job job, const TImage& image, const QString& caption)
{
    // A transfer started again: the reply to its outstanding request is
    // still coming and would be taken as the answer to block 0, so only one
    // request is ever outstanding. A repeat not sent yet has none coming
    // but what its quiet wait is waiting out.
    size_t stale = 0;
    if (m_port.Open() && m_wait == Wait::Reply)
        stale = m_engine.replyBytesMissing();
    else if (m_port.Open() && (m_wait == Wait::Stale || m_wait == Wait::Quiet))
        stale = m_wait == Wait::Stale ? m_staleBytes : Frame::BlockFrameSize;
    stop();

    // The line's speed may have changed in the port dialog since the last run.
    m_engine = TLinkEngine(
        TLinkPolicy::checked(TLinkPolicy::DefaultTimeoutMs, static_cast<unsigned>(std::max(m_port.GetBaud(), 110))));
    m_job = job;
    m_differing.clear();
    m_panel.setCaption(caption);
    m_panel.show();
    m_panel.progressBar()->setValue(0);
    m_request = m_engine.start(job, image);
    if (stale > 0) {
        m_staleBytes = stale;
        m_wait = Wait::Stale;
        m_settle->start(staleInterval());
    } else {
        send(m_request);
    }
}

void TLinkTransfer::stop()
{
    ++m_run;
    m_reply->stop();
    m_settle->stop();
    m_wait = Wait::None;
    m_staleBytes = 0;
    m_engine.stop();
}

int TLinkTransfer::staleInterval() const
{
    // As long as the controller may take to answer, and the reply's time on
    // the line twice over; each piece of the reply that comes starts the
    // wait again.
    const int baud = std::max(m_port.GetBaud(), 110);
    return m_engine.policy().timeoutMs + 2 * Frame::BlockFrameSize * 10 * 1000 / baud;
}

void TLinkTransfer::log(const uint8_t* bytes, int count, bool received)
{
    emit framed(QByteArray(reinterpret_cast<const char*>(bytes), count), received);
}

void TLinkTransfer::send(const std::vector<uint8_t>& request)
{
    m_wait = Wait::Reply;
    // Nothing received before a request belongs to its reply: late surplus
    // of the last one, a reply to an earlier try, noise.
    if (m_engine.clearsInput())
        m_port.FlushInBuffer();
    const auto size = static_cast<uint32_t>(request.size());
    // The log shows what went out: a closed port or a lost line takes nothing.
    const uint32_t queued = m_port.PutBlock(request.data(), size);
    if (queued > 0)
        log(request.data(), static_cast<int>(queued), false);
    if (queued == size)
        m_engine.sent();
    if (const auto wait = m_engine.replyWait())
        m_reply->start(ceilMs(*wait));
}

void TLinkTransfer::take(const uint8_t* batch, int count)
{
    if (m_wait == Wait::None)
        return;
    log(batch, count, true);
    if (m_wait == Wait::Stale) {
        m_staleBytes -= std::min(m_staleBytes, static_cast<size_t>(count));
        if (m_staleBytes == 0)
            settled();
        else
            m_settle->start(staleInterval());
        return;
    }
    if (m_wait == Wait::Quiet) {
        // The line is not quiet yet; after a whole time-out of chatter the
        // repeat goes out all the same, the input cleared.
        if (m_quietSince.elapsed() >= m_engine.policy().timeoutMs)
            settled();
        else
            m_settle->start(m_engine.quietMs());
        return;
    }
    if (m_wait == Wait::Reply)
        handle(m_engine.take(batch, static_cast<size_t>(count), m_received));
}

void TLinkTransfer::settled()
{
    m_settle->stop();
    m_staleBytes = 0;
    if (m_wait == Wait::Stale || m_wait == Wait::Quiet)
        send(m_request);
}

void TLinkTransfer::replyOverdue()
{
    if (m_wait == Wait::Reply)
        handle(m_engine.timeOut());
}

void TLinkTransfer::handle(const TLinkEngine::Step& step)
{
    for (const std::string& note : step.notes)
        emit noted(QString::fromStdString(note));
    switch (step.outcome) {
    case TLinkEngine::Outcome::Waiting: return;
    case TLinkEngine::Outcome::Again:
        m_reply->stop();
        emit noted(RepeatNote.arg(QString::fromStdString(THexText::of(m_engine.blockAsked(), 4))));
        m_request = step.request;
        m_wait = Wait::Quiet;
        m_quietSince.start();
        m_settle->start(m_engine.quietMs());
        return;
    case TLinkEngine::Outcome::NextBlock:
    case TLinkEngine::Outcome::Complete: {
        m_reply->stop();
        m_panel.progressBar()->setValue(m_engine.blocksDone() * TScanPanel::Step);
        if (step.echoDiffers) {
            m_differing.push_back(step.address);
            // The box is modal: the next block goes out once it is
            // dismissed, unless the transfer was ended meanwhile (the line
            // lost); what arrives in between is dropped.
            m_wait = Wait::Box;
            const unsigned run = m_run;
            Dlg::plain(CompareError);
            if (run != m_run || m_wait != Wait::Box)
                return;
        }
        if (step.outcome == TLinkEngine::Outcome::NextBlock)
            send(step.request);
        else
            end(true, step);
        return;
    }
    default: end(false, step); return;
    }
}

void TLinkTransfer::end(bool complete, const TLinkEngine::Step& step)
{
    m_reply->stop();
    m_settle->stop();
    m_wait = Wait::None;
    Ending ending;
    ending.complete = complete;
    ending.job = m_job;
    if (!complete)
        ending.failure = step;
    ending.differing = m_differing;
    emit ended(ending);
}
