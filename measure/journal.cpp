#include "measure/journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace measure {
namespace {

const QByteArray kHeader =
    QByteArrayLiteral("time,row,measured,unit,reference,reference unit,relay 1,relay 2\n");
const QByteArray kEnd = QByteArrayLiteral("#end");
constexpr qint64 kMaxJournalBytes = qint64(512) * 1024 * 1024;

QByteArray Number(float v)
{
    if (!std::isfinite(v)) return {};
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v); // shortest text that reads back as v
    return QByteArray(buf, r.ptr - buf);
}

bool ReadFloat(const QByteArray& text, float* v)
{
    const char* end = text.constData() + text.size();
    const auto r = std::from_chars(text.constData(), end, *v);
    return r.ec == std::errc() && r.ptr == end && std::isfinite(*v);
}

QByteArray Field(const QString& text)
{
    QByteArray f = text.toUtf8();
    if (f.contains(',') || f.contains('"') || f.contains('\n') || f.contains('\r')) {
        f.replace("\"", "\"\"");
        f = '"' + f + '"';
    }
    return f;
}

// The fields of one CSV line ("" quoted fields with doubled quotes).
QList<QByteArray> SplitFields(const QByteArray& line)
{
    QList<QByteArray> out;
    QByteArray cur;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                cur += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cur += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            out << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    out << cur;
    return out;
}

const QRegularExpression& NamePattern()
{
    static const QRegularExpression re(QStringLiteral("^measurement-(\\d{8}-\\d{6})(-\\d+)?\\.csv$"));
    return re;
}

// The start of the run from the journal's file name (invalid when the name is not a journal's).
QDateTime StartOf(const QString& path)
{
    const QRegularExpressionMatch m = NamePattern().match(QFileInfo(path).fileName());
    if (!m.hasMatch()) return {};
    return QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMdd-HHmmss"));
}

struct Entry {
    QString path;
    QDateTime start;
};

std::vector<Entry> Journals(const QString& folder)
{
    std::vector<Entry> out;
    const QStringList names =
        QDir(folder).entryList({QStringLiteral("measurement-*.csv")}, QDir::Files, QDir::Name);
    for (const QString& n : names) {
        const QString path = folder + QLatin1Char('/') + n;
        const QDateTime start = StartOf(path);
        if (start.isValid()) out.push_back({path, start});
    }
    return out;
}

// Whether a running program writes this journal now.
bool InUse(const QString& path)
{
    QLockFile lock(path + QStringLiteral(".lock"));
    lock.setStaleLockTime(0); // a lock is stale only when its process is gone, however old it is
    if (lock.tryLock(0)) {
        lock.unlock();
        return false;
    }
    return lock.error() == QLockFile::LockFailedError;
}

// Whether the last line of the file is the closing line.
bool EndsClosed(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const qint64 size = f.size();
    f.seek(std::max<qint64>(0, size - 256));
    QByteArray tail = f.readAll();
    while (tail.endsWith('\n'))
        tail.chop(1);
    const qsizetype nl = tail.lastIndexOf('\n');
    return tail.mid(nl + 1).startsWith(kEnd);
}

} // namespace

QString IsoLocalTime(const QDateTime& t)
{
    const QDateTime local = t.toLocalTime();
    const int offset = local.offsetFromUtc();
    const int a = std::abs(offset) / 60;
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
           QString::asprintf("%02d:%02d", a / 60, a % 60);
}

TJournal::TJournal() = default;
TJournal::~TJournal() = default;

QString TJournal::FolderIn(const QString& dataDir)
{
    return dataDir + QStringLiteral("/journal");
}

QString TJournal::FileName(const QDateTime& start)
{
    return QStringLiteral("measurement-") + start.toLocalTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
           QStringLiteral(".csv");
}

bool TJournal::Start(const QString& folder, const QDateTime& start)
{
    m_file.Close();
    m_lock.reset();
    m_failed = false;
    m_rows = 0;
    m_error.clear();
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        m_path = folder;
        m_error = QStringLiteral("the folder cannot be created");
        m_failed = true;
        return false;
    }
    QString name = FileName(start);
    for (int k = 2; QFileInfo::exists(folder + QLatin1Char('/') + name) && k < 1000; ++k)
        name = FileName(start).chopped(4) + QLatin1Char('-') + QString::number(k) + QStringLiteral(".csv");
    m_path = folder + QLatin1Char('/') + name;
    m_lock = std::make_unique<QLockFile>(m_path + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) m_lock.reset(); // the journal is still worth writing without its lock
    if (!m_file.Open(m_path) || !m_file.Append(kHeader)) {
        m_error = m_file.Error();
        m_file.Close();
        m_lock.reset();
        m_failed = true;
        return false;
    }
    return true;
}

