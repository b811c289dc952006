#include "report/TCommissioningPack.h"

#include "image/TAlarmLists.h"
#include "report/TCauseMatrix.h"
#include "report/TConfigCheck.h"
#include "report/TConfigDescriber.h"
#include "report/TConfigDiffer.h"
#include "report/TReportSource.h"
#include "report/TReportTerms.h"

#include <algorithm>

namespace {
using Kind = TCauseMatrix::Kind;

std::string orDash(const std::string& text)
{
    return text.empty() ? "—" : text;
}

// What the matrix's column stands for, in the report's words.
TCommissioningPack::Column columnOf(const TCauseMatrix::Column& c, const TSiteNames& site)
{
    TCommissioningPack::Column column;
    switch (c.kind) {
    case Kind::Output:
        column.unit = TReportTerms::unitName(c.unit - 1);
        column.unitIndex = c.unit - 1;
        column.label = TReportTerms::rowLabel(c.unit - 1, c.index);
        column.name = site.zone(c.unit, c.index);
        break;
    case Kind::K1:
    case Kind::K2: {
        const int k = c.kind == Kind::K1 ? 1 : 2;
        column.unit = TReportTerms::unitName(TReportTerms::ControllerRelayUnit);
        column.unitIndex = TReportTerms::ControllerRelayUnit;
        column.label = TReportTerms::rowLabel(TReportTerms::ControllerRelayUnit, k);
        column.name = site.controllerRelay(k);
        break;
    }
    case Kind::Relay:
        column.unitIndex = TReportTerms::ControllerRelayUnit + c.unit;
        column.unit = TReportTerms::unitName(column.unitIndex);
        column.label = TReportTerms::rowLabel(column.unitIndex, c.index);
        column.name = site.relay(c.unit, c.index);
        break;
    }
    return column;
}

std::string outputWithName(int bit, const TSiteNames& site)
{
    const std::string& name = site.zones[static_cast<size_t>(bit)];
    return TReportTerms::outputName(bit / Layout::OutputsPerSplitter + 1, bit % Layout::OutputsPerSplitter + 1)
        + (name.empty() ? "" : " — " + name);
}

template <typename Switched>
TCommissioningPack::Zone zoneOf(std::string head, Switched switched, const TSiteNames& site)
{
    TCommissioningPack::Zone zone{std::move(head), {}};
    for (int bit = 0; bit < Layout::OutputBits; ++bit)
        if (switched(bit))
            zone.outputs.push_back(outputWithName(bit, site));
    return zone;
}
} // namespace

std::string TCommissioningPack::stageTime(const TAlarmPlan::Stage& stage)
{
    const std::string number = std::to_string(stage.number) + ": ";
    if (stage.start == TAlarmPlan::Unknown)
        return number + "?";
    const std::string from = TAlarmLists::minutesSeconds(stage.start);
    if (stage.unlimited())
        return number + "с " + from;
    return number + from + "–" + TAlarmLists::minutesSeconds(stage.end());
}

