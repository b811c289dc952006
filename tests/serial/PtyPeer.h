#pragma once

#include <string>

// The far end of a pseudo-terminal pair, linked as a port number in the
// per-user override folder so the component can open it as "COM n".
class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    int Fd() const { return FMaster; }
    const std::string& SlavePath() const { return FSlave; }

    // Makes COM `number` resolve to this pair's terminal.
    void LinkAs(int number) const;

    void WriteAll(const void* data, size_t length) const;
    // Waits up to `ms` for bytes and appends what has arrived to `out`.
    size_t ReadFor(std::string& out, int ms) const;
    void Hangup();

private:
    int FMaster = -1;
    std::string FSlave;
};
