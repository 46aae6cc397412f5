// The step programme's logic: the list of value texts a host emulates in turn, advanced by hand or
// by a countdown of whole seconds, with the host told each new value and each second left.
#pragma once

#include "hart/search.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace measure {

inline constexpr int kStepTickMs = 1000;

/// The step modes (the index of the mode list, as stored in project files).
enum StepMode { kStepsNone = 0, kStepsTenPercent = 1, kStepsProgrammed = 2, kStepsQuarter = 3 };

/// A ramp over [start, end] in `divisions` equal parts, up and back down: start as typed, the inner
/// points as compact texts of their float value, end as typed, then the inner points downwards.
QStringList RampSteps(const QString& start, const QString& end, int divisions);
/// The programmed values forward, then (more than two) from the next-to-last down to the second.
QStringList ProgrammedSteps(const QStringList& values);

class StepProgram {
public:
    explicit StepProgram(hart::ITimer& timer) : m_timer(timer) {}

    /// Takes the steps, sends the first (an empty list sends nothing) and, with `countdown`, arms
    /// the countdown of `interval` seconds.
    void Start(const QStringList& steps, int interval, bool countdown);
    void Stop();
    /// The next step (cyclic); with the countdown, it starts again from the interval.
    void Next();
    /// One second of the countdown: the next step at 0, else the seconds left to the host.
    void Tick();
    /// Holds or resumes the countdown (running with a countdown only).
    void SetPaused(bool paused);

    bool Running() const { return m_running; }
    bool Paused() const { return m_paused; }
    bool Countdown() const { return m_countdown; }
    int Interval() const { return m_interval; }
    int Remaining() const { return m_remaining; }
    int CurrentStep() const { return m_current; }
    const QStringList& Steps() const { return m_steps; }
    /// The current text read as a number; NaN when it does not hold one (or there is no step).
    float CurrentValue() const;

    /// A new current value: its text and the number read from it (0 when none).
    std::function<void(const QString&, float)> onValue;
    /// A countdown second that did not advance: the seconds left.
    std::function<void(int)> onCountdown;
    /// The seconds the interval field shows (the countdown, or the interval again).
    std::function<void(int)> onShow;

private:
    void Send();

    hart::ITimer& m_timer;
    QStringList m_steps;
    int m_current = 0;
    int m_interval = 5;
    int m_remaining = 5;
    bool m_running = false;
    bool m_countdown = false;
    bool m_paused = false;
};

} // namespace measure
