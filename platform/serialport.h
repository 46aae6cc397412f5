// The serial port: a thin wrapper round one tty file descriptor.
//
// A port is named by its device name ("ttyUSB0"), by a virtual calibrator's link name announced
// in simulatorDir() ("ttyLORIK0"), or by an absolute device path. Opening is exclusive: the
// descriptor takes an advisory lock (flock) and the tty is put in exclusive mode (TIOCEXCL), so a
// second open of a held port fails, and the listing reports such a port as busy. The read never
// waits for bytes: it takes what the driver has queued; waitInput() is the one place that waits.
#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <unordered_map>
#include <vector>

Q_DECLARE_LOGGING_CATEGORY(lcSerial)

namespace platform {

/// One serial port as the listing finds it.
struct PortInfo {
    QString name;           ///< "ttyUSB0", or the link name of a virtual calibrator
    QString path;           ///< the device path to open
    QString description;    ///< the device description ("FT232R USB UART", ...)
    bool usbSerial = false; ///< a USB serial adapter (or a virtual calibrator standing in for one)
};

/// The folder where virtual calibrators announce their ports: $LORIK_SIM_DIR, else
/// $XDG_RUNTIME_DIR/lorik-sim, else /tmp/lorik-sim-<uid>.
QString SimulatorDir();
/// Creates SimulatorDir() when missing (the /tmp fallback with mode 0700) and checks that it can be
/// trusted: a directory, not a symbolic link, owned by this user, and for the /tmp fallback closed to
/// everybody else. Returns its path, or "" when it cannot be trusted (no virtual ports then).
QString EnsureSimulatorDir();
/// Whether SimulatorDir() exists and can be trusted (as above), without creating it.
bool SimulatorDirTrusted();

/// What probing a port found.
enum class PortProbe { Free, Busy, NotTerminal };
/// Probes a port the way the listing does: an open and an advisory lock, nothing else (the
/// terminal settings and the queued input of whoever holds it are left as they are).
PortProbe ProbePort(const QString& port);

/// Maps a port name to the device path to open; empty for a name that is not acceptable
/// (empty, relative with a '/', "." or "..", the pseudo-terminal multiplexer).
QString ResolvePortPath(const QString& name);

/// The present USB serial ports and announced virtual ports, sorted by name the way a user
/// expects (ttyUSB2 before ttyUSB10).
std::vector<PortInfo> EnumerateSerialPorts();

/// Natural order of port names: digit runs compare as numbers.
bool PortNameLess(const QString& a, const QString& b);

class TInterface_RS232 {
public:
    /// The description filter that stands for "a USB serial port": on this platform a port passes it
    /// when it is a tty with a USB parent (ttyUSB*, ttyACM*) or a virtual calibrator's port,
    /// whatever its description text says.
    static constexpr const char* kUsbSerialFilter = "USB Serial Port";

    TInterface_RS232() = default;
    ~TInterface_RS232();
    TInterface_RS232(const TInterface_RS232&) = delete;
    TInterface_RS232& operator=(const TInterface_RS232&) = delete;

    /// Opens and configures a port exclusively: raw, `dataBits` data bits, parity (0 none, 1 odd,
    /// 2 even), stop bits (0 one, 2 two), at `baud`. `readConstMs` is the read total time-out
    /// constant, kept as the bound of one read. Returns the handle, or -1 (missing, not a tty,
    /// busy, unacceptable name, unsupported settings).
    int OpenPort(const QString& port, int baud, int readConstMs, int dataBits, int parity, int stopBits);

    /// Closes a port. Returns 0, or -1 for a handle of 0 or -1.
    int ClosePort(int handle);

    /// Waits (bounded) for the output queue to drain, purges both queues so that a request starts
    /// with an empty input queue, writes the bytes, then pauses up to 1 ms (the pause ends as soon as
    /// an answer starts to arrive). Returns 0, or -1 for a failure or a bad handle.
    int WritePort(int handle, const std::uint8_t* bytes, int length);

    /// Reads what is queued, at most `size` bytes, never waiting. Returns the count (0 when nothing
    /// is queued), -1 bad handle, -2 status query failed or line errors pending (reported once),
    /// -5 read failed.
    int ReadPort(int handle, std::uint8_t* buffer, int size);

    /// Waits up to `timeoutMs` for input. Returns 1 when bytes are waiting, 0 on time-out,
    /// -1 for a bad handle or a port that has gone away.
    int WaitInput(int handle, int timeoutMs);

    /// Lists the ports whose name contains `nameFilter` and whose "name : description" text contains
    /// `descFilter` (see kUsbSerialFilter); each is probed (ProbePort): a device that is not a
    /// terminal is left out, a port that is held is listed as its name followed by " (занят)".
    /// Returns the count, busy ones included.
    int ListPorts(const QString& nameFilter, const QString& descFilter, QStringList* list);

private:
    struct LineCounters {
        int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
        bool supported = false;
    };
    bool readCounters(int handle, LineCounters& out) const;

    std::unordered_map<int, LineCounters> m_counters; // per open handle
    std::unordered_map<int, int> m_readConst;         // per open handle, ms
};

/// The text the listing appends to a port that another program holds.
inline constexpr char16_t kBusySuffix[] = u" (занят)";

} // namespace platform
