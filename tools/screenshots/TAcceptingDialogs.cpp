#include "tools/screenshots/TAcceptingDialogs.h"

#include <QDialog>

#include <cstdio>

int TAcceptingDialogs::message(const TMessage& msg)
{
    std::fprintf(stderr, "message: %s\n", qPrintable(msg.text));
    return (msg.buttons & mbYes) ? mbYes : mbOK;
}

int TAcceptingDialogs::choose(const TMessage& msg, const QStringList&, int)
{
    std::fprintf(stderr, "message: %s\n", qPrintable(msg.text));
    return 0;
}

QString TAcceptingDialogs::openFile(const TFileRequest&)
{
    return {};
}

QString TAcceptingDialogs::saveFile(const TFileRequest&)
{
    return {};
}

int TAcceptingDialogs::execModal(QDialog&)
{
    return QDialog::Accepted;
}
