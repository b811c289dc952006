#include "project/TProjectName.h"

namespace {

constexpr size_t DeletedAtDot = 16;

size_t fileNameStart(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::string TProjectName::fromPath(const std::string& path)
{
    std::string name = path.substr(fileNameStart(path));
    const size_t dot = name.find('.');
    if (dot == std::string::npos)
        return name;
    size_t end = dot;
    for (size_t count = 0; count < DeletedAtDot && end < name.size(); ++count) {
        ++end;
        while (end < name.size() && isContinuationByte(name[end]))
            ++end;
    }
    return name.erase(dot, end - dot);
}

std::string TProjectName::namesFilePath(const std::string& path)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < fileNameStart(path))
        return path + ".ini";
    return path.substr(0, dot) + ".ini";
}
