// The value spinner's logic: a value held within a range, nudged by a step while a button is held
// (at once, again after 400 ms, then every 200 ms), each change reported to the host.
#pragma once

#include "hart/search.h"

#include <QString>

#include <functional>

namespace measure {

inline constexpr int kSpinnerFirstMs = 400;
inline constexpr int kSpinnerRepeatMs = 200;

/// The step a button tag stands for: 10 → +10, 11 → −10, 12 → +1, ... 19 → −0.001; 0 for any other
/// tag.
float SpinnerStep(int tag);

class ValueSpinner {
public:
    explicit ValueSpinner(hart::ITimer& timer) : m_timer(timer) {}

    /// Clamps to [minimum, maximum], stores, then calls onChanged with the stored value.
    void SetValue(float value);
    float Value() const { return m_value; }
    /// A different count of decimals sets the value again (redisplay and notification).
    void SetDecimals(int decimals);
    int Decimals() const { return m_decimals; }
    /// Each returns true when it changed something (then RangeText changed); the value stays where
    /// it is until the next change.
    bool SetMinimum(float minimum);
    bool SetMaximum(float maximum);
    bool SetUnit(const QString& unit);
    float Minimum() const { return m_min; }
    float Maximum() const { return m_max; }
    const QString& Unit() const { return m_unit; }

    /// The value with the decimals ("<<<.<<<" when not finite).
    QString ValueText() const;
    /// "min ... max unit".
    QString RangeText() const;

    /// A button with `tag` went down: one step at once, then the repeat timer (another tag: nothing).
    void Press(int tag);
    /// A tick of the repeat timer.
    void Repeat();
    /// The button went up, or the panel was disabled or hidden: no more steps.
    void Release();
    bool Holding() const { return m_step != 0.0f; }

    /// Every value change (display and host).
    std::function<void(float)> onChanged;

private:
    hart::ITimer& m_timer;
    float m_value = 0.0f;
    int m_decimals = 3;
    float m_step = 0.0f;
    float m_min = 0.0f;
    float m_max = 0.0f;
    QString m_unit;
    int m_interval = kSpinnerFirstMs;
};

} // namespace measure
