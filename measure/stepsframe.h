// TFrame_steps: which value a host page emulates and when it changes — a single typed value, a ramp
// over a range in 10 % (or 25 %) steps up and back down, or a programme of up to nine values played
// forward and back; advanced by hand or by a countdown. Embedded by the Emulation page and the
// verification page; it holds no link to the calibrator.
//
// Public API for hosts:
//   - onValue (std::function<int(const QString& text, float value)>): a new current value (value 0
//     when the text holds no number). The host may call Stop() inside it (a refused value).
//   - onCountdown (std::function<int(int seconds)>): each countdown second that does not advance.
//   - Validate(min, max): the first offending field (show it with FlashAndFocus) or nullptr.
//   - Start(), Stop() (does nothing when not running), NextStep(), CurrentValue() (NaN when the
//     current text holds no number), CurrentStep(), Clear(), Running().
// Design names (objectName): EFixedSteps (index 0 none, 1 "10% диапазона", 2 "программирование",
// 3 "25 % диапазона"), ESignalValuePanel/ESignalValue, ERangePanel/ERangeStart/ERangeEnd,
// EStepsPanel/EStep1..EStep9/EStep1Value..EStep9Value, EAutoStepPanel/EAutoStep/EAutoStepInterval/
// btnDoNextStepHand/btnPauseSteps/ETime, TimerStep. While running, EAutoStepInterval shows the
// countdown and carries the dynamic property "projectValue" = the interval, which project files
// store instead of the countdown.
#pragma once

#include "measure/stepprogram.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace measure {

class TFrame_steps : public QWidget {
    Q_OBJECT
public:
    explicit TFrame_steps(QWidget* parent = nullptr);
    ~TFrame_steps() override;

    QWidget* Validate(float minimum, float maximum);
    void Start();
    void Stop();
    void NextStep() { m_program.Next(); }
    float CurrentValue() const { return m_program.CurrentValue(); }
    int CurrentStep() const { return m_program.CurrentStep(); }
    bool Running() const { return m_program.Running(); }
    void Clear();

    StepProgram& Program() { return m_program; }

    std::function<int(const QString&, float)> onValue;
    std::function<int(int)> onCountdown;

    QComboBox* EFixedSteps;
    QWidget* ESignalValuePanel;
    QLineEdit* ESignalValue;
    QWidget* ERangePanel;
    QLineEdit* ERangeStart;
    QLineEdit* ERangeEnd;
    QWidget* EStepsPanel;
    std::array<QCheckBox*, 9> EStep{};
    std::array<QLineEdit*, 9> EStepValue{};
    QWidget* EAutoStepPanel;
    QCheckBox* EAutoStep;
    QSpinBox* EAutoStepInterval;
    QPushButton* btnDoNextStepHand;
    QPushButton* btnPauseSteps;
    QLabel* ETime;
    QTimer* TimerStep;

private:
    void ModeChanged();
    QStringList Build() const;
    void DirectValue();
    void SetTyped(bool typed);
    void PauseClick();

    std::unique_ptr<hart::QtTimer> m_timerSeam;
    StepProgram m_program;
    friend class SignalValueEnter;
};

} // namespace measure
