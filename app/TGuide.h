#pragma once
// The user's guide (README.md with its pictures): kept with the documentation
// of an installed program, beside the program, or in the source tree the
// program was built from. F1 shows it in the desktop's viewer, or, where the
// desktop has none for Markdown, in the program's own window.

#include "widgets/TDesktopOpener.h"

#include <QPointer>
#include <QString>
#include <QStringList>

class QWidget;
class TGuideWindow;

class TGuide {
public:
    // The program's own window is built, over window, when first needed.
    explicit TGuide(QWidget& window) : m_window(window), m_opener(&TDesktopOpener::open) {}

    void setOpener(TDesktopOpener::Opener opener) { m_opener = std::move(opener); }

    // Where the guide may be, in the order they are tried: the installed
    // copy first.
    static QStringList places();
    // The first place that holds the guide; empty when none does.
    static QString find();

    // Shows the guide; when it is missing a box says where an installation
    // puts it.
    void show();
    // The program's own window, once it has been shown.
    TGuideWindow* ownWindow() const;

private:
    QWidget& m_window;
    TDesktopOpener::Opener m_opener;
    QPointer<TGuideWindow> m_own;
};
