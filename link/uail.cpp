#include "link/uail.h"

#include "platform/cnumber.h"

#include <QLoggingCategory>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

Q_LOGGING_CATEGORY(lcFrames, "lorik.frames", QtWarningMsg)

namespace devlink {
namespace {

long long TickMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

TInterface_UAIL::TInterface_UAIL()
{
    m_parser.Reset();
}

TInterface_UAIL::~TInterface_UAIL()
{
    Close();
}

int TInterface_UAIL::Initialise(const QString& port, int baud, int address, int replyTimeout)
{
    m_port = port;
    m_baud = baud;
    m_address = address;
    m_replyTimeout = replyTimeout;
    m_parser.Reset();
    return 0;
}

int TInterface_UAIL::Open(const QString& port)
{
    if (m_handle != -1) return 0;
    if (!m_openAllowed) return -1;
    m_port = port;
    const int h = m_port232.OpenPort(port, m_baud, m_replyTimeout, 8, 0, 0);
    if (h == -1) return -1;
    m_handle = h;
    return 0;
}

void TInterface_UAIL::Close()
{
    if (m_handle == -1) return;
    m_port232.ClosePort(m_handle);
    m_handle = -1;
}

int TInterface_UAIL::SendFrame(const char* text)
{
    const int n = BuildRequestFrame(text, m_transmit, kBufferSize);
    if (n < 0) return -1;
    if (m_trace) qCDebug(lcFrames).noquote() << "> " << QString::fromLatin1(text);
    return m_port232.WritePort(m_handle, m_transmit, n);
}

int TInterface_UAIL::ReceiveReply(int timeoutMs)
{
    const long long deadline = TickMs() + timeoutMs;
    for (;;) {
        const int n = m_port232.ReadPort(m_handle, m_receive, kBufferSize);
        for (int i = 0; i < n; ++i) {
            if (m_parser.ParseByte(m_receive[i])) {
                if (m_trace) qCDebug(lcFrames).noquote() << "< " << QString::fromLatin1(m_parser.data);
                return 0; // the rest of this read is dropped; the next request purges it
            }
        }
        const long long left = deadline - TickMs();
        if (left <= 0) return 1;
        // Wait for more bytes, but no longer than the time left. A port that has gone away wakes
        // the wait at once: pace the retries by 1 ms then, so the bound still holds without spinning.
        if (m_port232.WaitInput(m_handle, int(std::min<long long>(left, 1000))) < 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

int TInterface_UAIL::BeginExchange(const char* text)
{
    m_lastResult = 0;
    m_tickNow = m_tickPrev = m_tickStart = 0;
    // A fresh parser for every exchange: a device error code or data left from the previous reply
    // must not be taken for this one's (a silent device would otherwise look like a device error).
    m_parser.Reset();
    if (m_timing) m_tickStart = m_tickPrev = TickMs();
    if (Open(m_port) != 0) {
        m_lastResult = -1;
        return -1;
    }
    if (m_timing) {
        m_tickNow = TickMs();
        m_timings.open = int(m_tickNow - m_tickPrev);
        m_tickPrev = m_tickNow;
    }
    if (SendFrame(text) != 0) m_lastResult = -2;
    if (m_timing) {
        m_tickNow = TickMs();
        m_timings.send = int(m_tickNow - m_tickPrev);
        m_tickPrev = m_tickNow;
    }
    return m_lastResult;
}

int TInterface_UAIL::EndExchange()
{
    if (ReceiveReply(m_replyTimeout) == 1) m_lastResult = -3;
    if (m_parser.deviceError != 0) m_lastResult = -4;
    if (m_timing) {
        m_tickNow = TickMs();
        m_timings.receive = int(m_tickNow - m_tickPrev);
        m_tickPrev = m_tickNow;
    }
    if (m_closeAfter) {
        Close();
        if (m_timing) {
            m_tickNow = TickMs();
            m_timings.close = int(m_tickNow - m_tickPrev);
            m_tickPrev = m_tickNow;
        }
    }
    if (m_timing) m_timings.total = int(TickMs() - m_tickStart);
    if (m_lastResult != 0)
        qCDebug(lcFrames) << "exchange" << m_request << "result" << m_lastResult << ResultText(m_lastResult);
    if (m_exchangeDone) m_exchangeDone(m_lastResult);
    return m_lastResult;
}

int TInterface_UAIL::Exchange(const char* text)
{
    m_lastResult = BeginExchange(text);
    if (m_lastResult != 0) return m_lastResult;
    return EndExchange();
}

int TInterface_UAIL::Command(const char* text, int repeat)
{
    int result = 0;
    for (int i = 0; i <= repeat; ++i)
        result = Exchange(text);
    if (result != 0 && result != -4 && m_linkLost) m_linkLost(result);
    return result;
}

int TInterface_UAIL::RunFormatted(int repeat)
{
    return Command(m_request, repeat);
}

int TInterface_UAIL::CommandOnly(int command)
{
    std::snprintf(m_request, sizeof m_request, "%d;%d;", m_address, command);
    return RunFormatted(m_repeat);
}

int TInterface_UAIL::CommandRegister(int command, int reg)
{
    std::snprintf(m_request, sizeof m_request, "%d;%d;%d;", m_address, command, reg);
    return RunFormatted(m_repeat);
}

int TInterface_UAIL::CommandRegisterInt(int command, int reg, int value)
{
    std::snprintf(m_request, sizeof m_request, "%d;%d;%d;%d;", m_address, command, reg, value);
    return RunFormatted(m_repeat);
}

int TInterface_UAIL::CommandRegisterReal(int command, int reg, float value)
{
    // Six decimals with a '.' whatever the user's locale ("%f" would follow LC_NUMERIC).
    const std::string number = platform::FormatFixed(double(value), 6);
    std::snprintf(m_request, sizeof m_request, "%d;%d;%d;%s;", m_address, command, reg, number.c_str());
    return RunFormatted(m_repeat);
}

int TInterface_UAIL::BlockRead(int object, std::uint8_t* dest, int capacity, int* count)
{
    if (count) *count = 0;
    std::snprintf(m_request, sizeof m_request, "%d;42;%d;%d;", m_address, object, 100);
    const int result = Command(m_request, 0);
    if (result != 0) return result;
    const int pairs = std::min(m_parser.dataLength / 2, capacity);
    const int n = dest ? HexDecode(dest, m_parser.data, pairs) : 0;
    if (count) *count = n;
    return result;
}

int TInterface_UAIL::BlockWrite(int object, const std::uint8_t* bytes, int count)
{
    if (count < 0 || (count > 0 && !bytes)) return -2;
    const int head = std::snprintf(m_request, sizeof m_request, "%d;43;%d;%d;", m_address, object, count);
    // The framed request must fit the transmit buffer: 0xFF ':' text, up to 5 checksum digits, CR.
    if (head < 0 || head + 2 * count + 2 + 8 > kBufferSize) return -2;
    HexEncode(m_request + head, bytes, count);
    return Command(m_request, 0);
}

} // namespace devlink
