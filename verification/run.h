// One verification run: a device under test checked against a reference, point by point, once a
// tick. TVerificationRun keeps the procedure's state (kind, the typed values, the permissible
// error, the two statistics windows, the reference's unit factor and the current point as a
// ResultRow) and runs its start, tick and stop; everything it needs of the calibrator, the sensor
// description and the page comes through PointIo, which the verification page implements and
// tests fake.
//
// Rules that keep a run consistent whatever happens inside an exchange:
//  - the link-lost reaction of the session runs inside a failed exchange and stops the run (the
//    page's SetLinkUp(false) calls Stop()); after every exchange a tick checks that it still runs
//    and ends quietly when it does not, so a lost link gives its one message and no other;
//  - Stop() clears the running state first and writes to the calibrator only while the link is
//    up, so a stop never re-enters the link-lost reaction;
//  - the permissible error is a value of its own: typing it or the sensor's tolerance class
//    changes it, never the display of it.
#pragma once

#include "measure/statistics.h"
#include "reports/protocoldata.h"
#include "sensors/sensorsetup.h"
#include "verification/point.h"
#include "verification/results.h"

#include <limits>

namespace verification {

/// Number of readings in each statistics window of a run.
inline constexpr int kRunWindow = 60;
/// Readings of ExtDeviceUnit while it still answers "not yet known", and the wait after each.
inline constexpr int kUnitPolls = 20;
inline constexpr int kUnitPollMs = 100;

/// What a run needs of the calibrator, the current sensor description and the page.
class PointIo {
public:
    virtual ~PointIo() = default;

    // The link (results are the link's exchange codes: 0 ok, negative failure).
    virtual bool LinkUp() = 0;
    virtual int ReadInt(int reg, int* value) = 0;
    virtual int ReadReal(int reg, float* value) = 0;
    virtual int WriteInt(int reg, int value) = 0;
    virtual int WriteReal(int reg, float value) = 0;

    // The sensor description of the current kind.
    virtual const sensors::SensorSetup& Setup() = 0;
    virtual int StartMeasure() = 0;
    virtual int StartEmulate() = 0;
    virtual int StopSignal() = 0;
    /// The physical value the device under test indicates, or NaN.
    virtual float ReadMeasured() = 0;
    virtual float PhysToEl(float x) = 0;
    virtual float GradToElCJ(int code, float t, float tcj) = 0;
    virtual int UpdateColdJunction() = 0;
    /// The tolerance of the sensor's class at `t` °C: 0, or -1 when there is none.
    virtual int ClassTolerance(float t, float* tolerance) = 0;
    /// Kind 1: the expanded uncertainty from the temperature calibrator selection; NaN when the
    /// reference thermometer's type is not rated at the measured temperature.
    virtual float TemperatureUncertainty(const measure::TStatistics& ref,
                                         const measure::TStatistics& meas) = 0;
    /// Kind 2: the error of a current reading (mA) in the current input's physical unit, and the
    /// current input's range ends.
    virtual float CurrentError(float mA) = 0;
    virtual void CurrentRange(float* iMin, float* iMax) = 0;

    // The page.
    /// The permissible error field holds what the kind needs: kind 0 the required-field check
    /// (marker and "Не указан параметр" when empty), kind 2 a number.
    virtual bool ToleranceFilled(int kind) = 0;
    /// Kind 2: checks the step values against the sensor's range (an offending field flashes),
    /// prepares the step programme and puts its first value into the value spinner. 0 or -1.
    virtual int StartSteps() = 0;
    virtual void StopSteps() = 0;
    /// Kind 2: the value spinner's value (the emulated reference, in the sensor's unit).
    virtual float SpinnerValue() = 0;
    /// The run switched to running or idle: the page's controls and its timer follow.
    virtual void RunningChanged(bool running) = 0;
    /// A start: the chart's axis titles by kind, its series emptied, its time origin now.
    virtual void StartChart() = 0;
    /// A tick took a point: the page shows it and adds it to the chart.
    virtual void PointTaken() = 0;
    virtual void ShowRelays() = 0;
    virtual void ClearRelays() = 0;
    /// Paints what waits to be painted (no user input is taken).
    virtual void ProcessPendingUpdates() = 0;
    /// Error box with message `n` of the message table.
    virtual void Message(int n) = 0;
    /// A blocking wait.
    virtual void Wait(int ms) = 0;
};

class TVerificationRun {
public:
    explicit TVerificationRun(PointIo& io, reports::ProtocolData& data = reports::Protocol());

