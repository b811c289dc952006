#include "image/TTargetKey.h"

#include "image/ImageLayout.h"
#include "image/TSiteNames.h"

#include <algorithm>
#include <cctype>

namespace {
using Part = TSiteNames::Part;

bool isTarget(const TSiteNames::Entry& e)
{
    return e.part == Part::Zone || e.part == Part::ControllerRelay || e.part == Part::Relay;
}

// The key the names file gives the part of that number.
std::string keyOf(Part part, int number)
{
    for (const TSiteNames::Entry& e : TSiteNames::entries())
        if (e.part == part && e.number == number)
            return e.key;
    return {};
}
} // namespace

std::string TTargetKey::output(int splitter, int out)
{
    return keyOf(Part::Zone, Layout::outputBit(splitter, out));
}

std::string TTargetKey::relay(int module, int relay)
{
    return module == 0 ? keyOf(Part::ControllerRelay, relay) : keyOf(Part::Relay, Layout::relayBit(module, relay));
}

bool TTargetKey::valid(std::string_view key)
{
    const auto& entries = TSiteNames::entries();
    return std::any_of(entries.begin(), entries.end(),
                       [key](const TSiteNames::Entry& e) { return isTarget(e) && e.key == key; });
}

std::string TTargetKey::spelt(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return valid(upper) ? upper : std::string();
}
