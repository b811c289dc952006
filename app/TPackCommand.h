#pragma once
// The commissioning pack from the window ("Документация к сдаче…"): the user
// names the .docx; when a controller is connected its image is read beside
// the project and compared; the document is made from the project as it
// stands, as kt7tool pack makes it, and LibreOffice then writes a PDF beside
// it without blocking the window. A box says what was written, or why there
// is no PDF, and offers to open it.

#include "report/TCommissioningPack.h"
#include "widgets/TDesktopOpener.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QProcess;
class QWidget;
class TFilePlaces;

class TPackCommand : public QObject {
    Q_OBJECT
public:
    // What the pack takes from the main window.
    struct Sources {
        std::function<TReportInput()> project;
        // The image file the project was opened from or saved to; empty for a new one.
        std::function<QString()> projectFile;
        // Where the file dialog starts and what it proposes.
        std::function<TFilePlaces&()> places;
        // A controller has answered; its identification and serial number.
        std::function<bool()> connected;
        std::function<QString()> identification;
        std::function<std::string()> serialNumber;
        // Reads the controller beside the project; done is not called when
        // no read can start (the user has been told why).
        std::function<void(std::function<void(const TImage&)> done)> readAside;
    };
    using Opener = TDesktopOpener::Opener;

    TPackCommand(QWidget& window, Sources sources);

    // "Документация к сдаче…" (Ctrl+P); usable once there is a project.
    QAction* action() const { return m_action; }
    void setOpener(Opener opener) { m_opener = std::move(opener); }

    void ActionPackTrigger();
    // True from the file dialog until the last box: a second pack waits.
    bool running() const { return m_running; }
    // The document and the PDF of the last pack; empty when none was made.
    const QString& document() const { return m_document; }
    const QString& pdf() const { return m_pdf; }

signals:
    void finished();

private:
    void make(std::optional<TCommissioningPack::Controller> controller);
    void converted(const QString& failure);
    void done(const QString& text);

    Sources m_sources;
    QAction* m_action;
    Opener m_opener;
    QProcess* m_process = nullptr;
    bool m_timedOut = false; // the conversion took too long and was killed
    bool m_running = false;
    QString m_target;
    QString m_document;
    QString m_pdf;
};
