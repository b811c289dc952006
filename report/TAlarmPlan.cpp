#include "report/TAlarmPlan.h"

#include "image/TAlarmLists.h"
#include "image/TAlarmRecord.h"
#include "report/TReportTerms.h"

TAlarmPlan::Composition TAlarmPlan::Composition::of(const TImage& image)
{
    using namespace Layout;
    Composition c;
    const int splitterField = image.value(SplitterCount.at(SystemNode));
    c.splitters = splitterField < Splitters ? splitterField + 1 : Splitters;
    const int relayField = image.value(RelayModuleCount.at(SystemNode));
    c.relayModules = relayField <= RelayModules ? relayField : RelayModules;
    c.messageModules = image.value(MessageModules.at(SystemNode));
    return c;
}

int TAlarmPlan::Stage::outputCount(const Composition& c) const
{
    int count = 0;
    for (int n = 0; n < Layout::OutputsPerSplitter * c.splitters; ++n)
        count += outputs[static_cast<size_t>(n)] ? 1 : 0;
    return count;
}

int TAlarmPlan::Stage::relayCount(const Composition& c) const
{
    int count = (k1 ? 1 : 0) + (k2 ? 1 : 0);
    for (int n = 0; n < Layout::RelaysPerModule * c.relayModules; ++n)
        count += relays[static_cast<size_t>(n)] ? 1 : 0;
    return count;
}

std::string TAlarmPlan::Stage::span() const
{
    if (start == Unknown)
        return "?";
    const std::string from = TAlarmLists::minutesSeconds(start);
    if (unlimited())
        return "с " + from + ", " + TAlarmLists::durationEntry(TAlarmLists::UnlimitedEntry);
    return from + "–" + TAlarmLists::minutesSeconds(end());
}

std::string TAlarmPlan::Stage::message() const
{
    return TReportTerms::messageName(messageCode);
}

int TAlarmPlan::Input::limitedSpan() const
{
    int seconds = delay == Unknown ? 0 : delay;
    for (const Stage& s : running)
        seconds += s.unlimited() ? 0 : s.duration;
    return seconds;
}

std::string TAlarmPlan::Input::endedText() const
{
    if (endedAt == 0)
        return {};
    const bool unlimited = !running.empty() && running.back().number == endedAt;
    return "этапа " + std::to_string(endedAt) + (unlimited ? ", который работает неограниченно" : ", который выключен");
}

std::string TAlarmPlan::Input::idleText() const
{
    if (idle.empty())
        return {};
    std::string stages;
    for (const int k : idle)
        stages += (stages.empty() ? "" : ", ") + std::to_string(k);
    return std::string(idle.size() == 1 ? "Не выполняется: этап " : "Не выполняются: этапы ") + stages + " (после "
        + endedText() + ")";
}

TAlarmPlan::Input TAlarmPlan::of(const TImage& image, int input)
{
    TImage copy = image;
    return read(copy, input);
}

TAlarmPlan::Input TAlarmPlan::read(TImage& image, int input)
{
    const TAlarmRecord record(image, input);
    Input plan;
    plan.number = input;
    plan.enabled = record.enabled();
    plan.delayCode = record.delayCode();
    plan.delay = plan.delayCode < TAlarmLists::DelayEntries ? TAlarmLists::delaySeconds(plan.delayCode) : Unknown;
    if (!plan.enabled)
        return plan;
    int at = plan.delay;
    for (int k = 1; k <= Layout::StageCount; ++k) {
        const TStageRecord stage = record.stage(k);
        if (plan.endedAt != 0) {
            if (stage.isOn())
                plan.idle.push_back(k);
            continue;
        }
        if (stage.isOn()) {
            Stage s;
            s.number = k;
            s.start = at;
            s.durationCode = stage.duration();
            s.duration = stage.endsRun() ? Unlimited : TAlarmLists::durationSeconds(stage.duration());
            s.messageCode = stage.messageCode();
            for (int n = 0; n < Layout::OutputBits; ++n)
                s.outputs[static_cast<size_t>(n)] = stage.outputBit(n);
            for (int n = 0; n < Layout::RelayBits; ++n)
                s.relays[static_cast<size_t>(n)] = stage.relayBit(n);
            s.k1 = stage.k1();
            s.k2 = stage.k2();
            at = s.end();
            plan.running.push_back(s);
        }
        if (stage.endsRun())
            plan.endedAt = k;
    }
    return plan;
}

std::vector<TAlarmPlan::Input> TAlarmPlan::all(const TImage& image)
{
    TImage copy = image;
    std::vector<Input> plans;
    plans.reserve(Layout::InputCount);
    for (int i = 1; i <= Layout::InputCount; ++i)
        plans.push_back(read(copy, i));
    return plans;
}
