// TFrame_ValueControl: ten press buttons that nudge an emulated value by ±10 ... ±0.001 in the
// sensor's unit (held: repeat), the value kept within the sensor's range and every change reported
// at once to the host. Embedded by the Emulation page and the verification page.
//
// Public API for hosts:
//   - onValue (std::function<int(float)>): called on every change with the new value; the result is
//     ignored here. Install it after construction: the frame's own first display ("0.000")
//     notifies nobody.
//   - SetValue / Value, SetDecimals, SetMinimum / SetMaximum / SetUnit (each relabels the range
//     only when it changes), Minimum / Maximum.
//   - Release(): ends a hold (also done on disable and hide, so a panel disabled mid-hold never
//     moves the value by itself).
// Design names (objectName): buttons Panel3 "+ 10", Panel8 "- 10", Panel2 "+ 1", Panel7 "- 1",
// Panel1 "+ 0.1", Panel6 "- 0.1", Up_001 "+ 0.01", Panel5 "- 0.01", Panel4 "+ 0.001", Panel9
// "- 0.001" (dynamic property "tag" 10..19), Label_Value, Label_Units, Label_Diap and the timer
// TimerAutoIncrement. The frame stores nothing in project files.
#pragma once

#include "measure/valuespinner.h"

#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;

namespace measure {

class TFrame_ValueControl : public QWidget {
    Q_OBJECT
public:
    explicit TFrame_ValueControl(QWidget* parent = nullptr);
    ~TFrame_ValueControl() override;

    void SetValue(float value) { m_spinner.SetValue(value); }
    float Value() const { return m_spinner.Value(); }
    void SetDecimals(int decimals) { m_spinner.SetDecimals(decimals); }
    void SetMinimum(float minimum);
    void SetMaximum(float maximum);
    void SetUnit(const QString& unit);
    float Minimum() const { return m_spinner.Minimum(); }
    float Maximum() const { return m_spinner.Maximum(); }
    void Release();

    /// The logic under the buttons (tests press and tick it directly).
    ValueSpinner& Spinner() { return m_spinner; }
    /// The button with tag 10..19 (nullptr otherwise).
    QPushButton* Button(int tag) const;

    std::function<int(float)> onValue;

    QLabel* Label_Value;
    QLabel* Label_Units;
    QLabel* Label_Diap;
    QTimer* TimerAutoIncrement;

protected:
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Changed(float value);
    void Relabel();

    std::unique_ptr<hart::QtTimer> m_timerSeam;
    ValueSpinner m_spinner;
    QPushButton* m_buttons[10] = {};
};

} // namespace measure
