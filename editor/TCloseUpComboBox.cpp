#include "editor/TCloseUpComboBox.h"

#include <QAbstractItemView>

#include <utility>

TCloseUpComboBox::TCloseUpComboBox(QWidget* parent) : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, [this](int index) {
        // Cleared before the choice is handled: a message box shown for it
        // runs the event loop, and the closing must not be told from there.
        const bool closing = std::exchange(m_closing, false);
        emit chosen(index);
        if (closing)
            emit closedUp();
    });
}

void TCloseUpComboBox::hidePopup()
{
    // Qt also calls this when the list was never open (the combo being hidden).
    const bool wasOpen = view()->isVisible();
    QComboBox::hidePopup();
    if (!wasOpen)
        return;
    // A choice made in the list follows at once; without one (Escape, a click
    // elsewhere) the closing is told when the event loop runs again.
    m_closing = true;
    QMetaObject::invokeMethod(this, &TCloseUpComboBox::finishClosing, Qt::QueuedConnection);
}

void TCloseUpComboBox::finishClosing()
{
    if (std::exchange(m_closing, false))
        emit closedUp();
}
