#include "verification/calibratorlist.h"

#include "platform/cnumber.h"
#include "platform/cp1251.h"
#include "platform/ini.h"
#include "sensors/numbers.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <string>

namespace verification {
namespace {

const QString kSection = QString::fromUtf16(kCalibratorSection);

// The stored format; ParseCalibratorValue reads it as the C scan does.
constexpr const char kFormat[] = "%s {%f,%f}, {%f,%f}, {%f,%f}, {%f,%f}, {%f,%f}, %f";

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The C scan of kFormat over Windows-1251 bytes: a blank in the format takes any white space (none
// included), %s and %f skip white space first, every other character must match. Returns the
// number of fields stored.
int ScanRecord(const std::string& in, std::string* name, float (&numbers)[11])
{
    std::size_t p = 0;
    int stored = 0;
    for (const char* f = kFormat; *f; ++f) {
        if (*f == ' ') {
            while (p < in.size() && IsCSpace(in[p]))
                ++p;
            continue;
        }
        if (*f != '%') {
            if (p >= in.size() || in[p] != *f) return stored;
            ++p;
            continue;
        }
        ++f;
        while (p < in.size() && IsCSpace(in[p]))
            ++p;
        if (p >= in.size()) return stored;
        if (*f == 's') {
            const std::size_t start = p;
            while (p < in.size() && !IsCSpace(in[p]))
                ++p;
            *name = in.substr(start, p - start);
        } else {
            double v = 0;
            const int used = platform::ScanDouble(in.c_str() + p, &v);
            if (used == 0) return stored;
            p += std::size_t(used);
            numbers[stored - 1] = float(v); // the format has eleven numbers after the name
        }
        ++stored;
    }
    return stored;
}

std::string Fixed6(float x)
{
    return platform::FormatFixed(double(x), 6);
}

// Reference thermometer types: name, grade, the error at each band, -1 where not rated.
struct ThermometerType {
    const char* name;
    int grade;
    float error[15];
};

// Upper bounds of the bands; the fourth band is exactly 0 °C, the third -50 < t < 0.
constexpr float kBandTop[15] = {-60, -50, 0, 0, 30, 50, 60, 150, 160, 200, 230, 250, 450, 500, 660};
constexpr int kZeroBand = 3;

// clang-format off
constexpr ThermometerType kTypes[kThermometerTypeCount] = {
    {"РЕТАН-А", 2, {-1, -1, 0.02f, 0.01f, 0.01f, 0.02f, 0.02f, 0.02f, 0.02f, 0.02f, 0.02f, 0.02f, 0.02f, -1, -1}},
    {"РЕТАН-А", 3, {-1, -1, 0.03f, 0.02f, 0.02f, 0.03f, 0.03f, 0.03f, 0.04f, 0.04f, 0.04f, 0.04f, 0.04f, -1, -1}},
    {"РЕТАН-Б", 3, {-1, -1, 0.03f, 0.02f, 0.02f, 0.03f, 0.03f, 0.03f, 0.04f, 0.04f, 0.04f, 0.04f, 0.04f, 0.07f, -1}},
    {"РЕТАН-В", 3, {-1, -1, 0.03f, 0.02f, 0.02f, 0.02f, 0.03f, 0.03f, 0.03f, 0.03f, 0.03f, 0.04f, 0.04f, 0.07f, -1}},
    {"РЕТАН-Г", 2, {-1, -1, 0.02f, 0.01f, 0.01f, 0.02f, 0.02f, 0.02f, 0.02f, 0.02f, 0.02f, -1, -1, -1, -1}},
    {"РЕТАН-Г", 3, {-1, -1, 0.03f, 0.02f, 0.02f, 0.03f, 0.03f, 0.03f, 0.04f, 0.04f, 0.04f, -1, -1, -1, -1}},
    {"РЕТАН-Д", 2, {-1, -1, 0.02f, 0.01f, 0.01f, 0.01f, 0.02f, 0.02f, 0.02f, 0.02f, 0.02f, -1, -1, -1, -1}},
    {"РЕТАН-Е", 3, {-1, -1, 0.03f, 0.02f, 0.02f, 0.03f, 0.03f, 0.03f, 0.04f, 0.04f, 0.04f, 0.04f, -1, -1, -1}},
    {"РЕТАН-Ж", 3, {-1, -1, -1, 0.02f, 0.03f, 0.03f, 0.04f, 0.04f, 0.04f, 0.04f, 0.04f, 0.06f, 0.06f, 0.15f, 0.15f}},
    {"РЕТАН-И", 2, {0.03f, 0.03f, 0.02f, 0.01f, 0.01f, 0.01f, 0.02f, 0.02f, 0.02f, -1, -1, -1, -1, -1, -1}},
    {"РЕТАН-И", 3, {0.05f, 0.05f, 0.03f, 0.02f, 0.02f, 0.03f, 0.03f, 0.03f, 0.04f, 0.04f, -1, -1, -1, -1, -1}},
    {"РЕТАН-К", 3, {0.04f, 0.04f, 0.03f, 0.02f, 0.02f, 0.02f, 0.03f, 0.03f, 0.03f, 0.03f, -1, -1, -1, -1, -1}},
    {"РЕТАН-Л", 2, {-1, -1, 0.02f, 0.01f, 0.01f, 0.01f, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
    {"РЕТАН-Л", 3, {-1, -1, 0.02f, 0.02f, 0.02f, 0.02f, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
    {"РЕТАН-М", 2, {-1, 0.02f, 0.02f, 0.01f, 0.02f, 0.02f, 0.02f, -1, -1, -1, -1, -1, -1, -1, -1}},
    {"РЕТАН-М", 3, {-1, -1, 0.02f, 0.02f, 0.02f, 0.02f, 0.03f, 0.03f, -1, -1, -1, -1, -1, -1, -1}},
    {"РЕТАН-Н", 3, {-1, -1, 0.02f, 0.02f, 0.02f, 0.02f, 0.03f, 0.03f, 0.03f, -1, -1, -1, -1, -1, -1}},
    {"РЕТАН-П", 3, {-1, -1, 0.02f, 0.02f, 0.02f, 0.02f, 0.03f, 0.03f, -1, -1, -1, -1, -1, -1, -1}},
};
// clang-format on

} // namespace

bool ParseCalibratorValue(const QString& value, sensors::TCalibratorRecord* out)
{
    const QString t = value.trimmed();
    if (t.size() <= 9) return false;
    std::string name;
    float n[11] = {};
    if (ScanRecord(platform::ToCp1251String(t), &name, n) != 12) return false;
    if (name.size() > std::size_t(kMaxCalibratorName)) return false;
    if (!std::all_of(std::begin(n), std::end(n), [](float x) { return std::isfinite(x); })) return false;
    if (!out) return true;
    *out = sensors::TCalibratorRecord();
    platform::CopyBounded(out->name, int(sizeof out->name), name.c_str());
    out->rangeMin = n[0];
    out->rangeMax = n[1];
    out->errorLimitA = n[2];
    out->errorLimitB = n[3];
    out->instabilityA = n[4];
    out->instabilityB = n[5];
    out->verticalGradientA = n[6];
    out->verticalGradientB = n[7];
    out->horizontalGradientA = n[8];
    out->horizontalGradientB = n[9];
    out->lastDigit = n[10];
    return true;
}

QString FormatCalibratorValue(const sensors::TCalibratorRecord& r)
{
    auto pair = [](float a, float b) { return "{" + Fixed6(a) + "," + Fixed6(b) + "}, "; };
    const std::string numbers = " " + pair(r.rangeMin, r.rangeMax) + pair(r.errorLimitA, r.errorLimitB) +
                                pair(r.instabilityA, r.instabilityB) +
                                pair(r.verticalGradientA, r.verticalGradientB) +
                                pair(r.horizontalGradientA, r.horizontalGradientB) + Fixed6(r.lastDigit);
    return CalibratorName(r) + QString::fromLatin1(numbers.c_str());
}

QString CalibratorName(const sensors::TCalibratorRecord& r)
{
    return platform::GetText(r.name);
}

void TCalibratorList::Load(const QString& path)
{
    platform::IniFile ini;
    ini.Load(path);
    Read(ini);
}

void TCalibratorList::Read(const platform::IniFile& ini)
{
    m_records.clear();
    m_unread.clear();
    m_modified = false;
    for (const QString& key : ini.Keys(kSection)) {
        const QString value = ini.Value(kSection, key);
        sensors::TCalibratorRecord r;
        if (ParseCalibratorValue(value, &r))
            Append(r);
        else
            m_unread << value;
    }
}

void TCalibratorList::Write(platform::IniFile& ini) const
{
    // the section keeps its place in the file; only its keys are new
    for (const QString& key : ini.Keys(kSection))
        ini.RemoveKey(kSection, key);
    int n = 0;
    auto put = [&](const QString& value) {
        ini.SetValue(kSection, QStringLiteral("dev_") + QString::number(n++), value);
    };
    for (const auto& r : m_records)
        put(FormatCalibratorValue(*r));
    for (const QString& v : m_unread)
        put(v);
}

bool TCalibratorList::Save(const QString& path)
{
    platform::IniFile ini;
    // a file that is there but cannot be read is not replaced by the list alone
    if (!ini.Load(path) && QFileInfo::exists(path)) return false;
    Write(ini);
    if (!ini.Save(path)) return false;
    m_modified = false;
    return true;
}

sensors::TCalibratorRecord* TCalibratorList::At(int index) const
{
    return index >= 0 && index < Count() ? m_records[std::size_t(index)].get() : nullptr;
}

int TCalibratorList::IndexOf(const sensors::TCalibratorRecord* r) const
{
    for (int i = 0; i < Count(); ++i)
        if (m_records[std::size_t(i)].get() == r) return i;
    return -1;
}

sensors::TCalibratorRecord* TCalibratorList::Append(const sensors::TCalibratorRecord& r)
{
    m_records.push_back(std::make_unique<sensors::TCalibratorRecord>(r));
    return m_records.back().get();
}

bool TCalibratorList::Remove(const sensors::TCalibratorRecord* r)
{
    const int i = IndexOf(r);
    if (i < 0) return false;
    m_records.erase(m_records.begin() + i);
    return true;
}

QString ThermometerLabel(int type)
{
    if (type < 0 || type >= kThermometerTypeCount) return {};
    return QString::fromUtf8(kTypes[type].name) + QStringLiteral(" (разр. ") +
           QString::number(kTypes[type].grade) + QLatin1Char(')');
}

float ThermometerError(int type, float t)
{
    if (type < 0 || type >= kThermometerTypeCount || !(t >= -200.0f && t <= 660.0f)) return -1;
    const float* e = kTypes[type].error;
    if (t == 0.0f) return e[kZeroBand];
    for (int band = 0; band < 15; ++band) {
        if (band == kZeroBand) continue;
        if (kBandTop[band] >= t) return e[band];
    }
    return -1;
}

float PointUncertainty(const measure::TStatistics& ref, const measure::TStatistics& meas,
                       const sensors::TCalibratorRecord* calibrator, bool byType, int type, float typedError)
{
    float refError = typedError;
    if (byType) {
        refError = ThermometerError(type, meas.last);
        if (refError < 0) return sensors::MissingValue();
    }
    return sensors::UncertaintyTemperature(meas, ref, calibrator, refError);
}

} // namespace verification
