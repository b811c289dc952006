// Takes the pictures of the user guide from the real windows: fills the image
// with a small example installation, selects the main pages one by one and
// saves each window as a PNG. When a controller (or kt7sim) answers on a port,
// it also connects, writes the example and shows the window during the write.
//   kt7shots <output folder>

#include "app/TAppWindows.h"
#include "app/TFormMatrix.h"
#include "app/TFormProjectName.h"
#include "app/TFormWord.h"
#include "app/TMain.h"
#include "app/TScanPanel.h"
#include "app/TSetComPort.h"
#include "diag/TDbg.h"
#include "diag/TFormPort.h"
#include "image/ImageLayout.h"
#include "image/TAlarmRecord.h"
#include "tools/screenshots/TAcceptingDialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QThread>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <cstdio>
#include <functional>

namespace {

// Four splitters, one console, telephone paging and background music, one
// message module and one relay module; two alarm algorithms.
void fillExample(TImage& image)
{
    using namespace Layout;
    image.setValue(SplitterCount.at(SystemNode), 4 - 1);
    image.setValue(ConsoleCount.at(SystemNode), 1);
    image.setValue(PagingFlag.at(SystemNode), 1);
    image.setValue(MusicFlag.at(SystemNode), 1);
    image.setValue(MessageModules.at(SystemNode), 1);
    image.setValue(RelayModuleCount.at(SystemNode), 1);
    for (int out = 1; out <= OutputsPerSplitter; ++out)
        image.setBit(MusicMask, outputBit(2, out), true);
    for (int splitter = 1; splitter <= 2; ++splitter)
        image.setBit(buttonOffset(1), outputBit(splitter, 1), true);
    image.setBit(groupOffset(1), outputBit(3, 2), true);

    TAlarmRecord fire(image, 1);
    fire.setEnabled(true);
    fire.setDelayCode(2);
    TStageRecord warning = fire.stage(1);
    warning.setDuration(4);
    warning.setMessageCode(0);
    warning.setK1(true);
    for (int splitter = 1; splitter <= 4; ++splitter)
        for (int out = 1; out <= OutputsPerSplitter; ++out)
            warning.setOutputBit(outputBit(splitter, out), true);
    warning.setRelayBit(relayBit(1, 1), true);
    TStageRecord evacuation = fire.stage(2);
    evacuation.setDuration(255);
    evacuation.setMessageCode(8 + 2);
    evacuation.setOutputBit(outputBit(1, 1), true);
    evacuation.setOutputBit(outputBit(1, 2), true);

    TAlarmRecord gas(image, 2);
    gas.setEnabled(true);
    gas.stage(1).setDuration(8);
}

bool save(QWidget* window, const QString& path)
{
    window->show();
    window->raise();
    QApplication::processEvents();
    // Strongest PNG compression: the pictures travel in the repository.
    const bool ok = window->grab().save(path, "PNG", 0);
    std::fprintf(stderr, "%s %s\n", ok ? "saved" : "FAILED", qPrintable(path));
    return ok;
}

// Keeps the windows working until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
    return done();
}

bool shootLink(const QDir& out)
{
    Main->findChild<QToolButton*>("TBFind")->click();
    if (!waitFor([] { return !Main->statusText(1).isEmpty(); }, 10000)) {
        std::fprintf(stderr, "no controller answered: no picture of the link\n");
        Main->findChild<QToolButton*>("TBFind")->click();
        return true;
    }
    Main->findChild<QToolButton*>("TBWrite")->click();
    QProgressBar* progress = Main->scanPanel()->progressBar();
    // The write reads what the controller holds first; the picture shows the
    // write itself half-way.
    waitFor(
        [progress] {
            return Main->scanPanel()->caption() == QStringLiteral("Запись данных ...")
                && progress->value() >= progress->maximum() / 2;
        },
        30000);
    const bool ok = save(Main, out.filePath(QStringLiteral("link.png")));
    waitFor([] { return Main->scanPanel()->isHidden(); }, 30000);
    Main->findChild<QToolButton*>("TBFind")->click();
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("kt7config");
    if (argc != 2) {
        std::fprintf(stderr, "usage: kt7shots <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    TAcceptingDialogs answers;
    TDialogs::install(&answers);
    TAppWindows windows;

    fillExample(Main->image());
    Main->setInputName(1, QStringLiteral("Пожар"));
    Main->setInputName(2, QStringLiteral("Утечка газа"));
    Main->SetProjectName(QStringLiteral("Школа 5"));
    Main->EditorReload();
    Main->setStatusText(0, QStringLiteral("Нет подключения"));

    auto* tree = Main->findChild<QTreeWidget*>("TV");
    const auto shoot = [&](QTreeWidgetItem* node, const char* name) {
        tree->setCurrentItem(node);
        tree->scrollToItem(node);
        Main->RefreshStates();
        return save(Main, out.filePath(QString::fromLatin1(name)));
    };
    bool ok = shoot(Main->systemNode(), "system.png");
    ok &= shoot(Main->settingsNode(), "settings.png");
    tree->expandItem(Main->buttonsRoot());
    ok &= shoot(Main->buttonNode(1), "button.png");
    tree->collapseItem(Main->buttonsRoot());
    tree->expandItem(Main->inputNode(1));
    ok &= shoot(Main->inputNode(1), "algorithm.png");
    ok &= shoot(Main->stageNode(1, 2), "stage.png");
    TFormMatrix* matrix = Main->formMatrix();
    matrix->resize(760, 260);
    matrix->showMatrix();
    ok &= save(matrix, out.filePath(QStringLiteral("matrix.png")));
    matrix->hide();
    // Made when "Подключить" first asks for it; its picture is taken before.
    if (!SetComPort)
        SetComPort = new TSetComPort;
    ok &= save(SetComPort, out.filePath(QStringLiteral("port.png")));
    SetComPort->hide();
    Dbg->show();
    Dbg->Refresh(Main->image());
    ok &= save(Dbg, out.filePath(QStringLiteral("dump.png")));
    Dbg->hide();
    ok &= shootLink(out);

    // Nothing of this run is a project: the windows go without the close questions.
    TDialogs::install(nullptr);
    return ok ? 0 : 1;
}
