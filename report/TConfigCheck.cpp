#include "report/TConfigCheck.h"

#include "image/TAlarmLists.h"
#include "image/TAlarmRecord.h"
#include "report/TAlarmPlan.h"
#include "report/TConfigDescriber.h"
#include "report/TReportTerms.h"

#include <algorithm>

namespace {
using Finding = TConfigFinding;
using Severity = TConfigFinding::Severity;
using Node = TConfigFinding::Node;

constexpr int ListedSplitterFields = Layout::Splitters; // stored 0..11 for 1..12
constexpr int ListedRelayFields = Layout::RelayModules + 1;

std::string joined(const std::vector<int>& numbers, const std::string& first, const std::string& next)
{
    std::string out;
    for (size_t i = 0; i < numbers.size(); ++i)
        out += (i == 0 ? first : ", " + next) + std::to_string(numbers[i]);
    return out;
}

// A character that shows as nothing: a space of any width (the no-break
// space among them), a line or format control, a zero-width character.
bool blankCharacter(char32_t c)
{
    return c <= 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0xAD || c == 0x1680 || c == 0x180E
        || (c >= 0x2000 && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F) || (c >= 0x205F && c <= 0x2064) || c == 0x3000
        || c == 0xFEFF;
}

// True when the UTF-8 name shows nothing: it names no algorithm.
bool blank(const std::string& name)
{
    for (size_t i = 0; i < name.size();) {
        const auto lead = static_cast<unsigned char>(name[i]);
        if (lead >= 0x80 && lead < 0xC0)
            return false; // not UTF-8: shows as something
        const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (size_t k = 1; k < length && i + k < name.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(name[i + k]) & 0x3F);
        if (!blankCharacter(c))
            return false;
        i += length;
    }
    return true;
}

class Checker {
public:
    Checker(const TImage& image, const TConfigCheck::Names* names) : m_image(image), m_names(names)
    {
        using namespace Layout;
        m_splitterField = m_image.value(SplitterCount.at(SystemNode));
        m_splitters = m_splitterField < ListedSplitterFields ? m_splitterField + 1 : 0;
        m_relayModules = m_image.value(RelayModuleCount.at(SystemNode));
        m_relaysKnown = m_relayModules < ListedRelayFields;
        m_consoles = m_image.value(ConsoleCount.at(SystemNode));
        m_messageModules = m_image.value(MessageModules.at(SystemNode));
        m_paging = m_image.value(PagingFlag.at(SystemNode)) != 0;
        m_music = m_image.value(MusicFlag.at(SystemNode)) != 0;
    }

    std::vector<Finding> run()
    {
        composition();
        if (m_music && !m_image.anySet(Layout::MusicMask, Layout::MaskSize))
            add(Severity::Warning, Node::Settings, 0, 0, "music-no-output",
                std::string(TReportTerms::Music) + " включена, но выходы для неё не назначены");
        if (m_music)
            absentOutputs({Severity::Warning, Node::Settings, 0, 0, "music-output-absent", {}}, Layout::MusicMask,
                          "Фоновая музыка: выходы разветвителей");
        zones(Node::Buttons, Node::Button, Layout::ButtonTable, m_consoles > 0);
        zones(Node::Groups, Node::Group, Layout::GroupTable, m_paging);
        for (int i = 1; i <= Layout::InputCount; ++i)
            if (TAlarmRecord(m_image, i).enabled())
                algorithm(i);
        return std::move(m_findings);
    }

private:
    void add(Severity severity, Node node, int number, int stage, const char* id, std::string text)
    {
        m_findings.push_back({severity, node, number, stage, id, std::move(text)});
    }

    void composition()
    {
        if (m_splitters == 0)
            add(Severity::Error, Node::System, 0, 0, "splitter-count",
                std::string(TReportTerms::SplitterCount) + " вне списка 1..12 (код " + std::to_string(m_splitterField)
                    + ")");
        if (!m_relaysKnown)
            add(Severity::Error, Node::System, 0, 0, "relay-count",
                std::string(TReportTerms::RelayModuleCount) + " вне списка 0..6 (код " + std::to_string(m_relayModules)
                    + ")");
    }

    // Splitters beyond the count whose outputs the mask sets. With no valid
    // count nothing is said: the count's own error covers it.
    std::vector<int> absentSplitters(int mask) const
    {
        std::vector<int> absent;
        if (m_splitters == 0)
            return absent;
        for (int s = m_splitters + 1; s <= Layout::Splitters; ++s)
            for (int o = 1; o <= Layout::OutputsPerSplitter; ++o)
                if (m_image.bit(mask, Layout::outputBit(s, o))) {
                    absent.push_back(s);
                    break;
                }
        return absent;
    }

    void absentOutputs(Finding finding, int mask, const char* lead = "Выходы разветвителей")
    {
        const std::vector<int> absent = absentSplitters(mask);
        if (absent.empty())
            return;
        finding.text = std::string(lead) + ", которых нет в системе: " + joined(absent, "Zarna KT7-LB №", "№") + " ("
            + TReportTerms::SplitterCount + ": " + std::to_string(m_splitters) + ")";
        m_findings.push_back(std::move(finding));
    }

