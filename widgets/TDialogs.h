#pragma once
// The one way the program asks the user anything: message boxes, file dialogs
// and its own modal dialogs. The running program shows real Qt dialogs; tests
// install a scripted answerer.

#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QWidget;

enum class TMsgIcon { None, Information, Warning, Error, Question };

enum TMsgButton : int {
    mbOK = 0x1,
    mbCancel = 0x2,
    mbYes = 0x4,
    mbNo = 0x8,
    // A scripted answer to a box with buttons of its own: mbChoice + index.
    mbChoice = 0x100,
};

struct TMessage {
    QString text;
    QString caption;
    TMsgIcon icon = TMsgIcon::None;
    int buttons = mbOK; // a set of TMsgButton
};

struct TFileRequest {
    QString filter;           // "*.usr|*.usr" style: description|pattern
    QString fileName;         // proposed name
    QString defaultExtension; // "usr" or empty
    QString folder;           // where the dialog starts; empty: the working directory
};

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // Returns the button that closed the box (one of TMsgButton).
    virtual int message(const TMessage& msg) = 0;
    // A box with buttons of its own, left to right, in place of msg.buttons;
    // the one at defaultChoice takes Enter, Escape and the close box.
    // Returns the index of the button that closed the box.
    virtual int choose(const TMessage& msg, const QStringList& choices, int defaultChoice) = 0;
    // Return the chosen path, or an empty string when the user cancelled.
    virtual QString openFile(const TFileRequest& req) = 0;
    virtual QString saveFile(const TFileRequest& req) = 0;
    // Runs one of the program's own dialogs modally; returns its QDialog result.
    virtual int execModal(QDialog& dialog) = 0;

    static TDialogs& current();
    // Replaces the answerer; nullptr restores the real dialogs.
    static void install(TDialogs* dialogs);
};

// The fixed kinds of boxes the program uses.
namespace Dlg {
int information(const QString& text);    // information box, OK
bool confirm(const QString& text);       // information box, OK and Cancel: true on OK
int askYesNoCancel(const QString& text); // information box, Yes No Cancel
void error(const QString& text);         // error box, OK
void plain(const QString& text);         // plain box, OK
} // namespace Dlg

// The real dialogs.
class TQtDialogs : public TDialogs {
public:
    int message(const TMessage& msg) override;
    int choose(const TMessage& msg, const QStringList& choices, int defaultChoice) override;
    QString openFile(const TFileRequest& req) override;
    QString saveFile(const TFileRequest& req) override;
    int execModal(QDialog& dialog) override;
};
