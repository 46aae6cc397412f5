// The report parameters page: what a protocol states besides the measured points (the device, the
// conditions typed or read from a meter, the people, the protocol number and date, the instruments),
// with the temperature calibrator selection for temperature verification and the pressure
// reference's class for pressure verification.
//
// The "amp_" controls give the protocol's "&..." placeholders by their names (the protocol takes
// their full texts). The fields the procedure needs while it runs are copied into a ProtocolData
// on every change, whatever causes it (typing, a paste, a project, another page), and once at
// creation; a text longer than its field is cut to what the field holds.
#pragma once

#include "reports/protocoldata.h"
#include "verification/conditions.h"

#include <QFrame>
#include <QString>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace devlink {
class TInterface;
}

namespace sensors {
class TLabeledEdit;
}

namespace verification {

class TFrame_KT;

/// auxEquipment holds this many bytes of text; a longer list is cut and the page says so.
inline constexpr int kAuxEquipmentLimit = 1035;

class TFrame_ReportParam : public QFrame {
    Q_OBJECT
public:
    /// `calibratorList`: the temperature calibrator list file (kt.ini); `data`: the record the copy
    /// rules fill.
    explicit TFrame_ReportParam(const QString& calibratorList, QWidget* parent = nullptr,
                                reports::ProtocolData& data = reports::Protocol());

    /// The link whose device serial number the calibrator line shows.
    void SetLink(devlink::TInterface* link) { m_link = link; }
    /// Connected: the calibrator line becomes "ЛОРИК зав.№" + the connected calibrator's serial
    /// number; disconnected: it stays. Shows no message (it runs inside the link reactions).
    void ShowCalibratorLine(bool connected);
    /// The calibrator panel shows for type 1 (temperature sensor), the pressure class panel for
    /// type 0 (pressure sensor); type 2 (secondary instrument) shows neither.
    void SetVerificationType(int type);
    /// The normal conditions the condition fields are checked against (amber with a hint outside).
    void SetConditionLimits(const ConditionLimits& limits);
    /// The conditions meter library (default: "libEksisExchange.so" in the program's folder).
    void SetMeterLibrary(const QString& path) { m_meterLibrary = path; }

    /// "Считать °С, %, p": reads the conditions meter whose serial number is in VTM_sn. The fields
    /// change only once the library's function is found ("-" in all three, then each value read); a
    /// missing library or function is reported, and the fields stay as they are.
    void VTM_readClick();

    reports::ProtocolData& Data() const { return m_data; }

    sensors::TLabeledEdit* amp_D1_OWNER;
    sensors::TLabeledEdit* amp_D1_NAME;
    sensors::TLabeledEdit* amp_D1_TYPE;
    sensors::TLabeledEdit* amp_D1_SERIAL;
    sensors::TLabeledEdit* amp_D1_INV;
    sensors::TLabeledEdit* amp_VR_D1_DOC;
    sensors::TLabeledEdit* amp_CD_TEMP;
    sensors::TLabeledEdit* amp_CD_HUM;
    sensors::TLabeledEdit* amp_CD_PRES;
    sensors::TLabeledEdit* VTM_sn;
    QPushButton* VTM_read;
    sensors::TLabeledEdit* amp_CD_DATE;
    sensors::TLabeledEdit* amp_CD_VERIF_POS;
    sensors::TLabeledEdit* amp_CD_CHEF_POS;
    sensors::TLabeledEdit* amp_CD_VERIF;
    sensors::TLabeledEdit* amp_CD_CHEF;
    sensors::TLabeledEdit* amp_CD_ORG;
    sensors::TLabeledEdit* amp_CD_CRT_NUM;
    QPlainTextEdit* amp_CD_ADDRESS;
    sensors::TLabeledEdit* amp_D1_SH_NUM;
    QPlainTextEdit* CD_ET_AUX_LST;
    QLineEdit* ed_se_lorik;
    QLabel* lab_AuxCut; ///< "В протокол войдут первые 1035 знаков", shown while the list is cut
    QSpinBox* cDigits;
    QFrame* Panel_FrameKT;
    TFrame_KT* Frame_KT1;
    QFrame* Panel_FrameMANOR;
    QComboBox* cb_MANOR_Class;
    QLineEdit* amp_CD_VRCOEFF;

private:
    /// The fields the copy rules copy as text, and the three condition fields.
    std::array<QLineEdit*, 6> CopiedFields() const;
    std::array<QLineEdit*, 3> ConditionFields() const;
    void CopyDecimals();
    void CopyCoefficient();
    void CopyStandardClass();
    void CopyText(QLineEdit* field);
    void CopyAuxEquipment();
    void CheckCondition(QLineEdit* field);

    reports::ProtocolData& m_data;
    devlink::TInterface* m_link = nullptr;
    ConditionLimits m_limits;
    QString m_meterLibrary = QString::fromLatin1(kMeterLibrary);
};

} // namespace verification
