#include "serial/TSerialDevice.h"

#include "serial/TLineSettings.h"

// The kernel's termios2 carries any bit rate (BOTHER); it cannot be mixed
// with the C library's <termios.h>, so this file talks ioctl only.
#include <asm/termbits.h>
#include <cerrno>
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

TSerialDevice::~TSerialDevice()
{
    Close();
}

int TSerialDevice::OpenExclusive(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -errno;
    // flock keeps out programs that honour locks; TIOCEXCL keeps out any
    // further open() of the tty by non-root programs.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return -err;
    }
    return fd;
}

int TSerialDevice::Open(const std::string& path)
{
    Close();
    const int fd = OpenExclusive(path);
    if (fd < 0)
        return -fd;
    ::ioctl(fd, TIOCEXCL);
    // USB adapters otherwise hold received bytes for their latency timer;
    // drivers that refuse the request simply keep their default.
    serial_struct serial{};
    FLowLatencySet = false;
    if (::ioctl(fd, TIOCGSERIAL, &serial) == 0 && !(serial.flags & ASYNC_LOW_LATENCY)) {
        serial.flags |= ASYNC_LOW_LATENCY;
        FLowLatencySet = ::ioctl(fd, TIOCSSERIAL, &serial) == 0;
    }
    static_assert(sizeof(termios2) <= sizeof FFound);
    FHaveFound = ::ioctl(fd, TCGETS2, reinterpret_cast<termios2*>(FFound)) == 0;
    FFd = fd;
    return 0;
}

void TSerialDevice::Close()
{
    if (FFd < 0)
        return;
    // Neither can fail in a way that matters now: a device that has gone
    // keeps nothing.
    if (FHaveFound)
        ::ioctl(FFd, TCSETS2, reinterpret_cast<const termios2*>(FFound));
    serial_struct serial{};
    if (FLowLatencySet && ::ioctl(FFd, TIOCGSERIAL, &serial) == 0) {
        serial.flags &= ~ASYNC_LOW_LATENCY;
        ::ioctl(FFd, TIOCSSERIAL, &serial);
    }
    ::ioctl(FFd, TIOCNXCL);
    FHaveFound = false;
    ::close(FFd);
    FFd = -1;
}

bool TSerialDevice::Check(bool ok) const
{
    if (!ok)
        FLastError.store(errno);
    return ok;
}

bool TSerialDevice::Apply(const TLineSettings& s)
{
    termios2 t{};
    if (!Check(::ioctl(FFd, TCGETS2, &t) == 0))
        return false;

    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    if (s.Flags & TLineSettings::FlagParityCheck)
        t.c_iflag |= INPCK;
    if (s.Flags & TLineSettings::FlagOutX)
        t.c_iflag |= IXON;
    if (s.Flags & TLineSettings::FlagInX)
        t.c_iflag |= IXOFF;
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);

    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT) | CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL | BOTHER;
    t.c_ospeed = t.c_ispeed = s.BaudRate;

    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[(s.ByteSize >= 5 && s.ByteSize <= 8 ? s.ByteSize : 8) - 5];

    switch (s.Parity) {
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    case 3: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    // With five data bits CSTOPB gives one and a half stop bits.
    if (s.StopBits != 0)
        t.c_cflag |= CSTOPB;
    if ((s.Flags & TLineSettings::FlagOutxCtsFlow)
        || (s.Flags & TLineSettings::FlagRtsControlMask) == TLineSettings::FlagRtsHandshake)
        t.c_cflag |= CRTSCTS;

    // The kernel has no XON/XOFF thresholds; they stay in the record only.
    t.c_cc[VSTART] = s.XonChar;
    t.c_cc[VSTOP] = s.XoffChar;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    return Check(::ioctl(FFd, TCSETS2, &t) == 0);
}

int TSerialDevice::InQueue() const
{
    int n = 0;
    return Check(::ioctl(FFd, FIONREAD, &n) == 0) ? n : -1;
}

int TSerialDevice::OutQueue() const
{
    int n = 0;
    return Check(::ioctl(FFd, TIOCOUTQ, &n) == 0) ? n : -1;
}

bool TSerialDevice::ModemStatus(uint32_t& bits) const
{
    int lines = 0;
    if (!Check(::ioctl(FFd, TIOCMGET, &lines) == 0))
        return false;
    bits = ((lines & TIOCM_CTS) ? ModemCts : 0) | ((lines & TIOCM_DSR) ? ModemDsr : 0)
        | ((lines & TIOCM_RNG) ? ModemRing : 0) | ((lines & TIOCM_CAR) ? ModemDcd : 0);
    return true;
}

bool TSerialDevice::LineCounters(TLineCounters& counters) const
{
    serial_icounter_struct c{};
    if (::ioctl(FFd, TIOCGICOUNT, &c) != 0)
        return false;
    counters.Breaks = static_cast<uint32_t>(c.brk);
    counters.Errors = static_cast<uint32_t>(c.frame + c.overrun + c.parity + c.buf_overrun);
    return true;
}

bool TSerialDevice::Escape(TEscape function)
{
    if (FFd < 0)
        return false;
    int line = 0;
    switch (function) {
    case TEscape::SetBreak: return Check(::ioctl(FFd, TIOCSBRK) == 0);
    case TEscape::ClrBreak: return Check(::ioctl(FFd, TIOCCBRK) == 0);
    case TEscape::SetRts: line = TIOCM_RTS; return Check(::ioctl(FFd, TIOCMBIS, &line) == 0);
    case TEscape::ClrRts: line = TIOCM_RTS; return Check(::ioctl(FFd, TIOCMBIC, &line) == 0);
    case TEscape::SetDtr: line = TIOCM_DTR; return Check(::ioctl(FFd, TIOCMBIS, &line) == 0);
    case TEscape::ClrDtr: line = TIOCM_DTR; return Check(::ioctl(FFd, TIOCMBIC, &line) == 0);
    }
    return false;
}

bool TSerialDevice::Purge(TPurge side)
{
    return Check(::ioctl(FFd, TCFLSH, side == TPurge::Receive ? TCIFLUSH : TCOFLUSH) == 0);
}

int TSerialDevice::Probe(const std::string& path)
{
    const int fd = OpenExclusive(path);
    if (fd < 0)
        return -fd;
    ::close(fd);
    return 0;
}
