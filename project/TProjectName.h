#pragma once
// The project name shown in the title, and the names file beside a project.

#include <string>

class TProjectName {
public:
    // The file name without its folder; from its first "." 16 characters are
    // deleted (fewer where the name ends sooner): site.usr and site.2.usr give
    // site. Characters, not bytes, are counted in the UTF-8 name.
    static std::string fromPath(const std::string& path);
    // The path with the extension of its file name (the part after the last
    // "." of the file name, not of a folder) replaced by ".ini", or ".ini"
    // appended where the file name has no extension.
    static std::string namesFilePath(const std::string& path);
};
