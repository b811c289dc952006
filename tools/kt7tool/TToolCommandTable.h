#pragma once
// kt7tool's commands, one entry each: what the help says of them, what they
// take and the handler of TToolCommands that carries each out.

#include "tools/kt7tool/TToolCommand.h"

#include <vector>

class TToolCommandTable {
public:
    static const std::vector<TToolCommand>& all();
};
