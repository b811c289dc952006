#pragma once
// One fact of a configuration in words: where it is (section, item, field),
// its value, and the image bits it was read from. A mark stands for a marked
// cell of the report: an output or relay that is switched; it has no value.
// Each fact knows the tree node whose page shows it.

#include "report/TConfigFinding.h"

#include <cstdint>
#include <string>
#include <vector>

struct TFact {
    struct Bits {
        int offset;
        uint8_t mask;
    };

    std::vector<std::string> path;
    std::string value;
    std::vector<Bits> source;
    bool mark = false;
    // What the site calls the output or relay of a mark, or the message a
    // stage plays; empty when unnamed. Not part of the key nor of the value:
    // a renamed zone changes no fact of the image.
    std::string name;
    // The tree node the fact belongs to, named as the check names nodes.
    TConfigFinding::Node node = TConfigFinding::Node::System;
    int number = 0;
    int stage = 0;

    // The path joined by ", ".
    std::string key() const
    {
        std::string k;
        for (const std::string& part : path)
            k += (k.empty() ? "" : ", ") + part;
        return k;
    }
    // "key: value", or the key alone for a mark, followed by its name in
    // parentheses where it has one.
    std::string line() const
    {
        const std::string named = name.empty() ? "" : " (" + name + ")";
        if (mark)
            return key() + named;
        return key() + ":" + (value.empty() ? "" : " " + value) + named;
    }
};
