// The Measurement page: the calibrator's reading logged once a second with a chart, a numbered
// list, running statistics, the attached reference beside it, the relays in the status bar, the
// live value for other programs, export to a spreadsheet, and a journal that survives a crash.
//
// The tick (Timer_MeasureTimer) reads from the calibrator and hands the reading to Record(), whose
// cost does not depend on how many rows the run already holds: the list is a model of ours under a
// QTableView, the chart draws a bounded number of points, the statistics are a running update and
// the journal appends one line.
#pragma once

#include "link/deviceframe.h"
#include "measure/journal.h"
#include "measure/statistics.h"

#include <QString>

#include <cstdint>

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
class TReportListModel;
class TReportView;

class TFrameMesure : public devlink::TDeviceFrame {
    Q_OBJECT
public:
    /// `polynomsPath`: the characteristic library of the sensor description (empty: the program's
    /// folder).
    explicit TFrameMesure(devlink::IPageHost* host, QWidget* parent = nullptr,
                          const QString& polynomsPath = {});
    ~TFrameMesure() override;

    void SetLinkUp(bool up) override;
    /// Stops a running measurement without a command to the calibrator (close, project Open/New).
    void StopWork() override;
    /// Clears the sensor description's inputs.
    void NewProject() override;

    /// "   Начать измерение".
    void StartMeasurementClick();
    /// "   Остановить".
    void StopMeasurementClick();
    /// One tick of Timer_Measure.
    void Timer_MeasureTimer();
    /// " Сохранить в MS Excel": the list to a new spreadsheet (2 columns, 3 with a reference).
    void BitToExcelClick();

    /// Adds one reading to the statistics, the fields, the chart and the list; `origin` is the time
    /// origin of its chart label (whole seconds). A live reading (`live`) is also published and
    /// written to the journal.
    void Record(const JournalRow& reading, std::int64_t origin, bool live);

    /// At the program's start: offers to load back the journal a crashed run left (and, when there
    /// are, to delete journals older than 30 days). Returns the rows loaded.
    int OfferRecovery();
    /// Loads a journal into the list, the chart and the statistics (the page must be stopped).
    /// Returns the rows loaded, or -1 when the file does not read as a journal.
    int LoadJournal(const QString& path);

    bool Running() const { return m_running; }
    const TStatistics& Statistics() const { return m_stats; }
    TReportListModel* ListModel() const { return m_model; }
    const QString& ReferenceUnit() const { return m_referenceUnit; }
    const TJournal& Journal() const { return m_journal; }
    /// The table export library (tests point it to a stand-in).
    void SetSheetoutLibrary(const QString& path) { m_sheetout = path; }

    sensors::TFrameSensor* FrameSensor1;
    QPushButton* StartMeasurement;
    QPushButton* StopMeasurement;
    QTimer* Timer_Measure;
    TChartView* MeasurementGraph;
    TChartToolBar* MeasurementTools;
    QSpinBox* EGLast;
    TReportView* ListView3;
    QLineEdit* MCurrent;
    QLineEdit* MAverage;
    QLineEdit* MMin;
    QLineEdit* MMax;
    QLineEdit* MDelta;
    QLineEdit* MSko;
    QPushButton* BitToExcel;

private:
    void EnterRunning();
    void EnterStopped();
    void ShowStatistics();
    void WaitForReferenceUnit(int run);
    void JournalFailed();

    TReportListModel* m_model;
    TStatistics m_stats;
    TJournal m_journal;
    QString m_physUnit;
    QString m_referenceUnit;
    QString m_relay1, m_relay2;
    QString m_sheetout;
    bool m_running = false;
    bool m_starting = false;
    bool m_waitingUnit = false;
    bool m_inTick = false;
    bool m_skipNextTick = false;
    bool m_journalMessageDue = false;
    int m_run = 0;
};

} // namespace measure
