#include "report/TConfigDescriber.h"

#include "image/TAlarmLists.h"
#include "image/TAlarmRecord.h"
#include "report/TReportTerms.h"

namespace {
using Bits = TFact::Bits;

// The bit of a mask in image bit order.
Bits maskBit(int field, int bit)
{
    return {field + bit / 8, static_cast<uint8_t>(0x80 >> (bit % 8))};
}

Bits rangeBits(TBitRange range)
{
    return {range.offset, range.mask};
}

// The UTF-8 length of the control character at text[i] (C0, DEL or C1), or
// 0 when there is none.
size_t controlLength(const std::string& text, size_t i)
{
    const auto u = static_cast<unsigned char>(text[i]);
    if (u < 0x20 || u == 0x7F)
        return 1;
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    return u == 0xC2 && next >= 0x80 && next <= 0x9F ? 2 : 0;
}

unsigned controlCode(const std::string& text, size_t i, size_t length)
{
    return static_cast<unsigned char>(text[i + length - 1]);
}

std::string hexOf(unsigned code)
{
    static const char* const hex = "0123456789abcdef";
    return {hex[code >> 4], hex[code & 15]};
}

// A stored field beyond its list is shown by its stored code.
std::string orCode(const std::string& shown, int code)
{
    return shown.empty() ? "? (" + std::to_string(code) + ")" : shown;
}

class Builder {
public:
    explicit Builder(const TReportInput& input) : m_in(input), m_image(input.image) {}

    std::vector<TFact> run()
    {
        names();
        composition();
        if (m_in.music)
            music();
        if (m_in.consoleIndex >= 1)
            zones("Кнопка ", Layout::ButtonTable, false);
        if (m_in.phonePaging)
            zones("Группа ", Layout::GroupTable, true);
        for (int i = 1; i <= Layout::InputCount; ++i)
            if (TAlarmRecord(m_image, i).enabled())
                algorithm(i);
        return std::move(m_facts);
    }

private:
    void add(std::vector<std::string> path, std::string value, std::vector<Bits> source)
    {
        m_facts.push_back({std::move(path), std::move(value), std::move(source), false, {}, m_node, m_number, m_stage});
    }
    void mark(std::vector<std::string> path, Bits source, std::string name = {})
    {
        m_facts.push_back({std::move(path), {}, {source}, true, std::move(name), m_node, m_number, m_stage});
    }
    // The node of the facts added from here on.
    void shownOn(TConfigFinding::Node node, int number = 0, int stage = 0)
    {
        m_node = node;
        m_number = number;
        m_stage = stage;
    }

    // The site, its title block and the names of zones, relays, causes and
    // messages, one a line, before what uses them; a project without names
    // has none of these lines.
    void names()
    {
        using Part = TSiteNames::Part;
        shownOn(TConfigFinding::Node::System);
        for (const TSiteNames::Entry& e : TSiteNames::entries()) {
            const std::string& name = m_in.site.name(e);
            if (name.empty())
                continue;
            const std::string label = TReportTerms::nameLabel(e);
            switch (e.part) {
            case Part::Site: add({label}, name, {}); break;
            case Part::Zone: add({"Имя зоны", label}, name, {}); break;
            case Part::ControllerRelay:
            case Part::Relay: add({"Имя реле", label}, name, {}); break;
            case Part::Cause: add({"Источник сигнала", label}, name, {}); break;
            case Part::Message: add({"Имя сообщения", label}, name, {}); break;
            }
        }
    }

    void composition()
    {
        using namespace Layout;
        shownOn(TConfigFinding::Node::System);
        const char* const system = "Конфигурация системы";
        const auto at = [](TBitRange r) { return rangeBits(r.at(SystemNode)); };
        add({system, TReportTerms::SplitterCount},
            orCode(m_in.splitterCount, m_image.value(SplitterCount.at(SystemNode))), {at(SplitterCount)});
        add({system, TReportTerms::ConsoleCount}, m_in.consoleCount, {at(ConsoleCount)});
        add({system, TReportTerms::MessageModuleCount}, m_in.messageModuleCount, {at(MessageModules)});
        add({system, TReportTerms::RelayModuleCount},
            orCode(m_in.relayModuleCount, m_image.value(RelayModuleCount.at(SystemNode))), {at(RelayModuleCount)});
        shownOn(TConfigFinding::Node::Settings);
        const char* const functions = "Функциональные настройки";
        add({functions, TReportTerms::PhonePaging}, m_in.phonePaging ? TReportTerms::Present : TReportTerms::Absent,
            {at(PagingFlag)});
        add({functions, TReportTerms::Music}, m_in.music ? TReportTerms::Present : TReportTerms::Absent,
            {at(MusicFlag)});
    }

    static std::string output(int bit)
    {
        return TReportTerms::outputName(bit / Layout::OutputsPerSplitter + 1, bit % Layout::OutputsPerSplitter + 1);
    }
    static std::string moduleRelay(int bit)
    {
        return TReportTerms::relayName(bit / Layout::RelaysPerModule + 1, bit % Layout::RelaysPerModule + 1);
    }
    const std::string& zoneName(int bit) const { return m_in.site.zones[static_cast<size_t>(bit)]; }

    void music()
    {
        shownOn(TConfigFinding::Node::Settings);
        for (int p = 0; p < Layout::OutputBits; ++p)
            if (m_in.musicOutputs[static_cast<size_t>(p)])
                mark({TReportTerms::Music, output(p)}, maskBit(Layout::MusicMask, p), zoneName(p));
    }

