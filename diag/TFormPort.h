#pragma once
// The traffic log window: one line per frame sent to or received from the
// controller while the window is shown, and the link's notes at any time.
// Like a terminal's scroll-back it keeps the last MaxLines lines; older ones
// are dropped, so a day with the log open keeps its memory bounded. It
// follows the newest line unless the user has scrolled up to read older
// ones. Its text box is made when the window is first shown; notes that come
// before wait for it.

#include <QStringList>
#include <QWidget>

#include <cstdint>

class QPlainTextEdit;

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

    // The text box, made now if the window has not been shown yet.
    QPlainTextEdit* memo() const;

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void append(const QString& line);
    // The view at the newest line.
    void followEnd();

    // Made on first need, also by a caller that only reads it.
    mutable QPlainTextEdit* Memo1 = nullptr;
    mutable QStringList m_waiting;
};

extern TFormPort* FormPort;
