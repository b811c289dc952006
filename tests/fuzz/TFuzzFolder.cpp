#include "tests/fuzz/TFuzzFolder.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

TFuzzFolder& TFuzzFolder::instance()
{
    static TFuzzFolder folder;
    return folder;
}

TFuzzFolder::TFuzzFolder()
{
    // Memory-backed where there is one: the files are synced on every write.
    const std::filesystem::path shm = "/dev/shm";
    const std::filesystem::path base
        = std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
    std::string pattern = (base / "kt7fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a folder for the fuzz files");
    m_root = pattern;
}

TFuzzFolder::~TFuzzFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}

void TFuzzFolder::writeAll(const std::string& path, const uint8_t* data, size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        throw std::runtime_error("cannot create the fuzz file " + path);
    const bool written = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written)
        throw std::runtime_error("cannot write the fuzz file " + path);
}

std::string TFuzzFolder::readAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
