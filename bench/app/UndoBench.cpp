// Undo and redo: the time of one undo on a full project with the dump window
// shown and hidden, and the memory a full history holds, for page edits and
// for whole-image reads, beside what whole snapshots of every step would take.

#include "app/TAppWindows.h"

#include "app/TMain.h"
#include "diag/TDbg.h"
#include "image/TAlarmRecord.h"
#include "project/TEditHistory.h"

#include <QApplication>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A project with every input in use and named.
void loadFullProject()
{
    for (int offset = Layout::ButtonTable; offset < Layout::FirstUnused; ++offset)
        Main->image().setByte(offset, 0xFF);
    for (int i = 1; i <= Layout::InputCount; ++i) {
        TAlarmRecord record(Main->image(), i);
        record.setEnabled(true);
        record.setDelayCode(3);
        Main->setInputName(i, QStringLiteral("Пожар, зона %1").arg(i));
    }
    Main->EditorReload();
    Main->ClearHistory();
}

// One output bit of a stage, changed as the stage page changes it.
void pageEdit(int n)
{
    const int offset = Layout::stageOffset(n % Layout::InputCount + 1, n / Layout::InputCount % Layout::StageCount + 1);
    Main->image().setBit(offset + 2, n % 48, !Main->image().bit(offset + 2, n % 48));
    Main->imageChanged();
    QCoreApplication::processEvents();
}

// Median milliseconds of one undo until the windows have painted it, each
// followed by its redo (not timed).
double undoMilliseconds(int runs)
{
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        const auto start = Clock::now();
        Main->Undo();
        QCoreApplication::processEvents();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        Main->Redo();
        QCoreApplication::processEvents();
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[static_cast<size_t>(runs / 2)];
}

size_t heapInUse()
{
    return mallinfo2().uordblks;
}

// A history filled to its capacity by a kind of step, measured by what it
// reports and by what the heap grew.
void fullHistory(const char* kind, const std::function<void(TEditState&, int)>& change)
{
    TEditState state;
    for (size_t i = 0; i < state.names.size(); ++i)
        state.names[i] = "Пожар, зона " + std::to_string(i + 1);
    const size_t before = heapInUse();
    auto* history = new TEditHistory(state);
    for (int n = 0; n < static_cast<int>(TEditHistory::Capacity); ++n) {
        change(state, n);
        history->record(state);
    }
    const size_t grown = heapInUse() - before;
    const size_t snapshots = TEditHistory::Capacity * sizeof(TEditState);
    std::printf("full history of %zu %s: %.1f KiB held (heap grew %.1f KiB), "
                "%.1f bytes per step; whole snapshots would take %.1f KiB (x%.1f)\n",
                history->undoCount(), kind, history->memoryUse() / 1024.0, grown / 1024.0,
                double(history->memoryUse()) / double(history->undoCount()), snapshots / 1024.0,
                double(snapshots) / double(history->memoryUse()));
    delete history;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TAppWindows windows;
    QCoreApplication::processEvents();
    loadFullProject();

    // The stage page is the heaviest to load again; the undo keeps it selected.
    auto* tree = Main->findChild<QTreeWidget*>(QStringLiteral("TV"));
    tree->setCurrentItem(Main->stageNode(1, 1));
    for (int n = 0; n < 300; ++n)
        pageEdit(n);
    constexpr int Runs = 101;
    undoMilliseconds(Runs); // warms the pages and the painting up
    const double hidden = undoMilliseconds(Runs);
    tree->setCurrentItem(Main->stageNode(1, 1));
    Main->TBDebugClick();
    QCoreApplication::processEvents();
    const double shown = undoMilliseconds(Runs);
    if (!Dbg->isVisible() || tree->currentItem() != Main->stageNode(1, 1)) {
        std::fputs("undo: the dump or the selection was lost\n", stderr);
        return 1;
    }
    std::printf("one undo on a full project, stage page selected, painted: %.2f ms with the dump shown, %.2f ms "
                "without (x%.2f)\n",
                shown, hidden, shown / hidden);

    fullHistory("page edits", [](TEditState& s, int n) { s.bytes[static_cast<size_t>(200 + n % 1500)] ^= 0x10; });
    std::mt19937 random(1);
    fullHistory("whole-image reads", [&random](TEditState& s, int) {
        for (auto& byte : s.bytes)
            byte = static_cast<uint8_t>(random());
    });
    return 0;
}
