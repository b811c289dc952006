#pragma once
// Brings a window of its own (a list, a matrix, a comparison) up for the
// user: back from minimised, over the main window when it first appears
// rather than wherever the window system puts a new window, raised and
// active.

class QWidget;

class TSideWindow {
public:
    static void bringUp(QWidget& window);
};
