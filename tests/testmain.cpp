#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A home and XDG folders of the test's own: nothing of the caller's
    // configuration (its COM links, its backups) is read or written, and
    // every child process inherits them.
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    const QDir root(home.path());
    for (const char* variable :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString folder = QString::fromLatin1(variable).toLower();
        if (!root.mkdir(folder))
            return 2;
        QFile::setPermissions(root.filePath(folder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(variable, QFile::encodeName(root.filePath(folder)));
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
