// The protocol maker: turns a finished verification or calibration into a protocol workbook from a
// template, through the ReplaceJob and LibreOffice Calc.
#pragma once

#include "reports/protocoldata.h"
#include "reports/replacejob.h"
#include "verification/results.h"

#include <QString>

#include <vector>

namespace reports {

/// One "amp_" control of the main window: its name and its text as the protocol takes it.
struct AmpField {
    QString name; ///< "amp_D1_OWNER"
    QString text;
};

class TExcel_BCB {
public:
    /// Empties the job's lists. `reportsDir` is where protocols are written.
    TExcel_BCB(ProtocolData& data, verification::ResultList& results, ReplaceJob& job, QString reportsDir);

    /// Makes the protocol: stored in the reports folder in the template's format and as PDF, then
    /// opened by the user's desktop. `amp` are the "amp_" controls in component order; for a
    /// temperature sensor `rangeLowText`/`rangeHighText` are the texts of the verification page's
    /// range fields. Returns 0, -1 when there is nothing to report, or the run's error code (shown
    /// in an error box "Ошибка создания протокола").
    int MakeProtocol(const QString& templateDir, const QString& templateName, bool useExcel,
                     const std::vector<AmpField>& amp, const QString& rangeLowText = {},
                     const QString& rangeHighText = {});

    /// The output path of the last MakeProtocol (after SetFiles chose a free name).
    const QString& OutputPath() const { return m_output; }

    /// The device's verdict: inspections passed, points present, and every point conforming
    /// (the verdict each row was given when it was measured).
    static bool Suitable(const ProtocolData& d, const verification::ResultList& results);
    /// "&VR_D1_DECISION_RULE": the decision rule and the coverage factor of the points' U.
    static QString DecisionRuleText(const ProtocolData& d);
    /// The device's range text for the point rows.
    static QString RangeText(const ProtocolData& d, const QString& lowText, const QString& highText);
    /// Results into ProtocolData (nothing while the list has no data).
    static void CopyResults(const verification::ResultList& results, ProtocolData& d);

private:
    void PointRows(const QString& lowText, const QString& highText);

    ProtocolData& m_data;
    verification::ResultList& m_results;
    ReplaceJob& m_job;
    QString m_reportsDir;
    QString m_output;
};

} // namespace reports
