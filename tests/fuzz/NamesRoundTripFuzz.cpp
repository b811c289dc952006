// Reads arbitrary bytes as a names file, writes the names it got back, both
// into that same file (which keeps everything else in it) and into a new one,
// and reads each again: the algorithm names and those of the site, zones,
// relays, causes and messages must come back unchanged. Writing the
// algorithm names alone must leave the other names of a Windows-1251 file as
// they were. A file in Unicode is written whole in Windows-1251, so one that
// holds, besides the names, characters Windows-1251 lacks may be refused, and
// is then left as it was.

#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/TFuzzFolder.h"

#include "project/TNamesFile.h"

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

// Writes the names, the site's too unless site is null, and reads them back;
// the site's names read back must be expected.
void requireSameAfterWrite(const std::string& path, const TNamesFile::Names& names, const TSiteNames* site,
                           const TSiteNames* expected, bool mayRefuse = false)
{
    const std::string before = TFuzzFolder::readAll(path);
    const TFileResult result = site ? TNamesFile::write(path, names, *site) : TNamesFile::write(path, names);
    if (refusedAndKept(result, path, before, mayRefuse))
        return;
    TNamesFile::Names again;
    TSiteNames againSite;
    FUZZ_CHECK(TNamesFile::read(path, again, againSite).ok());
    FUZZ_CHECK(again == names);
    if (expected)
        FUZZ_CHECK(againSite == *expected);
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
    TSiteNames site;
    TNamesFile::Reading reading;
    FUZZ_CHECK(TNamesFile::read(original, names, site, &reading).ok());
    const bool unicode = reading.encoding != TUnicodeText::Encoding::None;
    for (const std::string& name : names)
        FUZZ_CHECK(TNamesFile::canStore(name));
    for (int n = 0; n < TSiteNames::FieldCount; ++n)
        FUZZ_CHECK(TNamesFile::canStore(site.field(n)));
    for (const TNamesFile::Reading::Cut& cut : reading.cut)
        FUZZ_CHECK(!cut.where.empty() && TNamesFile::canStore(cut.kept));
    requireSameAfterWrite(fresh, names, nullptr, nullptr);
    requireSameAfterWrite(original, names, nullptr, unicode ? nullptr : &site, unicode);
    requireSameAfterWrite(fresh, names, &site, &site);
    requireSameAfterWrite(original, names, &site, &site, unicode);
    return 0;
}
