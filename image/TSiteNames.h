#pragma once
// What the installation's people call its parts, and what its handover
// papers say of it: the site (object, address, the engineer who commissions
// it) and the title block of its documents (document number, revision,
// customer, installer, designer, the design's code), each splitter output (a
// loudspeaker zone), each relay of the relay modules and the controller's own
// relays K1 and K2, what triggers each of the 24 inputs (a source reference,
// «ППК, выход 3; ЗКПС 1 этаж; лист ОП-2») and each message the stages can
// play. None of it is in the controller's image; the project keeps it beside
// the algorithm names. An empty text is no name. UTF-8.
//
// Every name is listed once, in entries(): which part it names, and the
// section and key that hold it in the names file. The names file, the names
// window, the undo history and the reports all go through that list.

#include "image/ImageLayout.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

struct TSiteNames {
    // The messages a stage can play: the controller's own 8, then 8 of each
    // message module, by message code.
    static constexpr int MessageCodes = 32;

    std::string object;
    std::string address;
    std::string engineer;
    std::string documentNumber;
    std::string revision;
    std::string customer;
    std::string installer;
    std::string designer;
    std::string designCode;
    // Output bit 4 x (splitter - 1) + (OUT - 1).
    std::array<std::string, Layout::OutputBits> zones;
    // Relay bit 4 x (module - 1) + (relay - 1).
    std::array<std::string, Layout::RelayBits> relays;
    // K1, K2.
    std::array<std::string, 2> controllerRelays;
    // What triggers input 1..24, by input - 1.
    std::array<std::string, Layout::InputCount> causes;
    // By message code: source x 8 + (number - 1).
    std::array<std::string, MessageCodes> messages;

    enum class Part { Site, Zone, ControllerRelay, Relay, Cause, Message };
    struct Entry {
        Part part;
        // Site: the field, 0..SiteFields - 1; Zone: the output bit; ControllerRelay:
        // 1 or 2; Relay: the relay bit; Cause: the input 1..24; Message: the code.
        int number;
        std::string section;
        std::string key;
        // The site's fields in words ("Объект", "Шифр проекта"); the inputs
        // as "IN-3". Empty for zones, relays and messages, which are named
        // in the report's words.
        std::string label;
    };
    static constexpr int SiteFields = 9;
    // The site's fields from here on are the title block's.
    static constexpr int TitleBlockFrom = 3;
    // The one list: the site's fields, the zones, K1 and K2, the relays, the
    // causes, the messages. Its index is a name's number.
    static const std::vector<Entry>& entries();
    static constexpr int FieldCount
        = SiteFields + Layout::OutputBits + 2 + Layout::RelayBits + Layout::InputCount + MessageCodes;

    std::string& name(const Entry& entry) { return const_cast<std::string&>(std::as_const(*this).name(entry)); }
    const std::string& name(const Entry& entry) const;
    // Every name by its number in entries().
    std::string& field(int i) { return name(entries().at(static_cast<size_t>(i))); }
    const std::string& field(int i) const { return name(entries().at(static_cast<size_t>(i))); }

    const std::string& zone(int splitter, int output) const
    {
        return zones[static_cast<size_t>(Layout::outputBit(splitter, output))];
    }
    const std::string& relay(int module, int relay) const
    {
        return relays[static_cast<size_t>(Layout::relayBit(module, relay))];
    }
    // K1 or K2: relay 1 or 2.
    const std::string& controllerRelay(int relay) const { return controllerRelays[static_cast<size_t>(relay - 1)]; }
    // Input 1..24.
    const std::string& cause(int input) const { return causes.at(static_cast<size_t>(input - 1)); }
    const std::string& message(int code) const { return messages.at(static_cast<size_t>(code)); }

    // The title block of the handover papers beyond the object, the address
    // and the engineer: each named field with its label, in the list's
    // order ("Номер документа", "Шифр проекта"); none when nothing is named.
    std::vector<std::pair<std::string, std::string>> titleBlock() const;

    bool operator==(const TSiteNames&) const = default;
};
