#include "tests/tool/TToolRun.h"

#include <QProcess>
#include <sys/resource.h>

TToolRun TToolRun::of(const QStringList& arguments, const QString& data, const QByteArray& input,
                      const QString& outputFile, long fileLimit)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!data.isEmpty())
        env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    process.setProcessEnvironment(env);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    if (fileLimit > 0)
        process.setChildProcessModifier([fileLimit] {
            const rlimit limit{static_cast<rlim_t>(fileLimit), static_cast<rlim_t>(fileLimit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
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
