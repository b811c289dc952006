#pragma once
// The traffic log window: one line per frame sent to or received from the
// controller while the window is shown, and the link's notes at any time.
// Like a terminal's scroll-back it keeps the last MaxLines lines; older ones
// are dropped, so a day with the log open keeps its memory bounded.

#include <QWidget>

#include <cstdint>

class QPlainTextEdit;
class QString;

class TFormPort : public QWidget {
    Q_OBJECT
public:
    // About 22 whole-image reads (448 lines each), some 7 MiB. The oldest
    // lines go TrimLines at a time: one edit of the document for many lines
    // keeps appending as fast as without a limit.
    static constexpr int MaxLines = 10000;
    static constexpr int TrimLines = 1000;

    explicit TFormPort(QWidget* parent = nullptr);

    // Appends "COMn Read  : 0x.." or "COMn Write : 0x.." only while shown.
    void logFrame(const uint8_t* bytes, int count, bool received, int portNumber);
    // Appends the text as one line whether the window is shown or not.
    void logNote(const QString& text);

    QPlainTextEdit* memo() const { return Memo1; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void append(const QString& line);

    QPlainTextEdit* Memo1;
};

extern TFormPort* FormPort;
