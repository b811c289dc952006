#include "image/TSiteNames.h"

namespace {

struct SiteField {
    std::string TSiteNames::*member;
    const char* key;
    const char* label;
};

// The order of the names file's [Site] section; the first three are the
// site's, the rest the title block's.
constexpr SiteField Fields[TSiteNames::SiteFields] = {
    {&TSiteNames::object, "Object", "Объект"},
    {&TSiteNames::address, "Address", "Адрес"},
    {&TSiteNames::engineer, "Engineer", "Наладчик"},
    {&TSiteNames::documentNumber, "DocumentNumber", "Номер документа"},
    {&TSiteNames::revision, "Revision", "Ревизия"},
    {&TSiteNames::customer, "Customer", "Заказчик"},
    {&TSiteNames::installer, "Installer", "Монтажная организация"},
    {&TSiteNames::designer, "Designer", "Проектировщик"},
    {&TSiteNames::designCode, "DesignCode", "Шифр проекта"},
};

std::vector<TSiteNames::Entry> makeEntries()
{
    using Part = TSiteNames::Part;
    std::vector<TSiteNames::Entry> list;
    list.reserve(TSiteNames::FieldCount);
    for (int f = 0; f < TSiteNames::SiteFields; ++f)
        list.push_back({Part::Site, f, "Site", Fields[f].key, Fields[f].label});
    for (int s = 1; s <= Layout::Splitters; ++s)
        for (int o = 1; o <= Layout::OutputsPerSplitter; ++o)
            list.push_back({Part::Zone,
                            Layout::outputBit(s, o),
                            "Zones",
                            "LB" + std::to_string(s) + ".OUT" + std::to_string(o),
                            {}});
    for (int k = 1; k <= 2; ++k)
        list.push_back({Part::ControllerRelay, k, "Relays", "CU.K" + std::to_string(k), {}});
    for (int m = 1; m <= Layout::RelayModules; ++m)
        for (int r = 1; r <= Layout::RelaysPerModule; ++r)
            list.push_back({Part::Relay,
                            Layout::relayBit(m, r),
                            "Relays",
                            "RM" + std::to_string(m) + ".K" + std::to_string(r),
                            {}});
    for (int i = 1; i <= Layout::InputCount; ++i)
        list.push_back({Part::Cause, i, "Causes", "IN-" + std::to_string(i), "IN-" + std::to_string(i)});
    // The controller's own messages, then those of message modules 1..3.
    for (int code = 0; code < TSiteNames::MessageCodes; ++code)
        list.push_back(
            {Part::Message,
             code,
             "Messages",
             (code < 8 ? std::string("CU") : "MS" + std::to_string(code / 8)) + ".M" + std::to_string(code % 8 + 1),
             {}});
    return list;
}

} // namespace

const std::vector<TSiteNames::Entry>& TSiteNames::entries()
{
    static const std::vector<Entry> list = makeEntries();
    return list;
}

const std::string& TSiteNames::name(const Entry& entry) const
{
    const auto at = static_cast<size_t>(entry.number);
    switch (entry.part) {
    case Part::Site: return this->*Fields[at].member;
    case Part::Zone: return zones.at(at);
    case Part::ControllerRelay: return controllerRelays.at(at - 1);
    case Part::Relay: return relays.at(at);
    case Part::Cause: return causes.at(at - 1);
    case Part::Message: break;
    }
    return messages.at(at);
}

std::vector<std::pair<std::string, std::string>> TSiteNames::titleBlock() const
{
    std::vector<std::pair<std::string, std::string>> block;
    for (int f = TitleBlockFrom; f < SiteFields; ++f)
        if (const std::string& text = this->*Fields[f].member; !text.empty())
            block.emplace_back(Fields[f].label, text);
    return block;
}
