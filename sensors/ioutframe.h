// The current-input scaling: converts the unified current output of an instrument that the
// calibrator reads back into the physical value it stands for.
#pragma once

#include <QFrame>
#include <QString>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace sensors {

class TFrame_std_Iout_tune : public QFrame {
    Q_OBJECT
public:
    explicit TFrame_std_Iout_tune(QWidget* parent = nullptr);

    /// x unchanged while disabled; else physMin + (physMax - physMin)·(x - iMin)/(iMax - iMin).
    float CurrentToPhys(float x) const;
    /// Error of a current reading x (mA) in physical units.
    float CurrentError(float x) const;
    /// False (the offending control flashed) without a unit, or, enabled, when a field holds no number.
    bool CheckScaling();
    /// Disables the unit list (and selects "°C") when locked.
    void LockUnits(bool lock);
    /// Unticks cbEnable.
    void ClearScaling();
    /// Selects a unit by its text (the sensor description copies its choice here).
    void SelectUnit(const QString& text);

    bool Enabled() const { return m_enabled; }
    float PhysMin() const { return m_physMin; }
    float PhysMax() const { return m_physMax; }
    float IMin() const { return m_iMin; }
    float IMax() const { return m_iMax; }
    const QString& OutputUnit() const { return m_outputUnit; }
    float UnitFactor() const { return m_unitFactor; }

    /// Called after every handler (the sensor description installs it).
    std::function<void()> onChange;

    QCheckBox* cbEnable;
    QRadioButton* rb_0_5;
    QRadioButton* rb_4_20;
    QRadioButton* rb_0_20;
    QFrame* pnDiapFiz;
    QLineEdit* ebFizMin;
    QLineEdit* ebFizMax;
    QComboBox* cbUniuFiz;

private:
    void Notify();
    void cbUniuFizChange();
    void cbEnableClick();
    void rb_Click();

    bool m_enabled = true;
    float m_physMin = 0, m_physMax = 100, m_iMin = 4, m_iMax = 20;
    QString m_outputUnit;
    float m_unitFactor = 1;
};

} // namespace sensors
