#include "platform/serialport.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <libudev.h>

Q_LOGGING_CATEGORY(lcSerial, "lorik.serial", QtWarningMsg)

using namespace Qt::StringLiterals;

namespace platform {
namespace {

speed_t BaudConstant(int baud)
{
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    case 921600:
        return B921600;
    default:
        return B0;
    }
}

void LogError(const char* what, const QString& detail = {})
{
    qCDebug(lcSerial).noquote() << QString::fromUtf8(what) << detail
                                << QString::fromLocal8Bit(strerror(errno));
}

bool ValidHandle(int handle)
{
    return handle != -1 && handle != 0;
}

} // namespace

QString SimulatorDir()
{
    const QByteArray own = qgetenv("LORIK_SIM_DIR");
    if (!own.isEmpty()) return QString::fromLocal8Bit(own);
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) return QString::fromLocal8Bit(runtime) + u"/lorik-sim";
    return u"/tmp/lorik-sim-"_s + QString::number(getuid());
}

namespace {

bool IsFallbackDir()
{
    return qgetenv("LORIK_SIM_DIR").isEmpty() && qgetenv("XDG_RUNTIME_DIR").isEmpty();
}

bool TrustedDir(const QString& dir)
{
    struct stat st {};
    if (lstat(QFile::encodeName(dir).constData(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid()) return false;
    // in /tmp anybody could have made it first: it must be closed to everybody else
    if (IsFallbackDir() && (st.st_mode & 077) != 0) return false;
    return true;
}

// Opening the multiplexer makes a new pseudo-terminal pair: never a port.
bool IsPtyMultiplexer(const QString& path)
{
    const QString real = QFileInfo(path).canonicalFilePath();
    return real == u"/dev/ptmx" || real == u"/dev/pts/ptmx";
}

} // namespace

QString EnsureSimulatorDir()
{
    const QString dir = SimulatorDir();
    const QByteArray native = QFile::encodeName(dir);
    struct stat st {};
    if (lstat(native.constData(), &st) != 0) {
        if (IsFallbackDir()) {
            if (mkdir(native.constData(), 0700) != 0 && errno != EEXIST) return {};
        } else if (!QDir().mkpath(dir)) {
            return {};
        }
    }
    return TrustedDir(dir) ? dir : QString();
}

bool SimulatorDirTrusted()
{
    return TrustedDir(SimulatorDir());
}

QString ResolvePortPath(const QString& name)
{
    if (name.isEmpty()) return {};
    if (name.startsWith(u'/')) return IsPtyMultiplexer(name) ? QString() : name;
    if (name.contains(u'/') || name == u"." || name == u"..") return {};
    const QString announced = SimulatorDir() + u'/' + name;
    if (QFileInfo(announced).isSymLink() && SimulatorDirTrusted())
        return IsPtyMultiplexer(announced) ? QString() : announced;
    const QString device = u"/dev/"_s + name;
    return IsPtyMultiplexer(device) ? QString() : device;
}

bool PortNameLess(const QString& a, const QString& b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            const QStringView da = QStringView(a).mid(i, ei - i), db = QStringView(b).mid(j, ej - j);
            // compare numerically without overflow: strip leading zeros, then length, then text
            qsizetype za = 0, zb = 0;
            while (za < da.size() - 1 && da[za] == u'0')
                ++za;
            while (zb < db.size() - 1 && db[zb] == u'0')
                ++zb;
            const QStringView na = da.mid(za), nb = db.mid(zb);
            if (na.size() != nb.size()) return na.size() < nb.size();
            const int c = na.compare(nb);
            if (c != 0) return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i;
        ++j;
    }
    return (a.size() - i) < (b.size() - j);
}

std::vector<PortInfo> EnumerateSerialPorts()
{
    std::vector<PortInfo> ports;
    if (udev* u = udev_new()) {
        udev_enumerate* en = udev_enumerate_new(u);
        udev_enumerate_add_match_subsystem(en, "tty");
        udev_enumerate_scan_devices(en);
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(en))
        {
            udev_device* dev = udev_device_new_from_syspath(u, udev_list_entry_get_name(entry));
            if (!dev) continue;
            udev_device* usb = udev_device_get_parent_with_subsystem_devtype(dev, "usb", "usb_device");
            const char* node = udev_device_get_devnode(dev);
            if (usb && node) {
                PortInfo p;
                p.name = QString::fromUtf8(udev_device_get_sysname(dev));
                p.path = QString::fromUtf8(node);
                const char* model = udev_device_get_property_value(dev, "ID_MODEL_FROM_DATABASE");
                if (!model) model = udev_device_get_property_value(dev, "ID_MODEL");
                if (!model) model = udev_device_get_sysattr_value(usb, "product");
                p.description = QString::fromUtf8(model ? model : "USB serial port");
                p.usbSerial = true;
                ports.push_back(p);
            }
            udev_device_unref(dev);
        }
        udev_enumerate_unref(en);
        udev_unref(u);
    }
    // Virtual calibrators announce their ports as symbolic links to pseudo-terminals.
    const QDir dir(SimulatorDir());
    const bool trusted = SimulatorDirTrusted();
    for (const QFileInfo& fi :
         trusted ? dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot) : QFileInfoList()) {
        if (!fi.isSymLink() || IsPtyMultiplexer(fi.absoluteFilePath())) continue;
        struct stat st {};
        if (stat(QFile::encodeName(fi.absoluteFilePath()).constData(), &st) != 0 || !S_ISCHR(st.st_mode))
            continue; // a stale link of a virtual calibrator that has stopped
        ports.push_back({fi.fileName(), fi.absoluteFilePath(), u"виртуальный калибратор ЛОРИК"_s, true});
    }
    std::sort(ports.begin(), ports.end(),
              [](const PortInfo& a, const PortInfo& b) { return PortNameLess(a.name, b.name); });
    return ports;
}

