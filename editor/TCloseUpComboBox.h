#pragma once
// A drop-down list that says when its list closes, whether an entry was
// chosen or not. Qt hides the list before it applies the entry chosen in it;
// this list says `closedUp` only after that choice has been applied and
// `chosen` has been handled, so a handler of `closedUp` sees the entry chosen.

#include <QComboBox>

class TCloseUpComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TCloseUpComboBox(QWidget* parent = nullptr);

    void hidePopup() override;

signals:
    // The user chose an entry (QComboBox::activated).
    void chosen(int index);
    // The list closed; after the choice it closed with, if any.
    void closedUp();

private:
    void finishClosing();

    // Set from the list's closing until the choice that follows it, or until
    // the event loop runs again when no choice follows.
    bool m_closing = false;
};