QByteArray TJournal::Line(const JournalRow& r)
{
    QByteArray line = IsoLocalTime(r.time).toLatin1();
    line += ',' + QByteArray::number(r.number) + ',' + Number(r.measured) + ',' + Field(r.unit) + ',';
    if (r.hasReference) line += Number(r.reference);
    line += ',' + Field(r.referenceUnit) + ',' + Field(r.relay1) + ',' + Field(r.relay2) + '\n';
    return line;
}

bool TJournal::Append(const JournalRow& row)
{
    if (m_failed || !m_file.IsOpen()) return false;
    if (!m_file.Append(Line(row))) {
        m_error = m_file.Error();
        m_failed = true;
        return false;
    }
    ++m_rows;
    return true;
}

void TJournal::Finish(const QDateTime& when)
{
    if (m_file.IsOpen() && !m_failed)
        m_file.Append(kEnd + ',' + IsoLocalTime(when).toLatin1() + ',' + QByteArray::number(m_rows) + '\n');
    m_file.Close();
    m_lock.reset(); // removes the lock file
}

bool TJournal::Read(const QString& path, Content* out)
{
    *out = Content();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxJournalBytes) return false;
    const QByteArray all = f.readAll();
    if (!all.startsWith(kHeader)) return false;
    out->start = StartOf(path);
    qsizetype pos = kHeader.size();
    while (pos < all.size()) {
        const qsizetype nl = all.indexOf('\n', pos);
        if (nl < 0) { // a line the crash cut short
            ++out->unreadLines;
            break;
        }
        const QByteArray line = all.mid(pos, nl - pos);
        pos = nl + 1;
        if (line.isEmpty()) continue;
        if (line.startsWith(kEnd)) {
            out->closed = true;
            continue;
        }
        const QList<QByteArray> f8 = SplitFields(line);
        JournalRow r;
        bool ok = f8.size() == 8;
        if (ok) {
            r.time = QDateTime::fromString(QString::fromLatin1(f8[0]), Qt::ISODate);
            r.number = f8[1].toInt(&ok);
            ok = ok && r.time.isValid();
        }
        if (ok) {
            r.measured = std::numeric_limits<float>::quiet_NaN();
            if (!f8[2].isEmpty()) ok = ReadFloat(f8[2], &r.measured);
            r.hasReference = !f8[4].isEmpty();
            if (ok && r.hasReference) ok = ReadFloat(f8[4], &r.reference);
        }
        if (!ok) {
            ++out->unreadLines;
            continue;
        }
        r.unit = QString::fromUtf8(f8[3]);
        r.referenceUnit = QString::fromUtf8(f8[5]);
        r.relay1 = QString::fromUtf8(f8[6]);
        r.relay2 = QString::fromUtf8(f8[7]);
        out->rows.push_back(std::move(r));
    }
    if (!out->start.isValid())
        out->start = out->rows.empty() ? QFileInfo(path).lastModified() : out->rows.front().time;
    return true;
}

QStringList TJournal::Unfinished(const QString& folder)
{
    std::vector<Entry> all = Journals(folder);
    std::stable_sort(all.begin(), all.end(),
                     [](const Entry& a, const Entry& b) { return a.start > b.start; });
    QStringList out;
    for (const Entry& e : all)
        if (!EndsClosed(e.path) && !InUse(e.path)) out << e.path;
    return out;
}

QStringList TJournal::OlderThan(const QString& folder, const QDateTime& now, int days)
{
    std::vector<Entry> all = Journals(folder);
    std::stable_sort(all.begin(), all.end(),
                     [](const Entry& a, const Entry& b) { return a.start < b.start; });
    const QDateTime limit = now.addDays(-days);
    QStringList out;
    for (const Entry& e : all)
        if (e.start < limit && !InUse(e.path)) out << e.path;
    return out;
}

bool TJournal::MarkFinished(const QString& path, const QDateTime& when)
{
    if (InUse(path)) return false;
    Content c;
    if (!Read(path, &c)) return false;
    QFile probe(path);
    bool cut = false;
    if (probe.open(QIODevice::ReadOnly) && probe.size() > 0) {
        probe.seek(probe.size() - 1);
        cut = probe.read(1) != "\n";
    }
    probe.close();
    platform::DurableAppendFile f;
    if (!f.Open(path)) return false;
    QByteArray line = kEnd + ',' + IsoLocalTime(when).toLatin1() + ',' +
                      QByteArray::number(qsizetype(c.rows.size())) + '\n';
    if (cut) line.prepend('\n');
    return f.Append(line);
}

} // namespace measure
