// Reads arbitrary bytes as a names file, writes the names it got back, both
// into that same file (which keeps everything else in it) and into a new one,
// and reads each again: the names must come back unchanged. So too the names
// of the site, zones and relays, which must leave the algorithm names as
// they were. A file in Unicode is written whole in Windows-1251, so one that
// holds, besides the names, characters Windows-1251 lacks may be refused, and
// is then left as it was.

#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/TFuzzFolder.h"

#include "project/TNamesFile.h"
#include "project/TSiteNamesFile.h"

namespace {

// True when the write was refused as it may be and the file kept its bytes.
bool refusedAndKept(const TFileResult& result, const std::string& path, const std::string& before, bool mayRefuse)
{
    if (result.ok())
        return false;
    FUZZ_CHECK(mayRefuse);
    FUZZ_CHECK(TFuzzFolder::readAll(path) == before);
    return true;
}

void requireSameAfterWrite(const std::string& path, const TNamesFile::Names& names, bool mayRefuse = false)
{
    const std::string before = TFuzzFolder::readAll(path);
    if (refusedAndKept(TNamesFile::write(path, names), path, before, mayRefuse))
        return;
    TNamesFile::Names again;
    FUZZ_CHECK(TNamesFile::read(path, again).ok());
    FUZZ_CHECK(again == names);
}

void requireSameSiteAfterWrite(const std::string& path, const TSiteNames& site, const TNamesFile::Names& names,
                               bool mayRefuse = false)
{
    const std::string before = TFuzzFolder::readAll(path);
    if (refusedAndKept(TSiteNamesFile::write(path, site), path, before, mayRefuse))
        return;
    TSiteNames again;
    FUZZ_CHECK(TSiteNamesFile::read(path, again).ok());
    FUZZ_CHECK(again == site);
    TNamesFile::Names algorithms;
    FUZZ_CHECK(TNamesFile::read(path, algorithms).ok());
    FUZZ_CHECK(algorithms == names);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const TFuzzFolder& folder = TFuzzFolder::instance();
    const std::string original = folder.path("names.ini");
    const std::string fresh = folder.path("fresh.ini");
    TFuzzFolder::writeAll(original, data, size);
    std::remove(fresh.c_str());

    TNamesFile::Names names;
    TNamesFile::Reading reading;
    FUZZ_CHECK(TNamesFile::read(original, names, &reading).ok());
    const bool unicode = reading.encoding != TUnicodeText::Encoding::None;
    for (const std::string& name : names)
        FUZZ_CHECK(TNamesFile::canStore(name));
    TSiteNames site;
    FUZZ_CHECK(TSiteNamesFile::read(original, site).ok());
    for (int n = 0; n < TSiteNames::FieldCount; ++n)
        FUZZ_CHECK(TNamesFile::canStore(site.field(n)));
    requireSameAfterWrite(fresh, names);
    requireSameAfterWrite(original, names, unicode);
    requireSameSiteAfterWrite(fresh, site, names);
    requireSameSiteAfterWrite(original, site, names, unicode);
    return 0;
}