    /// The page's controls, set on every change.
    /// The kind (KindPressure, KindTemperature, KindSecondary); `verificationType` follows.
    void SetKind(int kind);
    int CurrentKind() const { return m_kind; }
    void SetManualReference(bool on) { m_manualReference = on; }
    void SetManualMeasured(bool on) { m_manualMeasured = on; }
    bool ManualReference() const { return m_manualReference; }
    bool ManualMeasured() const { return m_manualMeasured; }
    void SetTypedReference(float v) { m_typedReference = v; }
    void SetTypedMeasured(float v) { m_typedMeasured = v; }
    /// The permissible error as typed; it holds until it is typed again or a class gives one.
    void SetTypedTolerance(float v);
    /// The tolerance of the temperature sensor's class at the last reference (0 °C before any
    /// reading): 0 with the new tolerance, which every tick of a temperature run then takes anew
    /// at its reference; -1 (tolerance unchanged) when the class gives none or the reference is
    /// missing.
    int TakeClassTolerance();
    float Tolerance() const { return m_tolerance; }
    bool ToleranceFromClass() const { return m_toleranceFromClass; }
    /// The working range of a temperature sensor (ed_DT_min, ed_DT_max).
    void SetWorkingRange(float min, float max);

    /// Start: 0 when running, -1 when the kind's start failed (with its message where it has one).
    int Start();
    enum class TickOutcome {
        Idle,    ///< not running (or a tick already runs)
        Point,   ///< a point was taken (PointTaken has shown it)
        Stopped, ///< the run stopped during the tick
    };
    TickOutcome Tick();
    /// Stops a run ("Стоп", a lost link, a failed reference reading); nothing when idle.
    void Stop();
    /// Kind 2, the value spinner changed: the new reference; a different value empties both
    /// windows and holds the point back until the next tick. While running the calibrator emulates
    /// it: 0, or -1 when that write failed.
    int EmulatedValueChanged(float value);

    /// The point can go into the results: a tick of this run gave it a finite error.
    bool PointReady() const { return m_ready; }
    /// Appends the point to `list` (AppendRow): the new count, or -1 (no point ready, list full).
    int AddPoint(ResultList& list) const;

    bool Running() const { return m_running; }
    const ResultRow& Point() const { return m_point; }
    /// The test uncertainty ratio of the point (tolerance / U in the error's unit), NaN unknown.
    float Ratio() const { return m_ratio; }
    /// The point's expanded uncertainty in the error's unit (NaN unknown).
    float UncertaintyInErrorUnit() const;
    float RefUnitRatio() const { return m_refUnitRatio; }
    const measure::TStatistics& ReferenceWindow() const { return m_refWindow; }
    const measure::TStatistics& MeasuredWindow() const { return m_measWindow; }
    reports::ProtocolData& Data() const { return m_data; }

private:
    int StartPressure();
    int StartTemperature();
    int StartSecondary();
    void ResetWindows();
    void SetRunning(bool on);

    PointIo& m_io;
    reports::ProtocolData& m_data;
    int m_kind = KindPressure;
    bool m_running = false;
    bool m_starting = false;
    bool m_inTick = false;
    bool m_manualReference = false, m_manualMeasured = false;
    float m_typedReference = 0, m_typedMeasured = 0;
    float m_tolerance = 0;
    bool m_toleranceFromClass = false;
    float m_workMin = 0, m_workMax = 0;
    float m_refUnitRatio = 1;
    // kind 2: the signal last written to the calibrator (NaN: none)
    float m_emulatedSignal = std::numeric_limits<float>::quiet_NaN();
    measure::TStatistics m_refWindow, m_measWindow;
    ResultRow m_point;
    float m_ratio;
    bool m_ready = false;
};

} // namespace verification
