#include "editor/TCloseUpComboBox.h"

#include <QAbstractItemView>

void TCloseUpComboBox::hidePopup()
{
    // Qt also calls this when the list was never open (the combo being hidden).
    const bool wasOpen = view()->isVisible();
    QComboBox::hidePopup();
    if (wasOpen)
        emit closedUp();
}
