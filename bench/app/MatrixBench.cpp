// The cause-and-effect matrix and the timeline on a full project (24
// inputs, five stages each, every splitter and relay module): the time from
// an edit of a stage to the matrix window rebuilt and painted (target 5 ms;
// the whole program's answer to the edit, the tree's marks and the undo
// step included), the window's share and the model's, and the time to draw the timeline of an input (target
// 2 ms). Medians and 95th percentiles.

#include "app/TAppWindows.h"

#include "app/TFormMatrix.h"
#include "app/TMain.h"
#include "app/TTimelineView.h"
#include "image/TAlarmRecord.h"
#include "report/TCauseMatrix.h"

#include <QAction>
#include <QApplication>
#include <QTableView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Runs = 401;

struct Figures {
    double median;
    double p95;
};

Figures timed(const std::function<void(int)>& body)
{
    std::vector<double> times;
    for (int r = 0; r < Runs; ++r) {
        const auto start = Clock::now();
        body(r);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[times.size() * 95 / 100]};
}

void loadFullProject()
{
    TImage& image = Main->image();
    image.setByte(Layout::CompositionByte, 0xBF); // 12 splitters, 3 consoles, paging, music
    image.setByte(Layout::ModuleByte, 0xF0);      // 3 message modules, 6 relay modules
    for (int offset = Layout::ButtonTable; offset < Layout::FirstUnused; ++offset)
        image.setByte(offset, 0x5A);
    for (int i = 1; i <= Layout::InputCount; ++i) {
        TAlarmRecord record(image, i);
        record.setEnabled(true);
        record.setDelayCode(static_cast<uint8_t>(i % 27));
        for (int k = 1; k <= Layout::StageCount; ++k) {
            TStageRecord stage = record.stage(k);
            stage.setDuration(static_cast<uint8_t>(k == 5 ? 255 : 2 + k));
            stage.setMessageCode(static_cast<uint8_t>((i + k) % 32));
            for (int n = 0; n < Layout::OutputBits; ++n)
                stage.setOutputBit(n, (n + i + k) % 3 == 0);
            for (int n = 0; n < Layout::RelayBits; ++n)
                stage.setRelayBit(n, (n + k) % 4 == 0);
            stage.setK1(k % 2 == 1);
        }
        Main->setInputName(i, QStringLiteral("Пожар, зона %1").arg(i));
    }
    Main->EditorReload();
    Main->ClearHistory();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TAppWindows windows;
    loadFullProject();
    Main->findChild<QAction*>("ActionMatrix")->trigger();
    TFormMatrix* form = Main->formMatrix();
    QCoreApplication::processEvents();

    // One output of a stage, changed as the stage page changes it, until
    // the matrix window has rebuilt and painted.
    const Figures edit = timed([&](int r) {
        const int n = r % Layout::OutputBits;
        const int offset = Layout::stageOffset(r % Layout::InputCount + 1, 1) + Layout::Stage::Outputs;
        Main->image().setBit(offset, n, !Main->image().bit(offset, n));
        Main->imageChanged();
        form->grid()->viewport()->repaint();
    });
    const Figures rebuild = timed([&](int) {
        form->rebuild();
        form->grid()->viewport()->repaint();
    });
    const TProject& project = Main->project();
    const Figures model = timed([&](int) { (void)TCauseMatrix::of(project.image(), project.names()); });
    form->hide();

    Main->inputNode(7)->setSelected(true);
    Main->findChild<QTreeWidget*>("TV")->setCurrentItem(Main->inputNode(7));
    QCoreApplication::processEvents();
    auto* timeline = Main->findChild<TTimelineView*>("Timeline");
    const Figures draw = timed([&](int) { timeline->repaint(); });

    std::printf("matrix after an edit (24 inputs, 74 columns), rebuilt and painted: median %.3f ms, 95th %.3f ms "
                "| target 5 ms\n",
                edit.median, edit.p95);
    std::printf("of which the matrix window, rebuilt and painted: median %.3f ms, 95th %.3f ms; the model alone: "
                "median %.3f ms, 95th %.3f ms\n",
                rebuild.median, rebuild.p95, model.median, model.p95);
    std::printf("timeline of an input with five stages drawn: median %.3f ms, 95th %.3f ms | target 2 ms\n",
                draw.median, draw.p95);
    return edit.median < 5 && draw.median < 2 ? 0 : 1;
}
