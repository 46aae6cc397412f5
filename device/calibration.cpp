#include "device/calibration.h"

#include "platform/cp1251.h"
#include "platform/ini.h"
#include "sensors/numbers.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cmath>

namespace device {
namespace {

const QString kDevice = QStringLiteral("device");
const QString kCalibration = QStringLiteral("calibration");

std::optional<double> Number(QStringView text)
{
    if (!sensors::TextHasNumber(text)) return std::nullopt;
    double v = 0;
    if (sensors::ScanFloat(text.trimmed(), &v) == 0 || !std::isfinite(v)) return std::nullopt;
    return v;
}

} // namespace

std::optional<double> CalibFactor(QStringView sample, QStringView factor, QStringView measured)
{
    const auto s = Number(sample), k = Number(factor), m = Number(measured);
    if (!s || !k || !m || *m == 0) return std::nullopt;
    return *s * *k / *m;
}

QString CalibFactorText(double factor)
{
    return QString::number(factor, 'g', 15);
}

QString ProposedShift(double reading)
{
    return sensors::CompactText(-reading);
}

int CalibrationMeasurement::Start(int channel, int averages)
{
    m_measuring = false;
    if (!m_link || channel < 0 || channel > 4) return -1;
    int r = m_link->WriteRegisterInt(devlink::AveragingCount, averages);
    if (r == 0) r = m_link->WriteRegisterInt(devlink::MeasMode, kMeasChannels[channel].measMode);
    if (r != 0) return r;
    m_channel = channel;
    m_measuring = true;
    return 0;
}

int CalibrationMeasurement::Stop(bool tellDevice)
{
    m_measuring = false;
    if (!tellDevice || !m_link) return 0;
    return m_link->WriteRegisterInt(devlink::MeasMode, devlink::MeasStop);
}

CalibrationMeasurement::Reading CalibrationMeasurement::Tick()
{
    Reading out;
    if (!m_measuring || !m_link) {
        out.result = -1;
        return out;
    }
    out.result = m_link->ReadRegister(kMeasChannels[m_channel].valueReg);
    if (out.result != 0) return out;
    out.text = m_link->ReplyText();
    float v = NAN;
    devlink::TInterface::ConvertReal(m_link->ReplyData(), &v);
    out.value = v;
    return out;
}

std::vector<int> CalibrationRegisters()
{
    std::vector<int> regs;
    for (int r : devlink::kCalibMeasFactor)
        regs.push_back(r);
    for (int r : devlink::kCalibMeasShift)
        regs.push_back(r);
    for (const EmulChannel& c : kEmulChannels) {
        regs.push_back(c.low);
        regs.push_back(c.high);
        regs.push_back(c.shift);
    }
    return regs;
}

int ReadCalibration(devlink::TInterface& link, CalibrationBackup* backup)
{
    backup->values.clear();
    backup->serial = platform::FromCp1251(std::string_view(link.DeviceSerialNumber()));
    backup->taken = QDateTime::currentDateTime();
    for (int reg : CalibrationRegisters()) {
        const int r = link.ReadRegister(reg);
        if (r != 0) return r;
        backup->values.emplace_back(reg, link.ReplyText());
    }
    return 0;
}

QString CalibrationBackupDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/lorikws/calibration");
}

QString SaveCalibrationBackup(const CalibrationBackup& backup, const QString& dir, QString* error)
{
    if (!QDir().mkpath(dir)) {
        if (error) *error = QStringLiteral("cannot create ") + dir;
        return {};
    }
    QString serial = backup.serial.isEmpty() ? QStringLiteral("unknown") : backup.serial;
    for (QChar& c : serial)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-')) c = QLatin1Char('_');
    const QString stem =
        dir + QLatin1Char('/') + serial + QLatin1Char('-') + backup.taken.date().toString(Qt::ISODate);
    QString path = stem + QStringLiteral(".ini");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + QLatin1Char('-') + QString::number(n) + QStringLiteral(".ini");
    platform::IniFile ini;
    ini.SetValue(kDevice, QStringLiteral("serial"), backup.serial);
    ini.SetValue(kDevice, QStringLiteral("date"), backup.taken.toString(Qt::ISODate));
    for (const auto& [reg, value] : backup.values)
        ini.SetValue(kCalibration, QString::number(reg), value);
    if (!ini.Save(path)) {
        if (error) *error = QStringLiteral("cannot write ") + path;
        return {};
    }
    return path;
}

bool LoadCalibrationBackup(const QString& path, CalibrationBackup* backup, QString* error)
{
    platform::IniFile ini;
    if (!ini.Load(path)) {
        if (error) *error = QStringLiteral("cannot read ") + path;
        return false;
    }
    CalibrationBackup b;
    b.serial = ini.Value(kDevice, QStringLiteral("serial"));
    b.taken = QDateTime::fromString(ini.Value(kDevice, QStringLiteral("date")), Qt::ISODate);
    for (int reg : CalibrationRegisters()) {
        const QString value = ini.Value(kCalibration, QString::number(reg)).trimmed();
        double v = 0;
        if (sensors::ScanFloat(value, &v) != value.size() || value.isEmpty() || !std::isfinite(v)) {
            if (error) *error = QStringLiteral("register %1: not a number: \"%2\"").arg(reg).arg(value);
            return false;
        }
        b.values.emplace_back(reg, value);
    }
    *backup = std::move(b);
    return true;
}

int WriteCalibration(devlink::TInterface& link, const CalibrationBackup& backup)
{
    for (const auto& [reg, value] : backup.values) {
        const int r = link.WriteRegisterFromText(reg, value);
        if (r != 0) return r;
    }
    return link.WriteRegisterInt(devlink::CommitData, devlink::kCommitCalibration);
}

int VerifyCalibration(devlink::TInterface& link, const CalibrationBackup& backup, std::vector<int>* differing)
{
    differing->clear();
    for (const auto& [reg, value] : backup.values) {
        float now = NAN;
        const int r = link.ReadRegisterReal(reg, &now);
        if (r != 0) return link.LastResult() != 0 ? link.LastResult() : r;
        double want = 0;
        sensors::ScanFloat(value, &want);
        // the calibrator keeps 32-bit reals and the link writes six decimals
        if (!(std::fabs(double(now) - want) <= 1e-6 + 1e-6 * std::fabs(want))) differing->push_back(reg);
    }
    return 0;
}

} // namespace device
