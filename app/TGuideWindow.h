#pragma once
// The user's guide in the program's own window, for a desktop with no viewer
// for Markdown: the guide rendered with its pictures, its links followed.

#include "widgets/TSideWindow.h"

class QTextBrowser;

class TGuideWindow : public TSideWindow {
    Q_OBJECT
public:
    explicit TGuideWindow(QWidget* parent);

    // Shows the Markdown file at path and brings the window up.
    void showGuide(const QString& path);

    QTextBrowser* browser() const { return TextGuide; }

private:
    QTextBrowser* TextGuide;
};
