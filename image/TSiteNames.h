#pragma once
// What the installation's people call its parts: the site (object, address,
// the engineer who commissions it), each splitter output (a loudspeaker
// zone), each relay of the relay modules and the controller's own relays K1
// and K2. None of it is in the controller's image; the project keeps it
// beside the algorithm names. An empty text is no name. UTF-8.

#include "image/ImageLayout.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

struct TSiteNames {
    std::string object;
    std::string address;
    std::string engineer;
    // Output bit 4 x (splitter - 1) + (OUT - 1).
    std::array<std::string, Layout::OutputBits> zones;
    // Relay bit 4 x (module - 1) + (relay - 1).
    std::array<std::string, Layout::RelayBits> relays;
    // K1, K2.
    std::array<std::string, 2> controllerRelays;

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

    // Every name by one number, 0..FieldCount - 1: the object, the address,
    // the engineer, the zones, K1 and K2, the relays.
    static constexpr int FieldCount = 3 + Layout::OutputBits + 2 + Layout::RelayBits;
    std::string& field(int i) { return const_cast<std::string&>(std::as_const(*this).field(i)); }
    const std::string& field(int i) const
    {
        if (i < 3)
            return i == 0 ? object : i == 1 ? address : engineer;
        i -= 3;
        if (i < Layout::OutputBits)
            return zones.at(static_cast<size_t>(i));
        i -= Layout::OutputBits;
        if (i < 2)
            return controllerRelays.at(static_cast<size_t>(i));
        return relays.at(static_cast<size_t>(i - 2));
    }

    bool hasSite() const { return !object.empty() || !address.empty() || !engineer.empty(); }
    bool hasPartNames() const
    {
        const auto named = [](const std::string& name) { return !name.empty(); };
        return std::any_of(zones.begin(), zones.end(), named) || std::any_of(relays.begin(), relays.end(), named)
            || std::any_of(controllerRelays.begin(), controllerRelays.end(), named);
    }
    bool empty() const { return !hasSite() && !hasPartNames(); }

    bool operator==(const TSiteNames&) const = default;
};
