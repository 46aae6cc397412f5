// Serves a calibrator (or a scripted test peer) on the master side of a pseudo-terminal.
//
// A thread reads framed requests from the pty master, hands each complete, checksum-valid request
// text to the handler, and writes the reply frame back, shaped by the faults that are switched on:
// no reply, a wrong checksum, garbage before the frame, a delay, a reply split over several
// writes with pauses, and the wire speed of 115200 Bd. "Unplug" closes the pseudo-terminal (the
// program's port goes away); "plug" opens a new one under the same announced link name.
#pragma once

#include "link/frame.h"
#include "platform/pty.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sim {

/// What the calibrator answers to one request.
struct Reply {
    std::string data;     ///< reply data (Windows-1251 text)
    int deviceError = 0;  ///< > 0: a device error reply "$N"
    bool silent = false;  ///< no reply at all
};

using Handler = std::function<Reply(const std::string& request)>;

/// Faults and timing of the replies. Counters (`noReply`, `wrongChecksum`, `garbage`, `split`)
/// apply to that many next replies; -1 means every reply until switched off.
struct Faults {
    int noReply = 0;
    int wrongChecksum = 0;
    int garbage = 0;             ///< replies preceded by a few bytes of noise
    int split = 0;               ///< replies sent in single-byte writes with pauses
    int splitPauseUs = 300;
    int delayMs = 0;             ///< extra delay before every reply
    bool withCr = true;          ///< a carriage return after the checksum
    bool wireTiming = false;     ///< pace replies at 115200 Bd after `turnaroundUs`
    int turnaroundUs = 500;
};

class PtyTransport {
public:
    explicit PtyTransport(Handler handler);
    ~PtyTransport();
    PtyTransport(const PtyTransport&) = delete;
    PtyTransport& operator=(const PtyTransport&) = delete;

    /// Creates the pseudo-terminal and starts serving. When `linkPath` is given, the slave side is
    /// announced as that symbolic link. Returns 0, or -1.
    int Start(const QString& linkPath = {});
    /// Stops serving, closes the pseudo-terminal and removes the link.
    void Stop();

    /// The path a client opens: the link when announced, else the slave device.
    QString PortPath() const;
    QString SlavePath() const;

    void SetFaults(const Faults& f);
    Faults GetFaults() const;
    /// Closes the pseudo-terminal and removes the link (a pulled cable). Returns when done.
    void Unplug();
    /// A new pseudo-terminal under the same link name. Returns 0, or -1.
    int Plug();
    bool Plugged() const;

    /// Request texts received, in order (kept for tests and traces, bounded to the last 1000).
    std::vector<std::string> Requests() const;
    void ClearRequests();
    int RequestCount() const { return m_count.load(); }

    /// Called for every exchange with the request text and the reply text (without framing).
    void SetTrace(std::function<void(const std::string&, const std::string&)> f);

private:
    void Run();
    void Serve(const std::string& request);
    int OpenPty();

    Handler m_handler;
    platform::PtyMaster m_pty;
    devlink::RequestParser m_parser;
    QString m_link;
    QString m_slave;
    std::thread m_thread;
    std::atomic<bool> m_stop {false};
    std::atomic<int> m_count {0};

    mutable std::mutex m_mutex; // guards everything below
    Faults m_faults;
    std::deque<std::string> m_requests;
    std::function<void(const std::string&, const std::string&)> m_trace;
    enum class Control { None, Unplug, Plug } m_control = Control::None;
    int m_controlResult = 0;
    bool m_plugged = false;
    std::condition_variable m_controlDone;
};

} // namespace sim
