#pragma once
// The lock files that programs such as minicom, cu or pppd leave while they
// hold a serial port: LCK..NAME in the system's lock folder, NAME the
// device's path under /dev with '/' as '_' (LCK..ttyUSB0, LCK..pts_3),
// holding the holder's process number as ten characters or, in the oldest
// form, as a binary int. Reading them tells a port in use without opening it,
// which would raise DTR and RTS.

#include <string>
#include <vector>

class TPortLock {
public:
    // The folders locks are looked for in, the usual first.
    static const std::vector<std::string>& folders();

    // The process number of a running program whose lock names the device,
    // or 0: no lock, or one left by a program that has ended.
    static int holder(const std::string& device, const std::vector<std::string>& lockFolders = folders());

private:
    // The NAME of LCK..NAME for the device.
    static std::string lockName(const std::string& device);
};
