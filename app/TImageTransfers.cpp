#include "app/TImageTransfers.h"

#include "app/TLinkHost.h"
#include "app/TLinkMessages.h"
#include "app/TScanPanel.h"
#include "link/TLinkPolicy.h"
#include "report/TConfigDiffer.h"
#include "serial/TCommPort.h"
#include "serial/TPortMap.h"
#include "widgets/TDialogs.h"

#include <QTimer>

#include <utility>

namespace {

using Step = TWriteSequence::Step;
using End = TWriteSequence::End;

const QString ReadQuestion = QStringLiteral("Текущий проект конфигурации будет изменен!\n\tПродолжить?");
const QString WriteQuestion
    = QStringLiteral("Текущие настройки конфигурации контроллера будут изменены!\n\tПродолжить?");
const QString ForeignBackup = QStringLiteral("Резервная копия сделана с контроллера %1, а подключен контроллер %2.\n"
                                             "Записать ее в этот контроллер?");
const QString ReadCaption = QStringLiteral("Чтение данных ...");
const QString WriteCaption = QStringLiteral("Запись данных ...");
const QString BackupKept = QStringLiteral("Резервная копия: %1");
const QString BackupNotKept = QStringLiteral("Резервная копия прочитанной конфигурации не сохранена:\n%1\n"
                                             "Конфигурация загружена в окно; сохраните ее как проект.");
const QString ComparedBackupNotKept = QStringLiteral("Резервная копия прочитанной конфигурации не сохранена:\n%1\n"
                                                     "Конфигурация контроллера прочитана только для сравнения; "
                                                     "проект не изменен.");
const QString ReadStopped = QStringLiteral("Чтение прервано: %1.\nПроект не изменен.");
const QString AlreadyHeld = QStringLiteral("Контроллер уже хранит эту конфигурацию.\nЗапись не нужна: в контроллер "
                                           "ничего не записано.");
const QString ReadDone = QStringLiteral("Чтение завершено: %1 блока");
const QString WriteDone = QStringLiteral("Запись завершена: %1 блока, эхо совпало");
const QString WriteDoneDiffering = QStringLiteral("Запись завершена: %1 блока, эхо не совпало в %2");
const QString NothingToWrite = QStringLiteral("Запись не нужна: контроллер уже хранит эту конфигурацию");
const QString Stopped = QStringLiteral("Обмен прерван: %1");
const QString FactsChanged = QStringLiteral("Изменено в контроллере: %1 (различий с прежней конфигурацией, сохраненной "
                                            "в %2)");

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

TImageTransfers::TImageTransfers(TLinkHost& host, TScanPanel& panel, TCommPort& port, QObject* parent)
    : QObject(parent), m_host(host), m_panel(panel), m_port(port), m_transfer(new TLinkTransfer(port, panel, this))
{
    connect(m_transfer, &TLinkTransfer::framed, this, &TImageTransfers::framed);
    connect(m_transfer, &TLinkTransfer::noted, this, &TImageTransfers::noted);
    connect(m_transfer, &TLinkTransfer::ended, this, &TImageTransfers::transferEnded);
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

bool TImageTransfers::writing() const
{
    return running() && m_purpose == Purpose::Write;
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

TWriteSequence::Line TImageTransfers::line() const
{
    // A COM number of the user's own is named by its device, which anyone
    // who runs the command reaches by that name.
    const int com = m_port.ComNumber();
    return {com, TPortMap::OwnDevice(com), static_cast<unsigned>(m_port.GetBaud()), m_transfer->timeoutMs()};
}

void TImageTransfers::read()
{
    if (!m_host.saved() && !Dlg::confirm(ReadQuestion))
        return;
    startRead(Purpose::Read);
}

void TImageTransfers::readAside(SideRead done)
{
    startRead(Purpose::Aside);
    m_aside = std::move(done);
}

void TImageTransfers::startRead(Purpose purpose)
{
    m_write.reset();
    m_aside = nullptr;
    m_purpose = purpose;
    emit started(false);
    emit statusNoted(QString());
    m_transfer->start(TLinkEngine::Job::Read, m_host.image(), ReadCaption);
}

void TImageTransfers::write(const TImage& image, const std::string& backupSerial)
{
    TWriteSequence::Options options;
    options.project = m_host.projectName().toStdString();
    options.backupSerial = backupSerial;
    // The image as it is now is what goes out; the pages wait meanwhile.
    TWriteSequence sequence(m_backups, image, m_serialNumber, line(), options);
    if (sequence.foreignBackup()
        && !Dlg::confirm(ForeignBackup.arg(qs(backupSerial), qs(TBackupStore::serialInName(m_serialNumber)))))
        return;
    if (!m_host.approveWrite(image) || !Dlg::confirm(WriteQuestion))
        return;
    m_write.emplace(std::move(sequence));
    m_write->start();
    m_aside = nullptr;
    m_purpose = Purpose::Write;
    m_cause.clear();
    m_fromOutside = false;
    emit started(true);
    emit statusNoted(QString());
    carryOut();
}

void TImageTransfers::carryOut()
{
    switch (m_write->next()) {
    case Step::ReadBackup:
    case Step::ReadBack: m_transfer->start(TLinkEngine::Job::Read, m_host.image(), ReadCaption); return;
    case Step::Write: m_transfer->start(TLinkEngine::Job::Write, m_write->image(), WriteCaption); return;
    case Step::Done: writeEnded(); return;
    }
}

void TImageTransfers::transferEnded(const TLinkTransfer::Ending& ending)
{
    if (m_purpose != Purpose::Write) {
        readEnded(ending);
        return;
    }
    stepEnded(ending.complete, ending,
              ending.complete ? QString() : TLinkMessages::failure(ending.failure, m_transfer->timeoutMs()));
}

void TImageTransfers::stepEnded(bool complete, const TLinkTransfer::Ending& ending, const QString& cause)
{
    TWriteSequence& write = *m_write;
    switch (write.next()) {
    case Step::ReadBackup:
        if (!complete) {
            TImage partial;
            const int blocks = m_transfer->readSoFar(partial);
            write.backupStopped(partial, blocks);
            break;
        }
        write.backupRead(m_transfer->received());
        if (write.next() == Step::Write)
            emit noted(BackupKept.arg(qs(write.verdict().backup)));
        break;
    case Step::Write:
        if (complete)
            write.written(ending.differing);
        else
            write.writeStopped(m_transfer->blocksDone(), m_transfer->requestUnanswered());
        break;
    case Step::ReadBack:
        if (complete)
            write.readBack(m_transfer->received());
        else
            write.readBackStopped();
        break;
    case Step::Done: return;
    }
    m_cause = cause;
    carryOut();
}

void TImageTransfers::writeEnded()
{
    const TWriteSequence::Verdict& v = m_write->verdict();
    const std::string command = m_write->restoreCommand();
    m_panel.hide();
    emit ended();
    switch (v.end) {
    case End::AlreadyHeld:
        noteEnd(NothingToWrite);
        Dlg::information(AlreadyHeld);
        return;
    case End::BackupNotKept: {
        const QString text = TLinkMessages::backupNotKept(v, command);
        noteEnd(Stopped.arg(qs(v.backupResult.text())));
        box(text);
        return;
    }
    case End::BackupStopped:
    case End::WriteStopped: {
        const QString text = v.end == End::BackupStopped ? TLinkMessages::backupStopped(m_cause, v, command)
                                                         : TLinkMessages::writeStopped(m_cause, v, command);
        noteEnd(Stopped.arg(text));
        box(text);
        return;
    }
    case End::Written:
    case End::ReadBackStopped: break;
    }
    m_host.EditorReload();
    emit noted(FactsChanged.arg(TConfigDiffer::compare(m_write->held(), nullptr, m_write->image(), nullptr).size())
                   .arg(qs(v.backup)));
    if (v.differing.empty()) {
        noteEnd(WriteDone.arg(TImage::Blocks));
        return;
    }
    noteEnd(WriteDoneDiffering.arg(TImage::Blocks).arg(v.differing.size()));
    box(TLinkMessages::echoDiffers(v, command));
}

void TImageTransfers::box(const QString& text)
{
    // Ended from outside, a box of the component about the same event may
    // come first.
    if (m_fromOutside)
        report(text);
    else
        Dlg::error(text);
}

void TImageTransfers::readEnded(const TLinkTransfer::Ending& ending)
{
    m_panel.hide();
    emit ended();
    if (!ending.complete) {
        const QString why = TLinkMessages::failure(ending.failure, m_transfer->timeoutMs());
        noteEnd(Stopped.arg(why));
        Dlg::error(ReadStopped.arg(why));
        return;
    }
    noteEnd(ReadDone.arg(TImage::Blocks));
    if (m_purpose == Purpose::Aside) {
        keepRead(m_transfer->received(), TBackupStore::Reason::Compare);
        if (const SideRead done = std::exchange(m_aside, nullptr))
            done(m_transfer->received());
        return;
    }
    m_host.image() = m_transfer->received();
    // The reload makes "Сохранить" and "Отчет" usable.
    m_host.EditorReload();
    m_host.SetProjectName(m_serial);
    keepRead(m_transfer->received(), TBackupStore::Reason::Read);
}

void TImageTransfers::noteEnd(const QString& text)
{
    // One line in the log; its first sentence in the status bar until the
    // next command.
    emit noted(text.simplified());
    emit statusNoted(text.section('\n', 0, 0));
}

void TImageTransfers::cutShort(const QString& cause)
{
    if (!m_transfer->running())
        return;
    m_transfer->stop();
    if (m_purpose == Purpose::Write) {
        // The engine still knows how far the write came.
        m_fromOutside = true;
        stepEnded(false, {}, cause);
        return;
    }
    // A read changed nothing the user has not seen go (the project stays as
    // it was).
    noteEnd(Stopped.arg(cause));
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

void TImageTransfers::keepRead(const TImage& image, TBackupStore::Reason reason)
{
    // The read itself stands whatever becomes of its backup: the image is in
    // the window and can be saved as a project, or is compared.
    std::string path;
    const std::string project = reason == TBackupStore::Reason::Compare ? m_host.projectName().toStdString() : "";
    const TFileResult kept = TBackupStore::keep(m_serialNumber, image, path, reason, project);
    if (!kept) {
        const QString& text = reason == TBackupStore::Reason::Compare ? ComparedBackupNotKept : BackupNotKept;
        TDialogs::current().message({text.arg(qs(kept.text())), QString(), TMsgIcon::Warning, mbOK});
        return;
    }
    emit noted(BackupKept.arg(qs(path)));
}
