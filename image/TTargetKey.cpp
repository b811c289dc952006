#include "image/TTargetKey.h"

#include "image/ImageLayout.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {
// Every key of the largest system.
const std::vector<std::string>& allKeys()
{
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> all;
        for (int s = 1; s <= Layout::Splitters; ++s)
            for (int o = 1; o <= Layout::OutputsPerSplitter; ++o)
                all.push_back(TTargetKey::output(s, o));
        for (int k = 1; k <= 2; ++k)
            all.push_back(TTargetKey::relay(0, k));
        for (int m = 1; m <= Layout::RelayModules; ++m)
            for (int r = 1; r <= Layout::RelaysPerModule; ++r)
                all.push_back(TTargetKey::relay(m, r));
        return all;
    }();
    return keys;
}
} // namespace

std::string TTargetKey::output(int splitter, int out)
{
    return "LB" + std::to_string(splitter) + ".OUT" + std::to_string(out);
}

std::string TTargetKey::relay(int module, int relay)
{
    return (module == 0 ? std::string("CU") : "RM" + std::to_string(module)) + ".K" + std::to_string(relay);
}

bool TTargetKey::valid(std::string_view key)
{
    const std::vector<std::string>& keys = allKeys();
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

std::string TTargetKey::spelt(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return valid(upper) ? upper : std::string();
}
