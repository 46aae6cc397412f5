// A file that only grows, line by line: the measurement journal, which must survive a crash of the
// program or of the machine.
//
// Append() hands the bytes to the operating system before it returns (a crash of the program loses
// nothing written), and a helper thread of this object then waits for them to reach the disk
// (fdatasync), so the caller is not held up by the disk: at a power loss only what was appended in
// the last few milliseconds can be missing. A failure of that wait is reported by the next Append().
#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform {

class DurableAppendFile {
public:
    DurableAppendFile() = default;
    ~DurableAppendFile() { Close(); }
    DurableAppendFile(const DurableAppendFile&) = delete;
    DurableAppendFile& operator=(const DurableAppendFile&) = delete;

    /// Opens `path` for appending, creating it (mode 0644) when missing. False when it cannot be
    /// opened; Error() tells why.
    bool Open(const QString& path);
    /// Writes `bytes` whole at the end of the file; they go to the disk right after. False when
    /// this or an earlier write or disk wait failed (a full disk, an I/O error).
    bool Append(const QByteArray& bytes);
    /// Waits until everything appended is on the disk. False when it is not.
    bool Sync();
    /// Syncs and closes.
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    QString Error() const;

private:
    void SyncLoop();
    void Fail(int error);

    int m_fd = -1;
    std::thread m_syncer;
    mutable std::mutex m_mutex; // guards what follows
    std::condition_variable m_wake, m_synced;
    bool m_stop = false;
    unsigned m_written = 0; // appends so far
    unsigned m_done = 0;    // appends known to be on the disk
    int m_error = 0;        // errno of the first failure
    QString m_openError;
};

} // namespace platform
