#include "verification/run.h"

#include "link/registers.h"
#include "platform/cp1251.h"
#include "sensors/uncertainty.h"

#include <cmath>
#include <limits>

namespace verification {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

/// Sets a flag for the lifetime of the object.
class Flag {
public:
    explicit Flag(bool& f) : m_f(f) { m_f = true; }
    ~Flag() { m_f = false; }
    Flag(const Flag&) = delete;
    Flag& operator=(const Flag&) = delete;

private:
    bool& m_f;
};

} // namespace

TVerificationRun::TVerificationRun(PointIo& io, reports::ProtocolData& data)
    : m_io(io), m_data(data), m_ratio(kNaN)
{
    ResetWindows();
}

void TVerificationRun::SetKind(int kind)
{
    m_kind = kind;
    m_data.verificationType = kind;
}

void TVerificationRun::SetTypedTolerance(float v)
{
    m_tolerance = v;
    m_toleranceFromClass = false;
}

int TVerificationRun::TakeClassTolerance()
{
    const float at = m_point.reference;
    float t = kNaN;
    if (!std::isfinite(at) || m_io.ClassTolerance(at, &t) != 0 || !std::isfinite(t)) return -1;
    m_tolerance = t;
    m_toleranceFromClass = true;
    return 0;
}

void TVerificationRun::SetWorkingRange(float min, float max)
{
    m_workMin = min;
    m_workMax = max;
}

void TVerificationRun::ResetWindows()
{
    measure::Reset(m_refWindow);
    measure::Reset(m_measWindow);
    m_refWindow.windowSize = kRunWindow;
    m_measWindow.windowSize = kRunWindow;
}

void TVerificationRun::SetRunning(bool on)
{
    m_running = on;
    m_io.RunningChanged(on);
}

int TVerificationRun::Start()
{
    if (m_running || m_starting || m_inTick) return -1;
    const Flag starting(m_starting);
    m_io.ClearRelays();
    ResetWindows();
    m_refUnitRatio = 1;
    m_ready = false;
    int r = -1;
    switch (m_kind) {
    case KindPressure:
        r = StartPressure();
        break;
    case KindTemperature:
        r = StartTemperature();
        break;
    case KindSecondary:
        r = StartSecondary();
        break;
    default:
        break;
    }
    if (r != 0) return -1;
    m_io.StartChart();
    const sensors::SensorSetup& s = m_io.Setup();
    m_point.tolerance = m_tolerance;
    m_point.rangeLow = s.rangeMin;
    m_point.rangeHigh = s.rangeMax;
    m_data.device.permissibleError = m_tolerance;
    m_data.device.rangeLow = m_point.rangeLow;
    m_data.device.rangeHigh = m_point.rangeHigh;
    m_data.pointCount = 0;
    SetRunning(true);
    return 0;
}

int TVerificationRun::StartPressure()
{
    if (!m_io.ToleranceFilled(KindPressure)) {
        m_io.Message(5);
        return -1;
    }
    if (!m_manualReference) {
        int type = 0;
        if (m_io.ReadInt(devlink::ExtDeviceType, &type) != 0) return -1;
        if (!devlink::IsPressureReference(type)) {
            m_io.Message(6);
            return -1;
        }
        if (m_io.WriteInt(devlink::ExtDeviceRestart, 0) != 0) return -1;
        int unit = devlink::kExtDeviceUnitPending;
        for (int i = 0; i < kUnitPolls; ++i) {
            if (m_io.ReadInt(devlink::ExtDeviceUnit, &unit) != 0) return -1;
            if (unit != devlink::kExtDeviceUnitPending) break;
            m_io.Wait(kUnitPollMs);
        }
        m_refUnitRatio = verification::RefUnitRatio(unit, m_io.Setup().unitFactor);
    }
    if (!(m_manualReference && m_manualMeasured) && m_io.StartMeasure() != 0) return -1;
    const sensors::SensorSetup& s = m_io.Setup();
    m_data.device.rangeLow = s.rangeMin;
    m_data.device.rangeHigh = s.rangeMax;
    platform::SetText(m_data.device.units, s.physUnit);
    m_data.device.signalLow = s.elMin;
    m_data.device.signalHigh = s.elMax;
    platform::SetText(m_data.device.signalUnits, s.elUnit);
    return 0;
}

