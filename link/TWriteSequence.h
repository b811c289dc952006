#pragma once
// A write of the whole image from start to end, the same for the window and
// kt7tool, which only carry out the steps it hands out and word what it
// decides. It reads what the controller holds first and keeps that as a
// backup, writes nothing when the controller holds the image already, writes,
// reads back when asked, and at any end tells what the controller holds now,
// judged from the blocks the write changes and those the controller
// confirmed, with the way back to the whole configuration it held before.
//
// That configuration is remembered across writes and across runs by the
// backups: every write marks the controller unfinished before its first
// block goes out, with what it sends, and a write that leaves the
// controller whole ends the mark. The next write's backup read is believed
// over the mark: compared block by block with the backup the mark names and
// with what the marked writes sent, it shows the controller still mixed
// (the mark stands, and a backup of the mixed controller is never offered
// as the way back), whole again, or written by someone else since (the mark
// is over, and what the controller holds now is the way back). What the read
// could not show is said as what may be.

#include "image/TImage.h"
#include "project/TBackupKeeper.h"
#include "project/TFileResult.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

class TWriteSequence {
public:
    // The line a transfer used, as a kt7tool command names it.
    struct Line {
        int com = 0;        // --com N
        std::string device; // --device PATH, in place of the COM number
        unsigned baud;
        int timeoutMs;

        // The options: the port, then the speed and the time-out where they
        // are not the defaults.
        std::string options() const;
    };

    struct Options {
        // Read the controller first and keep what it holds.
        bool keepBackup = true;
        // Write even when the controller holds the image already.
        bool always = false;
        // Read the image back after the write.
        bool verify = false;
        // The project written, to label its backup; a kept image put back
        // was made for no project.
        std::string project;
        // A kept image put back: the serial characters of its file name.
        std::string backupSerial;
    };

    enum class Step { ReadBackup, Write, ReadBack, Done };

    enum class End {
        Written,         // every block written (echo as differing says)
        AlreadyHeld,     // the controller held the image: nothing written, nothing kept
        BackupNotKept,   // the backup could not be stored: nothing written
        BackupStopped,   // the read before the write did not complete: nothing written
        WriteStopped,    // the write was cut short
        ReadBackStopped, // written, but the read back did not complete
    };

    // What the controller holds at the end.
    enum class Holds {
        New,            // the image written
        Earlier,        // the whole configuration it held before
        Mixed,          // blocks of both, whichever way the block in doubt went
        NewOrEarlier,   // only the block in doubt decides
        NewOrMixed,     // new if it took the block in doubt
        EarlierOrMixed, // earlier unless it took the block in doubt
        // Written in part without reading it first: new where the blocks
        // not written held the image already, mixed otherwise.
        Unknown,
    };

    // What the controller held before this write, as far as an earlier
    // write that did not finish goes.
    enum class Before {
        Whole,      // no write is marked unfinished, or the read shows the mark over: one configuration whole
        Stale,      // marked, but the read found a block of no configuration the mark knows: another was written since
        Mixed,      // the read found only blocks of the configuration before those writes and of what they sent
        MayBeMixed, // marked, and the read could not show it (unseen says why)
    };
    enum class Unseen {
        ReadStopped, // the read before this write did not complete
        NotRead,     // the controller was not read before this write
        NotKept,     // the mark keeps too little to tell: no backup, or what its writes sent
    };

    struct Verdict {
        End end = End::Written;
        Holds holds = Holds::New;
        int done = 0;              // blocks whose echo was taken
        bool inDoubt = false;      // the request for the next block went out whole, its reply was not taken
        uint16_t doubtAddress = 0; // that block
        int changed = 0;           // blocks the write changes; every block when what the controller held is unknown
        int changedIn = 0;         // of them, confirmed
        bool doubtChanged = false; // the block in doubt is one of them
        Before before = Before::Whole;
        Unseen unseen = Unseen::NotKept; // with MayBeMixed
        std::vector<uint16_t> differing; // blocks whose echo differs from what was written
        bool readBack = false;           // the image was read back after the write
        bool readBackDiffers = false;    // and differs from what was written
        std::string backup;              // what the controller held before this write; empty when none was kept
        // The way back: the whole configuration the controller held before
        // the first write that left it unfinished (this one or an earlier),
        // or, where the mark names none, the backup this write kept; empty
        // when neither is known.
        std::string previous;
        TFileResult backupResult = TFileResult::success(); // with BackupNotKept