TInterface_RS232::~TInterface_RS232()
{
    for (auto& [fd, c] : m_counters) {
        Q_UNUSED(c);
        ioctl(fd, TIOCNXCL);
        close(fd);
    }
}

int TInterface_RS232::OpenPort(const QString& port, int baud, int readConstMs, int dataBits, int parity,
                               int stopBits)
{
    const QString path = ResolvePortPath(port);
    if (path.isEmpty()) {
        qCDebug(lcSerial) << "unacceptable port name" << port;
        return -1;
    }
    const QByteArray native = QFile::encodeName(path);
    // Only character devices are opened: opening some other file could have side effects.
    struct stat st {};
    if (stat(native.constData(), &st) != 0 || !S_ISCHR(st.st_mode)) {
        LogError("not a character device:", path);
        return -1;
    }
    const speed_t speed = BaudConstant(baud);
    if (speed == B0 || dataBits < 5 || dataBits > 8) return -1;

    const int fd = open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        LogError("open failed:", path);
        return -1;
    }
    bool exclusive = false;
    auto fail = [&](const char* what) {
        const int saved = errno;
        LogError(what, path);
        if (exclusive) ioctl(fd, TIOCNXCL); // nobody else may stay locked out by our failed open
        close(fd);                          // also releases the lock
        errno = saved;
        return -1;
    };
    if (!isatty(fd)) return fail("not a terminal:");
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail("port is held by another program:");
    int held = 0;
    if (ioctl(fd, TIOCGEXCL, &held) == 0 && held) return fail("port is in exclusive use:");
    if (ioctl(fd, TIOCEXCL) != 0) return fail("exclusive mode refused:");
    exclusive = true;

    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return fail("tcgetattr failed:");
    cfmakeraw(&tio);
    tio.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag |= dataBits == 5 ? CS5 : dataBits == 6 ? CS6 : dataBits == 7 ? CS7 : CS8;
    if (parity == 1) tio.c_cflag |= PARENB | PARODD;
    if (parity == 2) tio.c_cflag |= PARENB;
    if (stopBits == 2) tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~tcflag_t(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    if (tcsetattr(fd, TCSANOW, &tio) != 0) return fail("tcsetattr failed:");
    ioctl(fd, TIOCCBRK);
    tcflush(fd, TCIOFLUSH);

    LineCounters c;
    readCounters(fd, c);
    m_counters[fd] = c;
    m_readConst[fd] = readConstMs;
    qCDebug(lcSerial) << "opened" << path << "handle" << fd;
    return fd;
}

int TInterface_RS232::ClosePort(int handle)
{
    if (!ValidHandle(handle)) return -1;
    tcflush(handle, TCIOFLUSH);
    ioctl(handle, TIOCNXCL); // the tty leaves exclusive mode for whoever opens it next
    close(handle);
    m_counters.erase(handle);
    m_readConst.erase(handle);
    return 0;
}

