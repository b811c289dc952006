#include "app/TControllerLink.h"

#include "app/TLinkHost.h"
#include "app/TScanPanel.h"
#include "app/TSetComPort.h"
#include "diag/TFormPort.h"
#include "link/FrameLayout.h"
#include "link/THexText.h"
#include "link/TIdentReply.h"
#include "project/TBackupStore.h"
#include "project/TCp1251.h"
#include "serial/TPortMap.h"
#include "widgets/TDialogs.h"

#include <QDialog>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <array>

namespace {

constexpr int LastPort = 255;

const QString NotConnected = QStringLiteral("Нет подключения");
const QString ConnectedOn = QStringLiteral("Подключено на COM ");
const QString IdentifyRefused = QStringLiteral("Ошибка подключения !");
const QString CompareError = QStringLiteral("Compare Erorr !!!");
const QString ReadQuestion = QStringLiteral("Текущий проект конфигурации будет изменен!\n\tПродолжить?");
const QString WriteQuestion
    = QStringLiteral("Текущие настройки конфигурации контроллера будут изменены!\n\tПродолжить?");
const QString ReadCaption = QStringLiteral("Чтение данных ...");
const QString WriteCaption = QStringLiteral("Запись данных ...");
const QString ScanCaption = QStringLiteral("Сканирование порта COM%1");
const QString OpenError = QStringLiteral("Ошибка открытия COM %1 !");
const QString AddressError
    = QStringLiteral("Ошибка адреса блока !\nКонтроллер ответил адресом %1: обмен блоками по 32 байта от этого "
                     "адреса выходит за пределы памяти конфигурации (0000..07FF).\nОбмен прерван.");
const QString TransferRunning
    = QStringLiteral("Идет обмен данными с контроллером !\nДождитесь его окончания или отключитесь от контроллера.");
const QString ChecksumError = QStringLiteral("Ошибка контрольной суммы в принятых блоках: %1 !\nПовторите чтение.");
const QString BackupKept = QStringLiteral("Резервная копия: %1");
const QString BackupNotKept = QStringLiteral("Резервная копия прочитанной конфигурации не сохранена:\n%1\n"
                                             "Конфигурация загружена в окно; сохраните ее как проект.");
const QString BackupDamaged = QStringLiteral("Резервная копия не сохранена: блоки приняты с ошибками");

// The controller's characters as a project name: control characters (a reply
// cut short gives NULs) and the path separator become '_', so the name stays
// four characters long and is usable as a window title and a file name.
QString projectNameFrom(const std::string& serial)
{
    QString name = QString::fromStdString(TCp1251::toUtf8(serial));
    for (QChar& c : name)
        if (c.category() == QChar::Other_Control || c == QLatin1Char('/'))
            c = QLatin1Char('_');
    return name;
}

TMsgIcon iconFor(unsigned flags)
{
    if ((flags & 0xF0) == TCommPort::MB_ICONWARNING)
        return TMsgIcon::Warning;
    if ((flags & 0xF0) == TCommPort::MB_ICONERROR)
        return TMsgIcon::Error;
    return TMsgIcon::None;
}

} // namespace

TControllerLink::TControllerLink(TLinkHost& host, TScanPanel& panel, int scanInterval, QObject* parent)
    : QObject(parent), m_host(host), m_panel(panel), Timer(new QTimer(this)), m_settle(new QTimer(this))
{
    Timer->setInterval(scanInterval);
    // A coarse timer may fire up to 5 % early, which would cut a port's
    // time to answer short; the identify time-out is kept to the millisecond.
    Timer->setTimerType(Qt::PreciseTimer);
    connect(Timer, &QTimer::timeout, this, &TControllerLink::TimerTimer);
    m_settle->setSingleShot(true);
    connect(m_settle, &QTimer::timeout, this, &TControllerLink::sendFirstRequest);

    CommPort.SetComNumber(1);
    CommPort.SetIBuffSize(2048);
    CommPort.SetOBuffSize(4096);
    CommPort.OnDataReceived = [this](TCommPort* sender, uint32_t count) { CommPortDataReceived(sender, count); };
    CommPort.OnErrorSignal = [this](TCommPort* sender, int32_t error) { CommPortErrorSignal(sender, error); };
    // The component's own boxes go through the program's dialog layer.
    TCommPort::MessageBox = [](const std::string& text, const std::string& caption, unsigned flags) {
        TDialogs::current().message(
            {QString::fromStdString(text), QString::fromStdString(caption), iconFor(flags), mbOK});
    };
}

