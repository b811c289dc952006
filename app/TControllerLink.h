#pragma once
// The main window's link to the controller: finding it on a port, and reading
// or writing the whole image. Everything runs on the user-interface thread as a
// small state machine keyed by the link state; each reply triggers the next
// request, so only one request is ever outstanding. The scan's identify
// exchange is a TLinkEngine with the trusting rules; reads and writes of the
// image are TImageTransfers, under the checked ones.

#include "app/TImageTransfers.h"
#include "link/TLinkEngine.h"
#include "serial/TCommPort.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <string>

class QTimer;
class TLinkHost;
class TScanPanel;
class TSetComPort;

class TControllerLink : public QObject {
    Q_OBJECT
public:
    enum LinkState : uint8_t { Idle = 0, Identify = 1, Write = 2, Read = 3 };

    static constexpr int ScanInterval = 1000; // ms per port tried
    static constexpr int BatchSize = 1024;

    // The panel shows the scan and the progress of a transfer; scanInterval
    // is the time given to each port tried.
    TControllerLink(TLinkHost& host, TScanPanel& panel, int scanInterval, QObject* parent = nullptr);
    ~TControllerLink() override;

    // The dialog asked for when TBFind goes down; it applies its settings here.
    void setPortDialog(TSetComPort* dialog);

    void CommPortDataReceived(TCommPort* Sender, uint32_t Count);
    void CommPortErrorSignal(TCommPort* Sender, int32_t Error);
    void TBReadClick();
    void TBWriteClick();
    // Writes image in place of the project's, as "Запись" writes (the check's
    // box, the question, the backup read first): a backup put back, whose
    // file name gives backupSerial.
    void writeImage(const TImage& image, const std::string& backupSerial);
    // Reads the controller's image without touching the project, and keeps
    // it as every read does; done gets it once the read has completed.
    void readAside(TImageTransfers::SideRead done);
    void TBFindClick(bool down);
    void TimerTimer();
    // One port attempt of the scan: the identify request on the port number's
    // port if it probes free.
    void ScanStep();
    // For closing the main window: link idle, port closed.
    void stop();
    // False, after telling the user, while a read or write runs: a command
    // that replaces the image, or closes the window, waits until it has ended.
    bool mayReplaceImage();

    uint8_t linkState() const { return m_linkState; }
    int portNumber() const { return m_portNumber; }
    void setPortNumber(int n) { m_portNumber = n; }
    TCommPort& commPort() { return CommPort; }
    QTimer* timer() const { return Timer; }
    const QString& identification() const { return m_identification; }
    // The ten serial characters of the controller that answered last.
    const std::string& serialNumber() const { return m_serialNumber; }

private:
    void collectIdentify(const uint8_t* batch, int count);
    void handleIdentify(const TIdentReply& reply);
    // Every way a read or write ends comes through here, completed or cut
    // short (disconnect, a new scan, closing, the line lost, a failed
    // reply): the link goes idle and the host learns that the image is its
    // own again.
    void endTransfer();
    void send(const uint8_t* bytes, int count);
    // The line has gone away: the link ends as a disconnect by the user ends it.
    void lineLost();
    bool automaticScan() const;
    // True, after telling the user, while a write runs: "Чтение", "Запись"
    // and a read aside would cut it short.
    bool writeRefused();

    TLinkHost& m_host;
    TScanPanel& m_panel;
    TSetComPort* m_dialog = nullptr;
    uint8_t m_linkState = Idle;
    int m_portNumber = 1;
    QTimer* Timer;
    TCommPort CommPort;
    TLinkEngine m_engine{TLinkPolicy::trusting()};
    TImageTransfers* m_transfers;
    QString m_identification;
    std::string m_serialNumber;
};
