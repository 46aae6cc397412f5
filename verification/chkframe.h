// The verification page: a pressure sensor, a temperature sensor or a secondary instrument checked
// against a reference, point by point, with the error, the verdict and the uncertainty of every
// point; "Добавить в протокол" hands the point to the results. Its three tabs hold the report
// parameters, the procedure and the results (the program places the first and the last).
//
// The procedure itself is a TVerificationRun; the page gives it the calibrator, the sensor
// description of the kind, the typed values and its own controls through PointIo, and draws the
// run's state. Timer_Processing ticks the run once a second while it runs.
#pragma once

#include "link/deviceframe.h"
#include "verification/run.h"

#include <QString>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;

namespace measure {
class TFrame_ValueControl;
class TFrame_steps;
} // namespace measure

namespace sensors {
class TFrameSensor;
}

namespace verification {

class TFrame_ReportParam;

class TFrame_Chk : public devlink::TDeviceFrame {
    Q_OBJECT
public:
    /// `polynomsPath`: the characteristic library of the three sensor descriptions (empty: the
    /// program's folder).
    explicit TFrame_Chk(devlink::IPageHost* host, QWidget* parent = nullptr,
                        const QString& polynomsPath = {});
    ~TFrame_Chk() override;

    /// What the page asks of the results page.
    struct ResultsHooks {
        std::function<void()> refresh;                      ///< RefreshResults
        std::function<void(bool periodic)> resetInspection; ///< ResetInspection
        std::function<void(bool on)> setVerification;       ///< isVerification := on
    };
    /// Places the report parameters page on the first tab and the results page on the third; the
    /// page tells the first the kind and the link state, and the second the mode.
    void SetSubPages(TFrame_ReportParam* reportParam, QWidget* results, ResultsHooks hooks);
    TFrame_ReportParam* ReportParam() const { return m_report; }

    /// Start follows the link; a lost link stops a run (no exchange), the report parameters page
    /// hears of it.
    void SetLinkUp(bool up) override;
    /// Stops a run (closing, another project).
    void StopWork() override;

    /// The results changed (a row added or removed anywhere): "Добавить в протокол" and the
    /// results tab's count follow.
    void ResultsChanged();

    /// The control handlers.
    void cb_TypePovChange();
    void rb_IsPovClick();
    void rb_Is_NOT_PeriodicClick();
    void btn_StartClick();
    void btn_StopClick();
    void BtnGraphClick();
    void Btn_ToReportClick();
    void Timer_ProcessingTimer();
    void cb_DecisionRuleChange();

    TVerificationRun& Run() { return *m_run; }
    /// The sensor description of the current kind.
    sensors::TFrameSensor* CurrentSensor() const;

    QTabWidget* PageControl_Chk;
    QComboBox* cb_TypePov;
    QRadioButton* rb_IsPov;
    QRadioButton* rb_IsCalibr;
    QFrame* pn_PovType;
    QRadioButton* rb_Is_NOT_Periodic;
    QRadioButton* rb_IsPeriodic;
    QFrame* pn_Main_DD;
    sensors::TFrameSensor* FrameSensorDD;
    QFrame* pn_Main_DT;
    sensors::TFrameSensor* FrameSensorDT1;
    QGroupBox* GroupBoxWorkDiap;
    QLineEdit* ed_DT_min;
    QLineEdit* ed_DT_max;
    QFrame* pn_Main_SC;
    sensors::TFrameSensor* FrameSensor_SC;
    measure::TFrame_ValueControl* Frame_ValueControl1;
    measure::TFrame_steps* Frame_steps_SC;
    QLabel* Panel_Etl_el;
    QFrame* pn_Measured;
    QLineEdit* ed_Etl_fiz;
    QCheckBox* cb_Hand_Etl_fiz;
    QLabel* lab_Etl_fiz_unit;
    QLabel* lab_Etl_el;
    QLabel* lab_Etl_el_unit;
    QLineEdit* ed_Meas_fiz;
    QCheckBox* cb_Hand_Meas_fiz;
    QLabel* lab_Meas_fiz_unit;
    QLabel* lab_MeasEl;
    QLabel* lab_MeasEl_unit;
    QLabel* lb_Err_meas;
    QLabel* lab_Err_unit;
    QFrame* Panel_Error_Ok;
    QLineEdit* ed_Err_ok;
    QLabel* lab_Err_ok_unit;
    QComboBox* cb_DecisionRule;
    QLabel* lab_SKO;
    QLabel* lab_SKO_unit;
    QLabel* lab_U;
    QLabel* lab_U_unit;
    QLabel* lab_TUR;
    QPushButton* btn_Start;
    QPushButton* btn_Stop;
    QPushButton* BtnGraph;
    QPushButton* Btn_ToReport;
    QTimer* Timer_Processing;

private:
    class PageIo;
    friend class PageIo;

    void BuildProcedure(QWidget* tab, const QString& polynomsPath);
    void SensorChanged(sensors::TFrameSensor* frame);
    void TemperatureSensorChanged();
    void SecondarySensorChanged();
    int SpinnerChanged(float value);
    int StepValue(float value);
    void ShowEmulatedSignal();
    void RefreshUnitLabels();
    void RunningChanged(bool running);
    void ShowPoint();
    void RefreshAddButton();
    void SetToleranceText(const QString& text);
    bool Up() const;

    TFrame_ReportParam* m_report = nullptr;
    QWidget* m_results = nullptr;
    ResultsHooks m_hooks;
    std::unique_ptr<PageIo> m_io;
    std::unique_ptr<TVerificationRun> m_run;
    bool m_writingTolerance = false;
    bool m_sensorChanging = false;
};

} // namespace verification