    void zones(const std::string& itemWord, int table, bool groupCode)
    {
        for (int k = 1; k <= Layout::MaskCount; ++k) {
            const int mask = table + Layout::MaskSize * (k - 1);
            shownOn(groupCode ? TConfigFinding::Node::Group : TConfigFinding::Node::Button, k);
            std::string item = itemWord + std::to_string(k);
            if (groupCode)
                item += " (Код-" + std::to_string(Layout::GroupCodeBase + k) + ")";
            for (int bit = 0; bit < Layout::OutputBits; ++bit)
                if (m_image.bit(mask, bit))
                    mark({item, output(bit)}, maskBit(mask, bit), zoneName(bit));
        }
    }

    void algorithm(int input)
    {
        const TAlarmRecord record(m_image, input);
        const std::string in = "IN-" + std::to_string(input);
        const int head = record.offset();
        shownOn(TConfigFinding::Node::Input, input);
        add({in, "Имя"}, TConfigDescriber::algorithmName(m_in, input), {});
        const int delay = record.delayCode();
        add({in, TReportTerms::Delay},
            delay < TAlarmLists::DelayEntries ? TAlarmLists::delayEntry(delay) : orCode({}, delay),
            {rangeBits(Layout::Stage::Enabled.at(head)), rangeBits(Layout::Stage::DelayCode.at(head))});
        for (int k = 1; k <= Layout::StageCount; ++k) {
            const TStageRecord stage = record.stage(k);
            const int s = stage.offset();
            const std::string name = "Этап " + std::to_string(k);
            if (!stage.isOn())
                continue;
            shownOn(TConfigFinding::Node::Stage, input, k);
            const Bits duration{s + Layout::Stage::Duration, 0xFF};
            add({in, name, TReportTerms::Duration},
                TAlarmLists::durationEntry(TAlarmLists::entryForDuration(stage.duration())), {duration});
            const Bits message = rangeBits(Layout::Stage::Message.at(s));
            add({in, name, TReportTerms::Source}, TReportTerms::messageSource(stage.messageCode()), {message});
            add({in, name, TReportTerms::Number}, std::to_string(stage.messageNumber()), {message});
            m_facts.back().name = m_in.site.message(stage.messageCode());
            for (int bit = 0; bit < Layout::OutputBits; ++bit)
                if (stage.outputBit(bit))
                    mark({in, name, output(bit)}, maskBit(s + Layout::Stage::Outputs, bit), zoneName(bit));
            const TSiteNames& site = m_in.site;
            if (stage.k1())
                mark({in, name, TReportTerms::relayName(0, 1)}, rangeBits(Layout::Stage::K1.at(s)),
                     site.controllerRelay(1));
            if (stage.k2())
                mark({in, name, TReportTerms::relayName(0, 2)}, rangeBits(Layout::Stage::K2.at(s)),
                     site.controllerRelay(2));
            for (int bit = 0; bit < Layout::RelayBits; ++bit)
                if (stage.relayBit(bit))
                    mark({in, name, moduleRelay(bit)}, maskBit(s + Layout::Stage::Relays, bit),
                         site.relays[static_cast<size_t>(bit)]);
        }
    }

    const TReportInput& m_in;
    TImage m_image;
    std::vector<TFact> m_facts;
    TConfigFinding::Node m_node = TConfigFinding::Node::System;
    int m_number = 0;
    int m_stage = 0;
};
} // namespace

std::vector<TFact> TConfigDescriber::facts(const TReportInput& input)
{
    return Builder(input).run();
}

std::string TConfigDescriber::text(const std::vector<TFact>& facts)
{
    std::string out;
    for (const TFact& f : facts)
        out += printable(f.line()) + "\n";
    return out;
}

std::string TConfigDescriber::printable(const std::string& text)
{
    std::string out;
    size_t done = 0; // text before this is in out
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t length = controlLength(text, i);
        if (length == 0)
            continue;
        out.append(text, done, i - done);
        out += (length == 1 ? "\\x" : "\\u00") + hexOf(controlCode(text, i, length));
        i += length - 1;
        done = i + 1;
    }
    if (done == 0)
        return text;
    return out.append(text, done);
}

std::string TConfigDescriber::algorithmName(const TReportInput& input, int number)
{
    const std::string& caption = input.inputCaptions[static_cast<size_t>(number - 1)];
    const size_t blank = caption.find(' ');
    return blank == std::string::npos ? caption : caption.substr(blank + 1);
}

std::string TConfigDescriber::jsonString(const std::string& text)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const size_t length = controlLength(text, i);
        if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (length > 0)
            out += "\\u00" + hexOf(controlCode(text, i, length));
        else
            out += c;
        i += length > 0 ? length - 1 : 0;
    }
    return out + "\"";
}

std::string TConfigDescriber::json(const std::vector<TFact>& facts)
{
    std::string out = "{\"facts\": [";
    for (size_t i = 0; i < facts.size(); ++i) {
        out += i == 0 ? "\n  {\"path\": [" : ",\n  {\"path\": [";
        for (size_t p = 0; p < facts[i].path.size(); ++p)
            out += (p == 0 ? "" : ", ") + jsonString(facts[i].path[p]);
        out += "], \"value\": " + (facts[i].mark ? std::string("true") : jsonString(facts[i].value));
        if (!facts[i].name.empty())
            out += ", \"name\": " + jsonString(facts[i].name);
        out += "}";
    }
    return out + (facts.empty() ? "]}\n" : "\n]}\n");
}
