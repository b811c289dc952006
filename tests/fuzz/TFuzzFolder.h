#pragma once
// A private folder for the files one fuzzing process writes and
// reads back, removed when the process ends.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

class TFuzzFolder {
public:
    static TFuzzFolder& instance();

    std::string path(const std::string& name) const { return (m_root / name).string(); }
    static void writeAll(const std::string& path, const uint8_t* data, size_t size);
    // The file's bytes; none for a file that is not there.
    static std::string readAll(const std::string& path);

private:
    TFuzzFolder();
    ~TFuzzFolder();

    std::filesystem::path m_root;
};
