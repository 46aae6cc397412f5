// What the program asks of the operating system besides the serial port: may this user open serial
// devices, device arrival/removal notifications, and termination signals for the event loop.
#pragma once

#include <QString>

#include <functional>

namespace platform {

/// Whether this user can open serial devices: root; or a present USB serial device (ttyUSB*,
/// ttyACM* in `devDir`) opens read-write for this user (a udev "uaccess" rule gives the desktop
/// user that right while the adapter is plugged in); or a member of the group that owns them (the
/// group of the first present device, else "dialout").
bool CanOpenSerialDevices(const QString& devDir = QStringLiteral("/dev"));

/// A udev monitor on the tty subsystem. Fd() is -1 when udev is unavailable. Call Drain() when the
/// descriptor is readable; it returns true when a tty device was added or removed.
class TtyMonitor {
public:
    TtyMonitor();
    ~TtyMonitor();
    TtyMonitor(const TtyMonitor&) = delete;
    TtyMonitor& operator=(const TtyMonitor&) = delete;
    int Fd() const { return m_fd; }
    bool Drain();

private:
    void* m_udev = nullptr;
    void* m_monitor = nullptr;
    int m_fd = -1;
};

/// Makes SIGINT and SIGTERM write a byte to a pipe instead of ending the process; returns the
/// pipe's read end (watch it with a QSocketNotifier), or -1.
int InstallTerminationPipe();
/// Reads what the signal handler wrote (call when the pipe is readable).
void DrainTerminationPipe(int fd);

} // namespace platform