int TInterface_RS232::WritePort(int handle, const std::uint8_t* bytes, int length)
{
    if (!ValidHandle(handle) || length < 0 || (length > 0 && !bytes)) return -1;
    // Wait for the output queue to drain: at most 1001 queries, then write anyway.
    for (int i = 0; i < 1001; ++i) {
        int queued = 0;
        if (ioctl(handle, TIOCOUTQ, &queued) != 0 || queued == 0) break;
    }
    // Bytes of an earlier reply that nobody read are thrown away: every request starts clean.
    tcflush(handle, TCIOFLUSH);

    int result = 0;
    int done = 0;
    const int budgetMs = 10 + length; // write total time-out: 10 ms + 1 ms per byte
    while (done < length) {
        const ssize_t n = write(handle, bytes + done, size_t(length - done));
        if (n > 0) {
            done += int(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p{handle, POLLOUT, 0};
            if (poll(&p, 1, budgetMs) > 0 && !(p.revents & (POLLERR | POLLHUP | POLLNVAL))) continue;
        }
        LogError("ошибка записи в порт!");
        result = -1;
        break;
    }
    // The pause after a write ends as soon as the answer starts to arrive.
    WaitInput(handle, 1);
    return result;
}

bool TInterface_RS232::readCounters(int handle, LineCounters& out) const
{
    serial_icounter_struct ic{};
    if (ioctl(handle, TIOCGICOUNT, &ic) != 0) {
        out.supported = false;
        return false;
    }
    out = {ic.frame, ic.overrun, ic.parity, ic.brk, ic.buf_overrun, true};
    return true;
}

int TInterface_RS232::ReadPort(int handle, std::uint8_t* buffer, int size)
{
    if (!ValidHandle(handle) || !buffer || size <= 0) return -1;
    // Line errors are reported once, where the driver counts them.
    auto it = m_counters.find(handle);
    if (it != m_counters.end() && it->second.supported) {
        LineCounters now;
        if (readCounters(handle, now)) {
            const LineCounters& was = it->second;
            const bool errors = now.frame != was.frame || now.overrun != was.overrun ||
                                now.parity != was.parity || now.brk != was.brk ||
                                now.bufOverrun != was.bufOverrun;
            it->second = now;
            if (errors) {
                qCDebug(lcSerial) << "ошибка чтения порта  (Errors != 0) !";
                return -2;
            }
        }
    }
    int queued = 0;
    if (ioctl(handle, FIONREAD, &queued) != 0) {
        LogError("ошибка чтения порта  (ClearCommError()) !");
        return -2;
    }
    if (queued <= 0) return 0;
    const ssize_t n = read(handle, buffer, size_t(std::min(queued, size)));
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) return 0;
        LogError("ошибка чтения порта  (ReadFile()) !");
        return -5;
    }
    return int(n);
}

int TInterface_RS232::WaitInput(int handle, int timeoutMs)
{
    if (!ValidHandle(handle)) return -1;
    pollfd p{handle, POLLIN, 0};
    int r;
    do {
        r = poll(&p, 1, timeoutMs);
    } while (r < 0 && errno == EINTR);
    if (r < 0 || (p.revents & POLLNVAL)) return -1;
    if (r == 0) return 0;
    if (p.revents & POLLIN) return 1;
    return -1; // hang-up or error: the device has gone away
}

int TInterface_RS232::ListPorts(const QString& nameFilter, const QString& descFilter, QStringList* list)
{
    int count = 0;
    for (const PortInfo& p : EnumerateSerialPorts()) {
        if (p.name.size() <= 3 || !p.name.contains(nameFilter, Qt::CaseSensitive)) continue;
        const bool passes =
            descFilter == QLatin1String(kUsbSerialFilter)
                ? p.usbSerial
                : QString(p.name + u" : " + p.description).contains(descFilter, Qt::CaseSensitive);
        if (!passes) continue;
        const PortProbe probe = ProbePort(p.path);
        if (probe == PortProbe::NotTerminal) continue;
        ++count;
        if (!list) continue;
        list->append(probe == PortProbe::Free ? p.name : p.name + QString::fromUtf16(kBusySuffix));
    }
    return count;
}

PortProbe ProbePort(const QString& port)
{
    const QString path = ResolvePortPath(port);
    if (path.isEmpty()) return PortProbe::NotTerminal;
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (stat(native.constData(), &st) != 0 || !S_ISCHR(st.st_mode)) return PortProbe::NotTerminal;
    const int fd = open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? PortProbe::NotTerminal : PortProbe::Busy; // as a failed open
    PortProbe result = PortProbe::Free;
    int held = 0;
    if (!isatty(fd))
        result = PortProbe::NotTerminal;
    else if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        result = PortProbe::Busy;
    else if (ioctl(fd, TIOCGEXCL, &held) == 0 && held)
        result = PortProbe::Busy;
    close(fd); // releases the lock; the terminal's settings and queues were never touched
    return result;
}

} // namespace platform
