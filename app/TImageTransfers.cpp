#include "app/TImageTransfers.h"

#include "app/TLinkHost.h"
#include "app/TLinkMessages.h"
#include "app/TScanPanel.h"
#include "diag/TFormPort.h"
#include "project/TBackupStore.h"
#include "report/TConfigDiffer.h"
#include "report/TReportSource.h"
#include "serial/TCommPort.h"
#include "widgets/TDialogs.h"

#include <QTimer>

#include <utility>

namespace {

constexpr int Blocks = TWriteSequence::Blocks;

const QString ReadQuestion = QStringLiteral("Текущий проект конфигурации будет изменен!\n\tПродолжить?");
const QString WriteQuestion
    = QStringLiteral("Текущие настройки конфигурации контроллера будут изменены!\n\tПродолжить?");
const QString ReadCaption = QStringLiteral("Чтение данных ...");
const QString WriteCaption = QStringLiteral("Запись данных ...");
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

} // namespace

TImageTransfers::TImageTransfers(TLinkHost& host, TScanPanel& panel, TCommPort& port, Link link, QObject* parent)
    : QObject(parent), m_host(host), m_panel(panel), m_port(port), m_link(std::move(link)),
      m_transfer(new TLinkTransfer(
          port, panel, m_link.portNumber, [this](const TLinkTransfer::Ending& ending) { transferEnded(ending); }, this))
{
}

void TImageTransfers::setController(const QString& projectName, const std::string& serialNumber)
{
    m_serial = projectName;
    m_serialNumber = serialNumber;
}

bool TImageTransfers::running() const
{
    return m_transfer->running();
}

void TImageTransfers::take(const uint8_t* batch, int count)
{
    m_transfer->take(batch, count);
}

void TImageTransfers::stop()
{
    m_transfer->stop();
}

void TImageTransfers::componentBox(bool open)
{
    m_componentBoxes += open ? 1 : -1;
    if (!open)
        showReport();
}

void TImageTransfers::read()
{
    if (!m_host.saved() && !Dlg::confirm(ReadQuestion))
        return;
    noteRestart();
    m_write.reset();
    m_aside = nullptr;
    startTransfer(Purpose::Read);
}

void TImageTransfers::write(const TImage& image)
{
    if (!m_host.approveWrite(image) || !Dlg::confirm(WriteQuestion))
        return;
    noteRestart();
    // The image as it is now is what goes out; the pages wait meanwhile.
    m_write.emplace(image, m_serialNumber);
    m_aside = nullptr;
    startTransfer(Purpose::Backup);
}

void TImageTransfers::readAside(SideRead done)
{
    noteRestart();
    m_write.reset();
    m_aside = std::move(done);
    startTransfer(Purpose::Aside);
}

void TImageTransfers::noteRestart()
{
    // A write cut short by starting again is noted; the new transfer tells
    // its own end.
    if (m_transfer->running() && m_purpose == Purpose::Write)
        noteEnd(Stopped.arg(writeStoppedText(QStringLiteral("запуск нового обмена"))));
}

void TImageTransfers::startTransfer(Purpose purpose)
{
    m_purpose = purpose;
    m_link.started(purpose == Purpose::Backup || purpose == Purpose::Write);
    m_host.setStatusText(2, QString());
    if (purpose == Purpose::Write)
        m_transfer->start(TLinkEngine::Job::Write, m_write->image(), WriteCaption);
    else
        m_transfer->start(TLinkEngine::Job::Read, m_host.image(), ReadCaption);
}

void TImageTransfers::transferEnded(const TLinkTransfer::Ending& ending)
{
    switch (m_purpose) {
    case Purpose::Read:
    case Purpose::Aside: readEnded(ending); return;
    case Purpose::Backup: backupEnded(ending); return;
    case Purpose::Write: writeEnded(ending); return;
    }
}

void TImageTransfers::readEnded(const TLinkTransfer::Ending& ending)
{
    m_panel.hide();
    m_link.ended();
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

void TImageTransfers::backupEnded(const TLinkTransfer::Ending& ending)
{
    if (!ending.complete) {
        m_panel.hide();
        m_link.ended();
        const QString why = TLinkMessages::failure(ending.failure, m_transfer->timeoutMs());
        noteEnd(Stopped.arg(why));
        Dlg::error(BackupStopped.arg(why));
        return;
    }
    switch (m_write->backupRead(m_transfer->received())) {
    case TWriteSequence::Next::AlreadyHeld:
        m_panel.hide();
        m_link.ended();
        noteEnd(NothingToWrite);
        Dlg::information(AlreadyHeld);
        return;
    case TWriteSequence::Next::BackupNotKept:
        m_panel.hide();
        m_link.ended();
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

void TImageTransfers::writeEnded(const TLinkTransfer::Ending& ending)
{
    m_panel.hide();
    if (!ending.complete) {
        const QString text = writeStoppedText(TLinkMessages::failure(ending.failure, m_transfer->timeoutMs()));
        m_link.ended();
        noteEnd(Stopped.arg(text));
        Dlg::error(text);
        return;
    }
    m_link.ended();
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

QString TImageTransfers::writeStoppedText(const QString& cause) const
{
    return TLinkMessages::writeStopped(
        cause, m_write->cutShort(m_transfer->blocksDone(), m_transfer->requestUnanswered()), portOption());
}

std::string TImageTransfers::portOption() const
{
    std::string port = "--com " + std::to_string(m_link.portNumber());
    if (m_port.GetBaud() != 9600)
        port += " --baud " + std::to_string(m_port.GetBaud());
    return port;
}

void TImageTransfers::noteEnd(const QString& text)
{
    // One line in the log; its first sentence in the status bar until the
    // next command.
    if (FormPort)
        FormPort->logNote(text.simplified());
    m_host.setStatusText(2, text.section('\n', 0, 0));
}

void TImageTransfers::cutShort(const QString& cause)
{
    if (!m_transfer->running())
        return;
    // A write says what the controller holds; a read changed nothing the
    // user has not seen go (the project stays as it was).
    QString text = cause;
    if (m_purpose == Purpose::Write)
        text = writeStoppedText(cause);
    else if (m_purpose == Purpose::Backup)
        text = BackupStopped.arg(cause);
    m_transfer->stop();
    noteEnd(Stopped.arg(text));
    if (m_purpose == Purpose::Write || m_purpose == Purpose::Backup)
        report(text);
}

void TImageTransfers::report(const QString& text)
{
    m_pendingReport = text;
    // A box of the component about the same event is queued already and
    // comes first.
    QTimer::singleShot(0, this, &TImageTransfers::showReport);
}

void TImageTransfers::showReport()
{
    if (m_componentBoxes > 0 || m_pendingReport.isEmpty())
        return;
    Dlg::error(std::exchange(m_pendingReport, QString()));
}

void TImageTransfers::keepRead(const TImage& image)
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
