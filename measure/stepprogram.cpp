#include "measure/stepprogram.h"

#include "sensors/numbers.h"

#include <limits>

namespace measure {

QStringList RampSteps(const QString& start, const QString& end, int divisions)
{
    const float s = sensors::ReadNumberOr0(start);
    const float e = sensors::ReadNumberOr0(end);
    auto inner = [&](int q) {
        const float x =
            static_cast<float>(static_cast<double>(s) + q * (static_cast<double>(e) - s) / divisions);
        return sensors::CompactText(x);
    };
    QStringList steps{start};
    for (int q = 1; q < divisions; ++q)
        steps << inner(q);
    steps << end;
    for (int q = divisions - 1; q >= 1; --q)
        steps << inner(q);
    return steps;
}

QStringList ProgrammedSteps(const QStringList& values)
{
    QStringList steps = values;
    if (values.size() > 2)
        for (qsizetype i = values.size() - 2; i >= 1; --i)
            steps << values[i];
    return steps;
}

void StepProgram::Start(const QStringList& steps, int interval, bool countdown)
{
    if (m_running) return;
    m_steps = steps;
    m_current = 0;
    m_interval = interval > 0 ? interval : 1;
    m_remaining = m_interval;
    m_paused = false;
    m_running = true;
    m_countdown = countdown && !m_steps.isEmpty();
    Send();
    if (m_running && m_countdown) // the host may have stopped inside Send
        m_timer.Start(kStepTickMs);
}

void StepProgram::Stop()
{
    m_timer.Stop();
    m_running = false;
    m_paused = false;
}

void StepProgram::Next()
{
    if (!m_running || m_steps.isEmpty()) return;
    m_current = (m_current + 1) % m_steps.size();
    if (m_countdown) {
        m_remaining = m_interval;
        if (onShow) onShow(m_remaining);
    }
    Send();
}

void StepProgram::Tick()
{
    if (!m_running || !m_countdown || m_paused) return;
    --m_remaining;
    const int result = m_remaining > 0 ? m_remaining : 0;
    if (result == 0) m_remaining = m_interval;
    if (onShow) onShow(m_remaining);
    if (result == 0)
        Next();
    else if (onCountdown)
        onCountdown(result);
}

void StepProgram::SetPaused(bool paused)
{
    if (!m_running || !m_countdown || paused == m_paused) return;
    m_paused = paused;
    if (paused)
        m_timer.Stop();
    else
        m_timer.Start(kStepTickMs);
}

float StepProgram::CurrentValue() const
{
    float v = 0.0f;
    if (m_current >= m_steps.size() || sensors::ReadNumber(m_steps[m_current], &v) != 0)
        return std::numeric_limits<float>::quiet_NaN();
    return v;
}

void StepProgram::Send()
{
    if (m_steps.isEmpty() || !onValue) return;
    const QString text = m_steps[m_current];
    onValue(text, sensors::ReadNumberOr0(text));
}

} // namespace measure
