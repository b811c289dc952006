#pragma once
// The window's reads and writes of the whole image, each for a purpose: a
// read into the project, a read aside that leaves the project alone, and a
// write, whose steps TWriteSequence hands out (the backup read, the write)
// and whose end it judges. Each tells how it ended, in the traffic log, in
// status panel 2 and, where the user must know, in a box; a write cut short
// says what the controller holds and how to put its earlier configuration
// back. What goes over the line and how a transfer runs is told by signals.

#include "app/TLinkTransfer.h"
#include "link/TWriteSequence.h"
#include "project/TBackupFolder.h"
#include "project/TBackupStore.h"

#include <QByteArray>
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

    TImageTransfers(TLinkHost& host, TScanPanel& panel, TCommPort& port, QObject* parent = nullptr);

    // The controller identified: its characters name a read project, its
    // serial number the backups.
    void setController(const QString& projectName, const std::string& serialNumber);

    // "Чтение": the question, then the read into the project.
    void read();
    // "Запись" of image: the check's box, the question, then the steps of
    // the write. backupSerial: a kept image put back, the serial characters
    // of its file name; for another controller's the user is asked first.
    void write(const TImage& image, const std::string& backupSerial = {});
    void readAside(SideRead done);

    void take(const uint8_t* batch, int count);
    bool running() const;
    // A write runs, its backup read included.
    bool writing() const;
    // Given up from outside for cause (a disconnect, the line lost): noted,
    // and for a write the box on what the controller holds.
    void cutShort(const QString& cause);
    // Given up without a word.
    void stop();
    // A box of the serial component is open, or closed again: a box about
    // the same event waits until it is dismissed.
    void componentBox(bool open);

signals:
    // A read or write has begun; it has ended, however.
    void started(bool writing);
    void ended();
    // A line for the traffic log, and bytes that went over the line.
    void noted(const QString& note);
    void framed(const QByteArray& bytes, bool received);
    // The text of status panel 2.
    void statusNoted(const QString& text);

private:
    enum class Purpose { Read, Aside, Write };

    void startRead(Purpose purpose);
    // Carries out the write's next step, or words its end.
    void carryOut();
    void transferEnded(const TLinkTransfer::Ending& ending);
    void readEnded(const TLinkTransfer::Ending& ending);
    // Tells the write how its step ended; cause says why when it did not
    // complete.
    void stepEnded(bool complete, const TLinkTransfer::Ending& ending, const QString& cause);
    void writeEnded();
    // The line as a restore command names it.
    TWriteSequence::Line line() const;
    // Stores the image just read as a backup of the controller.
    void keepRead(const TImage& image, TBackupStore::Reason reason);
    // An error box, shown once a box of the component is dismissed.
    void report(const QString& text);
    void showReport();
    void box(const QString& text);
    void noteEnd(const QString& text);

    TLinkHost& m_host;
    TScanPanel& m_panel;
    TCommPort& m_port;
    TLinkTransfer* m_transfer;
    Purpose m_purpose = Purpose::Read;
    TBackupFolder m_backups;
    std::optional<TWriteSequence> m_write;
    // Why the write's last step did not complete; whether its box waits for
    // the component's.
    QString m_cause;
    bool m_fromOutside = false;
    SideRead m_aside;
    QString m_pendingReport;
    int m_componentBoxes = 0;
    QString m_serial;
    // All ten serial characters, which name the controller's backups.
    std::string m_serialNumber;
};