int TVerificationRun::StartTemperature()
{
    if (!m_manualReference) {
        int type = 0;
        if (m_io.ReadInt(devlink::ExtDeviceType, &type) != 0) return -1;
        if (type != devlink::ExtReferenceThermometer) {
            m_io.Message(2);
            return -1;
        }
    }
    if (!(m_manualReference && m_manualMeasured) && m_io.StartMeasure() != 0) return -1;
    ResetWindows();
    const sensors::SensorSetup& s = m_io.Setup();
    platform::SetText(m_data.device.units, s.physUnit);
    platform::SetText(m_data.device.signalUnits, s.elUnit);
    if (s.scaling) {
        m_data.device.signalLow = s.elMin;
        m_data.device.signalHigh = s.elMax;
    } else {
        m_data.device.signalLow = m_io.GradToElCJ(s.code, m_workMin, s.coldJunctionTemp);
        m_data.device.signalHigh = m_io.GradToElCJ(s.code, m_workMax, s.coldJunctionTemp);
    }
    return 0;
}

int TVerificationRun::StartSecondary()
{
    if (m_io.StartSteps() != 0) return -1;
    // the emulated value is the reference, in the sensor's unit (the current input shows its
    // reading in the same unit)
    m_point.reference = m_io.SpinnerValue();
    const bool emulating = !(m_manualReference && m_manualMeasured);
    // a thermocouple's signal is emulated against the cold junction as it is now, not as it was
    const sensors::SensorSetup& setup = m_io.Setup();
    if (emulating && setup.isThermocouple && setup.autoColdJunction) m_io.UpdateColdJunction();
    m_point.referenceSignal = m_io.PhysToEl(m_point.reference);
    if (!m_io.ToleranceFilled(KindSecondary)) {
        m_io.StopSteps();
        m_io.Message(17);
        return -1;
    }
    if (emulating) {
        if (m_io.StartEmulate() != 0 || m_io.WriteReal(devlink::EmulValue, m_point.referenceSignal) != 0) {
            m_io.StopSteps();
            return -1;
        }
        m_emulatedSignal = m_point.referenceSignal;
    }
    const sensors::SensorSetup& s = m_io.Setup();
    m_data.device.rangeLow = s.rangeMin;
    m_data.device.rangeHigh = s.rangeMax;
    platform::SetText(m_data.device.units, s.physUnit);
    float iMin = 4, iMax = 20;
    m_io.CurrentRange(&iMin, &iMax);
    m_data.device.signalLow = iMin;
    m_data.device.signalHigh = iMax;
    platform::SetText(m_data.device.signalUnits, u"мА");
    return 0;
}

