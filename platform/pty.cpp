#include "platform/pty.h"

#include "platform/serialport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

PtyMaster::~PtyMaster() { Close(); }

int PtyMaster::Open()
{
    Close();
    const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        qCWarning(lcSerial) << "posix_openpt failed" << errno;
        return -1;
    }
    char name[128] = {};
    if (grantpt(fd) != 0 || unlockpt(fd) != 0 || ptsname_r(fd, name, sizeof name) != 0) {
        qCWarning(lcSerial) << "cannot prepare the pseudo-terminal" << errno;
        close(fd);
        return -1;
    }
    // Raw both ways: no echo, no CR/LF translation, every byte as it is.
    termios tio {};
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B115200);
        cfsetospeed(&tio, B115200);
        tcsetattr(fd, TCSANOW, &tio);
    }
    m_fd = fd;
    m_slave = QString::fromLocal8Bit(name);
    return 0;
}

void PtyMaster::Close()
{
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    m_slave.clear();
}

int PtyMaster::Wait(int timeoutMs, int wakeFd)
{
    if (m_fd < 0) return -1;
    pollfd p[2] = {{m_fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    const int n = wakeFd >= 0 ? 2 : 1;
    int r;
    do {
        r = poll(p, nfds_t(n), timeoutMs);
    } while (r < 0 && errno == EINTR);
    if (r < 0) return -1;
    if (n == 2 && (p[1].revents & POLLIN)) return 2;
    if (p[0].revents & POLLHUP) {
        // No slave side is open: nothing can arrive until a client opens the port. Poll again
        // shortly rather than spin.
        pollfd w {wakeFd, POLLIN, 0};
        if (wakeFd >= 0 && poll(&w, 1, std::min(timeoutMs, 2)) > 0) return 2;
        if (wakeFd < 0) usleep(1000u * unsigned(std::min(timeoutMs, 2)));
        return 0;
    }
    if (p[0].revents & POLLIN) return 1;
    return 0;
}

int PtyMaster::Read(std::uint8_t* buffer, int size)
{
    if (m_fd < 0 || size <= 0) return 0;
    const ssize_t n = read(m_fd, buffer, size_t(size));
    return n > 0 ? int(n) : 0;
}

int PtyMaster::Write(const std::uint8_t* bytes, int length)
{
    if (m_fd < 0) return -1;
    int done = 0;
    while (done < length) {
        const ssize_t n = write(m_fd, bytes + done, size_t(length - done));
        if (n > 0) {
            done += int(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p {m_fd, POLLOUT, 0};
            if (poll(&p, 1, 100) <= 0) return -1;
        } else {
            return -1;
        }
    }
    return 0;
}

int ReplaceSymlink(const QString& target, const QString& link)
{
    QDir().mkpath(QFileInfo(link).absolutePath());
    const QByteArray tmp = QFile::encodeName(link + u".tmp" + QString::number(getpid()));
    unlink(tmp.constData());
    if (symlink(QFile::encodeName(target).constData(), tmp.constData()) != 0) return -1;
    if (rename(tmp.constData(), QFile::encodeName(link).constData()) != 0) {
        unlink(tmp.constData());
        return -1;
    }
    return 0;
}

} // namespace platform