TControllerLink::~TControllerLink()
{
    CommPort.OnDataReceived = nullptr;
    CommPort.OnErrorSignal = nullptr;
    CommPort.SetOpen(false);
}

void TControllerLink::setPortDialog(TSetComPort* dialog)
{
    m_dialog = dialog;
    if (m_dialog)
        m_dialog->bind([this](int n) { setPortNumber(n); }, &CommPort);
}

bool TControllerLink::automaticScan() const
{
    return m_dialog && m_dialog->automatic();
}

void TControllerLink::send(const uint8_t* bytes, int count)
{
    // The log shows what went out: a port that is closed or whose line is
    // lost takes nothing.
    const uint32_t queued = CommPort.PutBlock(bytes, static_cast<uint32_t>(count));
    if (FormPort && queued > 0)
        FormPort->logFrame(bytes, static_cast<int>(queued), false, m_portNumber);
}

void TControllerLink::sendRequest(const std::vector<uint8_t>& request)
{
    // Nothing received before the first request of an exchange belongs to
    // its reply, nor a reply left on the line by an earlier session.
    if (m_engine.clearsInput())
        CommPort.FlushInBuffer();
    send(request.data(), static_cast<int>(request.size()));
}

// ---- receiving ------------------------------------------------------------

void TControllerLink::CommPortDataReceived(TCommPort* Sender, uint32_t)
{
    // An identify reply is collected until it is whole or the timer's next
    // tick comes.
    if (m_linkState != Identify)
        Timer->stop();
    if (m_linkState == Idle)
        return; // the bytes wait in the component for the next exchange
    std::array<uint8_t, BatchSize> batch{};
    const int n = static_cast<int>(Sender->GetBlock(batch.data(), BatchSize));
    if (n == 0)
        return;
    if (m_linkState == Identify)
        collectIdentify(batch.data(), n);
    else if (m_staleBytes > 0)
        dropStaleReply(batch.data(), n);
    else
        handleBlock(batch.data(), n);
}

void TControllerLink::CommPortErrorSignal(TCommPort* Sender, int32_t)
{
    // A line error (parity, framing) leaves the link as it is. A lost line
    // ends it once this hand-over has returned: the port cannot be closed
    // from inside it, and the component's box about the loss follows.
    if (Sender->Lost())
        QMetaObject::invokeMethod(this, &TControllerLink::lineLost, Qt::QueuedConnection);
}

void TControllerLink::lineLost()
{
    // Disconnected, or opened afresh, in the meantime.
    if (!CommPort.Lost())
        return;
    // Automatic detection passes a port that hangs up as it passes a silent one.
    if (m_linkState == Identify && automaticScan() && Timer->isActive())
        return;
    TBFindClick(false);
}

void TControllerLink::collectIdentify(const uint8_t* batch, int count)
{
    if (FormPort)
        FormPort->logFrame(batch, count, true, m_portNumber);
    const TLinkEngine::Step step = m_engine.take(batch, static_cast<size_t>(count), m_host.image());
    if (step.outcome == TLinkEngine::Outcome::Identified) {
        Timer->stop();
        handleIdentify(*step.ident);
    } else if (!Timer->isActive()) {
        // A late reply after the scan's last tick gets one interval more.
        Timer->start();
    }
}

