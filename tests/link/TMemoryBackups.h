#pragma once
// The backups a write keeps, held in memory: each kept image under a name of
// its own with its project, and each controller's mark. A keep can be made
// to fail, and a mark set as an older program left it.

#include "project/TBackupKeeper.h"

#include <map>
#include <string>

class TMemoryBackups final : public TBackupKeeper {
public:
    struct Kept {
        TImage image;
        std::string project;
    };

    TFileResult keep(const std::string& serial, const TImage& image, const std::string& project, std::time_t,
                     std::string& path) override
    {
        if (!keepFails.empty())
            return TFileResult::failure("kept", keepFails);
        path = serialInName(serial) + "-" + std::to_string(kept.size() + 1) + ".usr";
        kept[path] = {image, project};
        return TFileResult::success();
    }
    bool read(const std::string& path, TImage& image) const override
    {
        const auto it = kept.find(path);
        if (it == kept.end())
            return false;
        image = it->second.image;
        return true;
    }
    std::optional<TWriteMark> unfinished(const std::string& serial) const override
    {
        const auto it = marks.find(serialInName(serial));
        return it == marks.end() ? std::nullopt : std::optional<TWriteMark>(it->second);
    }
    void markUnfinished(const std::string& serial, const std::string& backup, const TWriteMark::Sent& sent) override
    {
        TWriteMark& mark = marks[serialInName(serial)] = {};
        mark.backup = backup;
        mark.sent.push_back(sent);
    }
    void markAnotherWrite(const std::string& serial, const TWriteMark::Sent& sent) override
    {
        if (const auto it = marks.find(serialInName(serial)); it != marks.end())
            it->second.sent.push_back(sent);
    }
    void markFinished(const std::string& serial) override { marks.erase(serialInName(serial)); }

    std::map<std::string, Kept> kept;
    std::map<std::string, TWriteMark> marks; // by serial as in file names
    std::string keepFails;                   // the reason a keep fails with; empty: it succeeds
};
