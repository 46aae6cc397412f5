// The temperature calibrator list ("kt.ini") and the reference thermometer types: what the
// uncertainty of a temperature verification point needs besides the readings.
//
// kt.ini is an INI file in Windows-1251 whose section "Transfer" holds one key per calibrator
// ("dev_0", "dev_1", ... in list order) with the value
//   name {rangeMin,rangeMax}, {errA,errB}, {instA,instB}, {vgA,vgB}, {hgA,hgB}, lastDigit
// (each number with six decimals). A value that does not read as a record is kept as it is and
// written back under the next free number, so a hand-written line is never lost; the other sections
// of the file stay as they are.
#pragma once

#include "measure/statistics.h"
#include "sensors/uncertainty.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace platform {
class IniFile;
}

namespace verification {

/// The section of kt.ini that holds the list.
inline constexpr char16_t kCalibratorSection[] = u"Transfer";
/// Longest calibrator name, in Windows-1251 bytes (the record keeps 60 with the terminating NUL).
inline constexpr int kMaxCalibratorName = 59;

/// Reads one kt.ini value as a record. False (and `out` untouched) unless the trimmed value is
/// longer than 9 characters, reads as the C scan of the stored format would read it (the name one
/// token without white space) with all 12 fields, the name is at most 59 bytes and every number is
/// finite as a 32-bit float. Text after the last number is ignored, as the scan ignores it.
bool ParseCalibratorValue(const QString& value, sensors::TCalibratorRecord* out);
/// The stored form of a record (Windows-1251 text as the program holds it: decoded).
QString FormatCalibratorValue(const sensors::TCalibratorRecord& r);
/// The record's name as text.
QString CalibratorName(const sensors::TCalibratorRecord& r);

/// The calibrator list: records at stable addresses (a record stays where it is while others are
/// added or removed), the modified flag and the values of the file that did not read.
class TCalibratorList {
public:
    /// Reads the list from `path`; a missing or unreadable file gives an empty list. Clears the
    /// modified flag.
    void Load(const QString& path);
    /// The same from an INI object in memory.
    void Read(const platform::IniFile& ini);
    /// Writes the list into `path`: section "Transfer" gets the records as "dev_0"... in list
    /// order, then the values that did not read, unchanged, under the next numbers; the file's other
    /// sections are kept. Clears the modified flag on success. False when the file cannot be written
    /// (the file is then as it was).
    bool Save(const QString& path);
    /// The "Transfer" section rewritten into `ini` as Save writes it.
    void Write(platform::IniFile& ini) const;

    int Count() const { return int(m_records.size()); }
    sensors::TCalibratorRecord* At(int index) const;
    /// Position of a record in the list, -1 when it is not one of the list's.
    int IndexOf(const sensors::TCalibratorRecord* r) const;
    /// Appends a copy of `r`; returns the list's record.
    sensors::TCalibratorRecord* Append(const sensors::TCalibratorRecord& r);
    /// Removes (and frees) a record of the list; false when it is not one of the list's.
    bool Remove(const sensors::TCalibratorRecord* r);

    bool Modified() const { return m_modified; }
    void SetModified(bool on) { m_modified = on; }
    /// The values of the last read that are not records, in file order.
    const QStringList& UnreadValues() const { return m_unread; }

private:
    std::vector<std::unique_ptr<sensors::TCalibratorRecord>> m_records;
    QStringList m_unread;
    bool m_modified = false;
};

/// The reference thermometer types ("РЕТАН-А" ... "РЕТАН-П" with their grades).
inline constexpr int kThermometerTypeCount = 18;
/// The type's list label "%s (разр. %d)"; "" for a type outside 0..17.
QString ThermometerLabel(int type);
/// The error of a reference thermometer type at `t`, °C: -1 when the type is not 0..17, t is
/// outside -200..660 (NaN included) or the type is not rated in t's band. Exactly 0 °C has a band
/// of its own; otherwise the first band (in order) whose upper bound is not below t.
float ThermometerError(int type, float t);

/// The expanded uncertainty of a temperature point: UncertaintyTemperature(meas, ref, calibrator,
/// refError) with refError = ThermometerError(type, last measured value) when `byType`, else
/// `typedError`. NaN when by type and the type is not rated there (never a 1 °C term).
float PointUncertainty(const measure::TStatistics& ref, const measure::TStatistics& meas,
                       const sensors::TCalibratorRecord* calibrator, bool byType, int type, float typedError);

} // namespace verification
