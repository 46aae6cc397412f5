// The results page of the verification task: the list of measured points that go into the
// protocol (a table with the verdict colours and the test uncertainty ratio), row removal, the
// visual and functional inspection, the protocol template and office choice, and the protocol
// itself, made by the protocol maker module (reports/protocolmodule.h).
//
// The page follows the results list through its observer: every change, whoever makes it (the
// procedure, the archive page, this page), refreshes the table, rewrites the crash journal and
// saves the project. It reaches the main window only through the page host.
#pragma once

#include "reports/protocoldata.h"
#include "verification/resultjournal.h"
#include "verification/results.h"

#include <QFrame>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimer;

namespace devlink {
class IPageHost;
}
namespace reports {
class ProtocolMakerModule;
}

namespace verification {

class TResultsModel;

/// The text a protocol takes from an "amp_" control: a line edit's text; a multi-line text's or a
/// drop-down's text without carriage returns; a check box's caption; "" for any other control.
QString AmpFieldText(const QWidget* control);
/// (name, text) pairs of "amp_" controls, reordered (stably) so that a pair whose key contains the
/// key of another comes before it: the protocol's placeholder list takes longer keys first.
std::vector<std::pair<QString, QString>> AmpFields(const QList<QWidget*>& controls);

/// The shipped template of a verification kind (0 pressure, 1 temperature, 2 secondary) for a
/// verification or a calibration: "Протокол поверки датчика давления.xls" and so on.
QString ShippedTemplateName(int kind, bool calibration);

class TFrame_Chk_result : public QFrame {
    Q_OBJECT
public:
    /// `host` must outlive the frame. Zeroes the results list and follows it from then on.
    explicit TFrame_Chk_result(devlink::IPageHost* host, QWidget* parent = nullptr,
                               reports::ProtocolData& data = reports::Protocol());
    ~TFrame_Chk_result() override;

    /// AppendRow, then the table; what AppendRow returned (-1 for a full list, no message).
    int AddResultRow(const ResultRow& row);
    /// Rebuilds the table; the buttons follow the number of rows.
    void RefreshResults();
    /// Periodic verification: the notes are emptied; both: the insulation checks read
    /// "соответствует".
    void ResetInspection(bool periodic);
    /// "Поверка" (true) or "Калибровка" (false) on the procedure page; then call RefreshResults.
    void SetVerification(bool verification);
    bool IsVerification() const { return m_verification; }
    /// inspectionPassed := 1 when the four inspection drop-downs read "соответствует", else 0.
    void UpdateInspection();

    /// Loads the protocol maker and asks it which office suites it can drive (no office starts).
    void DetectOfficeSuites();
    /// Once at start, after the project is loaded: a journal left by a run that did not end
    /// cleanly is offered for restoring; from then on every change of the list is journalled.
    void RecoverJournal();
    /// The close sequence: the journal is retired (".last") and no longer written.
    void CloseJournal();
    const ResultJournal& Journal() const { return m_journal; }

    /// The page's actions (tests call them).
    void Btn_RemoveLineClick();
    void BitBtnClearClick();
    void btn_SetDirTemplatesClick();
    void pn_TemplExploreClick();
    void ToExcellClick();
    /// Debug mode: four synthetic rows to try a protocol without a device.
    void DebugFill();

    /// The template dialog: given the folder it opens in, the chosen file ("" for Cancel). Tests
    /// replace it.
    std::function<QString(const QString& folder)> chooseTemplate;
    /// The protocol maker (default: the program's module). Not owned.
    void SetProtocolMaker(reports::ProtocolMakerModule* maker) { m_maker = maker; }
    /// The result and output of the last protocol (tests).
    int LastProtocolResult() const { return m_lastResult; }
    const QString& LastProtocolPath() const { return m_lastPath; }
    TResultsModel* Model() const { return m_model; }

    QTableView* lv_Results;
    QPushButton* Btn_RemoveLine;
    QPushButton* BitBtnClear;
    QLineEdit* edTempl_Dir;
    QLineEdit* edTempl_Name;
    QPushButton* btn_SetDirTemplates;
    QFrame* pn_TemplExplore;
    QRadioButton* cbTypeMSExcell;
    QRadioButton* cbTypeLibreOffice;
    QPlainTextEdit* amp_D1_NOTES;
    QComboBox* amp_D1_CHECK_THT;
    QComboBox* amp_D1_CHECK_USG;
    QComboBox* amp_D1_CHECK_EL;
    QComboBox* amp_D1_CHECK_R;
    QPushButton* ToExcell;
    QLabel* Label_wait;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void ListChanged(const ResultList& list);
    void ApplySuites();
    void JournalFailed();

    devlink::IPageHost* m_host;
    reports::ProtocolData& m_data;
    ResultList& m_results;
    TResultsModel* m_model;
    reports::ProtocolMakerModule* m_maker;
    ResultJournal m_journal;
    QTimer* m_projectSave;
    bool m_verification = false;
    bool m_journalActive = false;
    bool m_journalFailureShown = false;
    bool m_recovering = false;
    bool m_making = false;
    bool m_detected = false;
    bool m_libreOffice = false;
    bool m_applyingSuites = false;
    int m_lastResult = 0;
    QString m_lastPath;
};

} // namespace verification
