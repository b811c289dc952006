#pragma once
// The program's arguments: one project file to open at start, and --help and
// --version, which print their text and end the run without a window. The
// toolkit's own options (-platform, -style, -display and the like) are left
// to the toolkit; any other option is a usage error, told in one line with
// exit status 2, also without a window.

#include <QString>
#include <QStringList>

class TCommandLine {
public:
    // True when the arguments ask for help or the version, name more than one
    // project or hold an unknown option: the answer needs no display, so it is
    // printed before the windowing system is started.
    static bool asksForText(const QStringList& arguments);
    // Parses the arguments. Help, the version and wrong arguments are printed
    // and end the process (wrong ones with status 2); otherwise returns the
    // project file named, or an empty text.
    static QString projectFile(const QStringList& arguments);
};
