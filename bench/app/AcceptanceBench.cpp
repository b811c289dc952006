// The acceptance test on the largest configuration (24 inputs of five
// running stages, each switching every output of 12 splitters, every relay
// of 6 relay modules and K1, K2: 370 effects an input, 8880 in all): the
// results model built with a full record (the file read, the expected
// effects and their states), and one input's results recorded from the
// keyboard in the window, one key per effect, each result written to disk
// before the next key. Medians.

#include "app/TAppWindows.h"

#include "app/TFormAcceptance.h"
#include "app/TMain.h"
#include "image/TAlarmRecord.h"
#include "project/TAcceptanceFile.h"
#include "report/TAcceptance.h"
#include "tests/support/TScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double median(const std::function<void()>& body, int runs)
{
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        const auto start = Clock::now();
        body();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void loadLargestProject()
{
    TImage& image = Main->image();
    image.setByte(Layout::CompositionByte, 0xBF); // 12 splitters, 3 consoles, paging, music
    image.setByte(Layout::ModuleByte, 0xF0);      // 3 message modules, 6 relay modules
    for (int i = 1; i <= Layout::InputCount; ++i) {
        TAlarmRecord record(image, i);
        record.setEnabled(true);
        record.setDelayCode(static_cast<uint8_t>(i % 27));
        for (int k = 1; k <= Layout::StageCount; ++k) {
            TStageRecord stage = record.stage(k);
            stage.setDuration(static_cast<uint8_t>(k == 5 ? 255 : 2 + k));
            stage.setMessageCode(static_cast<uint8_t>((i + k) % 32));
            for (int n = 0; n < Layout::OutputBits; ++n)
                stage.setOutputBit(n, true);
            for (int n = 0; n < Layout::RelayBits; ++n)
                stage.setRelayBit(n, true);
            stage.setK1(true);
            stage.setK2(true);
        }
        Main->setInputName(i, QStringLiteral("Пожар, зона %1").arg(i));
    }
    TSiteNames site;
    site.engineer = "Иванов И. И.";
    for (int n = 0; n < TSiteNames::FieldCount; ++n)
        if (site.field(n).empty())
            site.field(n) = "Зона " + std::to_string(n);
    Main->project().setSiteNames(site);
    Main->EditorReload();
    Main->ClearHistory();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TAppWindows windows;
    TScriptedDialogs dialogs;
    QTemporaryDir dir;
    loadLargestProject();
    dialogs.savePaths = {dir.filePath("site.usr")};
    Main->TBSaveClick();

    // A full record: every effect of every input passed, one line each.
    const TProject& project = Main->project();
    const TAcceptancePlan plan = TAcceptancePlan::of(project.image(), project.names(), project.siteNames());
    std::vector<TAcceptanceResult> full;
    for (const TAcceptancePlan::Input& in : plan.inputs)
        for (const TAcceptancePlan::Effect& e : in.effects)
            full.push_back({in.number, e.stage, e.key, TAcceptanceResult::Verdict::Pass, in.fingerprint,
                            TAcceptanceFile::now(), "Иванов И. И.", "замечание"});
    const std::string fullPath = dir.filePath("full.results.txt").toStdString();
    if (!TAcceptanceFile::record(fullPath, full).ok())
        return 1;
    TAcceptanceFile::Contents contents;
    const double read = median([&] { (void)TAcceptanceFile::read(fullPath, contents); }, 21);
    const double model = median(
        [&] {
            (void)TAcceptance::of(TAcceptancePlan::of(project.image(), project.names(), project.siteNames()),
                                  contents.results);
        },
        21);
    const TAcceptance whole = TAcceptance::of(plan, contents.results);
    const double write = median([&] { (void)TAcceptanceFile::record(fullPath, {full[full.size() / 2]}); }, 21);

    // One input from the keyboard: "1" on each of its rows.
    Main->findChild<QAction*>("ActionAcceptance")->trigger();
    QCoreApplication::processEvents();
    auto* form = Main->findChild<TFormAcceptance*>("FormAcceptance");
    QTableWidget* effects = form->effects();
    effects->setFocus();
    const int rows = effects->rowCount();
    std::vector<double> perKey;
    const auto start = Clock::now();
    for (int r = 0; r < rows; ++r) {
        const auto key = Clock::now();
        QTest::keyClick(effects, Qt::Key_1);
        QCoreApplication::processEvents();
        perKey.push_back(std::chrono::duration<double, std::milli>(Clock::now() - key).count());
    }
    const double total = std::chrono::duration<double>(Clock::now() - start).count();
    std::sort(perKey.begin(), perKey.end());
    const TAcceptance::Input* in1 = form->acceptance().input(1);

    std::printf("results model of the largest configuration with a full record (%zu results, %zu bytes): read "
                "%.2f ms, expected effects and states %.2f ms (median of 21); %d of %zu inputs passed\n",
                full.size(), static_cast<size_t>(QFileInfo(QString::fromStdString(fullPath)).size()), read, model,
                whole.passedInputs, whole.inputs.size());
    std::printf("one result recorded into that file (read, replaced atomically, flushed): median %.2f ms\n", write);
    std::printf("one input from the keyboard (%d effects, 1 key each): %.2f s, per key median %.1f ms, 95th %.1f "
                "ms; the input %s\n",
                rows, total, perKey[perKey.size() / 2], perKey[perKey.size() * 95 / 100],
                in1 && in1->state == TAcceptance::State::Passed ? "passed" : "NOT passed");
    return in1 && in1->state == TAcceptance::State::Passed ? 0 : 1;
}
