// The master side of a pseudo-terminal pair: what a virtual calibrator or a test peer holds, so
// that the program's serial code talks to a real tty (the slave side).
#pragma once

#include <QString>
#include <cstdint>

namespace platform {

class PtyMaster {
public:
    PtyMaster() = default;
    ~PtyMaster();
    PtyMaster(const PtyMaster&) = delete;
    PtyMaster& operator=(const PtyMaster&) = delete;

    /// Creates a new pair in raw mode. Returns 0, or -1 (the reason is logged).
    int Open();
    /// Closes the master: the slave side goes away (reads there fail, as with an unplugged cable).
    void Close();

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    /// The slave device path, e.g. "/dev/pts/7".
    const QString& SlavePath() const { return m_slave; }

    /// Waits up to `timeoutMs` for bytes from the slave side (or a wake-up on `wakeFd` when it is
    /// not -1). Returns 1 bytes are waiting, 2 woken, 0 time-out or no slave open, -1 error.
    int Wait(int timeoutMs, int wakeFd = -1);
    /// Reads what is waiting, at most `size` bytes, without blocking. Returns the count, or 0.
    int Read(std::uint8_t* buffer, int size);
    /// Writes all bytes (waits for room). Returns 0, or -1.
    int Write(const std::uint8_t* bytes, int length);

private:
    int m_fd = -1;
    QString m_slave;
};

/// Makes a symbolic link `link` pointing to `target`, replacing an old link of that name
/// atomically. Returns 0, or -1.
int ReplaceSymlink(const QString& target, const QString& link);

} // namespace platform
