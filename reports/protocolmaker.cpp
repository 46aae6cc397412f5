#include "reports/protocolmaker.h"

#include "platform/cnumber.h"
#include "platform/cp1251.h"
#include "platform/messageservice.h"
#include "reports/oocalcauto.h"
#include "verification/verdict.h"

#include <QDir>

#include <algorithm>
#include <cmath>

namespace reports {

TExcel_BCB::TExcel_BCB(ProtocolData& data, verification::ResultList& results, ReplaceJob& job,
                       QString reportsDir)
    : m_data(data), m_results(results), m_job(job), m_reportsDir(std::move(reportsDir))
{
    m_job.FreeJob();
}

void TExcel_BCB::CopyResults(const verification::ResultList& results, ProtocolData& d)
{
    if (!results.hasData) return;
    for (ProtocolPoint& p : d.points)
        p = ProtocolPoint();
    d.pointCount = std::clamp(results.count, 0, kMaxPoints);
    for (int i = 0; i < d.pointCount; ++i) {
        const verification::ResultRow& r = results.rows[i];
        ProtocolPoint& p = d.points[i];
        p.used = 1;
        p.reference = r.reference;
        p.device[0].measuredSignal = r.measuredSignal;
        p.device[0].referenceSignal = r.referenceSignal;
        p.device[0].measured = r.measured;
        p.device[0].tolerance = r.tolerance;
        p.device[0].error = r.error;
        p.device[0].uncertainty = r.uncertainty;
    }
    d.device.used = 1;
}

bool TExcel_BCB::Suitable(const ProtocolData& d, const verification::ResultList& results)
{
    // The verdict of each point was given when it was measured, by the one rule of the results
    // table (verification::Conforms); the protocol states the same.
    if (d.inspectionPassed != 1 || results.count <= 0) return false;
    for (int i = 0; i < results.count && i < verification::kMaxRows; ++i)
        if (!results.rows[i].pass) return false;
    return true;
}

QString TExcel_BCB::DecisionRuleText(const ProtocolData& d)
{
    const QString rule = d.decisionRule == int(verification::DecisionRule::GuardBand)
                             ? QStringLiteral("защитная полоса w = U (соответствует при |Δ| + U ≤ Δдоп)")
                             : QStringLiteral("простая приёмка (соответствует при |Δ| ≤ Δдоп)");
    // a temperature point's U is expanded (k = 2); the budgets of the other kinds have no factor
    return rule + QStringLiteral("; неопределённость U с коэффициентом охвата k = %1")
                      .arg(d.verificationType == 1 ? 2 : 1);
}

QString TExcel_BCB::RangeText(const ProtocolData& d, const QString& lowText, const QString& highText)
{
    if (d.verificationType == 1) return lowText + QStringLiteral("...") + highText;
    const float hi = d.device.rangeHigh;
    const int n = hi > 100 ? 0 : hi > 10 ? 1 : hi > 1 ? 2 : 3;
    return DecimalText(d.device.rangeLow, n) + QStringLiteral("...") + DecimalText(hi, n);
}

void TExcel_BCB::PointRows(const QString& lowText, const QString& highText)
{
    CopyResults(m_results, m_data);
    if (!m_results.hasData) return;
    int n = 0;
    for (int i = 0; i < m_data.pointCount; ++i)
        n += m_data.points[i].used ? 1 : 0;
    m_job.SetPointCount(n);
    const int dec = std::clamp(m_data.decimals, 0, 6);
    m_job.AddRowKey(QStringLiteral("&ET_REFF_I"));
    for (int i = 0; i < m_data.pointCount; ++i)
        if (m_data.points[i].used)
            m_job.AddRowFloat(QStringLiteral("&ET_REFF_I"), m_data.points[i].reference, dec);
    if (!m_data.device.used) return;
    const QStringList keys = {QStringLiteral("&D1_INT_I"), QStringLiteral("&D1_ECSGN_I"),
                              QStringLiteral("&D1_SGN_I"), QStringLiteral("&D1_VAL_I"),
                              QStringLiteral("&D1_ACC_I"), QStringLiteral("&D1_ALL_ACC_I"),
                              QStringLiteral("&D1_UNC_I"), QStringLiteral("&D1_TUR_I")};
    for (const QString& k : keys)
        m_job.AddRowKey(k);
    const QString range = RangeText(m_data, lowText, highText);
    for (int i = 0; i < m_data.pointCount; ++i) {
        const ProtocolPoint& p = m_data.points[i];
        if (!p.used) continue;
        m_job.AddRowText(keys[0], range);
        m_job.AddRowFloat(keys[1], p.device[0].referenceSignal, dec);
        m_job.AddRowFloat(keys[2], p.device[0].measuredSignal, dec);
        m_job.AddRowFloat(keys[3], p.device[0].measured, dec);
        m_job.AddRowFloat(keys[4], p.device[0].error, dec);
        m_job.AddRowFloat(keys[5], p.device[0].tolerance, dec);
        m_job.AddRowFloat(keys[6], p.device[0].uncertainty, dec);
        const verification::ResultRow& r = m_results.rows[i];
        const float u = verification::UncertaintyInErrorUnit(m_data.verificationType, r.uncertainty,
                                                             r.rangeLow, r.rangeHigh);
        m_job.AddRowFloat(keys[7], verification::TestUncertaintyRatio(r.tolerance, u), 1);
    }
}

int TExcel_BCB::MakeProtocol(const QString& templateDir, const QString& templateName, bool useExcel,
                             const std::vector<AmpField>& amp, const QString& rangeLowText,
                             const QString& rangeHighText)
{
    using platform::GetText;
    ProtocolData& d = m_data;
    // 1. the results in
    CopyResults(m_results, d);
    if (!d.device.used) return -1;
    // 2. output path: no sub-folder can come out of the serial number
    QString serial = GetText(d.device.serial);
    serial.replace(QLatin1Char('\\'), QLatin1Char('_')).replace(QLatin1Char('/'), QLatin1Char('_'));
    QDir().mkpath(m_reportsDir);
    const QString output = m_reportsDir + QStringLiteral("/Протокол ") +
                           (d.isCalibration ? QStringLiteral("калибовки №") : QStringLiteral("поверки №")) +
                           serial + QStringLiteral(" .xls");
    // 3. files
    m_job.SetFiles(templateDir + QLatin1Char('/') + templateName, output, {QStringLiteral("pdf")});
    m_output = m_job.OutputPath();
    // 4. the sheet that does not apply
    const bool suitable = Suitable(d, m_results);
    m_job.AddHiddenSheet(suitable ? QStringLiteral("&DEV_VER_%d") : QStringLiteral("&DEV_VCR_%d"), 1);
    // 5. conditions and instruments
    m_job.Add_ReplacePair(QStringLiteral("&CD_TEMP_FULL"),
                          QStringLiteral("температура воздуха: %1°С").arg(GetText(d.airTemperature)));
    m_job.Add_ReplacePair(QStringLiteral("&CD_HUM_FULL"),
                          QStringLiteral("относительная влажность: %1%").arg(GetText(d.airHumidity)));
    m_job.Add_ReplacePair(QStringLiteral("&CD_PRES_FULL"),
                          QStringLiteral(" атмосферное давление: %1 мм рт.ст.").arg(GetText(d.airPressure)));
    m_job.Add_ReplacePair(QStringLiteral("&CD_ET_AUX_LST"), GetText(d.auxEquipment));
    // 6. the "amp_" controls, in component order
    for (const AmpField& f : amp)
        if (f.name.startsWith(QStringLiteral("amp_")))
            m_job.Add_ReplacePair(QLatin1Char('&') + f.name.mid(4), f.text);
    // 7. device placeholders
    const ProtocolDevice& dev = d.device;
    m_job.AddPairFmt(QStringLiteral("&D%d_OWNER"), 1, GetText(dev.owner));
    m_job.AddPairFmt(QStringLiteral("&D%d_NAME"), 1, GetText(dev.name));
    m_job.AddPairFmt(QStringLiteral("&D%d_TYPE"), 1, GetText(dev.type));
    m_job.AddPairFmt(QStringLiteral("&D%d_SERIAL"), 1, GetText(dev.serial));
    m_job.AddPairFmt(QStringLiteral("&D%d_INV"), 1, GetText(dev.inventoryNumber));
    m_job.AddPairFmt(QStringLiteral("&VR_D%d_DOC"), 1, QString());
    m_job.AddPairFmt(QStringLiteral("&D%d_SIGNAL_UNITS"), 1, GetText(dev.signalUnits));
    m_job.AddPairFmt(QStringLiteral("&D%d_UNITS"), 1, GetText(dev.units));
    m_job.Add_ReplacePair(QStringLiteral("&ET_UNIT"), GetText(dev.units));
    // the signal ends cut to integers toward zero ("4...20 мА")
    const auto whole = [](float v) {
        return std::isfinite(v) && std::fabs(v) < 2e9f ? QString::number(int(std::trunc(v)))
                                                       : QStringLiteral("—");
    };
    m_job.AddPairFmt(QStringLiteral("&D%d_SIGNAL"), 1,
                     QStringLiteral("%1...%2 %3")
                         .arg(whole(dev.signalLow), whole(dev.signalHigh), GetText(dev.signalUnits)));
    m_job.AddPairFmt(QStringLiteral("&D%d_NOTES"), 1, QStringLiteral("нет"));
    for (const char* k : {"&D%d_CHECK_THT", "&D%d_CHECK_USG", "&D%d_CHECK_EL", "&D%d_CHECK_R"})
        m_job.AddPairFmt(QString::fromLatin1(k), 1, QStringLiteral("соответствует"));
    m_job.AddPairFmt(QStringLiteral("&D%d_FINTERVAL"), 1, QStringLiteral(" "));
    m_job.AddPairFmt(QStringLiteral("&D%d_VER_ID"), 1, QStringLiteral(" "));
    // 8. sheet names (one arg() call: a serial holding "%1" stays as it is)
    const QString ser = GetText(dev.serial);
    const QString one = QString::number(1);
    m_job.AddPairFmt(QStringLiteral("&DEV_SH_%d"), 1, QStringLiteral("Протокол %1  (к.%2)").arg(ser, one));
    m_job.AddPairFmt(QStringLiteral("&DEV_VCR_%d"), 1,
                     QStringLiteral("свидетельство %1 (к.%2)").arg(ser, one));
    m_job.AddPairFmt(QStringLiteral("&DEV_VER_%d"), 1, QStringLiteral("извещение %1 (к.%2)").arg(ser, one));
    m_job.AddPairFmt(QStringLiteral("&DEV_CCR_%d"), 1, QStringLiteral("сертификат %1 (к.%2)").arg(ser, one));
    // 9. the point rows
    PointRows(rangeLowText, rangeHighText);
    // 10. verification only
    if (!d.isCalibration) {
        m_job.AddPairFmt(QStringLiteral("&D%d_SH_NUM"), 1, GetText(d.protocolNumber));
        m_job.AddPairFmt(QStringLiteral("&VR_D%d_TYPE_OF"), 1,
                         d.isPeriodic ? QStringLiteral("периодической") : QStringLiteral("первичной"));
        m_job.AddPairFmt(QStringLiteral("&VR_D%d_RESULT_SHORT"), 1,
                         suitable ? QStringLiteral("положительные") : QStringLiteral("отрицательные"));
        m_job.AddPairFmt(QStringLiteral("&VR_D%d_RES_DOC"), 1,
                         QStringLiteral("%1 № %2 от %3.")
                             .arg(suitable ? QStringLiteral("Выписано свидетельство о поверке")
                                           : QStringLiteral("Выписано извещение о непригодности"),
                                  GetText(d.protocolNumber), GetText(d.protocolDate)));
        m_job.AddPairFmt(QStringLiteral("&VR_D%d_SUITABLE"), 1,
                         suitable ? QStringLiteral("пригодно к применению")
                                  : QStringLiteral("не пригодно к применению"));
        m_job.AddPairFmt(QStringLiteral("&VR_D%d_DECISION_RULE"), 1, DecisionRuleText(d));
    }
    // 11. the run
    OOCalcAuto calc(useExcel);
    const int result = calc.RunJob(m_job);
    if (result != 0)
        platform::Messages().Show(platform::MessageService::Kind::Error,
                                  QStringLiteral("Ошибка создания протокола"), OOCalcAuto::ErrorText(result));
    m_job.FreeJob();
    return result;
}

} // namespace reports