        // Changed blocks that are not written, counting neither those
        // confirmed nor the one in doubt.
        int changedOut() const { return changed - changedIn - (doubtChanged ? 1 : 0); }
        // Nothing was written in this write, the block in doubt included.
        bool nothingWritten() const { return done == 0 && !inDoubt; }
        // Nothing was written and the controller holds its earlier configuration whole.
        bool untouched() const { return nothingWritten() && holds == Holds::Earlier; }
        // Mixed, but by an earlier write only: none of this one's changes is in.
        bool mixedByEarlierOnly() const { return changedIn == 0 && !doubtChanged; }
        // An earlier write left the controller mixed, as seen or as may be.
        bool mixedBefore() const { return before == Before::Mixed || before == Before::MayBeMixed; }
        // It is not known that the controller holds one configuration whole
        // (mixed, one of two, unknown, an echo or read-back that differs):
        // the way back is told.
        bool doubtful() const;
    };

    // serialNumber: all ten characters of the identify reply, which name
    // the controller's backups; backups must outlive the sequence.
    TWriteSequence(TBackupKeeper& backups, const TImage& image, std::string serialNumber, Line line, Options options);

    // What is written: the image as it was when the write was asked for.
    const TImage& image() const { return m_image; }
    // What the controller held, once the backup read has brought it.
    const TImage& held() const { return m_held; }
    // A kept image of another controller than the one that answered: the
    // window asks before the first step, kt7tool refuses unless forced.
    bool foreignBackup() const;
    const std::string& serialNumber() const { return m_serial; }

    // The write goes ahead: called once, before the first step. A write
    // that keeps no backup is marked unfinished here, so that even a run
    // that never gets to say how it ended leaves that known.
    void start();
    Step next() const { return m_next; }
    // The outcomes of the steps.
    void backupRead(const TImage& held, std::time_t when = std::time(nullptr));
    // The read stopped; its first blocksRead blocks are in partial.
    void backupStopped(const TImage& partial, int blocksRead);
    void written(const std::vector<uint16_t>& differing);
    // The write stopped after blocksDone confirmed blocks; requestWentOut
    // when the request for the next one had gone out whole.
    void writeStopped(int blocksDone, bool requestWentOut);
    void readBack(const TImage& back);
    void readBackStopped();

    // Once the next step is Done.
    const Verdict& verdict() const { return m_verdict; }
    const TImage& readBackImage() const { return m_back; }
    // The command that writes the previous configuration back, as a shell
    // takes it; empty unless the verdict is doubtful and that backup known.
    std::string restoreCommand() const;
    static std::string restoreCommand(const std::string& backup, const Line& line);
    // A word for a shell command line, quoted when it needs to be.
    static std::string shellWord(const std::string& word);

private:
    // The write is about to send its first block.
    void beginWrite();
    // Reads the controller's mark and the backup it names.
    void recallMark();
    // Believes the read (the first `blocks` blocks of held) over the mark.
    void weigh(const TImage& held, int blocks);
    void endMark();
    const TImage* earlier() const { return m_earlierKnown ? &m_earlier : nullptr; }
    void judge(int done, bool inDoubt);
    void finish(End end);

    TBackupKeeper& m_backups;
    TImage m_image;
    std::string m_serial;
    Line m_line;
    Options m_options;
    Step m_next;
    TImage m_held;
    bool m_heldKnown = false;
    TImage m_back;
    Verdict m_verdict;
    // The controller's mark while it stands, and the image of its backup.
    std::optional<TWriteMark> m_mark;
    TImage m_earlier;
    bool m_earlierKnown = false;
};
