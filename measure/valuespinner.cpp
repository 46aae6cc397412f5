#include "measure/valuespinner.h"

#include "sensors/numbers.h"

namespace measure {

float SpinnerStep(int tag)
{
    static constexpr float kSteps[] = {10.0f, 1.0f, 0.1f, 0.01f, 0.001f};
    if (tag < 10 || tag > 19) return 0.0f;
    const float step = kSteps[(tag - 10) / 2];
    return (tag % 2 == 0) ? step : -step;
}

void ValueSpinner::SetValue(float value)
{
    if (value < m_min) value = m_min;
    if (value > m_max) value = m_max;
    m_value = value;
    if (onChanged) onChanged(m_value);
}

void ValueSpinner::SetDecimals(int decimals)
{
    if (decimals == m_decimals) return;
    m_decimals = decimals;
    SetValue(m_value);
}

bool ValueSpinner::SetMinimum(float minimum)
{
    if (minimum == m_min) return false;
    m_min = minimum;
    return true;
}

bool ValueSpinner::SetMaximum(float maximum)
{
    if (maximum == m_max) return false;
    m_max = maximum;
    return true;
}

bool ValueSpinner::SetUnit(const QString& unit)
{
    if (unit == m_unit) return false;
    m_unit = unit;
    return true;
}

QString ValueSpinner::ValueText() const
{
    return sensors::FixedText(m_value, m_decimals);
}

QString ValueSpinner::RangeText() const
{
    return sensors::CompactText(m_min) + QStringLiteral(" ... ") + sensors::CompactText(m_max) +
           QLatin1Char(' ') + m_unit;
}

void ValueSpinner::Press(int tag)
{
    const float step = SpinnerStep(tag);
    if (step == 0.0f) return;
    m_step = step;
    SetValue(m_value + m_step);
    m_timer.Start(m_interval);
}

void ValueSpinner::Repeat()
{
    m_timer.Stop();
    if (m_step == 0.0f) return; // a tick that was already queued when the button went up
    m_interval = kSpinnerRepeatMs;
    SetValue(m_value + m_step);
    m_timer.Start(m_interval);
}

void ValueSpinner::Release()
{
    m_step = 0.0f;
    m_timer.Stop();
    m_interval = kSpinnerFirstMs;
}

} // namespace measure
