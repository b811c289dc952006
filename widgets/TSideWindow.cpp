#include "widgets/TSideWindow.h"

#include <QWidget>

void TSideWindow::bringUp(QWidget& window)
{
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    if (!window.isVisible() && window.parentWidget())
        window.move(window.parentWidget()->frameGeometry().center() - window.rect().center());
    window.show();
    window.raise();
    window.activateWindow();
}