    void zones(Node root, Node item, int table, bool used)
    {
        const bool buttons = item == Node::Button;
        std::vector<int> assigned;
        for (int k = 1; k <= Layout::MaskCount; ++k) {
            const int mask = table + Layout::MaskSize * (k - 1);
            if (!m_image.anySet(mask, Layout::MaskSize))
                continue;
            assigned.push_back(k);
            if (used)
                absentOutputs(
                    {Severity::Warning, item, k, 0, buttons ? "button-output-absent" : "group-output-absent", {}},
                    mask);
        }
        if (used && assigned.empty()) {
            if (buttons)
                add(Severity::Warning, root, 0, 0, "console-no-button",
                    std::string(TReportTerms::ConsoleCount) + ": " + std::to_string(m_consoles)
                        + ", но ни одной кнопке не назначены выходы");
            else
                add(Severity::Warning, root, 0, 0, "paging-no-group",
                    std::string(TReportTerms::PhonePaging) + " включён, но ни одной группе не назначены выходы");
        }
        if (used || assigned.empty())
            return;
        if (buttons)
            add(Severity::Warning, root, 0, 0, "buttons-without-console",
                "Кнопки с назначенными выходами: " + joined(assigned, "", "") + ", а " + TReportTerms::ConsoleCount
                    + ": 0");
        else
            add(Severity::Warning, root, 0, 0, "groups-without-paging",
                "Группы с назначенными выходами: " + joined(assigned, "", "") + ", а " + TReportTerms::PhonePaging
                    + ": " + TReportTerms::Absent);
    }

    void algorithm(int input)
    {
        const TAlarmRecord record(m_image, input);
        if (input > 1 && !TAlarmRecord(m_image, input - 1).enabled())
            add(Severity::Error, Node::Input, input, 0, "input-after-off",
                "Алгоритм включён, а алгоритм IN-" + std::to_string(input - 1) + " выключен");
        const int delay = record.delayCode();
        if (delay >= TAlarmLists::DelayEntries)
            add(Severity::Error, Node::Input, input, 0, "delay-code",
                std::string(TReportTerms::Delay) + " вне списка 00:00..07:30 (код " + std::to_string(delay) + ")");
        if (m_names && blank((*m_names)[static_cast<size_t>(input - 1)]))
            add(Severity::Warning, Node::Input, input, 0, "input-no-name", "Алгоритм включён, но не назван");

        const TAlarmPlan::Input plan = TAlarmPlan::of(m_image, input);
        bool switches = false;
        std::vector<int> heard; // the running stages whose message goes out on outputs
        for (const TAlarmPlan::Stage& s : plan.running) {
            switches = stageSwitches(record.stage(s.number)) || switches;
            if (broadcasts(record.stage(s.number)))
                heard.push_back(s.number);
        }
        if (!plan.running.empty() && !switches)
            add(Severity::Warning, Node::Input, input, 0, "input-does-nothing",
                "Алгоритм включён, но его этапы не включают ни выходов, ни реле");

        const TStageRecord first = record.stage(1);
        if (first.duration() < TStageRecord::DurationMin)
            add(Severity::Error, Node::Stage, input, 1, "stage1-short",
                std::string(TReportTerms::Duration) + " " + TAlarmLists::durationEntry(first.duration())
                    + ", а первый этап работает не менее " + TAlarmLists::durationEntry(TStageRecord::DurationMin));
        for (const TAlarmPlan::Stage& s : plan.running)
            runningStage(input, s.number, record.stage(s.number), switches, heard);
        // One finding for the break: what lies beyond it is not used while
        // the break is there.
        if (!plan.idle.empty())
            add(Severity::Error, Node::Stage, input, plan.idle.front(), "stage-after-stop",
                "Этап включён после " + plan.endedText());
    }

    // The message goes out on an output of a splitter the system has. With
    // no valid splitter count every output counts: the count's own error
    // covers it.
    bool broadcasts(const TStageRecord& stage) const
    {
        const int usableOutputs = Layout::OutputsPerSplitter * (m_splitters == 0 ? Layout::Splitters : m_splitters);
        for (int n = 0; n < usableOutputs; ++n)
            if (stage.outputBit(n))
                return true;
        return false;
    }

    bool relayPresent(int module) const { return !m_relaysKnown || module <= m_relayModules; }

    // True when the stage switches an output, a relay, K1 or K2 that the
    // system has.
    bool stageSwitches(const TStageRecord& stage) const
    {
        if (stage.k1() || stage.k2() || broadcasts(stage))
            return true;
        for (int m = 1; m <= Layout::RelayModules && relayPresent(m); ++m)
            for (int r = 1; r <= Layout::RelaysPerModule; ++r)
                if (stage.relayBit(Layout::relayBit(m, r)))
                    return true;
        return false;
    }

