#pragma once
// The traffic log window: one line per frame sent to or received from the
// controller while the window is shown, and the link's notes at any time.

#include <QWidget>

#include <cstdint>

class QPlainTextEdit;
class QString;

class TFormPort : public QWidget {
    Q_OBJECT
public:
    explicit TFormPort(QWidget* parent = nullptr);

    // Appends "COMn Read  : 0x.." or "COMn Write : 0x.." only while shown.
    void logFrame(const uint8_t* bytes, int count, bool received, int portNumber);
    // Appends the text as one line whether the window is shown or not.
    void logNote(const QString& text);

    QPlainTextEdit* memo() const { return Memo1; }

private:
    QPlainTextEdit* Memo1;
};

extern TFormPort* FormPort;
