#include "project/TBackupFolder.h"

#include "project/TBackupStore.h"
#include "project/TImageFile.h"

#include <filesystem>
#include <system_error>

TFileResult TBackupFolder::keep(const std::string& serial, const TImage& image, const std::string& project,
                                std::time_t when, std::string& path)
{
    return TBackupStore::keep(serial, image, path, TBackupStore::Reason::Write, project, when);
}

bool TBackupFolder::read(const std::string& path, TImage& image) const
{
    // A kept file cut short since is no image of what the controller held.
    std::error_code ec;
    return std::filesystem::file_size(path, ec) == TImage::Size && !ec && TImageFile::read(path, image);
}

std::optional<TWriteMark> TBackupFolder::unfinished(const std::string& serial) const
{
    return TBackupStore::unfinished(serial);
}

void TBackupFolder::markUnfinished(const std::string& serial, const std::string& backup, const TWriteMark::Sent& sent)
{
    TBackupStore::markUnfinished(serial, backup, sent);
}

void TBackupFolder::markAnotherWrite(const std::string& serial, const TWriteMark::Sent& sent)
{
    TBackupStore::markAnotherWrite(serial, sent);
}

void TBackupFolder::markFinished(const std::string& serial)
{
    TBackupStore::markFinished(serial);
}
