#include "platform/appendfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

bool DurableAppendFile::Open(const QString& path)
{
    Close();
    const QByteArray name = QFile::encodeName(path);
    do {
        m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_error.clear();
    return true;
}

bool DurableAppendFile::Append(const QByteArray& bytes)
{
    if (m_fd < 0) return false;
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        p += n;
        left -= n;
    }
    if (::fdatasync(m_fd) != 0 && errno != EINVAL) { // EINVAL: a file that cannot be synced (a pipe)
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

void DurableAppendFile::Close()
{
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

} // namespace platform
