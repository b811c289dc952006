#include "app/TControllerLink.h"

#include "app/TLinkHost.h"
#include "app/TScanPanel.h"
#include "app/TSetComPort.h"
#include "diag/TFormPort.h"
#include "link/TIdentReply.h"
#include "project/TCp1251.h"
#include "serial/TPortMap.h"
#include "widgets/TDialogs.h"

#include <QDialog>
#include <QTimer>

#include <array>

namespace {

constexpr int LastPort = 255;

const QString NotConnected = QStringLiteral("Нет подключения");
const QString ConnectedOn = QStringLiteral("Подключено на COM ");
const QString IdentifyRefused = QStringLiteral("Ошибка подключения !");
const QString ScanCaption = QStringLiteral("Сканирование порта COM%1");
const QString OpenError = QStringLiteral("Ошибка открытия COM %1 !");
const QString TransferRunning
    = QStringLiteral("Идет обмен данными с контроллером !\nДождитесь его окончания или отключитесь от контроллера.");
const QString LineLost = QStringLiteral("связь с портом COM %1 потеряна");
const QString Disconnected = QStringLiteral("отключение от контроллера");

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

void componentBox(const std::string& text, const std::string& caption, unsigned flags)
{
    TDialogs::current().message({QString::fromStdString(text), QString::fromStdString(caption), iconFor(flags), mbOK});
}

} // namespace

TControllerLink::TControllerLink(TLinkHost& host, TScanPanel& panel, int scanInterval, QObject* parent)
    : QObject(parent), m_host(host), m_panel(panel), Timer(new QTimer(this))
{
    Timer->setInterval(scanInterval);
    // A coarse timer may fire up to 5 % early, which would cut a port's
    // time to answer short; the identify time-out is kept to the millisecond.
    Timer->setTimerType(Qt::PreciseTimer);
    connect(Timer, &QTimer::timeout, this, &TControllerLink::TimerTimer);
    m_transfers = new TImageTransfers(host, panel, CommPort, this);
    connect(m_transfers, &TImageTransfers::started, this, [this](bool writing) {
        m_linkState = writing ? Write : Read;
        m_host.transferStarted();
    });
    connect(m_transfers, &TImageTransfers::ended, this, &TControllerLink::endTransfer);
    connect(m_transfers, &TImageTransfers::statusNoted, this,
            [this](const QString& text) { m_host.setStatusText(2, text); });
    connect(m_transfers, &TImageTransfers::noted, this, [](const QString& note) {
        if (FormPort)
            FormPort->logNote(note);
    });
    connect(m_transfers, &TImageTransfers::framed, this, [this](const QByteArray& bytes, bool received) {
        if (FormPort)
            FormPort->logFrame(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<int>(bytes.size()),
                               received, m_portNumber);
    });

    CommPort.SetComNumber(1);
    CommPort.SetIBuffSize(2048);
    CommPort.SetOBuffSize(4096);
    CommPort.OnDataReceived = [this](TCommPort* sender, uint32_t count) { CommPortDataReceived(sender, count); };
    CommPort.OnErrorSignal = [this](TCommPort* sender, int32_t error) { CommPortErrorSignal(sender, error); };
    // The component's own boxes go through the program's dialog layer; a
    // report of the link about the same lost line waits until its box is
    // dismissed.
    TCommPort::MessageBox = [this](const std::string& text, const std::string& caption, unsigned flags) {
        m_transfers->componentBox(true);
        componentBox(text, caption, flags);
        m_transfers->componentBox(false);
    };
}

TControllerLink::~TControllerLink()
{
    TCommPort::MessageBox = componentBox;
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
    else
        m_transfers->take(batch.data(), n);
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
    // Noted whether a transfer ran or not; a transfer cut short says more.
    if (!m_transfers->running() && FormPort)
        FormPort->logNote(QStringLiteral("Связь потеряна: ") + LineLost.arg(m_portNumber));
    m_transfers->cutShort(LineLost.arg(m_portNumber));
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
        m_serialNumber = reply.serialNumber();
        m_transfers->setController(projectNameFrom(reply.serial()), reply.serialNumber());
        m_host.setStatusText(1, m_identification);
        const QString connected = ConnectedOn + QString::number(m_portNumber);
        Dlg::information(connected);
        m_host.setStatusText(0, connected);
        m_host.setTransferUsable(true);
    } else {
        Dlg::error(IdentifyRefused);
    }
}

// ---- transfers ------------------------------------------------------------

bool TControllerLink::writeRefused()
{
    // Started again, a write would leave the controller mixed; "Подключить"
    // stops it.
    if (!m_transfers->writing())
        return false;
    Dlg::error(TransferRunning);
    return true;
}

void TControllerLink::TBReadClick()
{
    if (!writeRefused())
        m_transfers->read();
}

void TControllerLink::TBWriteClick()
{
    if (!writeRefused())
        m_transfers->write(m_host.image());
}

void TControllerLink::writeImage(const TImage& image, const std::string& backupSerial)
{
    if (!writeRefused())
        m_transfers->write(image, backupSerial);
}

void TControllerLink::readAside(TImageTransfers::SideRead done)
{
    if (!writeRefused())
        m_transfers->readAside(std::move(done));
}

bool TControllerLink::mayReplaceImage()
{
    if (!m_transfers->running())
        return true;
    Dlg::error(TransferRunning);
    return false;
}

void TControllerLink::endTransfer()
{
    m_transfers->stop();
    if (m_linkState != Read && m_linkState != Write)
        return;
    m_linkState = Idle;
    m_host.transferEnded();
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
    m_transfers->cutShort(Disconnected);
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
        // Nothing received before the identify request belongs to its reply.
        CommPort.FlushInBuffer();
        send(request.data(), static_cast<int>(request.size()));
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
