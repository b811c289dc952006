#include "project/TBackupKeeper.h"

std::string TBackupKeeper::serialInName(const std::string& serial)
{
    std::string name;
    for (const char c : serial)
        name += (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? c : '_';
    return name.empty() ? "_" : name;
}
