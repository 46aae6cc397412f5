#include "hart/search.h"

#include <cmath>
#include <limits>

using namespace devlink;

namespace hart {
namespace {
constexpr int kFrameCapacity = 64;
const float kNaN = std::numeric_limits<float>::quiet_NaN();
} // namespace

HartSearch::HartSearch(TInterface& link, THart& hart, DeviceRecord& device, ITimer& timer)
    : m_link(link), m_hart(hart), m_device(device), m_timer(timer)
{
}

int HartSearch::SendIdentify()
{
    std::uint8_t frame[kFrameCapacity];
    const int n = m_hart.BuildShortFrame(frame, sizeof frame, m_address, 0, 0, nullptr);
    return n > 0 && m_link.WriteBlock(HartChannel, frame, n) == 0 ? 0 : -1;
}

bool HartSearch::ReadResponse(ResponseRecord* record)
{
    std::uint8_t bytes[kBlockReadSize];
    int n = 0;
    if (m_link.ReadBlock(HartChannel, bytes, sizeof bytes, &n) != 0) return false;
    if (THart::ParseResponse(bytes, n, record) != 0) return false;
    return m_hart.DecodeResponse(*record, &m_device) == 0;
}

int HartSearch::Start()
{
    if (m_link.WriteRegisterInt(HartModem, 1) != 0) return -1;
    m_address = 0;
    if (SendIdentify() != 0) return -1;
    m_timer.Start(kSearchIntervalMs);
    if (onStarted) onStarted();
    return 0;
}

void HartSearch::Tick()
{
    ResponseRecord r;
    // A reply that decodes must be the command 0 answer of the address asked.
    if (!ReadResponse(&r) || r.command != 0) {
        ++m_address;
        if (m_address <= kLastPollingAddress && SendIdentify() == 0) {
            if (onProgress) onProgress(m_address);
            return;
        }
        Stop();
        return;
    }
    if (onName) onName(m_device.model);
    std::uint8_t frame[kFrameCapacity];
    const int n = m_hart.BuildShortFrame(frame, sizeof frame, m_address, 15, 0, nullptr);
    if (n > 0 && m_link.WriteBlock(HartChannel, frame, n) == 0) {
        ResponseRecord range;
        const bool ok = ReadResponse(&range) && range.command == 15;
        if (onFound) onFound(ok);
    }
    Stop();
}

void HartSearch::Stop()
{
    m_timer.Stop();
    if (onEnded) onEnded();
}

HartPvReader::HartPvReader(TInterface& link, THart& hart, DeviceRecord& device, ITimer& timer)
    : m_link(link), m_hart(hart), m_device(device), m_timer(timer), m_pv(kNaN)
{
}

int HartPvReader::Start()
{
    const int r = m_link.WriteRegisterInt(HartModem, 1);
    m_phase = 0;
    if (r != 0) { // no modem, no cycle
        m_timer.Stop();
        m_pv = kNaN;
        return r;
    }
    m_timer.Start(kPvIntervalMs);
    return 0;
}

void HartPvReader::Tick()
{
    if (m_phase == 0) {
        std::uint8_t frame[kFrameCapacity];
        const int n = m_hart.BuildLongFrame(frame, sizeof frame, m_device.longAddress, 1, 0, nullptr);
        if (n > 0 && m_link.WriteBlock(HartChannel, frame, n) == 0)
            m_phase = 1;
        else
            m_pv = kNaN;
        return;
    }
    m_phase = 0;
    m_pv = kNaN;
    std::uint8_t bytes[kBlockReadSize];
    int n = 0;
    ResponseRecord r;
    if (m_link.ReadBlock(HartChannel, bytes, sizeof bytes, &n) == 0 &&
        THart::ParseResponse(bytes, n, &r) == 0 && r.command == 1 && m_hart.DecodeResponse(r, &m_device) == 0)
        m_pv = m_device.pv;
}

void HartPvReader::Stop()
{
    m_phase = 0;
    m_pv = kNaN;
    m_link.WriteRegisterInt(HartModem, 0);
    m_timer.Stop();
}

} // namespace hart
