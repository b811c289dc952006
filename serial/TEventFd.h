#pragma once

// A kernel event counter that can sit in a poll() set next to a device:
// signalling it wakes a thread blocked in poll on the device.
class TEventFd {
public:
    TEventFd();
    ~TEventFd();
    TEventFd(const TEventFd&) = delete;
    TEventFd& operator=(const TEventFd&) = delete;

    int Handle() const { return FFd; }
    void Signal();
    void Clear();

private:
    int FFd;
};
