#include "app/TFormWord.h"

#include "app/TFilePlaces.h"
#include "project/TAtomicFile.h"
#include "report/TAutomationError.h"
#include "report/TDocxWriter.h"
#include "report/TReportGenerator.h"
#include "widgets/TDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryFile>

TFormWord* FormWord = nullptr;

namespace {
constexpr int ProgressMaximum = 24;
const char* const FailureText = "Ошибка формирования отчета !";
const char* const DocumentsOpenText = "Для формирования нового отчета\nзакройте все документы WORD !";
const QString NotShownText
    = QStringLiteral("Отчет сформирован, но ни одно приложение не открыло его.\nФайл отчета:\n%1");
const QString SaveFailedText = QStringLiteral("Отчет не сохранен в %1:\n%2\nОн остается в файле\n%3");
} // namespace

TFormWord::TFormWord(QWidget* parent)
    : QWidget(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint),
      Label1(new QLabel(this)), PB(new QProgressBar(this)), m_opener(&TDesktopOpener::open),
      // Each report is a new file of its own, so no open document ever stands
      // in the way of the next one.
      m_documentsOpen([] { return false; })
{
    setObjectName(QStringLiteral("FormWord"));
    setWindowTitle(QStringLiteral("Отчет"));
    setFixedSize(345, 101);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setText(QStringLiteral("Идет генерация отчета ..."));
    Label1->setGeometry(16, 16, 313, 20);
    PB->setObjectName(QStringLiteral("PB"));
    PB->setRange(0, ProgressMaximum);
    PB->setTextVisible(false);
    PB->setGeometry(16, 56, 313, 17);
}

TFormWord::~TFormWord()
{
    if (FormWord == this)
        FormWord = nullptr;
}

void TFormWord::showEvent(QShowEvent* event)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    m_armed = true;
    QWidget::showEvent(event);
}

void TFormWord::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    FormPaint();
}

void TFormWord::FormPaint()
{
    // Only the first paint after showing starts a report; paints while it runs
    // or after it do not start another. The generation runs once this paint is over.
    if (!m_armed || m_running)
        return;
    m_armed = false;
    m_running = true;
    QMetaObject::invokeMethod(this, &TFormWord::generate, Qt::QueuedConnection);
}

void TFormWord::advance()
{
    const int next = PB->value() + 1;
    PB->setValue(next > ProgressMaximum ? 0 : next);
    PB->repaint();
}

void TFormWord::generate()
{
    Label1->setText(QStringLiteral("Идет генерация отчета ..."));
    Label1->repaint();
    PB->setValue(0);
    m_lastDocument.clear();

    if (m_documentsOpen()) {
        hide();
        Dlg::error(QString::fromUtf8(DocumentsOpenText));
        done();
        return;
    }

    TWordDocument doc;
    QString failure;
    try {
        if (!m_provider)
            throw std::runtime_error("no report input");
        const TReportInput input = m_provider();
        TReportGenerator(input, doc, [this] { advance(); }).run();
    } catch (const TAutomationError& e) {
        failure = QStringLiteral("report generation failed at %1").arg(QString::fromStdString(e.what()));
    } catch (const std::exception& e) {
        failure = QString::fromStdString(e.what());
    }
    if (failure.isEmpty()) {
        hide();
        done();
        const QString reason = present(doc.document());
        if (reason.isEmpty())
            return;
        // A document made that no application took is the user's all the
        // same: named, and saved where they choose.
        if (!m_lastDocument.isEmpty()) {
            emit failed(reason);
            offerToSave();
        } else {
            fail(reason);
        }
        return;
    }
    // What was written up to the failure is still shown.
    present(doc.document());
    fail(failure);
    hide();
    done();
}

void TFormWord::fail(const QString& reason)
{
    // The box keeps its fixed text; the reason goes to whoever listens.
    emit failed(reason);
    Dlg::error(QString::fromUtf8(FailureText));
}

QString TFormWord::present(const TDocument& doc)
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/kt7-report-XXXXXX.docx"));
    file.setAutoRemove(false);
    if (!file.open())
        return QStringLiteral("cannot create %1: %2").arg(file.fileTemplate(), file.errorString());
    const QString path = file.fileName();
    file.close();
    try {
        TDocxWriter::save(doc, QFile::encodeName(path).toStdString());
    } catch (const std::exception& e) {
        QFile::remove(path);
        return QString::fromStdString(e.what());
    }
    m_lastDocument = path;
    if (!m_opener(path))
        return QStringLiteral("no application opened %1").arg(path);
    return QString();
}

void TFormWord::offerToSave()
{
    const QString made = m_lastDocument;
    const int choice = TDialogs::current().choose({NotShownText.arg(made), windowTitle(), TMsgIcon::Warning, 0},
                                                  {QStringLiteral("Сохранить как..."), QStringLiteral("Закрыть")}, 1);
    if (choice != 0)
        return;
    const QString filter = QStringLiteral("*.docx|*.docx");
    const QString extension = QStringLiteral("docx");
    const QString report = QStringLiteral("report");
    const QString chosen = TDialogs::current().saveFile(
        m_places ? m_places->request(filter, extension, TFilePlaces::Proposal::DocumentName, report)
                 : TFileRequest{filter, report + '.' + extension, extension, QString()});
    if (chosen.isEmpty())
        return;
    if (m_places)
        m_places->chosen(chosen);
    // Written anew rather than copied, so that the document does not keep the
    // temporary file's private mode; the dialog has asked before a file is
    // replaced.
    QFile source(made);
    const QByteArray bytes = source.open(QIODevice::ReadOnly) ? source.readAll() : QByteArray();
    const TFileResult written = source.error() == QFileDevice::NoError
        ? TAtomicFile::write(QFile::encodeName(chosen).toStdString(), bytes.toStdString())
        : TFileResult::failure(made.toStdString(), source.errorString().toStdString());
    if (!written) {
        Dlg::error(SaveFailedText.arg(chosen, QString::fromStdString(written.reason()), made));
        return;
    }
    source.close();
    QFile::remove(made);
    m_lastDocument = chosen;
}

void TFormWord::done()
{
    m_running = false;
    emit finished();
}
