#include "widgets/TDesktopOpener.h"

#include <QDesktopServices>
#include <QUrl>

bool TDesktopOpener::open(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