void TControllerLink::handleIdentify(const TIdentReply& reply)
{
    m_panel.hide();
    // Idle before any box: bytes that come while it is open wait in the
    // component.
    m_linkState = Idle;
    if (reply.accepted()) {
        m_identification = QString::fromStdString(TCp1251::toUtf8(reply.text()));
        m_serial = projectNameFrom(reply.serial());
        m_serialNumber = reply.serialNumber();
        m_host.setStatusText(1, m_identification);
        const QString connected = ConnectedOn + QString::number(m_portNumber);
        Dlg::information(connected);
        m_host.setStatusText(0, connected);
        m_host.setTransferUsable(true);
    } else {
        Dlg::error(IdentifyRefused);
    }
}

void TControllerLink::dropStaleReply(const uint8_t* batch, int count)
{
    if (FormPort)
        FormPort->logFrame(batch, count, true, m_portNumber);
    m_staleBytes -= std::min(m_staleBytes, static_cast<size_t>(count));
    if (m_staleBytes == 0)
        sendFirstRequest();
    else
        m_settle->start(settleInterval());
}

void TControllerLink::handleBlock(const uint8_t* batch, int count)
{
    if (FormPort)
        FormPort->logFrame(batch, count, true, m_portNumber);
    const TLinkEngine::Step step = m_engine.take(batch, static_cast<size_t>(count), m_host.image());
    if (FormPort)
        for (const std::string& note : step.notes)
            FormPort->logNote(QString::fromStdString(note));
    if (step.outcome == TLinkEngine::Outcome::Waiting)
        return;

    QProgressBar* bar = m_panel.progressBar();
    bar->setValue(bar->value() + TScanPanel::Step);
    if (step.outcome == TLinkEngine::Outcome::AddressOutside) {
        abortTransfer(step.address);
        return;
    }
    // The box is modal: the next block goes out once it is dismissed.
    if (step.echoDiffers)
        Dlg::plain(CompareError);
    if (step.outcome == TLinkEngine::Outcome::NextBlock)
        sendRequest(step.request);
    else
        finishTransfer(m_engine.job());
}

// ---- transfers ------------------------------------------------------------

void TControllerLink::TBReadClick()
{
    if (!m_host.saved() && !Dlg::confirm(ReadQuestion))
        return;
    startTransfer(TLinkEngine::Job::Read, ReadCaption);
}

void TControllerLink::TBWriteClick()
{
    if (!m_host.approveWrite() || !Dlg::confirm(WriteQuestion))
        return;
    startTransfer(TLinkEngine::Job::Write, WriteCaption);
}

void TControllerLink::startTransfer(TLinkEngine::Job job, const QString& caption)
{
    // A transfer started again: the reply to its outstanding request is
    // still coming and would be taken as the answer to block 0. It is let in
    // and dropped first, so only one request is ever outstanding.
    if (m_engine.transferring() && CommPort.Open())
        m_staleBytes = m_engine.replyBytesMissing();
    m_engine.stop();
    m_panel.setCaption(caption);
    m_panel.show();
    m_panel.progressBar()->setValue(0);
    m_linkState = job == TLinkEngine::Job::Read ? Read : Write;
    m_nextJob = job;
    m_host.transferStarted();
    if (m_staleBytes > 0)
        m_settle->start(settleInterval());
    else
        sendFirstRequest();
}

void TControllerLink::sendFirstRequest()
{
    m_settle->stop();
    m_staleBytes = 0;
    if (m_linkState != Read && m_linkState != Write)
        return;
    sendRequest(m_engine.start(m_nextJob, m_host.image()));
}

int TControllerLink::settleInterval() const
{
    // As long as a controller may take to answer at all (one scan interval),
    // and the reply's time on the line twice over; each piece of the reply
    // that comes starts the wait again.
    const int baud = std::max(CommPort.GetBaud(), 110);
    return ScanInterval + 2 * Frame::BlockFrameSize * 10 * 1000 / baud;
}

void TControllerLink::dropTransfer()
{
    m_engine.stop();
    m_settle->stop();
    m_staleBytes = 0;
}

