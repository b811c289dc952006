#pragma once
// What the names file calls a zone or a relay, and what a test result names
// as its target: "LB2.OUT3" (output 3 of splitter 2), "CU.K1" (the
// controller's own relay K1) and "RM1.K2" (relay 2 of relay module 1).

#include <string>
#include <string_view>

class TTargetKey {
public:
    // Output 1..4 of splitter 1..12.
    static std::string output(int splitter, int out);
    // Relay 1..4 of relay module 1..6; module 0 is the controller, relay 1 or 2.
    static std::string relay(int module, int relay);
    // A key of a zone or relay of the largest system, spelt exactly so.
    static bool valid(std::string_view key);
    // The key as spelt in the file for text typed in any case ("lb2.out3"):
    // empty when it names no zone or relay.
    static std::string spelt(std::string_view text);
};
