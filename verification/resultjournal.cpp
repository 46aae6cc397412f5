#include "verification/resultjournal.h"

#include "platform/cnumber.h"
#include "platform/cp1251.h"
#include "platform/ini.h"

#include <QFile>
#include <QFileInfo>

#include <charconv>
#include <cmath>
#include <set>
#include <vector>

namespace verification {
namespace {

// "%.9g": nine significant digits bring every 32-bit float back exactly.
QString RealText(float v)
{
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, double(v), std::chars_format::general, 9);
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

QString CsvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString q = text;
    q.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

// The records of a CSV text: fields separated by ',', records by a line feed (a carriage return
// before it is dropped); a quoted field may hold anything, "" standing for one quote. False for a
// quote that is never closed or text right after a closing quote.
bool SplitCsv(const QString& text, std::vector<QStringList>* records)
{
    QStringList record;
    QString field;
    bool quoted = false, wasQuoted = false, any = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != QLatin1Char('"')) {
                field += c;
            } else if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else {
                quoted = false;
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            if (!field.isEmpty() || wasQuoted) return false;
            quoted = wasQuoted = any = true;
        } else if (c == QLatin1Char(',')) {
            record << field;
            field.clear();
            wasQuoted = false;
            any = true;
        } else if (c == QLatin1Char('\n') ||
                   (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))) {
            if (c == QLatin1Char('\r')) ++i;
            record << field;
            records->push_back(record);
            record.clear();
            field.clear();
            wasQuoted = any = false;
        } else {
            if (wasQuoted) return false;
            field += c;
            any = true;
        }
    }
    if (quoted) return false;
    if (any) {
        record << field;
        records->push_back(record);
    }
    return true;
}

bool ReadInt(const QString& t, std::int32_t* out)
{
    if (t.isEmpty() || t.size() > 12) return false;
    for (qsizetype i = 0; i < t.size(); ++i)
        if (!(t[i].isDigit() && t[i].unicode() < 128) && !(i == 0 && t[i] == QLatin1Char('-'))) return false;
    bool ok = false;
    const int v = t.toInt(&ok);
    if (!ok) return false;
    *out = v;
    return true;
}

bool ReadReal(const QString& t, float* out)
{
    if (t.isEmpty() || t.size() > 32 || t[0].isSpace()) return false;
    const QByteArray latin = t.toLatin1();
    double v = 0;
    if (platform::ScanDouble(latin.constData(), &v) != latin.size()) return false;
    *out = float(v);
    return true;
}

enum class Kind { Int, Real, Text };
struct Field {
    const char* key;
    Kind kind;
    std::int32_t JournalRecord::*i;
    float JournalRecord::*r;
    QString JournalRecord::*t;
};
const Field kFields[] = {
    {"verificationType", Kind::Int, &JournalRecord::verificationType, nullptr, nullptr},
    {"isCalibration", Kind::Int, &JournalRecord::isCalibration, nullptr, nullptr},
    {"isPeriodic", Kind::Int, &JournalRecord::isPeriodic, nullptr, nullptr},
    {"decisionRule", Kind::Int, &JournalRecord::decisionRule, nullptr, nullptr},
    {"pointCount", Kind::Int, &JournalRecord::pointCount, nullptr, nullptr},
    {"permissibleError", Kind::Real, nullptr, &JournalRecord::permissibleError, nullptr},
    {"rangeLow", Kind::Real, nullptr, &JournalRecord::rangeLow, nullptr},
    {"rangeHigh", Kind::Real, nullptr, &JournalRecord::rangeHigh, nullptr},
    {"units", Kind::Text, nullptr, nullptr, &JournalRecord::units},
    {"signalLow", Kind::Real, nullptr, &JournalRecord::signalLow, nullptr},
    {"signalHigh", Kind::Real, nullptr, &JournalRecord::signalHigh, nullptr},
    {"signalUnits", Kind::Text, nullptr, nullptr, &JournalRecord::signalUnits},
};

