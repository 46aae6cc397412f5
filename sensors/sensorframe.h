// The sensor description frame: one signal source connected to the calibrator. Every measuring,
// emulating, verifying and calculating page reaches the calibrator's modes and converts its values
// only through an instance of it.
#pragma once

#include "hart/hart.h"
#include "hart/search.h"
#include "sensors/polynoms.h"
#include "sensors/sensorsetup.h"

#include <QFrame>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace devlink {
class TInterface;
}

namespace sensors {

class TFrame_std_Iout_tune;

class TFrameSensor : public QFrame {
    Q_OBJECT
public:
    /// `polynomsPath`: the characteristic library (empty: the program's folder).
    explicit TFrameSensor(QWidget* parent = nullptr, const QString& polynomsPath = {});
    ~TFrameSensor() override;

    /// The link the frame talks through (the main window's; may be null before the start).
    void SetLink(devlink::TInterface* link) { m_link = link; }

    const SensorSetup& Setup() const { return m_setup; }
    TFrame_std_Iout_tune* Iout() const { return Frame_std_Iout_tune1; }

    /// Recomputes the setup from the controls, shows the panels, calls the change notification.
    void Update();
    void SetRole(Role role);
    void SetClass(int cls) { m_setup.toleranceClass = cls; }
    void SetShowClass(bool on) { m_setup.showClass = on; }
    /// 0 when every input the current kind needs holds a number, else -1.
    int CheckInputs();
    void ClearInputs();
    /// The calibrator into the measuring mode of this sensor. 0, or -1 when an input or a write fails.
    int StartMeasure();
    /// Ends measuring or emulating; the result of the MeasMode write.
    int StopSignal();
    /// The calibrator into the emulating mode of this sensor. 0 or -1.
    int StartEmulate();
    /// The current physical value, or NaN.
    float ReadMeasured();
    float ElToPhys(float x);
    float PhysToEl(float x);
    float ElToGradCJ(int code, float e, float tcj) const;
    float GradToElCJ(int code, float t, float tcj) const;
    float OhmPerDegree(int code, float t) const;
    float MvPerDegree(int code, float t) const;
    int GetClassRange(float* min, float* max, int cls) const;
    int GetTolerance(float value, float* tolerance) const;
    int GetToleranceForClass(float* tolerance, int cls, float value) const;
    /// Reads the compensator for thermocouples with automatic compensation. 0 or -1.
    int UpdateColdJunction();
    float OwnError() const { return sensors::OwnError(m_setup); }

    /// The control handlers.
    void cbTypeChange();
    void cb_StdChange();
    void cbClassChange();
    void ebCompensValChange();

    /// The HART panel.
    void btnSeachHARTdevicesClick();
    void btnStopSeachHARTdevicesClick();
    hart::HartSearch& HartSearch() { return *m_search; }
    hart::HartPvReader& HartPv() { return *m_pv; }
    const hart::DeviceRecord& HartDevice() const { return m_device; }
    /// Where THart looks for the HART tables library (tests point it elsewhere).
    void SetHartTablesLibrary(const QString& path) { m_hart.SetTablesLibrary(path); }

    /// Called with the frame after every recomputation (the embedding page installs it).
    std::function<void(TFrameSensor*)> onChange;

    QComboBox* cbType;
    QFrame* Panel_NameSensor;
    QComboBox* cb_TC;
    QComboBox* cb_TP;
    QComboBox* cb_Std;
    QFrame* Panel_ClasesTCTP;
    QComboBox* cbClassTS;
    QComboBox* cbClassTP;
    QFrame* PanelTP;
    QCheckBox* cbIsAutoCompens;
    QLineEdit* ebCompensVal;
    QFrame* PanelStdOut;
    QCheckBox* cbStdOut;
    QFrame* Panel_WorkDiap;
    QLineEdit* ebMin;
    QLineEdit* ebMax;
    QLineEdit* fizMin;
    QLineEdit* fizMax;
    QLineEdit* edUniuEl;
    QComboBox* cbUniuFiz;
    QFrame* Panel_HART;
    QPushButton* btnSeachHARTdevices;
    QPushButton* btnStopSeachHARTdevices;
    QProgressBar* ProgressBar_Seach;
    QLabel* Label_EtlHARTname;
    QLabel* Label_HART_diap;
    QTimer* Timer_HART_search;
    QTimer* Timer_HART_PVread;
    TFrame_std_Iout_tune* Frame_std_Iout_tune1;

private:
    SensorKind KindOfSelection() const;
    int WriteInt(int reg, int value);
    void EndSearchUi();

    SensorSetup m_setup;
    devlink::TInterface* m_link = nullptr;
    TPolynoms m_lib;
    hart::THart m_hart;
    hart::DeviceRecord m_device;
    std::unique_ptr<hart::QtTimer> m_searchTimer;
    std::unique_ptr<hart::QtTimer> m_pvTimer;
    std::unique_ptr<hart::HartSearch> m_search;
    std::unique_ptr<hart::HartPvReader> m_pv;
    bool m_updating = false;
};

} // namespace sensors
