#include "app/TPackCommand.h"

#include "app/TFilePlaces.h"
#include "project/TBackupStore.h"
#include "project/TProject.h"
#include "report/TConfigDescriber.h"
#include "report/TDocxWriter.h"
#include "report/TPackDocument.h"
#include "report/TPdfConversion.h"
#include "widgets/TDialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTimer>
#include <QWidget>

namespace {
const QString Caption = QStringLiteral("Документация к сдаче");

QString localNow()
{
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    return locale.toString(now.date(), QLocale::ShortFormat) + ' ' + locale.toString(now.time(), QLocale::LongFormat);
}

std::string native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}
} // namespace

TPackCommand::TPackCommand(QWidget& window, Sources sources)
    : QObject(&window), m_sources(std::move(sources)),
      m_action(new QAction(QStringLiteral("Документация к сдаче…"), this)), m_opener(&TDesktopOpener::open)
{
    setObjectName("PackCommand");
    m_action->setObjectName("ActionPack");
    m_action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    m_action->setEnabled(false);
    window.addAction(m_action);
    connect(m_action, &QAction::triggered, this, &TPackCommand::ActionPackTrigger);
}

void TPackCommand::ActionPackTrigger()
{
    if (m_running)
        return;
    TFilePlaces& places = m_sources.places();
    const QString chosen = TDialogs::current().saveFile(
        places.request(QStringLiteral("Документ Word|*.docx"), QStringLiteral("docx"),
                       TFilePlaces::Proposal::DocumentName, QString(), QStringLiteral("-сдача")));
    if (chosen.isEmpty())
        return;
    places.chosen(chosen);
    m_target = chosen;
    m_document.clear();
    m_pdf.clear();
    m_running = true;
    if (!m_sources.connected()) {
        make(std::nullopt);
        return;
    }
    // A read that cannot start has told the user why: no pack then, as the
    // user asked for one verified against the controller.
    m_running = false;
    m_sources.readAside([this](const TImage& image) {
        m_running = true;
        TCommissioningPack::Controller controller;
        // As kt7tool puts them: the serial's bytes as Latin-1, neither text
        // with a control character.
        controller.identification = TConfigDescriber::printable(m_sources.identification().trimmed().toStdString());
        controller.serial = TConfigDescriber::printable(
            QString::fromLatin1(QByteArray::fromStdString(m_sources.serialNumber())).toStdString());
        controller.image = image;
        controller.readAt = localNow().toStdString();
        make(controller);
    });
}

void TPackCommand::make(std::optional<TCommissioningPack::Controller> controller)
{
    TCommissioningPack::Input input;
    input.project = m_sources.project();
    input.projectFile = m_sources.projectFile().toStdString();
    input.program = "kt7config " + QCoreApplication::applicationVersion().toStdString();
    if (controller)
        if (const auto backup = TBackupStore::beforeLastWrite(m_sources.serialNumber(), controller->image))
            input.backupBeforeWrite = TCommissioningPack::Backup{backup->path, backup->time};
    input.controller = std::move(controller);
    try {
        TDocxWriter::save(TPackDocument::of(TCommissioningPack::of(input)), native(m_target));
    } catch (const std::exception& e) {
        m_running = false;
        Dlg::error(QStringLiteral("Документ не сохранен в %1:\n%2").arg(m_target, QString::fromStdString(e.what())));
        emit finished();
        return;
    }
    m_document = m_target;
    const std::string program = TPdfConversion::program();
    if (program.empty()) {
        converted(QStringLiteral("LibreOffice не установлен (нет программы soffice)"));
        return;
    }
    // LibreOffice takes seconds: the window stays usable meanwhile.
    QStringList arguments;
    for (const std::string& a : TPdfConversion::arguments(native(m_document)))
        arguments << QFile::decodeName(QByteArray::fromStdString(a));
    m_process = new QProcess(this);
    m_process->setProgram(QFile::decodeName(QByteArray::fromStdString(program)));
    m_process->setArguments(arguments);
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    connect(m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        const QString pdf = QFile::decodeName(QByteArray::fromStdString(TPdfConversion::pdfPath(native(m_document))));
        QString failure;
        if (m_timedOut)
            failure = QStringLiteral("LibreOffice не закончил за %1 с").arg(TPdfConversion::TimeoutSeconds);
        else if (status != QProcess::NormalExit || code != 0)
            failure = QStringLiteral("LibreOffice завершился с кодом %1").arg(code);
        else if (!QFile::exists(pdf))
            failure = QStringLiteral("LibreOffice не создал PDF");
        else
            m_pdf = pdf;
        m_process->deleteLater();
        m_process = nullptr;
        converted(failure);
    });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_process->deleteLater();
        m_process = nullptr;
        converted(QStringLiteral("LibreOffice не запускается"));
    });
    QFile::remove(QFile::decodeName(QByteArray::fromStdString(TPdfConversion::pdfPath(native(m_document)))));
    m_timedOut = false;
    m_process->start();
    // Killed, it ends as a failed conversion.
    QTimer::singleShot(TPdfConversion::TimeoutSeconds * 1000, m_process, [this, process = m_process] {
        m_timedOut = true;
        process->kill();
    });
}

void TPackCommand::converted(const QString& failure)
{
    if (failure.isEmpty())
        done(QStringLiteral("Документация к сдаче сохранена:\n%1\n%2").arg(m_document, m_pdf));
    else
        done(QStringLiteral("Документация к сдаче сохранена:\n%1\nPDF не создан: %2.").arg(m_document, failure));
}

void TPackCommand::done(const QString& text)
{
    const QString shown = m_pdf.isEmpty() ? m_document : m_pdf;
    const int choice = TDialogs::current().choose({text, Caption, TMsgIcon::Information, 0},
                                                  {QStringLiteral("Открыть"), QStringLiteral("Закрыть")}, 1);
    m_running = false;
    if (choice == 0 && !m_opener(shown))
        Dlg::error(QStringLiteral("Ни одно приложение не открыло %1").arg(shown));
    emit finished();
}
