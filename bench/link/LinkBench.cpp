// Whole-image reads and writes through the real main window, its link and
// the serial port component, against kt7sim paced like a 9600 baud line.
// Prints each transfer's time against the bare line time, and where the
// rest goes: the time of each request/reply cycle and how many pieces each
// reply arrived in. A write reads what the controller holds first: its two
// phases are timed apart, and a write of what the controller holds already
// is the read alone. Then the same transfers made by kt7tool on the same
// line, from its start to its end (identification included), beside them.

#include "app/TControllerLink.h"
#include "app/TMain.h"
#include "app/TScanPanel.h"
#include "app/TSetComPort.h"
#include "diag/TFormPort.h"
#include "image/ImageLayout.h"
#include "serial/TPortMap.h"
#include "tests/support/TEventPump.h"
#include "tests/support/TScriptedDialogs.h"
#include "tests/support/TSimProcess.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

constexpr int Baud = 9600;
constexpr int BitsPerByte = 10;
constexpr int Blocks = 64;
constexpr int ReadBytesPerBlock = 7 + 39;
constexpr int WriteBytesPerBlock = 39 + 39;
constexpr int Runs = 3;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Result {
    double seconds = 0;
    double readSeconds = 0;     // a write: its read of what the controller holds
    std::vector<double> cycles; // ms between completed replies
    int batches = 0;            // pieces the replies arrived in
};

Result transfer(const char* button, TScriptedDialogs& dialogs)
{
    TControllerLink& link = *Main->link();
    QProgressBar* bar = Main->scanPanel()->progressBar();
    FormPort->memo()->clear();
    Main->setSaved(true);
    Result result;
    QElapsedTimer clock;
    std::vector<qint64> completions;
    const auto connection = QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        if (value > 0)
            completions.push_back(clock.nsecsElapsed());
        else if (result.readSeconds == 0 && !completions.empty())
            result.readSeconds = clock.nsecsElapsed() / 1e9; // the write itself begins
    });
    dialogs.messages.clear();
    clock.start();
    Main->findChild<QToolButton*>(button)->click();
    if (!TEventPump::until([&] { return link.linkState() == TControllerLink::Idle; }, 60000))
        std::fprintf(stderr, "transfer did not end\n");
    result.seconds = clock.nsecsElapsed() / 1e9;
    QObject::disconnect(connection);
    for (size_t i = 1; i < completions.size(); ++i)
        if (i != Blocks)
            result.cycles.push_back((completions[i] - completions[i - 1]) / 1e6);
    result.batches = static_cast<int>(FormPort->memo()->toPlainText().count("byte="));
    return result;
}

// A write's two phases against their own line times.
void reportPhases(const std::vector<Result>& results)
{
    const double readLine = double(Blocks) * ReadBytesPerBlock * BitsPerByte / Baud;
    const double writeLine = double(Blocks) * WriteBytesPerBlock * BitsPerByte / Baud;
    std::vector<double> reads, writes;
    for (const Result& r : results) {
        reads.push_back(r.readSeconds);
        writes.push_back(r.seconds - r.readSeconds);
    }
    std::printf("write: its read median %.2f s (%.2fx of %.2f s, target 1.07x), its write median %.2f s (%.2fx of "
                "%.2f s, target 1.25x)\n",
                median(reads), median(reads) / readLine, readLine, median(writes), median(writes) / writeLine,
                writeLine);
}

void report(const char* what, int bytesPerBlock, const std::vector<Result>& results)
{
    const double line = double(Blocks) * bytesPerBlock * BitsPerByte / Baud;
    std::vector<double> seconds, cycles;
    for (const Result& r : results) {
        seconds.push_back(r.seconds);
        cycles.insert(cycles.end(), r.cycles.begin(), r.cycles.end());
    }
    const double best = *std::min_element(seconds.begin(), seconds.end());
    const double lineCycle = line / Blocks * 1000;
    std::printf("%-15s line %.2f s | best %.2f s (%.2fx) median %.2f s (%.2fx) | cycle median %.1f ms, "
                "line %.1f ms, beyond the line %.1f ms | pieces per reply %.2f\n",
                what, line, best, best / line, median(seconds), median(seconds) / line, median(cycles), lineCycle,
                median(cycles) - lineCycle, double(results.back().batches) / Blocks);
}

// kt7tool read or write on COM 1, timed from its start to its end.
Result toolTransfer(const QStringList& arguments)
{
    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer clock;
    clock.start();
    tool.start(QStringLiteral(KT7TOOL_PATH), arguments + QStringList{"--com", "1", "--quiet"});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        std::fprintf(stderr, "kt7tool %s failed\n", qPrintable(arguments.join(' ')));
    Result result;
    result.seconds = clock.nsecsElapsed() / 1e9;
    return result;
}

void reportTool(const char* what, int bytesPerBlock, const std::vector<Result>& results)
{
    const double line = double(Blocks) * bytesPerBlock * BitsPerByte / Baud;
    std::vector<double> seconds;
    for (const Result& r : results)
        seconds.push_back(r.seconds);
    const double best = *std::min_element(seconds.begin(), seconds.end());
    std::printf("kt7tool %-5s line %.2f s | best %.2f s (%.2fx) median %.2f s (%.2fx) | target 1.03x\n", what, line,
                best, best / line, median(seconds), median(seconds) / line);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", config.filePath("data").toLocal8Bit());
    std::filesystem::create_directories(TPortMap::OverrideFolder());

    TScriptedDialogs dialogs;
    FormPort = new TFormPort;
    SetComPort = new TSetComPort;
    Main = new TMain;
    Main->connectWindows();

    TSimProcess sim({"--com", "1", "--baud", QString::number(Baud)});
    dialogs.modals.push_back([](QDialog& dialog) {
        dialog.findChild<QPushButton*>("Button1")->click();
        return dialog.result();
    });
    Main->findChild<QToolButton*>("TBFind")->click();
    if (!TEventPump::until([&] { return !dialogs.messages.empty(); }, 5000)) {
        std::fprintf(stderr, "the simulator did not answer\n");
        return 1;
    }

    std::vector<Result> reads, writes, unchanged;
    for (int run = 0; run < Runs; ++run) {
        reads.push_back(transfer("TBRead", dialogs));
        // A change the check does not see: an output of IN-24, switched off.
        const int changed = Layout::stageOffset(24, 5) + Layout::Stage::Outputs;
        Main->image().setByte(changed, static_cast<uint8_t>(Main->image().byte(changed) ^ (run + 1)));
        writes.push_back(transfer("TBWrite", dialogs));
        unchanged.push_back(transfer("TBWrite", dialogs));
    }
    report("read", ReadBytesPerBlock, reads);
    report("write", ReadBytesPerBlock + WriteBytesPerBlock, writes);
    reportPhases(writes);
    report("unchanged write", ReadBytesPerBlock, unchanged);

    // The window lets go of the port; kt7tool takes it.
    Main->findChild<QToolButton*>("TBFind")->click();
    QTemporaryDir files;
    const QString image = files.filePath("image.usr");
    std::vector<Result> toolReads, toolWrites;
    for (int run = 0; run < Runs; ++run) {
        toolReads.push_back(toolTransfer({"read", image}));
        toolWrites.push_back(toolTransfer({"write", image, "--no-backup", "--force"}));
    }
    reportTool("read", ReadBytesPerBlock, toolReads);
    reportTool("write", WriteBytesPerBlock, toolWrites);

    delete Main;
    delete SetComPort;
    delete FormPort;
    return 0;
}
