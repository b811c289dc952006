#pragma once
// The user's guide (README.md with its pictures): kept with the documentation
// of an installed program, beside the program, or in the source tree the
// program was built from. F1 shows it in the desktop's viewer.

#include "widgets/TDesktopOpener.h"

#include <QString>
#include <QStringList>

class TGuide {
public:
    TGuide() : m_opener(&TDesktopOpener::open) {}

    void setOpener(TDesktopOpener::Opener opener) { m_opener = std::move(opener); }

    // Where the guide may be, in the order they are tried: the installed
    // copy first.
    static QStringList places();
    // The first place that holds the guide; empty when none does.
    static QString find();

    // Shows the guide; when it is missing or nothing shows it, a box says
    // where it is (or where an installation puts it).
    void show() const;

private:
    TDesktopOpener::Opener m_opener;
};