TVerificationRun::TickOutcome TVerificationRun::Tick()
{
    if (!m_running || m_inTick) return TickOutcome::Idle;
    const Flag ticking(m_inTick);
    ResultRow& p = m_point;
    if (m_manualReference) p.reference = m_typedReference;
    if (m_manualMeasured) p.measured = m_typedMeasured;

    m_io.ShowRelays();
    if (!m_running) return TickOutcome::Stopped;

    if (!m_manualReference) {
        if (m_kind == KindSecondary) {
            p.reference = m_io.SpinnerValue();
        } else {
            float v = kNaN;
            const int r = m_io.ReadReal(devlink::ExtDeviceValue, &v);
            if (!m_running) return TickOutcome::Stopped; // the link was lost: its reaction stopped us
            if (r != 0) {
                p.reference = kNaN;
                Stop();
                m_io.ProcessPendingUpdates();
                m_io.Message(10);
                return TickOutcome::Stopped;
            }
            p.reference = v * m_refUnitRatio;
        }
    }
    if (!m_manualMeasured) {
        p.measured = m_io.ReadMeasured();
        if (!m_running) return TickOutcome::Stopped;
    }
    measure::AddWindow(m_refWindow, p.reference);
    measure::AddWindow(m_measWindow, p.measured);

    p.pass = 0;
    const sensors::SensorSetup& s = m_io.Setup();
    if (s.isThermocouple && s.autoColdJunction) {
        m_io.UpdateColdJunction();
        if (!m_running) return TickOutcome::Stopped;
    }
    if (m_kind == KindTemperature) {
        p.referenceSignal = m_io.PhysToEl(p.reference);
        p.errorSignal = m_io.PhysToEl(p.error); // the error of the previous tick
        p.error = PointError(m_kind, p.measured, p.reference, p.rangeLow, p.rangeHigh);
        // a tolerance from the class is the class's at this reference
        float t = kNaN;
        if (m_toleranceFromClass && std::isfinite(p.reference) && m_io.ClassTolerance(p.reference, &t) == 0 &&
            std::isfinite(t))
            m_tolerance = t;
    } else {
        p.error = PointError(m_kind, p.measured, p.reference, p.rangeLow, p.rangeHigh);
        p.referenceSignal = m_io.PhysToEl(p.reference);
        p.errorSignal = m_io.PhysToEl(p.error);
        // the emulated signal follows a moving cold junction
        if (m_kind == KindSecondary && !(m_manualReference && m_manualMeasured) &&
            std::isfinite(p.referenceSignal) && p.referenceSignal != m_emulatedSignal) {
            if (m_io.WriteReal(devlink::EmulValue, p.referenceSignal) == 0)
                m_emulatedSignal = p.referenceSignal;
            if (!m_running) return TickOutcome::Stopped;
        }
    }
    p.tolerance = m_tolerance;

    switch (m_kind) {
    case KindPressure:
        p.uncertainty = sensors::UncertaintyPressure(
            m_refWindow, m_measWindow, std::fabs(s.rangeMax - s.rangeMin), m_data.pressureStandardClass);
        break;
    case KindTemperature:
        p.uncertainty = m_io.TemperatureUncertainty(m_refWindow, m_measWindow);
        break;
    default:
        // the current error at the current the previous tick read
        p.uncertainty = sensors::UncertaintySecondary(m_measWindow, sensors::OwnError(s),
                                                      m_io.CurrentError(p.measuredSignal) / s.unitFactor);
        break;
    }
    p.measuredSignal = m_manualMeasured ? m_io.PhysToEl(p.measured) : s.lastReading;

    const PointVerdict v =
        JudgePoint(m_kind, p.error, p.tolerance, p.uncertainty, p.rangeLow, p.rangeHigh,
                   m_data.errorCoefficient, static_cast<DecisionRule>(m_data.decisionRule));
    p.pass = v.pass ? 1 : 0;
    m_ratio = v.ratio;
    m_ready = std::isfinite(p.error);
    m_io.PointTaken();
    return TickOutcome::Point;
}

void TVerificationRun::Stop()
{
    if (!m_running) return;
    m_ready = false;
    SetRunning(false); // first: a write below that loses the link finds the run stopped
    m_emulatedSignal = kNaN;
    m_io.ClearRelays();
    if (m_io.LinkUp()) m_io.StopSignal();
    m_io.StopSteps();
    if (m_io.LinkUp()) m_io.WriteInt(devlink::EmulValue, 0);
}

int TVerificationRun::EmulatedValueChanged(float value)
{
    if (m_kind != KindSecondary) return 0;
    ResultRow& p = m_point;
    const bool changed = !(value == p.reference);
    p.reference = value;
    p.referenceSignal = m_io.PhysToEl(value);
    if (changed) {
        // the windows and the point belong to the old value
        ResetWindows();
        m_ready = false;
    }
    if (m_running && m_io.LinkUp()) {
        if (m_io.WriteReal(devlink::EmulValue, p.referenceSignal) != 0) return -1;
        m_emulatedSignal = p.referenceSignal;
    }
    return 0;
}

int TVerificationRun::AddPoint(ResultList& list) const
{
    if (!m_ready) return -1;
    return AppendRow(list, m_point);
}

float TVerificationRun::UncertaintyInErrorUnit() const
{
    return verification::UncertaintyInErrorUnit(m_kind, m_point.uncertainty, m_point.rangeLow,
                                                m_point.rangeHigh);
}

} // namespace verification
