// Peak memory of a typical session: the program's windows, a project opened
// from its files, every page of the tree selected, the dump shown, and a
// report generated and written. Prints the process's peak resident size.

#include "app/TAppWindows.h"

#include "app/TFormWord.h"
#include "app/TMain.h"
#include "diag/TDbg.h"
#include "image/TAlarmRecord.h"
#include "project/TImageFile.h"
#include "project/TNamesFile.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace {

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A project with every input in use, written to image and names files.
void writeProject(const std::string& imagePath, const std::string& namesPath)
{
    TImage image;
    for (int offset = Layout::ButtonTable; offset < Layout::FirstUnused; ++offset)
        image.setByte(offset, 0xFF);
    TNamesFile::Names names;
    for (int i = 1; i <= Layout::InputCount; ++i) {
        TAlarmRecord record(image, i);
        record.setEnabled(true);
        record.setDelayCode(3);
        names[static_cast<size_t>(i - 1)] = "Пожар, зона " + std::to_string(i);
    }
    if (!TImageFile::write(imagePath, image) || !TNamesFile::write(namesPath, names))
        throw std::runtime_error("cannot write the bench project");
}

void openProject(const std::string& imagePath, const std::string& namesPath)
{
    TNamesFile::Names names;
    if (!TImageFile::read(imagePath, Main->image()) || !TNamesFile::read(namesPath, names))
        throw std::runtime_error("cannot read the bench project");
    Main->EditorReload();
    for (int i = 0; i < Layout::InputCount; ++i)
        Main->setInputName(i + 1, QString::fromStdString(names[static_cast<size_t>(i)]));
}

int selectEveryNode()
{
    QTreeWidget* tree = Main->findChild<QTreeWidget*>(QStringLiteral("TV"));
    int selected = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it, ++selected) {
        tree->setCurrentItem(*it);
        QCoreApplication::processEvents();
    }
    return selected;
}

bool generateReport()
{
    TFormWord* report = Main->reportWindow();
    report->setOpener([](const QString& path) { return QFile::remove(path); });
    QEventLoop loop;
    bool finished = false;
    QObject::connect(report, &TFormWord::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    Main->TBReportClick(true);
    loop.exec();
    return finished;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const auto start = std::chrono::steady_clock::now();
    QTemporaryDir dir;
    const std::string imagePath = dir.filePath(QStringLiteral("bench.usr")).toStdString();
    const std::string namesPath = dir.filePath(QStringLiteral("bench.ini")).toStdString();
    writeProject(imagePath, namesPath);

    TAppWindows windows;
    QCoreApplication::processEvents();
    const long windowsKiB = peakKiB();
    openProject(imagePath, namesPath);
    const int nodes = selectEveryNode();
    Main->TBDebugClick();
    QCoreApplication::processEvents();
    if (!generateReport()) {
        std::fputs("session: the report did not finish\n", stderr);
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("peak memory of a typical session (open project, %d nodes selected, dump shown, report): "
                "%.1f MiB (windows alone %.1f MiB), session %.1f s\n",
                nodes, peakKiB() / 1024.0, windowsKiB / 1024.0, seconds);
    return 0;
}
