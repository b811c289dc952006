#pragma once
// The report window: shows a progress bar while the report is generated. The
// first paint after the window is shown starts the generation; when it ends the
// finished .docx is written to a new temporary file and handed to the desktop's
// default application, the window hides and finished() is emitted so the main
// window can release its report button. A document no application takes is
// named to the user, who may save it where they choose: the dialog starts
// where the window's file dialogs start and proposes the project's name, and
// the saved copy gets the mode a new file of the user gets.

#include "report/TReportInput.h"
#include "widgets/TDesktopOpener.h"

#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;
class TDocument;
class TFilePlaces;

class TFormWord : public QWidget {
    Q_OBJECT
public:
    using InputProvider = std::function<TReportInput()>;
    using Opener = TDesktopOpener::Opener;
    // True when documents that stand in the way of a new report are open.
    using OpenDocumentsCheck = std::function<bool()>;

    explicit TFormWord(QWidget* parent = nullptr);
    ~TFormWord() override;

    void setInputProvider(InputProvider provider) { m_provider = std::move(provider); }
    void setOpener(Opener opener) { m_opener = std::move(opener); }
    void setOpenDocumentsCheck(OpenDocumentsCheck check) { m_documentsOpen = std::move(check); }
    // Where "Сохранить как..." starts; without it, in the working directory.
    void setFilePlaces(TFilePlaces* places) { m_places = places; }

    // The report button released by hand: the window goes away.
    void release() { hide(); }

    bool generating() const { return m_running; }
    // Path of the last document written, empty when none was.
    QString lastDocument() const { return m_lastDocument; }

    QLabel* Label1;
    QProgressBar* PB;

signals:
    void finished();
    // Why a report failed, in words for a log: the user sees a fixed box.
    void failed(const QString& reason);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void FormPaint();
    void generate();
    void advance();
    // Writes and shows what the document holds; the reason when that failed.
    QString present(const TDocument& doc);
    void fail(const QString& reason);
    // The document made could not be shown: says where it is and lets the
    // user save it elsewhere.
    void offerToSave();
    void done();

    InputProvider m_provider;
    Opener m_opener;
    OpenDocumentsCheck m_documentsOpen;
    TFilePlaces* m_places = nullptr;
    bool m_armed = false;
    bool m_running = false;
    QString m_lastDocument;
};

extern TFormWord* FormWord;
