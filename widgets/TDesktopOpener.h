#pragma once
// Hands a file to the desktop's application for its type, as a double-click
// in the file manager would. Where the desktop's opener (xdg-open) is
// installed it is run and its exit status counts, so a file no application
// takes is known as not shown; without it the toolkit's own way is tried.
// Windows that show files keep an Opener, which tests replace with a
// stand-in.

#include <QString>
#include <functional>

class TDesktopOpener {
public:
    // Shows a file; false when it could not be shown.
    using Opener = std::function<bool(const QString& path)>;

    // The desktop's own application; false when none took the file.
    static bool open(const QString& path);
};
