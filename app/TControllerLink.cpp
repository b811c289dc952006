#include "app/TControllerLink.h"

#include "app/TLinkHost.h"
#include "app/TLinkMessages.h"
#include "app/TScanPanel.h"
#include "app/TSetComPort.h"
#include "diag/TFormPort.h"
#include "link/TIdentReply.h"
#include "project/TBackupStore.h"
#include "project/TCp1251.h"
#include "report/TConfigDiffer.h"
#include "report/TReportSource.h"
#include "serial/TPortMap.h"
#include "widgets/TDialogs.h"

#include <QDialog>
#include <QTimer>

#include <array>

namespace {

constexpr int LastPort = 255;
constexpr int Blocks = TWriteSequence::Blocks;

const QString NotConnected = QStringLiteral("Нет подключения");
const QString ConnectedOn = QStringLiteral("Подключено на COM ");
const QString IdentifyRefused = QStringLiteral("Ошибка подключения !");
const QString ReadQuestion = QStringLiteral("Текущий проект конфигурации будет изменен!\n\tПродолжить?");
const QString WriteQuestion
    = QStringLiteral("Текущие настройки конфигурации контроллера будут изменены!\n\tПродолжить?");
const QString ReadCaption = QStringLiteral("Чтение данных ...");
const QString WriteCaption = QStringLiteral("Запись данных ...");
const QString ScanCaption = QStringLiteral("Сканирование порта COM%1");
const QString OpenError = QStringLiteral("Ошибка открытия COM %1 !");
const QString TransferRunning
    = QStringLiteral("Идет обмен данными с контроллером !\nДождитесь его окончания или отключитесь от контроллера.");
const QString BackupKept = QStringLiteral("Резервная копия: %1");
const QString BackupNotKept = QStringLiteral("Резервная копия прочитанной конфигурации не сохранена:\n%1\n"
                                             "Конфигурация загружена в окно; сохраните ее как проект.");
const QString ReadStopped = QStringLiteral("Чтение прервано: %1.\nПроект не изменен.");
const QString BackupStopped = QStringLiteral("Запись не выполнена: чтение конфигурации контроллера перед записью "
                                             "прервано: %1.\nВ контроллер ничего не записано.");
const QString WriteBackupNotKept = QStringLiteral("Запись не выполнена: резервная копия конфигурации контроллера не "
                                                  "сохранена:\n%1\nВ контроллер ничего не записано.");
const QString AlreadyHeld = QStringLiteral("Контроллер уже хранит эту конфигурацию.\nЗапись не нужна: в контроллер "
                                           "ничего не записано.");
const QString ReadDone = QStringLiteral("Чтение завершено: %1 блока");
const QString WriteDone = QStringLiteral("Запись завершена: %1 блока, эхо совпало");
const QString WriteDoneDiffering = QStringLiteral("Запись завершена: %1 блока, эхо не совпало в %2");
const QString NothingToWrite = QStringLiteral("Запись не нужна: контроллер уже хранит эту конфигурацию");
const QString Stopped = QStringLiteral("Обмен прерван: %1");
const QString FactsChanged = QStringLiteral("Изменено в контроллере: %1 (различий с прежней конфигурацией, сохраненной "
                                            "в %2)");
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
    m_transfer = new TLinkTransfer(
        CommPort, panel, [this] { return m_portNumber; },
        [this](const TLinkTransfer::Ending& ending) { transferEnded(ending); }, this);

