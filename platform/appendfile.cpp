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
    int fd;
    do {
        fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (fd < 0) {
        m_openError = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_fd = fd;
    m_stop = false;
    m_written = m_done = 0;
    m_error = 0;
    m_openError.clear();
    m_syncer = std::thread([this] { SyncLoop(); });
    return true;
}

void DurableAppendFile::Fail(int error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_error == 0) m_error = error;
}

bool DurableAppendFile::Append(const QByteArray& bytes)
{
    if (m_fd < 0) return false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_error != 0) return false;
    }
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
            return false;
        }
        p += n;
        left -= n;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_written;
    }
    m_wake.notify_one();
    return true;
}

void DurableAppendFile::SyncLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_done != m_written; });
        if (m_done == m_written && m_stop) return;
        const unsigned target = m_written;
        lock.unlock();
        // EINVAL: a file that cannot be synced (a pipe, a character device)
        const int r = ::fdatasync(m_fd) == 0 || errno == EINVAL ? 0 : errno;
        lock.lock();
        if (r != 0 && m_error == 0) m_error = r;
        m_done = target;
        m_synced.notify_all();
    }
}

bool DurableAppendFile::Sync()
{
    if (m_fd < 0) return false;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_synced.wait(lock, [this] { return m_done == m_written || m_error != 0; });
    return m_error == 0;
}

void DurableAppendFile::Close()
{
    if (m_fd < 0) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_syncer.join(); // the last lines reach the disk first
    ::close(m_fd);
    m_fd = -1;
}

QString DurableAppendFile::Error() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_error != 0) return QString::fromLocal8Bit(std::strerror(m_error));
    return m_openError;
}

} // namespace platform
