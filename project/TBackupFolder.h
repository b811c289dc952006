#pragma once
// The backups a write keeps, in the folder both the window and kt7tool use
// (TBackupStore).

#include "project/TBackupKeeper.h"

class TBackupFolder final : public TBackupKeeper {
public:
    TFileResult keep(const std::string& serial, const TImage& image, const std::string& project, std::time_t when,
                     std::string& path) override;
    bool read(const std::string& path, TImage& image) const override;
    std::optional<TWriteMark> unfinished(const std::string& serial) const override;
    void markUnfinished(const std::string& serial, const std::string& backup, const TWriteMark::Sent& sent) override;
    void markAnotherWrite(const std::string& serial, const TWriteMark::Sent& sent) override;
    void markFinished(const std::string& serial) override;
};
