#pragma once
// Hands a document to the desktop's application for its kind. Where the
// desktop's opener (xdg-open) is installed it is run and its exit status
// counts, so a document no application takes is known as not shown; without
// it the toolkit's own way is tried.

#include <QString>

class TDocumentOpener {
public:
    // True when an application has taken the document.
    static bool open(const QString& path);
};
