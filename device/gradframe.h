// The calibration page (administrator): the emulation channels calibrated at their minimum and
// maximum points against an external reference, the measuring channels by a factor from a known
// sample or a zero shift, and a backup of every calibration register before the first write.
#pragma once

#include "device/calibration.h"
#include "link/deviceframe.h"

#include <QSet>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabBar;
class QTabWidget;
class QTimer;

namespace device {

class TFrameGrad : public devlink::TDeviceFrame {
    Q_OBJECT
public:
    explicit TFrameGrad(devlink::IPageHost* host, QWidget* parent = nullptr);

    /// The buttons and tabs follow the link; a link loss stops measuring without an exchange.
    void SetLinkUp(bool up) override;
    void StopWork() override;

    /// The page turned current: refresh while connected and not measuring.
    void PageEntered();
    /// Reads the calibration values of the selected channel into the edits.
    void Refresh();

    void SetMinClick();
    void SetMaxClick();
    void WriteMinClick();
    void WriteMaxClick();
    void WriteShiftEmulClick();
    void BtnEmulValueClick();
    void ReadMeasClick();
    void btnStopClick();
    void TimerMeasTimer();
    void WriteRefClick();
    void WriteShiftMeasClick();
    void BitBtn_SaveClick();
    void BitBtn_LoadClick();
    /// Writes the calibration of a backup file into the calibrator (after the questions), commits
    /// and verifies it.
    void LoadCalibrationFile(const QString& path);

    /// Where backups go (the user's data folder unless a test sets another).
    void SetBackupDir(const QString& dir) { m_backupDir = dir; }
    bool Measuring() const { return m_meas.Measuring(); }

    QTabWidget* GradModes;
    QTabBar* EmulationTabs;
    QLineEdit* CEMinValue;
    QLineEdit* CEMaxValue;
    QPushButton* SetMin;
    QPushButton* SetMax;
    QPushButton* WriteMin;
    QPushButton* WriteMax;
    QLineEdit* CEShift;
    QPushButton* WriteShiftEmul;
    QLineEdit* Edit1_EmulValue;
    QPushButton* BtnEmulValue;

    QTabBar* MeasurementTabs;
    QLabel* Label2;
    QLabel* Label10;
    QLabel* Label58;
    QLineEdit* CMSampleValue;
    QLineEdit* CMMeasuredValue;
    QLineEdit* EditDavCalib;
    QLineEdit* CMCalibFactor;
    QLineEdit* EditMeasShift;
    QSpinBox* CSpinEdit_cAvarges;
    QPushButton* ReadMeas;
    QPushButton* btnStop;
    QPushButton* WriteRef;
    QPushButton* WriteShiftMeas;
    QPushButton* BitBtn_ReadDavCalib;
    QPushButton* BitBtn1;
    QTimer* TimerMeas;

    QPushButton* BitBtn_Save;
    QPushButton* BitBtn_Load;

protected:
    void showEvent(QShowEvent* e) override;

private:
    bool Up() const;
    /// The selected emulation channel, and the selected measurement tab.
    const EmulChannel& Emul() const;
    int MeasTab() const;
    void GradModesChange();
    void MeasurementTabsChange();
    /// Ends measuring: timer stopped, buttons back; MeasMode := -1 when `tellDevice`.
    void StopMeasuring(bool tellDevice);
    void RecomputeFactor();
    /// Writes one emulation calibration point from its edit, commits and reads it back.
    void WriteEmulPoint(int reg, QLineEdit* edit);
    /// Fails (flashing the field) when the edit's text would not be written.
    bool Writable(QLineEdit* edit);
    /// The backup before the first calibration write to this calibrator in this run. False when
    /// the write must not go ahead.
    bool EnsureBackup();

    CalibrationMeasurement m_meas;
    QString m_backupDir;
    QSet<QString> m_backedUp;
    bool m_refreshing = false;
    bool m_ticking = false;
};

} // namespace device
