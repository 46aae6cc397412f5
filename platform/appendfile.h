// A file that only grows, line by line, each line on the disk before the call returns: the
// measurement journal, which must survive a crash of the program or of the machine with at most
// the line being written lost.
#pragma once

#include <QByteArray>
#include <QString>

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
    /// Writes `bytes` whole at the end of the file and waits until they are on the disk
    /// (fdatasync). False when anything of it failed (a full disk, an I/O error).
    bool Append(const QByteArray& bytes);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    const QString& Error() const { return m_error; }

private:
    int m_fd = -1;
    QString m_error;
};

} // namespace platform
