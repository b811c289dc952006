#pragma once

// A kernel event counter that can sit in a poll() set next to a device:
// signalling it wakes a thread blocked in poll on the device.
class TEventFd {
public:
    // Thrown when the kernel gives no descriptor; carries the errno value.
    // (A plain struct rather than std::system_error, whose inline message
    // call trips the undefined-behaviour checker's type check on libstdc++'s
    // error categories.)
    struct Failure {
        int error;
    };

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
