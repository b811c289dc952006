// Cost of one edit while the dump window is shown: one image write, the
// refresh, and the repaint it causes. Also the memory the dump window takes.

#include "diag/TDbg.h"
#include "diag/TFormPort.h"
#include "image/TImage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 12, '\n');
    }
    return -1;
}

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The lines one whole-image read leaves in the shown traffic log: per block the
// request, two reply batches with their notes, and the two closing notes.
void measureTrafficLog()
{
    TFormPort log;
    log.show();
    const uint8_t request[7] = {0x00, 0x02, 0x07, 0x00, 0x00, 0x00, 0x00};
    const uint8_t reply[39] = {0xAA};
    // The log keeps a bounded number of lines: after the first hundred reads
    // the memory must stay where it is.
    constexpr int Reads = 300;
    std::vector<double> costs;
    const long before = residentKiB();
    long afterHundred = 0;
    QElapsedTimer timer;
    for (int read = 0; read < Reads; ++read) {
        timer.start();
        for (int block = 0; block < TImage::Size / TImage::BlockSize; ++block) {
            log.logFrame(request, 7, false, 1);
            log.logFrame(reply, 20, true, 1);
            log.logNote(QStringLiteral("byte=0014"));
            log.logFrame(reply + 20, 19, true, 1);
            log.logNote(QStringLiteral("byte=0013"));
            log.logNote(QStringLiteral("------------"));
            log.logNote(QStringLiteral("copy to0000"));
        }
        QCoreApplication::processEvents();
        costs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (read + 1 == 100)
            afterHundred = residentKiB() - before;
    }
    std::vector<double> sorted(costs);
    std::sort(sorted.begin(), sorted.end());
    std::printf("traffic log shown (at most %d lines), one image read (448 lines): first %.2f ms, median %.2f ms, "
                "last of %d reads %.2f ms; RSS delta after 100 reads %ld KiB, after %d reads %ld KiB\n",
                TFormPort::MaxLines + TFormPort::TrimLines, costs.front(), sorted[sorted.size() / 2], Reads,
                costs.back(), afterHundred, Reads, residentKiB() - before);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int edits = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;

    // Warm up the style and fonts so that their one-time cost is not counted as the dump's.
    {
        TDbg warm;
        warm.show();
        QCoreApplication::processEvents();
    }
    const long before = residentKiB();
    TDbg dbg;
    dbg.show();
    TImage image;
    dbg.Refresh(image);
    QCoreApplication::processEvents();
    const long after = residentKiB();

    PaintCounter counter;
    dbg.grid()->viewport()->installEventFilter(&counter);

    // Each scenario times `edits` changes of the image, each followed by the refresh and the repaint.
    auto measure = [&](const char* name, auto change) {
        std::vector<double> costs;
        costs.reserve(static_cast<size_t>(edits));
        const int paintsBefore = counter.paints;
        QElapsedTimer timer;
        for (int i = 0; i < edits; ++i) {
            timer.start();
            change(i);
            dbg.Refresh(image);
            QCoreApplication::processEvents();
            costs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
        std::sort(costs.begin(), costs.end());
        const double median = costs[costs.size() / 2];
        std::printf("%-44s median %.3f ms, 95th %.3f ms, max %.3f ms, repaints %d\n", name, median,
                    costs[costs.size() * 95 / 100], costs.back(), counter.paints - paintsBefore);
        return median;
    };

    std::printf("dump shown, %d edits per line (target < 2 ms median):\n", edits);
    const double onScreen
        = measure("edit of a byte in view", [&](int i) { image.setByte(0x0020 + i % 32, static_cast<uint8_t>(i)); });
    const double offScreen = measure("edit of a byte out of view",
                                     [&](int i) { image.setByte(0x0700 + i % 64, static_cast<uint8_t>(i)); });
    const double whole = measure("whole image changed (reload)", [&](int i) {
        TImage::Bytes bytes;
        bytes.fill(static_cast<uint8_t>(i * 37));
        image.replace(bytes);
    });
    std::printf("dump window memory: RSS delta %ld KiB (target < 5 MB); image snapshot %zu bytes\n", after - before,
                sizeof(TImage::Bytes));
    const double median = std::max({onScreen, offScreen, whole});
    measureTrafficLog();
    return median < 2.0 ? 0 : 1;
}
