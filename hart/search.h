// The HART search over polling addresses 0-15 and the primary-variable read cycle, as logic that
// the sensor description's panel drives: a timer interface instead of a widget timer, so tests
// tick them without waiting and the panel only wires buttons, labels and the progress bar.
#pragma once

#include "hart/hart.h"
#include "link/interface.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace hart {

/// What the search and the read cycle need of a timer.
class ITimer {
public:
    virtual ~ITimer() = default;
    virtual void Start(int intervalMs) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
};

/// ITimer over a QTimer (a named child of the panel, so it keeps its design name).
class QtTimer : public ITimer {
public:
    explicit QtTimer(QTimer* timer) : m_timer(timer) {}
    void Start(int intervalMs) override { m_timer->start(intervalMs); }
    void Stop() override { m_timer->stop(); }
    bool IsActive() const override { return m_timer->isActive(); }

private:
    QTimer* m_timer;
};

/// A timer that only records its state (tests and the command-line tool tick by hand).
class ManualTimer : public ITimer {
public:
    void Start(int intervalMs) override
    {
        m_interval = intervalMs;
        m_active = true;
    }
    void Stop() override { m_active = false; }
    bool IsActive() const override { return m_active; }
    int Interval() const { return m_interval; }

private:
    bool m_active = false;
    int m_interval = 0;
};

inline constexpr int kSearchIntervalMs = 2000;
inline constexpr int kPvIntervalMs = 500;
inline constexpr int kLastPollingAddress = 15;

class HartSearch {
public:
    HartSearch(devlink::TInterface& link, THart& hart, DeviceRecord& device, ITimer& timer);

    /// HartModem := 1, command 0 to address 0, timer on. Returns 0, or -1 when a write fails.
    int Start();
    /// One timer tick: read and decode the answer; on nothing, try the next address (the progress
    /// shows it) or end after 15; on a device, ask for its range (command 15) and end.
    void Tick();
    /// Ends the search (also the stop button).
    void Stop();

    bool Active() const { return m_timer.IsActive(); }
    int Address() const { return m_address; }

    std::function<void()> onStarted; ///< disable the search button, show the progress, clear the labels
    std::function<void(int address)> onProgress;      ///< the address now asked
    std::function<void(const QString& model)> onName; ///< a device answered (its model text, may be empty)
    std::function<void(bool rangeRead)> onFound; ///< the range request was sent; whether its reply decoded
    std::function<void()> onEnded;               ///< timer off, search button back

private:
    int SendIdentify();
    bool ReadResponse(ResponseRecord* record);

    devlink::TInterface& m_link;
    THart& m_hart;
    DeviceRecord& m_device;
    ITimer& m_timer;
    int m_address = 0;
};

class HartPvReader {
public:
    HartPvReader(devlink::TInterface& link, THart& hart, DeviceRecord& device, ITimer& timer);

    /// HartModem := 1, phase 0, timer on (500 ms). Returns the modem write's result; when it fails
    /// the timer stays (or goes) off.
    int Start();
    /// Phase 0 sends command 1 to the long address; phase 1 reads and decodes the reply.
    void Tick();
    /// Phase 0, PV missing, HartModem := 0, timer off.
    void Stop();

    /// The latest primary variable, NaN when not read.
    float Pv() const { return m_pv; }
    int Phase() const { return m_phase; }

private:
    devlink::TInterface& m_link;
    THart& m_hart;
    DeviceRecord& m_device;
    ITimer& m_timer;
    int m_phase = 0;
    float m_pv;
};

} // namespace hart
