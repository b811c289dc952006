#pragma once
// What a write of the whole image does around the blocks it sends, the same
// for the window and kt7tool: it first reads what the controller holds and
// keeps that as a backup, writes nothing when the controller holds the image
// already, and, when the write is cut short, tells from the blocks the
// controller confirmed what it holds now and where its earlier configuration
// is kept.

#include "image/TImage.h"
#include "project/TFileResult.h"

#include <cstdint>
#include <ctime>
#include <string>

class TWriteSequence {
public:
    static constexpr int Blocks = TImage::Size / TImage::BlockSize;

    struct Options {
        // Read the controller first and keep what it holds.
        bool keepBackup = true;
        // Write even when the controller holds the image already.
        bool always = false;
    };

    enum class Next {
        Write,         // the backup is kept (or none was asked for): write
        AlreadyHeld,   // the controller holds the image: nothing to write, nothing kept
        BackupNotKept, // the backup could not be stored (backupResult says why): write nothing
    };

    // What a write cut short leaves in the controller.
    struct CutShort {
        int done = 0;             // blocks whose echo was taken
        bool maybeNext = false;   // the next block's request went out whole, its reply was not taken
        uint16_t nextAddress = 0; // that block
        bool mixed = false;       // blocks of both configurations for certain; otherwise it may be
        std::string backup;       // the earlier configuration's file; empty when none was kept

        bool nothingWritten() const { return done == 0 && !maybeNext; }
        // Counting the block that may have been taken.
        int mostDone() const { return done + (maybeNext ? 1 : 0); }
    };

    // serialNumber names the backup (all ten characters of the identify reply).
    TWriteSequence(const TImage& image, std::string serialNumber, Options options);
    TWriteSequence(const TImage& image, std::string serialNumber) : TWriteSequence(image, std::move(serialNumber), {})
    {
    }

    // What is written: the image as it was when the write was asked for.
    const TImage& image() const { return m_image; }
    bool readsFirst() const { return m_options.keepBackup; }

    // The read before the write has brought what the controller holds.
    Next backupRead(const TImage& held, std::time_t when = std::time(nullptr));
    const TImage& held() const { return m_held; }
    const std::string& backupPath() const { return m_backupPath; }
    const TFileResult& backupResult() const { return m_backupResult; }

    // The write stopped after blocksDone confirmed blocks; requestUnanswered
    // when the request for the next one went out whole.
    CutShort cutShort(int blocksDone, bool requestUnanswered) const;

    // The command that writes the backup back, as a shell takes it: port
    // is kt7tool's port option ("--com 3", "--device /dev/ttyUSB0").
    static std::string restoreCommand(const std::string& backup, const std::string& port);
    // A word for a shell command line, quoted when it needs to be.
    static std::string shellWord(const std::string& word);

private:
    TImage m_image;
    std::string m_serialNumber;
    Options m_options;
    TImage m_held;
    std::string m_backupPath;
    TFileResult m_backupResult = TFileResult::success();
};