TCommissioningPack TCommissioningPack::of(const Input& input)
{
    const TReportInput& project = input.project;
    const TSiteNames& site = project.site;
    const TImage& image = project.image;
    TCommissioningPack pack;
    pack.title = "Документация к сдаче системы оповещения";
    pack.site = site.object.empty() ? project.projectName : site.object;
    pack.engineer = site.engineer;

    TConfigCheck::Names names;
    for (int i = 1; i <= Layout::InputCount; ++i)
        names[static_cast<size_t>(i - 1)] = TConfigDescriber::algorithmName(project, i);

    const Controller* controller = input.controller ? &*input.controller : nullptr;
    pack.facts = {
        {"Объект", orDash(site.object)},
        {"Адрес", orDash(site.address)},
        {"Проект", orDash(project.projectName)},
        {"Файл проекта", input.projectFile.empty() ? "не сохранен" : input.projectFile},
        {"Контроллер",
         controller ? controller->identification + ", серийный номер " + controller->serial : "не подключен"},
        {"Дата и время составления", project.dateTime},
        {"Программа", input.program},
        {"Наладчик", orDash(site.engineer)},
    };

    if (controller) {
        const std::string who = "Контроллер " + controller->identification + " (серийный номер " + controller->serial
            + ") прочитан и сверен с проектом " + controller->readAt + ".";
        if (controller->image.bytes() == image.bytes()) {
            pack.verdict = Verdict::Equal;
            pack.verification = "Память контроллера совпадает с проектом. " + who;
        } else {
            pack.verdict = Verdict::Differs;
            pack.differences = TConfigDiffer::texts(TConfigDiffer::compare(image, input.namesKnown ? &names : nullptr,
                                                                           controller->image, nullptr, &site, nullptr));
            pack.verification
                = "Память контроллера отличается от проекта, различий: " + std::to_string(pack.differences.size())
                + ". " + who + " До стрелки и в строках «-» — проект, после стрелки и в строках «+» — контроллер.";
        }
    } else {
        pack.verification = NotVerifiedText;
    }
    if (input.backupBeforeWrite)
        pack.backup = "Конфигурация, которую контроллер хранил до последней записи, сохранена в резервной копии "
            + input.backupBeforeWrite->path + " (" + input.backupBeforeWrite->time + ").";

    for (const TConfigFinding& f : TConfigCheck::run(image, input.namesKnown ? &names : nullptr))
        pack.findings.push_back({f.error(), f.where(), f.text});

    const TCauseMatrix matrix = TCauseMatrix::of(image, names);
    pack.composition = matrix.composition;
    // The report's order: the splitters' outputs, the controller's relays,
    // then the relay modules.
    std::vector<size_t> order(matrix.columns.size());
    for (size_t c = 0; c < order.size(); ++c)
        order[c] = c;
    const auto rank = [](Kind kind) { return kind == Kind::Output ? 0 : kind == Kind::Relay ? 2 : 1; };
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return rank(matrix.columns[a].kind) < rank(matrix.columns[b].kind); });
    for (const size_t c : order)
        pack.columns.push_back(columnOf(matrix.columns[c], site));
    for (const TCauseMatrix::Row& r : matrix.rows) {
        Row row{"IN-" + std::to_string(r.plan.number), names[static_cast<size_t>(r.plan.number - 1)], {}};
        for (const size_t c : order) {
            std::vector<std::string> lines;
            for (const int k : r.cells[c])
                for (const TAlarmPlan::Stage& stage : r.plan.running)
                    if (stage.number == k)
                        lines.push_back(stageTime(stage));
            row.cells.push_back(std::move(lines));
        }
        std::string head = TReportSource::caption(r.plan.number, row.name);
        head.erase(head.find_last_not_of(' ') + 1);
        pack.timelines.push_back({r.plan, std::move(head)});
        pack.rows.push_back(std::move(row));
        pack.timelineSpan = std::max(pack.timelineSpan, r.plan.limitedSpan());
    }

    // The zones under the report's conditions and in its words.
    using namespace Layout;
    const auto inMask = [&image](int mask) { return [&image, mask](int bit) { return image.bit(mask, bit); }; };
    if (project.consoleIndex >= 1)
        for (int k = 1; k <= MaskCount; ++k)
            pack.zones.push_back(zoneOf("Кнопка " + std::to_string(k), inMask(buttonOffset(k)), site));
    if (project.phonePaging)
        for (int g = 1; g <= MaskCount; ++g)
            pack.zones.push_back(zoneOf(TConfigFinding{{}, TConfigFinding::Node::Group, g, 0, {}, {}}.where(),
                                        inMask(groupOffset(g)), site));
    if (project.music)
        pack.zones.push_back(zoneOf(
            TReportTerms::Music, [&project](int bit) { return project.musicOutputs[static_cast<size_t>(bit)]; }, site));
    return pack;
}