bool TControllerLink::transferRunning() const
{
    return (m_linkState == Read || m_linkState == Write) && (m_engine.transferring() || m_staleBytes > 0);
}

bool TControllerLink::mayReplaceImage()
{
    if (!transferRunning())
        return true;
    Dlg::error(TransferRunning);
    return false;
}

void TControllerLink::endTransfer()
{
    dropTransfer();
    if (m_linkState != Read && m_linkState != Write)
        return;
    m_linkState = Idle;
    m_host.transferEnded();
}

void TControllerLink::finishTransfer(TLinkEngine::Job job)
{
    m_panel.hide();
    endTransfer();
    // The reload makes "Сохранить" and "Отчет" usable.
    m_host.EditorReload();
    if (job == TLinkEngine::Job::Read) {
        m_host.SetProjectName(m_serial);
        // A write needs no such warning: its echo comparison already shows
        // every block that did not arrive as sent.
        if (m_engine.checksumMismatches() > 0)
            Dlg::error(ChecksumError.arg(m_engine.checksumMismatches()));
        keepRead();
    }
}

void TControllerLink::keepRead()
{
    // A damaged read restored later would write its damage into the
    // controller; the user is already asked to read again.
    if (m_engine.checksumMismatches() > 0) {
        if (FormPort)
            FormPort->logNote(BackupDamaged);
        return;
    }
    // The read itself stands whatever becomes of its backup: the image is in
    // the window and can be saved as a project.
    std::string path;
    const TFileResult kept = TBackupStore::keep(m_serialNumber, m_host.image(), path);
    if (!kept) {
        TDialogs::current().message(
            {BackupNotKept.arg(QString::fromStdString(kept.text())), QString(), TMsgIcon::Warning, mbOK});
        return;
    }
    if (FormPort)
        FormPort->logNote(BackupKept.arg(QString::fromStdString(path)));
}

void TControllerLink::abortTransfer(uint16_t address)
{
    m_panel.hide();
    endTransfer();
    Dlg::error(AddressError.arg(QString::fromStdString(THexText::of(address, 4))));
}

// ---- connecting and the scan ----------------------------------------------

void TControllerLink::TBFindClick(bool down)
{
    if (down) {
        if (m_dialog && TDialogs::current().execModal(*m_dialog) == QDialog::Accepted) {
            m_panel.show();
            ScanStep();
        } else {
            m_host.releaseFind();
        }
        return;
    }
    Timer->stop();
    endTransfer();
    CommPort.SetOpen(false);
    m_host.setStatusText(0, NotConnected);
    m_host.releaseFind();
    m_host.setTransferUsable(false);
    m_panel.hide();
}

void TControllerLink::ScanStep()
{
    const int n = m_portNumber;
    m_panel.setCaption(ScanCaption.arg(n));
    endTransfer();
    m_linkState = Identify;
    const std::vector<uint8_t> request = m_engine.start(TLinkEngine::Job::Identify, m_host.image());
    if (TPortMap::Probe(n) == 0) {
        CommPort.SetComNumber(n);
        CommPort.SetOpen(true);
        sendRequest(request);
    } else if (!automaticScan()) {
        m_panel.hide();
        Timer->stop();
        Dlg::plain(OpenError.arg(n));
        m_host.releaseFind();
        return;
    }
    // A running timer keeps its rhythm: one interval per port.
    if (!Timer->isActive())
        Timer->start();
}

void TControllerLink::TimerTimer()
{
    if (m_linkState == Identify && m_engine.replyBytesReceived() > 0) {
        // The reply stopped short: taken as far as it came.
        Timer->stop();
        handleIdentify(*m_engine.timeOut().ident);
        return;
    }
    if (m_linkState == Identify && automaticScan()) {
        ++m_portNumber;
        if (m_portNumber <= LastPort) {
            ScanStep();
            return;
        }
    }
    Timer->stop();
}

void TControllerLink::stop()
{
    Timer->stop();
    endTransfer();
    m_linkState = Idle;
    CommPort.SetOpen(false);
}
