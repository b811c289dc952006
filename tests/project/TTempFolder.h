#pragma once
// A fresh folder under /tmp for one test, removed with everything in it.

#include <filesystem>
#include <string>
#include <vector>

class TTempFolder {
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    std::string path(const std::string& name) const { return (m_root / name).string(); }
    // Names of the entries, sorted, to show that no stray file was left.
    std::vector<std::string> entries() const;

    static std::string readAll(const std::string& path);
    static void writeAll(const std::string& path, const std::string& bytes);

private:
    std::filesystem::path m_root;
};