// The 13 fields of a row in their order: a real, or one of the three integer words.
struct RowField {
    float ResultRow::*r;
    std::int32_t ResultRow::*i;
};
const RowField kRowFields[13] = {
    {&ResultRow::reference, nullptr}, {&ResultRow::referenceSignal, nullptr},
    {&ResultRow::measured, nullptr},  {&ResultRow::measuredSignal, nullptr},
    {&ResultRow::error, nullptr},     {&ResultRow::errorSignal, nullptr},
    {&ResultRow::tolerance, nullptr}, {nullptr, &ResultRow::spare1},
    {nullptr, &ResultRow::pass},      {&ResultRow::uncertainty, nullptr},
    {nullptr, &ResultRow::spare2},    {&ResultRow::rangeLow, nullptr},
    {&ResultRow::rangeHigh, nullptr},
};

} // namespace

std::unique_ptr<JournalRecord> JournalRecord::FromProtocol(const reports::ProtocolData& d)
{
    auto r = std::make_unique<JournalRecord>();
    r->verificationType = d.verificationType;
    r->isCalibration = d.isCalibration;
    r->isPeriodic = d.isPeriodic;
    r->decisionRule = d.decisionRule;
    r->pointCount = d.pointCount;
    r->permissibleError = d.device.permissibleError;
    r->rangeLow = d.device.rangeLow;
    r->rangeHigh = d.device.rangeHigh;
    r->units = platform::GetText(d.device.units);
    r->signalLow = d.device.signalLow;
    r->signalHigh = d.device.signalHigh;
    r->signalUnits = platform::GetText(d.device.signalUnits);
    return r;
}

void JournalRecord::ApplyTo(reports::ProtocolData& d) const
{
    d.verificationType = verificationType;
    d.isCalibration = isCalibration;
    d.isPeriodic = isPeriodic;
    d.decisionRule = decisionRule;
    d.pointCount = pointCount;
    d.device.permissibleError = permissibleError;
    d.device.rangeLow = rangeLow;
    d.device.rangeHigh = rangeHigh;
    platform::SetText(d.device.units, units);
    d.device.signalLow = signalLow;
    d.device.signalHigh = signalHigh;
    platform::SetText(d.device.signalUnits, signalUnits);
}

QByteArray JournalText(const ResultList& list, const reports::ProtocolData& data)
{
    const std::unique_ptr<JournalRecord> f = JournalRecord::FromProtocol(data);
    QString out;
    out.reserve(64 * 16 + 200 * 13 * 12);
    out += QStringLiteral("version,%1\n").arg(kJournalVersion);
    for (const Field& k : kFields) {
        out += QLatin1String(k.key) + QLatin1Char(',');
        switch (k.kind) {
        case Kind::Int:
            out += QString::number((*f).*k.i);
            break;
        case Kind::Real:
            out += RealText((*f).*k.r);
            break;
        case Kind::Text:
            out += CsvField((*f).*k.t);
            break;
        }
        out += QLatin1Char('\n');
    }
    const int n = list.count < 0 ? 0 : list.count > kMaxRows ? kMaxRows : list.count;
    out += QStringLiteral("rows,%1\n").arg(n);
    for (int i = 0; i < n; ++i) {
        const ResultRow& row = list.rows[i];
        for (int k = 0; k < 13; ++k) {
            if (k) out += QLatin1Char(',');
            out += kRowFields[k].r ? RealText(row.*kRowFields[k].r) : QString::number(row.*kRowFields[k].i);
        }
        out += QLatin1Char('\n');
    }
    return platform::ToCp1251(out);
}

