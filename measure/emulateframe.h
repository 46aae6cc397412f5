// The Emulation page: the calibrator reproduces a described sensor's signal (a typed value, a ramp
// or a programme of steps, nudged by hand with the value spinner) while once a second the page reads
// the response of the instrument under test on the measuring input, converts it through the
// current-input scaling, charts it beside the emulated value and logs both in a list that exports
// to a spreadsheet.
//
// Every value goes to the calibrator on one path: the spinner's value → PhysToEl → EmulValue; the
// emulation mode itself is set and ended only by the sensor description.
#pragma once

#include "link/deviceframe.h"

#include <QString>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace sensors {
class TFrameSensor;
}

namespace measure {

class TChartToolBar;
class TChartView;
class TFrame_ValueControl;
class TFrame_steps;
class TReportListModel;
class TReportView;

/// The "Эмулируемое" cell: the emulated value with a decimal comma (beside a missing reading the
/// point stays).
QString EmulatedCell(float value, const QString& unit, bool readingOk);
/// The "Измеренное" cell of a reading.
QString MeasuredCell(float scaled, const QString& unit);
/// "(value unit)" of the electrical setpoint.
QString SetpointLabel(float setpoint, const QString& elUnit);

class TFrameEmulate : public devlink::TDeviceFrame {
    Q_OBJECT
public:
    explicit TFrameEmulate(devlink::IPageHost* host, QWidget* parent = nullptr,
                           const QString& polynomsPath = {});
    ~TFrameEmulate() override;

    void SetLinkUp(bool up) override;
    /// Stop (EmulValue 0, then the calibrator leaves the emulation mode).
    void StopWork() override;
    /// Clears the sensor description and the step programme.
    void NewProject() override;

    /// "   Начать эмуляцию".
    void StartEmulationClick();
    /// "   Остановить".
    void StopEmulationClick();
    /// One tick of Timer1 (does nothing when not running).
    void Timer1Timer();
    /// " Сохранить в Excel": the list, 3 columns.
    void BitToExcelClick();
    /// A successful reading's part of the tick: live value, both chart points, one list row.
    void Record(float emulated, float reading);

    bool Running() const { return m_running; }
    TReportListModel* ListModel() const { return m_model; }
    void SetSheetoutLibrary(const QString& path) { m_sheetout = path; }

    sensors::TFrameSensor* FrameSensor1;
    QGroupBox* GroupBox2;
    TFrame_steps* Frame_steps1;
    QWidget* Panel_ValueCorr;
    TFrame_ValueControl* Frame_ValueControl1;
    QLineEdit* ECurrent;
    QLineEdit* EStep;
    QLineEdit* ETime;
    QLabel* Label_RealEl_val;
    QPushButton* StartEmulation;
    QPushButton* StopEmulation;
    TReportView* ListView2;
    QPushButton* BitToExcel;
    TChartView* EmulationGraph;
    TChartToolBar* EmulationTools;
    QSpinBox* EGLast;
    QTimer* Timer1;

private:
    void Stop();
    void StepValue(const QString& text, float value);
    /// Writes the value's setpoint; false (and stopped) when refused or not convertible.
    bool Emulate(float value);
    void SensorChanged();
    QString ElUnit() const;
    void ShowSetpoint();

    bool m_running = false;
    bool m_starting = false;
    int m_skipTicks = 0;
    float m_coldJunction = 0;
    QString m_sheetout;
    TReportListModel* m_model = nullptr;
};

} // namespace measure
