// The configuration page: the calibrator's user settings, its battery, its clock next to the PC's,
// its serial number (administrator) and its processor load (debug).
#pragma once

#include "device/clock.h"
#include "link/deviceframe.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QSpinBox;
class QTimer;

namespace device {

class TFrameSettingsLorik : public devlink::TDeviceFrame {
    Q_OBJECT
public:
    explicit TFrameSettingsLorik(devlink::IPageHost* host, QWidget* parent = nullptr);

    /// Clock and "Считать" follow the link; the settings wait for a read; nothing is sent.
    void SetLinkUp(bool up) override;

    /// The PC clock the page shows and sets the calibrator from (tests inject one).
    void SetPcClock(PcClock clock);

    void ReadConfClick();
    void WriteConfClick();
    void btnReadDTClick();
    void WriteSystemDTClick();
    void WriteSerialNoClick();
    void CheckBox1_sendDebugClick();
    /// Shows the PC's time and zone (every second).
    void TimerDataTimesysTimer();

    QGroupBox* GroupBox11;
    QSpinBox* CSpinEdit2;
    QSpinBox* CSpinEdit3;
    QSlider* Bright;
    QComboBox* cbLCDoffTime;
    QComboBox* AutoOff;
    QCheckBox* Buzzer;
    QCheckBox* Cursor;
    QLabel* Label_Ubatt;
    QGroupBox* GroupBox_CPU;
    QProgressBar* ProgressBar_CPUload;
    QLabel* Label_CPU_Load;
    QGroupBox* GroupBox_Serial;
    QLineEdit* Edit_Serial;
    QPushButton* WriteSerialNo;
    QGroupBox* gbDateTime;
    QLabel* lab_DeltaTime;
    QLabel* Label_DT_now;
    QPushButton* btnReadDT;
    QPushButton* WriteSystemDT;
    QPushButton* ReadConf;
    QPushButton* WriteConf;
    QGroupBox* GroupBox_SendDebug;
    QCheckBox* CheckBox1_sendDebug;
    QTimer* TimerDataTimesys;

private:
    /// Reads the clock and shows it with its difference from the PC; stops silently on a failure.
    void ReadClockShow();
    void ReadCpuLoad();
    bool Up() const;

    PcClock m_pcClock;
    bool m_busy = false;
};

} // namespace device
