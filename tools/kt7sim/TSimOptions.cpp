#include "tools/kt7sim/TSimOptions.h"

#include <stdexcept>
#include <string_view>

namespace {

unsigned long number(const std::string& option, const std::string& text, unsigned long max)
{
    size_t used = 0;
    unsigned long value = 0;
    try {
        value = std::stoul(text, &used, 0);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || text[0] == '-' || value > max)
        throw std::invalid_argument(option + ": not a number up to " + std::to_string(max) + ": " + text);
    return value;
}

} // namespace

TSimOptions TSimOptions::parse(int argc, const char* const* argv)
{
    TSimOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw std::invalid_argument(option + " needs a value");
            return argv[++i];
        };
        if (option == "--help" || option == "-h") {
            o.help = true;
        } else if (option == "--baud") {
            o.baud = static_cast<unsigned>(number(option, value(), 4000000));
        } else if (option == "--gap") {
            o.gapMs = static_cast<int>(number(option, value(), 10000));
        } else if (option == "--delay") {
            o.delayMs = static_cast<int>(number(option, value(), 10000));
        } else if (option == "--com") {
            o.com = static_cast<int>(number(option, value(), 255));
            if (o.com == 0)
                throw std::invalid_argument("--com: port numbers start at 1");
        } else if (option == "--serial") {
            o.serial = value();
            if (o.serial.size() != 10)
                throw std::invalid_argument("--serial: exactly 10 characters are needed");
        } else if (option == "--image") {
            o.imagePath = value();
        } else if (option == "--dump") {
            o.dumpPath = value();
        } else if (option == "--refuse-identify") {
            o.faults.refuseIdentify = true;
        } else if (option == "--split") {
            const std::string list = value();
            size_t from = 0;
            for (;;) {
                const size_t comma = list.find(',', from);
                const std::string item = list.substr(from, comma - from);
                const auto size = number(option, item, 1024);
                if (size == 0)
                    throw std::invalid_argument("--split: chunk sizes start at 1");
                o.faults.split.push_back(size);
                if (comma == std::string::npos)
                    break;
                from = comma + 1;
            }
        } else if (option == "--wrong-address") {
            const std::string pair = value();
            const size_t colon = pair.find(':');
            if (colon == std::string::npos)
                throw std::invalid_argument("--wrong-address: FROM:TO[:N] expected");
            const size_t second = pair.find(':', colon + 1);
            o.faults.wrongAddress.push_back(
                {static_cast<uint16_t>(number(option, pair.substr(0, colon), 0xFFFF)),
                 static_cast<uint16_t>(number(option, pair.substr(colon + 1, second - colon - 1), 0xFFFF)),
                 second == std::string::npos ? -1 : static_cast<int>(number(option, pair.substr(second + 1), 1000))});
        } else if (option == "--corrupt-echo") {
            o.faults.corruptEchoBlock = static_cast<int>(number(option, value(), 63));
        } else if (option == "--drop-write") {
            o.faults.dropWriteBlock = static_cast<int>(number(option, value(), 63));
        } else if (option == "--bad-checksum") {
            const std::string item = value();
            const size_t colon = item.find(':');
            o.faults.badChecksumBlock = static_cast<int>(number(option, item.substr(0, colon), 63));
            if (colon != std::string::npos)
                o.faults.badChecksumTimes = static_cast<int>(number(option, item.substr(colon + 1), 1000));
        } else if (option == "--late") {
            const std::string item = value();
            const size_t colon = item.find(':');
            if (colon == std::string::npos)
                throw std::invalid_argument("--late: K:MS expected");
            o.faults.lateBlock = static_cast<int>(number(option, item.substr(0, colon), 63));
            o.faults.lateMs = static_cast<int>(number(option, item.substr(colon + 1), 60000));
        } else if (option == "--cut-reply") {
            const std::string item = value();
            const size_t colon = item.find(':');
            if (colon == std::string::npos)
                throw std::invalid_argument("--cut-reply: K:N expected");
            o.faults.cutReplyBlock = static_cast<int>(number(option, item.substr(0, colon), 63));
            o.faults.cutReplyBytes = static_cast<int>(number(option, item.substr(colon + 1), 38));
        } else if (option == "--surplus") {
            o.faults.surplus = number(option, value(), 1024);
        } else if (option == "--surplus-apart") {
            o.faults.surplusApart = true;
        } else if (option == "--cut-identify") {
            o.faults.identifyBytes = static_cast<int>(number(option, value(), 1024));
        } else if (option == "--silent-after") {
            o.faults.silentAfter = static_cast<int>(number(option, value(), 1000000));
        } else if (option == "--close-after") {
            o.faults.closeAfter = static_cast<int>(number(option, value(), 1000000));
        } else if (option == "--garbage") {
            o.faults.garbage = number(option, value(), 1024);
        } else {
            throw std::invalid_argument("unknown option " + option + " (see --help)");
        }
    }
    return o;
}

const char* TSimOptions::usage()
{
    return R"(usage: kt7sim [options]
Simulates a KT7-CU controller on a pseudo-terminal. Prints the device path of
the terminal on the first line of its output, then answers the tool's identify,
read block and write block requests until it is ended (Ctrl+C, SIGTERM).

  --com N               also create the link comN in $XDG_CONFIG_HOME/kt7config/ports
                        (default ~/.config/kt7config/ports), so that the tool finds
                        the simulator as COM N; the link is removed on exit
  --image FILE          start with the 2048 bytes of a .usr project image (default zeros)
  --dump FILE           write the 2048-byte memory to FILE on exit
  --serial TEXT         10-character serial number (default KT7S010203), shown as
                        S/N-KT7S (01.02.03); its first 4 characters name the project
  --baud N              pace replies as N bit/s with 10 bits a byte (default 9600);
                        0 sends at once
  --gap MS              pause between the chunks of a split reply (default 20)
  --delay MS            pause before each reply, as a slow controller's turn-around (default 0)
  -h, --help            this text

Faults:
  --refuse-identify     answer identify with status 0xEE instead of 0xAA
  --split A,B,...       send each reply in chunks of A, B, ... bytes (rest in one more)
  --wrong-address F:T[:N]  the replies (the first N) to a block request for address F
                        carry address T (with the memory at T); T >= 0x800 gives an
                        address past the image; may be given several times
  --corrupt-echo K      change one byte of the write echo of block K (address K*32)
  --drop-write K        echo writes of block K as sent, but keep what the memory held
  --bad-checksum K[:N]  the first N replies (default 1) to block K (address K*32) carry
                        a wrong checksum
  --late K:MS           hold the first reply to block K back MS ms more
  --cut-reply K:N       send only the first N bytes of every reply to block K
  --silent-after N      answer N block requests, then none (identify is still answered)
  --close-after N       close the line after the N-th block reply and exit
  --garbage N           send N noise bytes ahead of the first block reply
  --surplus N           send N noise bytes after every reply
  --surplus-apart       send the surplus as a piece of its own, --gap MS after the reply
  --cut-identify N      send only the first N bytes of the identify reply
Numbers may be written in decimal or with 0x.
)";
}
