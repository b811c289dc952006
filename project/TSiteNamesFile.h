#pragma once
// The names of the site, its zones and its relays in the project's names
// file, beside the algorithm names of [Scenic] and in sections of their own,
// written as the private-profile functions write them (Windows-1251, values
// quoted where blanks or quotes would be lost):
//
//   [Site]     Object, Address, Engineer
//   [Zones]    LB1.OUT1 .. LB12.OUT4
//   [Relays]   CU.K1, CU.K2, RM1.K1 .. RM6.K4
//
// Only names that exist are written: a project without any leaves the file
// without these sections, and [Scenic] and anything else in the file stay as
// they were.

#include "image/TSiteNames.h"
#include "project/TFileResult.h"

#include <string>

class TSiteNamesFile {
public:
    // A missing file or section gives empty names; any other failure leaves
    // names unchanged.
    static TFileResult read(const std::string& path, TSiteNames& names);
    // A name that cannot be stored is refused and nothing is written.
    static TFileResult write(const std::string& path, const TSiteNames& names);
    // The file's names as the sections have them: which section and key
    // holds each, for the reader and the writer alike.
    template <typename Names, typename Visit> static void forEach(Names& names, Visit&& visit);
};

template <typename Names, typename Visit> void TSiteNamesFile::forEach(Names& names, Visit&& visit)
{
    visit("Site", std::string("Object"), names.object);
    visit("Site", std::string("Address"), names.address);
    visit("Site", std::string("Engineer"), names.engineer);
    for (int s = 1; s <= Layout::Splitters; ++s)
        for (int o = 1; o <= Layout::OutputsPerSplitter; ++o)
            visit("Zones", "LB" + std::to_string(s) + ".OUT" + std::to_string(o),
                  names.zones[static_cast<size_t>(Layout::outputBit(s, o))]);
    for (int k = 1; k <= 2; ++k)
        visit("Relays", "CU.K" + std::to_string(k), names.controllerRelays[static_cast<size_t>(k - 1)]);
    for (int m = 1; m <= Layout::RelayModules; ++m)
        for (int r = 1; r <= Layout::RelaysPerModule; ++r)
            visit("Relays", "RM" + std::to_string(m) + ".K" + std::to_string(r),
                  names.relays[static_cast<size_t>(Layout::relayBit(m, r))]);
}