    CommPort.SetComNumber(1);
    CommPort.SetIBuffSize(2048);
    CommPort.SetOBuffSize(4096);
    CommPort.OnDataReceived = [this](TCommPort* sender, uint32_t count) { CommPortDataReceived(sender, count); };
    CommPort.OnErrorSignal = [this](TCommPort* sender, int32_t error) { CommPortErrorSignal(sender, error); };
    // The component's own boxes go through the program's dialog layer; a
    // report of the link about the same lost line waits until its box is
    // dismissed.
    TCommPort::MessageBox = [this](const std::string& text, const std::string& caption, unsigned flags) {
        ++m_componentBoxes;
        componentBox(text, caption, flags);
        --m_componentBoxes;
        showReport();
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
        m_transfer->take(batch.data(), n);
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
    cutShort(LineLost.arg(m_portNumber));
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

// ---- transfers ------------------------------------------------------------

void TControllerLink::TBReadClick()
{
    if (!m_host.saved() && !Dlg::confirm(ReadQuestion))
        return;
    startTransfer(Purpose::Read);
}

void TControllerLink::TBWriteClick()
{
    writeImage(m_host.image());
}

void TControllerLink::writeImage(const TImage& image)
{
    if (!m_host.approveWrite(image) || !Dlg::confirm(WriteQuestion))
        return;
    // The image as it is now is what goes out; the pages wait meanwhile.
    m_write.emplace(image, m_serialNumber);
    startTransfer(Purpose::Backup);
}

void TControllerLink::readAside(SideRead done)
{
    m_aside = std::move(done);
    startTransfer(Purpose::Aside);
}

void TControllerLink::startTransfer(Purpose purpose)
{
    // A write cut short by starting again is noted; the new transfer tells
    // its own end.
    if (m_transfer->running() && m_purpose == Purpose::Write && FormPort)
        FormPort->logNote(Stopped.arg(writeStoppedText(QStringLiteral("запуск нового обмена"))).simplified());
    if (purpose == Purpose::Read || purpose == Purpose::Aside)
        m_write.reset();
    if (purpose != Purpose::Aside)
        m_aside = nullptr;
    m_purpose = purpose;
    m_linkState = purpose == Purpose::Read || purpose == Purpose::Aside ? Read : Write;
    m_host.setStatusText(2, QString());
    m_host.transferStarted();
    if (purpose == Purpose::Write)
        m_transfer->start(TLinkEngine::Job::Write, m_write->image(), WriteCaption);
    else
        m_transfer->start(TLinkEngine::Job::Read, m_host.image(), ReadCaption);
}

void TControllerLink::transferEnded(const TLinkTransfer::Ending& ending)
{
    switch (m_purpose) {
    case Purpose::Read:
    case Purpose::Aside: readEnded(ending); return;
    case Purpose::Backup: backupEnded(ending); return;
    case Purpose::Write: writeEnded(ending); return;
    }
}

void TControllerLink::readEnded(const TLinkTransfer::Ending& ending)
{
    m_panel.hide();
    endTransfer();
    if (!ending.complete) {
        const QString why = TLinkMessages::failure(ending.failure, m_transfer->timeoutMs());
        noteEnd(Stopped.arg(why));
        Dlg::error(ReadStopped.arg(why));
        return;
    }
    noteEnd(ReadDone.arg(Blocks));
    if (m_purpose == Purpose::Aside) {
        keepRead(m_transfer->received());
        if (const SideRead done = std::exchange(m_aside, nullptr))
            done(m_transfer->received());
        return;
    }
    m_host.image() = m_transfer->received();
    // The reload makes "Сохранить" and "Отчет" usable.
    m_host.EditorReload();
    m_host.SetProjectName(m_serial);
    keepRead(m_transfer->received());
}

void TControllerLink::backupEnded(const TLinkTransfer::Ending& ending)
{
    if (!ending.complete) {
        m_panel.hide();
        endTransfer();
        const QString why = TLinkMessages::failure(ending.failure, m_transfer->timeoutMs());
        noteEnd(Stopped.arg(why));
        Dlg::error(BackupStopped.arg(why));
        return;
    }
    switch (m_write->backupRead(m_transfer->received())) {
    case TWriteSequence::Next::AlreadyHeld:
        m_panel.hide();
        endTransfer();
        noteEnd(NothingToWrite);
        Dlg::information(AlreadyHeld);
        return;
    case TWriteSequence::Next::BackupNotKept:
        m_panel.hide();
        endTransfer();
        noteEnd(Stopped.arg(QString::fromStdString(m_write->backupResult().text())));
        Dlg::error(WriteBackupNotKept.arg(QString::fromStdString(m_write->backupResult().text())));
        return;
    case TWriteSequence::Next::Write:
        if (FormPort)
            FormPort->logNote(BackupKept.arg(QString::fromStdString(m_write->backupPath())));
        m_purpose = Purpose::Write;
        m_transfer->start(TLinkEngine::Job::Write, m_write->image(), WriteCaption);
        return;
    }
}

void TControllerLink::writeEnded(const TLinkTransfer::Ending& ending)
{
    m_panel.hide();
    if (!ending.complete) {
        const QString text = writeStoppedText(TLinkMessages::failure(ending.failure, m_transfer->timeoutMs()));
        endTransfer();
        noteEnd(Stopped.arg(text));
        Dlg::error(text);
        return;
    }
    endTransfer();
    m_host.EditorReload();
    if (FormPort)
        FormPort->logNote(FactsChanged
                              .arg(TConfigDiffer::lines(TReportSource::of(m_write->held(), {}, {}, {}),
                                                        TReportSource::of(m_write->image(), {}, {}, {}))
                                       .size())
                              .arg(QString::fromStdString(m_write->backupPath())));
    if (ending.differing.empty()) {
        noteEnd(WriteDone.arg(Blocks));
        return;
    }
    noteEnd(WriteDoneDiffering.arg(Blocks).arg(ending.differing.size()));
    Dlg::error(TLinkMessages::echoDiffers(ending.differing, m_write->backupPath(), portOption()));
}

QString TControllerLink::writeStoppedText(const QString& cause) const
{
    return TLinkMessages::writeStopped(
        cause, m_write->cutShort(m_transfer->blocksDone(), m_transfer->requestUnanswered()), portOption());
}

std::string TControllerLink::portOption() const
{
    std::string port = "--com " + std::to_string(m_portNumber);
    if (CommPort.GetBaud() != 9600)
        port += " --baud " + std::to_string(CommPort.GetBaud());
    return port;
}

void TControllerLink::noteEnd(const QString& text)
{
    // One line in the log; its first sentence in the status bar until the
    // next command.
    if (FormPort)
        FormPort->logNote(text.simplified());
    m_host.setStatusText(2, text.section('\n', 0, 0));
}

void TControllerLink::cutShort(const QString& cause)
{
    if (!m_transfer->running())
        return;
    const bool writing = m_purpose == Purpose::Write;
    const QString text = writing ? writeStoppedText(cause) : cause;
    m_transfer->stop();
    noteEnd(Stopped.arg(text));
    if (writing)
        report(text, true);
}

void TControllerLink::report(const QString& text, bool error)
{
    m_pendingReport = text;
    m_pendingError = error;
    // A box of the component about the same event is queued already and
    // comes first.
    QTimer::singleShot(0, this, &TControllerLink::showReport);
}

void TControllerLink::showReport()
{
    if (m_componentBoxes > 0 || m_pendingReport.isEmpty())
        return;
    const QString text = std::exchange(m_pendingReport, QString());
    if (m_pendingError)
        Dlg::error(text);
    else
        Dlg::information(text);
}

bool TControllerLink::mayReplaceImage()
{
    if (!m_transfer->running())
        return true;
    Dlg::error(TransferRunning);
    return false;
}

void TControllerLink::endTransfer()
{
    m_transfer->stop();
    if (m_linkState != Read && m_linkState != Write)
        return;
    m_linkState = Idle;
    m_host.transferEnded();
}

void TControllerLink::keepRead(const TImage& image)
{
    // The read itself stands whatever becomes of its backup: the image is in
    // the window and can be saved as a project.
    std::string path;
    const TFileResult kept = TBackupStore::keep(m_serialNumber, image, path);
    if (!kept) {
        TDialogs::current().message(
            {BackupNotKept.arg(QString::fromStdString(kept.text())), QString(), TMsgIcon::Warning, mbOK});
        return;
    }
    if (FormPort)
        FormPort->logNote(BackupKept.arg(QString::fromStdString(path)));
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
    cutShort(Disconnected);
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
