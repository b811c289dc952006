// kt7config's arguments, run as the program itself and without a display:
// the windowing system is the X server that is not there, so a run that
// tried to open the window would fail.

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

struct TRun {
    bool finished = false;
    int status = -1;
    QString out;
    QString err;
};

QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    environment.insert("QT_QPA_PLATFORM", "xcb");
    return environment;
}

TRun run(const QStringList& arguments)
{
    QProcess process;
    process.setProcessEnvironment(withoutDisplay());
    process.start(KT7CONFIG_PATH, arguments);
    TRun result;
    result.finished = process.waitForFinished(20000);
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

// Lines of standard error, without the toolkit's notes about the session.
QStringList errorLines(const TRun& run)
{
    QStringList lines = run.err.split('\n', Qt::SkipEmptyParts);
    lines.removeIf([](const QString& line) { return line.startsWith("QStandardPaths:"); });
    return lines;
}

} // namespace

TEST(CommandLine, UnknownOptionsEndWithOneLineAndStatusTwo)
{
    const QStringList cases[] = {{"--bogus"}, {"-bogus", "site.usr"}, {"-platform", "offscreen", "--bogus"}};
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const TRun result = run(arguments);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.status, 2);
        EXPECT_TRUE(result.out.isEmpty());
        const QStringList lines = errorLines(result);
        ASSERT_EQ(lines.size(), 1) << result.err.toStdString();
        EXPECT_TRUE(lines[0].startsWith("kt7config: ")) << lines[0].toStdString();
        EXPECT_TRUE(lines[0].contains(QStringLiteral("«bogus»"))) << lines[0].toStdString();
        EXPECT_TRUE(lines[0].contains("--help")) << lines[0].toStdString();
    }
}

TEST(CommandLine, TwoProjectsEndWithOneLineAndStatusTwo)
{
    // A toolkit option with its value after "=" takes no argument besides.
    for (const QStringList& arguments :
         {QStringList{"a.usr", "b.usr"}, QStringList{"-style=fusion", "a.usr", "b.usr"}}) {
        const TRun result = run(arguments);
        EXPECT_EQ(result.status, 2) << arguments.join(' ').toStdString();
        EXPECT_EQ(errorLines(result), QStringList{"kt7config: можно открыть только один проект"});
    }
}

TEST(CommandLine, TheToolkitsOwnOptionsStayTheToolkits)
{
    const TRun version = run(
        {"-platform", "offscreen", "-style", "Fusion", "--style=Fusion", "-display", ":9", "-reverse", "--version"});
    ASSERT_TRUE(version.finished);
    EXPECT_EQ(version.status, 0) << version.err.toStdString();
    EXPECT_TRUE(version.out.startsWith("kt7config ")) << version.out.toStdString();

    // The window starts on the platform named, and runs.
    QProcess window;
    window.setProcessEnvironment(withoutDisplay());
    window.start(KT7CONFIG_PATH, {"-platform", "offscreen", "-style", "Fusion", "-qwindowtitle", "site"});
    ASSERT_TRUE(window.waitForStarted(5000));
    EXPECT_FALSE(window.waitForFinished(1500)) << window.readAllStandardError().toStdString();
    window.kill();
    window.waitForFinished(5000);
}
