#include "tests/tool/TToolRun.h"

#include <QProcess>

TToolRun TToolRun::of(const QStringList& arguments, const QString& data, const QByteArray& input,
                      const QString& outputFile)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!data.isEmpty())
        env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    process.setProcessEnvironment(env);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(KT7TOOL_PATH), arguments);
    process.write(input);
    process.closeWriteChannel();
    TToolRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("kt7tool did not end");
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.outBytes = process.readAllStandardOutput();
    run.out = QString::fromUtf8(run.outBytes);
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