    // A stage that runs: its codes and what it switches. A running stage
    // that switches nothing, where another stage of its algorithm does,
    // holds the alarm silent for its running time; one that switches relays
    // but plays its message on no output, where another stage is heard,
    // holds the voice alarm silent.
    void runningStage(int input, int k, const TStageRecord& stage, bool algorithmSwitches,
                      const std::vector<int>& heard)
    {
        const uint8_t duration = stage.duration();
        // 241 and 255 are the list's "неограниченно"; 242..254 have no entry.
        if (duration > TAlarmLists::UnlimitedEntry && duration != TStageRecord::DurationUnlimited)
            add(Severity::Error, Node::Stage, input, k, "duration-code",
                std::string(TReportTerms::Duration) + " вне списка (код " + std::to_string(duration) + ")");
        // A missing module silences the alarm only where the message would
        // be heard: on outputs of splitters the system has.
        if (stage.messageSource() > m_messageModules)
            add(broadcasts(stage) ? Severity::Error : Severity::Warning, Node::Stage, input, k, "message-module-absent",
                std::string(TReportTerms::Source) + " " + TReportTerms::messageSource(stage.messageCode()) + ", а "
                    + TReportTerms::MessageModuleCount + ": " + std::to_string(m_messageModules));
        const int outputs = stage.offset() + Layout::Stage::Outputs;
        absentOutputs({Severity::Warning, Node::Stage, input, k, "stage-output-absent", {}}, outputs);

        std::vector<int> absentModules;
        for (int m = 1; m <= Layout::RelayModules; ++m)
            for (int r = 1; r <= Layout::RelaysPerModule; ++r)
                if (stage.relayBit(Layout::relayBit(m, r)) && !relayPresent(m)
                    && (absentModules.empty() || absentModules.back() != m))
                    absentModules.push_back(m);
        if (!absentModules.empty())
            add(Severity::Warning, Node::Stage, input, k, "stage-relay-absent",
                "Реле модулей, которых нет в системе: " + joined(absentModules, "Релейный модуль №", "№") + " ("
                    + TReportTerms::RelayModuleCount + ": " + std::to_string(m_relayModules) + ")");
        const std::string runs = "Этап работает " + TAlarmLists::durationEntry(TAlarmLists::entryForDuration(duration));
        if (algorithmSwitches && !stageSwitches(stage))
            add(Severity::Warning, Node::Stage, input, k, "stage-does-nothing",
                runs + ", но не включает ни выходов, ни реле: тревога на это время смолкает");
        else if (!heard.empty() && !broadcasts(stage))
            add(Severity::Warning, Node::Stage, input, k, "stage-silent",
                runs + ", но выходы для трансляции его сообщения не назначены, а у "
                    + joined(heard, heard.size() == 1 ? "этапа " : "этапов ", "")
                    + " назначены: речевое оповещение на это время смолкает");
    }

    TImage m_image;
    const TConfigCheck::Names* m_names;
    int m_splitterField = 0; // splitters - 1 as stored
    int m_splitters = 0;     // 0: the stored count has no list entry
    int m_relayModules = 0;
    bool m_relaysKnown = true;
    int m_consoles = 0;
    int m_messageModules = 0;
    bool m_paging = false;
    bool m_music = false;
    std::vector<Finding> m_findings;
};
} // namespace

std::vector<TConfigFinding> TConfigCheck::run(const TImage& image, const Names* names)
{
    return Checker(image, names).run();
}

int TConfigCheck::errors(const std::vector<TConfigFinding>& findings)
{
    return static_cast<int>(
        std::count_if(findings.begin(), findings.end(), [](const Finding& f) { return f.error(); }));
}

const char* TConfigCheck::severityWord(Severity severity)
{
    return severity == Severity::Error ? "error" : "warning";
}

std::string TConfigCheck::text(const std::vector<TConfigFinding>& findings)
{
    std::string out;
    for (const Finding& f : findings)
        out += std::string(severityWord(f.severity)) + ": " + f.line() + "\n";
    return out;
}

std::string TConfigCheck::json(const std::vector<TConfigFinding>& findings)
{
    static const char* const kinds[] = {"system", "settings", "buttons", "groups", "button", "group", "input", "stage"};
    std::string out = "{\"findings\": [";
    for (size_t i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        std::string node = std::string("{\"kind\": \"") + kinds[static_cast<int>(f.node)] + "\"";
        if (f.node == Node::Button)
            node += ", \"button\": " + std::to_string(f.number);
        else if (f.node == Node::Group)
            node += ", \"group\": " + std::to_string(f.number);
        else if (f.node == Node::Input || f.node == Node::Stage)
            node += ", \"input\": " + std::to_string(f.number);
        if (f.node == Node::Stage)
            node += ", \"stage\": " + std::to_string(f.stage);
        out += i == 0 ? "\n  " : ",\n  ";
        out += std::string("{\"severity\": \"") + severityWord(f.severity)
            + "\", \"id\": " + TConfigDescriber::jsonString(f.id) + ", \"node\": " + node + "}, \"where\": "
            + TConfigDescriber::jsonString(f.where()) + ", \"text\": " + TConfigDescriber::jsonString(f.text) + "}";
    }
    return out + (findings.empty() ? "]}\n" : "\n]}\n");
}
