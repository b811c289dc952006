#pragma once

#include <string>
#include <vector>

// Which device is "COM n".
//
// 1. A per-user override wins: a link named comN in
//    $XDG_CONFIG_HOME/kt7config/ports/ (default ~/.config/kt7config/ports/)
//    pointing at any device, e.g. a /dev/serial/by-id/... name or a
//    pseudo-terminal.
// 2. Otherwise ports are numbered from 1 over the devices present, in this
//    order: on-board UARTs /dev/ttySn that have hardware behind them (the
//    kernel's placeholders report port type 0 in sysfs and are skipped), then
//    /dev/ttyUSBn, then /dev/ttyACMn, each group in ascending n.
class TPortMap {
public:
    // The device path of COM `number`; empty when there is none.
    static std::string Device(int number);

    // 0 when COM `number` can be opened exclusively right now, else an errno
    // value (ENOENT when no device has that number). Leaves the port closed.
    static int Probe(int number);

    static std::string OverrideFolder();
    // The comN entry of the override folder for COM `number` when there is
    // one, whether or not what it points at exists; empty otherwise.
    static std::string Link(int number);
    // The device COM `number` stands for when the number is the user's own
    // (an override), which another user's numbering does not have; empty
    // when it is the system's numbering.
    static std::string OwnDevice(int number);

    // The detected devices in numbering order (COM1 first).
    static std::vector<std::string> Numbered();
};
