#pragma once
// The window's reads and writes of the whole image, each for a purpose: a
// read into the project, a read aside that leaves the project alone, and a
// write, which first reads and keeps what the controller holds and writes
// only what it does not hold already (TWriteSequence). Each tells how it
// ended, in the traffic log, in status panel 2 and, where the user must
// know, in a box; a write cut short says what the controller holds and how
// to put its earlier configuration back.

#include "app/TLinkTransfer.h"
#include "link/TWriteSequence.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class TCommPort;
class TLinkHost;
class TScanPanel;

class TImageTransfers : public QObject {
    Q_OBJECT
public:
    using SideRead = std::function<void(const TImage& image)>;
    // What the link that holds them gives: its port number, and the link
    // state while a transfer runs (started: a write or a read) and after.
    struct Link {
        std::function<int()> portNumber;
        std::function<void(bool writing)> started;
        std::function<void()> ended;
    };

    TImageTransfers(TLinkHost& host, TScanPanel& panel, TCommPort& port, Link link, QObject* parent = nullptr);

    // The controller identified: its characters name a read project, its
    // serial number the backups.
    void setController(const QString& projectName, const std::string& serialNumber);

    // "Чтение": the question, then the read into the project.
    void read();
    // "Запись" of image: the check's box, the question, the backup read,
    // then the write unless the controller holds image already.
    void write(const TImage& image);
    void readAside(SideRead done);

    void take(const uint8_t* batch, int count);
    bool running() const;
    // Given up from outside for cause (a disconnect, the line lost): noted,
    // and for a write the box on what the controller holds.
    void cutShort(const QString& cause);
    // Given up without a word.
    void stop();
    // A box of the serial component is open, or closed again: a box about
    // the same event waits until it is dismissed.
    void componentBox(bool open);

private:
    enum class Purpose { Read, Aside, Backup, Write };

    void startTransfer(Purpose purpose);
    // Before a transfer starts over: a write under way is noted as cut short.
    void noteRestart();
    void transferEnded(const TLinkTransfer::Ending& ending);
    void readEnded(const TLinkTransfer::Ending& ending);
    void backupEnded(const TLinkTransfer::Ending& ending);
    void writeEnded(const TLinkTransfer::Ending& ending);
    // Stores the image just read as a backup of the controller.
    void keepRead(const TImage& image);
    // What a write cut short leaves, with the way back, for a box.
    QString writeStoppedText(const QString& cause) const;
    // kt7tool's option for the port in use, for a restore command.
    std::string portOption() const;
    // An error box, shown once a box of the component is dismissed.
    void report(const QString& text);
    void showReport();
    void noteEnd(const QString& text);

    TLinkHost& m_host;
    TScanPanel& m_panel;
    TCommPort& m_port;
    Link m_link;
    TLinkTransfer* m_transfer;
    Purpose m_purpose = Purpose::Read;
    std::optional<TWriteSequence> m_write;
    SideRead m_aside;
    QString m_pendingReport;
    int m_componentBoxes = 0;
    QString m_serial;
    // All ten serial characters, which name the controller's backups.
    std::string m_serialNumber;
};
