#pragma once
// One run of kt7tool as a child process, with what it printed and its status.

#include <QByteArray>
#include <QString>
#include <QStringList>

struct TToolRun {
    int status = -1;
    QString out;
    QString err;
    QByteArray outBytes; // standard output as it came

    // Runs kt7tool with the arguments; data is the tool's XDG_DATA_HOME.
    // input is its standard input; outputFile, when given, its standard
    // output (a terminal, for instance). With fileLimit the tool may write
    // files of at most that many bytes, as under ulimit -f.
    static TToolRun of(const QStringList& arguments, const QString& data = {}, const QByteArray& input = {},
                       const QString& outputFile = {}, long fileLimit = 0);
};