bool ParseJournal(const QByteArray& text, JournalRecord* record, QString* reason)
{
    auto fail = [reason](const QString& why) {
        if (reason) *reason = why;
        return false;
    };
    std::vector<QStringList> lines;
    if (!SplitCsv(platform::FromCp1251(text), &lines))
        return fail(QStringLiteral("an unclosed or misplaced quote"));
    size_t at = 0;
    auto lineNo = [&] { return QStringLiteral("line %1").arg(at + 1); };
    if (lines.empty() || lines[0].size() != 2 || lines[0][0] != QStringLiteral("version"))
        return fail(QStringLiteral("no version line"));
    std::int32_t version = 0;
    if (!ReadInt(lines[0][1], &version) || version != kJournalVersion)
        return fail(QStringLiteral("version %1 is not %2").arg(lines[0][1]).arg(kJournalVersion));
    *record = JournalRecord();
    std::set<QString> seen;
    for (at = 1; at < lines.size(); ++at) {
        const QStringList& l = lines[at];
        if (l.size() != 2) return fail(lineNo() + QStringLiteral(": not a key and a value"));
        if (l[0] == QStringLiteral("rows")) break;
        const Field* field = nullptr;
        for (const Field& k : kFields)
            if (l[0] == QLatin1String(k.key)) field = &k;
        if (!field) return fail(lineNo() + QStringLiteral(": unknown key ") + l[0]);
        if (!seen.insert(l[0]).second)
            return fail(lineNo() + QStringLiteral(": ") + l[0] + QStringLiteral(" twice"));
        bool ok = true;
        switch (field->kind) {
        case Kind::Int:
            ok = ReadInt(l[1], &((*record).*field->i));
            break;
        case Kind::Real:
            ok = ReadReal(l[1], &((*record).*field->r));
            break;
        case Kind::Text:
            (*record).*field->t = l[1];
            break;
        }
        if (!ok) return fail(lineNo() + QStringLiteral(": ") + l[0] + QStringLiteral(" does not read"));
    }
    if (seen.size() != std::size(kFields)) return fail(QStringLiteral("a field is missing"));
    if (at >= lines.size()) return fail(QStringLiteral("no rows line"));
    std::int32_t n = 0;
    if (!ReadInt(lines[at][1], &n) || n < 0 || n > kMaxRows)
        return fail(lineNo() + QStringLiteral(": row count ") + lines[at][1]);
    if (lines.size() - at - 1 != size_t(n))
        return fail(QStringLiteral("%1 rows announced, %2 found").arg(n).arg(lines.size() - at - 1));
    for (std::int32_t i = 0; i < n; ++i) {
        ++at;
        const QStringList& l = lines[at];
        if (l.size() != 13) return fail(lineNo() + QStringLiteral(": %1 fields, not 13").arg(l.size()));
        ResultRow& row = record->list.rows[i];
        for (int k = 0; k < 13; ++k) {
            const bool ok = kRowFields[k].r ? ReadReal(l[k], &(row.*kRowFields[k].r))
                                            : ReadInt(l[k], &(row.*kRowFields[k].i));
            if (!ok) return fail(lineNo() + QStringLiteral(": field %1 does not read").arg(k + 1));
        }
    }
    record->list.count = n;
    record->list.hasData = n > 0 ? 1 : 0;
    return true;
}

bool ResultJournal::Exists() const
{
    return QFileInfo::exists(m_path);
}

bool ResultJournal::Write(const ResultList& list, const reports::ProtocolData& data) const
{
    return platform::WriteFileAtomically(m_path, JournalText(list, data));
}

ResultJournal::ReadResult ResultJournal::Read(JournalRecord* record, QString* reason) const
{
    QFile f(m_path);
    if (!f.exists()) return ReadResult::Missing;
    // a journal is about 10 KB at 200 rows; anything far larger is not one
    if (f.size() > 1024 * 1024) {
        if (reason) *reason = QStringLiteral("too large");
        return ReadResult::Bad;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        if (reason) *reason = f.errorString();
        return ReadResult::Bad;
    }
    return ParseJournal(f.readAll(), record, reason) ? ReadResult::Ok : ReadResult::Bad;
}

bool ResultJournal::MoveTo(const QString& target) const
{
    if (!Exists()) return true;
    QFile::remove(target);
    return QFile::rename(m_path, target);
}

bool ResultJournal::Retire() const
{
    return MoveTo(LastPath());
}

bool ResultJournal::SetAsideBad() const
{
    return MoveTo(BadPath());
}

} // namespace verification
