#include "simulator/transport.h"

#include <QFile>

#include <chrono>

namespace sim {
namespace {

void SleepUs(long us)
{
    if (us > 0) std::this_thread::sleep_for(std::chrono::microseconds(us));
}

// The address a request came from: its first field.
int RequestAddress(const std::string& text)
{
    int a = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        a = a * 10 + (c - '0');
        if (a > 255) break;
    }
    return a;
}

} // namespace

PtyTransport::PtyTransport(Handler handler) : m_handler(std::move(handler)) {}

PtyTransport::~PtyTransport() { Stop(); }

int PtyTransport::OpenPty()
{
    if (m_pty.Open() != 0) return -1;
    m_slave = m_pty.SlavePath();
    if (!m_link.isEmpty() && platform::ReplaceSymlink(m_slave, m_link) != 0) {
        m_pty.Close();
        return -1;
    }
    m_plugged = true;
    return 0;
}

int PtyTransport::Start(const QString& linkPath)
{
    Stop();
    m_link = linkPath;
    if (OpenPty() != 0) return -1;
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
    return 0;
}

void PtyTransport::Stop()
{
    if (m_thread.joinable()) {
        m_stop = true;
        m_thread.join();
    }
    m_pty.Close();
    if (!m_link.isEmpty()) QFile::remove(m_link);
    m_plugged = false;
}

QString PtyTransport::PortPath() const
{
    std::lock_guard lock(m_mutex);
    return m_link.isEmpty() ? m_slave : m_link;
}

QString PtyTransport::SlavePath() const
{
    std::lock_guard lock(m_mutex);
    return m_slave;
}

void PtyTransport::SetFaults(const Faults& f)
{
    std::lock_guard lock(m_mutex);
    m_faults = f;
}

Faults PtyTransport::GetFaults() const
{
    std::lock_guard lock(m_mutex);
    return m_faults;
}

bool PtyTransport::Plugged() const
{
    std::lock_guard lock(m_mutex);
    return m_plugged;
}

void PtyTransport::Unplug()
{
    std::unique_lock lock(m_mutex);
    if (!m_thread.joinable()) return;
    m_control = Control::Unplug;
    m_controlDone.wait(lock, [this] { return m_control == Control::None; });
}

int PtyTransport::Plug()
{
    std::unique_lock lock(m_mutex);
    if (!m_thread.joinable()) return -1;
    m_control = Control::Plug;
    m_controlDone.wait(lock, [this] { return m_control == Control::None; });
    return m_controlResult;
}

std::vector<std::string> PtyTransport::Requests() const
{
    std::lock_guard lock(m_mutex);
    return {m_requests.begin(), m_requests.end()};
}

void PtyTransport::ClearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

void PtyTransport::SetTrace(std::function<void(const std::string&, const std::string&)> f)
{
    std::lock_guard lock(m_mutex);
    m_trace = std::move(f);
}

void PtyTransport::Run()
{
    std::uint8_t buf[4096];
    while (!m_stop) {
        {
            std::lock_guard lock(m_mutex);
            if (m_control != Control::None) {
                if (m_control == Control::Unplug) {
                    m_pty.Close();
                    if (!m_link.isEmpty()) QFile::remove(m_link);
                    m_plugged = false;
                    m_controlResult = 0;
                } else {
                    m_controlResult = m_plugged ? 0 : OpenPty();
                }
                m_parser = devlink::RequestParser();
                m_control = Control::None;
                m_controlDone.notify_all();
            }
        }
        if (!m_pty.IsOpen()) {
            SleepUs(2000);
            continue;
        }
        if (m_pty.Wait(20) != 1) continue;
        const int n = m_pty.Read(buf, sizeof buf);
        for (int i = 0; i < n; ++i)
            if (m_parser.ParseByte(buf[i])) Serve(m_parser.Text());
    }
}

void PtyTransport::Serve(const std::string& request)
{
    ++m_count;
    Faults f;
    std::function<void(const std::string&, const std::string&)> trace;
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        if (m_requests.size() > 1000) m_requests.pop_front();
        f = m_faults;
        // consume the counted faults
        auto take = [](int& c) {
            if (c > 0) --c;
        };
        take(m_faults.noReply);
        take(m_faults.wrongChecksum);
        take(m_faults.garbage);
        take(m_faults.split);
        trace = m_trace;
    }
    const Reply reply = m_handler ? m_handler(request) : Reply {"", 1, false};
    if (trace) {
        std::string shown = reply.silent ? std::string("(no reply)")
                                         : std::to_string(RequestAddress(request)) + ';' + reply.data +
                                               (reply.deviceError > 0 ? '$' + std::to_string(reply.deviceError) : "") + ';';
        trace(request, shown);
    }
    if (reply.silent || f.noReply != 0) return;

    std::string frame = devlink::ReplyFrame(RequestAddress(request), reply.data, reply.deviceError, f.withCr);
    if (f.wrongChecksum != 0) {
        // corrupt the last checksum digit
        const size_t last = frame.size() - (f.withCr ? 2 : 1);
        frame[last] = frame[last] == '9' ? '0' : char(frame[last] + 1);
    }
    if (f.garbage != 0) frame = std::string("\x13\x37garbage!1;9", 12) + frame;

    if (f.delayMs > 0) SleepUs(long(f.delayMs) * 1000);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(frame.data());
    if (f.split != 0) {
        for (size_t i = 0; i < frame.size(); ++i) {
            m_pty.Write(bytes + i, 1);
            SleepUs(f.splitPauseUs);
        }
        return;
    }
    if (f.wireTiming) {
        // 115200 Bd, 10 bits per byte: 86.8 us a byte; written in small bursts at that pace.
        SleepUs(f.turnaroundUs);
        constexpr size_t kBurst = 8;
        for (size_t i = 0; i < frame.size(); i += kBurst) {
            const size_t n = std::min(kBurst, frame.size() - i);
            SleepUs(long(n * 868 / 10));
            m_pty.Write(bytes + i, int(n));
        }
        return;
    }
    m_pty.Write(bytes, int(frame.size()));
}

} // namespace sim
