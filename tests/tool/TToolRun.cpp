#include "tests/tool/TToolRun.h"

#include <QProcess>

TToolRun TToolRun::of(const QStringList& arguments, const QString& data)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!data.isEmpty())
        env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KT7TOOL_PATH), arguments);
    TToolRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("kt7tool did not end");
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
