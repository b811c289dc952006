#include "serial/TPortMap.h"

#include "serial/TSerialDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// The numbers n of /dev/<prefix>n, ascending.
std::vector<int> DeviceNumbers(const std::string& prefix)
{
    std::vector<int> numbers;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/dev", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string digits = name.substr(prefix.size());
        if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        numbers.push_back(std::atoi(digits.c_str()));
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

bool UartPresent(int n)
{
    const fs::path sys = fs::path("/sys/class/tty") / ("ttyS" + std::to_string(n));
    std::error_code ec;
    if (!fs::exists(sys / "device" / "driver", ec))
        return false;
    std::ifstream type(sys / "type");
    int value = -1;
    if (type >> value)
        return value != 0;
    return true;
}

} // namespace

std::string TPortMap::OverrideFolder()
{
    fs::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = fs::path(home) / ".config";
    else
        return {};
    return (base / "kt7config" / "ports").string();
}

std::vector<std::string> TPortMap::Numbered()
{
    std::vector<std::string> devices;
    for (int n : DeviceNumbers("ttyS"))
        if (UartPresent(n))
            devices.push_back("/dev/ttyS" + std::to_string(n));
    for (const char* prefix : {"ttyUSB", "ttyACM"})
        for (int n : DeviceNumbers(prefix))
            devices.push_back("/dev/" + std::string(prefix) + std::to_string(n));
    return devices;
}

std::string TPortMap::Link(int number)
{
    const std::string folder = OverrideFolder();
    if (number < 1 || folder.empty())
        return {};
    const fs::path link = fs::path(folder) / ("com" + std::to_string(number));
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(link, ec);
    return !ec && fs::exists(status) ? link.string() : std::string();
}

std::string TPortMap::Device(int number)
{
    if (number < 1)
        return {};
    if (const fs::path link = Link(number); !link.empty()) {
        std::error_code ec;
        if (!fs::is_symlink(link, ec))
            return link.string();
        // Name the device the link points at, even a missing one, so an
        // open failure tells the user which device is meant.
        const fs::path target = fs::read_symlink(link, ec);
        return (target.is_absolute() ? target : (link.parent_path() / target)).lexically_normal().string();
    }
    const std::vector<std::string> devices = Numbered();
    return static_cast<size_t>(number) <= devices.size() ? devices[number - 1] : std::string();
}

std::string TPortMap::OwnDevice(int number)
{
    return Link(number).empty() ? std::string() : Device(number);
}

int TPortMap::Probe(int number)
{
    const std::string path = Device(number);
    return path.empty() ? ENOENT : TSerialDevice::Probe(path);
}
