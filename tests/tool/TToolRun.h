#pragma once
// One run of kt7tool as a child process, with what it printed and its status.

#include <QString>
#include <QStringList>

struct TToolRun {
    int status = -1;
    QString out;
    QString err;

    // Runs kt7tool with the arguments, in folder when one is given; data is
    // the tool's XDG_DATA_HOME.
    static TToolRun of(const QStringList& arguments, const QString& data = {});
};
