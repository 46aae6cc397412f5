#include "platform/system.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <libudev.h>

#include <vector>

namespace platform {

bool CanOpenSerialDevices(const QString& devDir)
{
    if (geteuid() == 0) return true;
    gid_t owner = 0;
    bool haveGroup = false;
    const QStringList devices = QDir(devDir).entryList({QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")},
                                                       QDir::System | QDir::Files);
    for (const QString& d : devices) {
        const QByteArray path = QFile::encodeName(devDir + QLatin1Char('/') + d);
        // the permission check of open(2) itself: mode bits, ACLs (uaccess), the effective ids
        if (faccessat(AT_FDCWD, path.constData(), R_OK | W_OK, AT_EACCESS) == 0) return true;
        struct stat st {};
        if (!haveGroup && stat(path.constData(), &st) == 0) {
            owner = st.st_gid;
            haveGroup = true;
        }
    }
    if (!haveGroup) {
        const struct group* g = getgrnam("dialout");
        if (!g) return false;
        owner = g->gr_gid;
    }
    if (getegid() == owner) return true;
    const int n = getgroups(0, nullptr);
    if (n <= 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(n));
    if (getgroups(n, groups.data()) < 0) return false;
    for (gid_t g : groups)
        if (g == owner) return true;
    return false;
}

TtyMonitor::TtyMonitor()
{
    udev* u = udev_new();
    if (!u) return;
    udev_monitor* m = udev_monitor_new_from_netlink(u, "udev");
    if (!m || udev_monitor_filter_add_match_subsystem_devtype(m, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(m) < 0) {
        if (m) udev_monitor_unref(m);
        udev_unref(u);
        return;
    }
    m_udev = u;
    m_monitor = m;
    m_fd = udev_monitor_get_fd(m);
}

TtyMonitor::~TtyMonitor()
{
    if (m_monitor) udev_monitor_unref(static_cast<udev_monitor*>(m_monitor));
    if (m_udev) udev_unref(static_cast<udev*>(m_udev));
}

bool TtyMonitor::Drain()
{
    bool changed = false;
    if (!m_monitor) return false;
    while (udev_device* d = udev_monitor_receive_device(static_cast<udev_monitor*>(m_monitor))) {
        const char* action = udev_device_get_action(d);
        if (action && (QByteArray(action) == "add" || QByteArray(action) == "remove")) changed = true;
        udev_device_unref(d);
    }
    return changed;
}

namespace {
int g_pipe[2] = {-1, -1};
void OnTermination(int)
{
    const char b = 1;
    const int saved = errno;
    [[maybe_unused]] ssize_t n = write(g_pipe[1], &b, 1);
    errno = saved;
}
} // namespace

int InstallTerminationPipe()
{
    if (g_pipe[0] >= 0) return g_pipe[0];
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    struct sigaction sa {};
    sa.sa_handler = OnTermination;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    return g_pipe[0];
}

void DrainTerminationPipe(int fd)
{
    char buf[16];
    while (read(fd, buf, sizeof buf) > 0) {
    }
}

} // namespace platform
