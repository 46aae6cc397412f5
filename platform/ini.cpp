#include "platform/ini.h"

#include "platform/cp1251.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace platform {

void IniFile::Clear()
{
    m_sections.clear();
    m_index.clear();
    m_unread = 0;
}

bool IniFile::Load(const QString& path)
{
    Clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    Parse(f);
    return true;
}

void IniFile::ParseBytes(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer b(&copy);
    b.open(QIODevice::ReadOnly);
    Parse(b);
}

void IniFile::Parse(QIODevice& in)
{
    Clear();
    // read() allocates what it is asked for: ask for what is there, up to the bound
    const qint64 want =
        in.isSequential() ? kMaxBytes : std::min(kMaxBytes, std::max<qint64>(0, in.size() - in.pos()));
    const QByteArray bytes = in.read(want);
    if (!in.atEnd()) ++m_unread; // more than the reader takes: the rest is not read
    Section* current = nullptr;
    qsizetype pos = 0;
    const qsizetype size = bytes.size();
    while (pos < size) {
        qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0) end = size;
        qsizetype stop = end;
        while (stop > pos && bytes[stop - 1] == '\r')
            --stop;
        const QString line = FromCp1251(std::string_view(bytes.constData() + pos, size_t(stop - pos)));
        pos = end + 1;
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(u';')) continue;
        if (t.startsWith(u'[') && t.endsWith(u']')) {
            current = &FindOrAdd(t.mid(1, t.size() - 2));
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0 || !current || line.contains(QChar(0))) {
            ++m_unread;
            continue;
        }
        Set(*current, line.left(eq).trimmed(), line.mid(eq + 1));
    }
}

QByteArray IniFile::Serialize() const
{
    QByteArray out;
    for (const Section& s : m_sections) {
        out += '[' + ToCp1251(s.name) + "]\r\n";
        for (const auto& [k, v] : s.entries) {
            QString value = v;
            value.replace(u'\n', u' ').remove(u'\r'); // one line per key
            out += ToCp1251(k) + '=' + ToCp1251(value) + "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

bool IniFile::Save(const QString& path) const
{
    return WriteFileAtomically(path, Serialize());
}

IniFile::Section* IniFile::Find(const QString& name)
{
    const auto it = m_index.constFind(name);
    return it == m_index.constEnd() ? nullptr : &m_sections[size_t(*it)];
}

const IniFile::Section* IniFile::Find(const QString& name) const
{
    const auto it = m_index.constFind(name);
    return it == m_index.constEnd() ? nullptr : &m_sections[size_t(*it)];
}

IniFile::Section& IniFile::FindOrAdd(const QString& name)
{
    if (Section* s = Find(name)) return *s;
    m_index.insert(name, qsizetype(m_sections.size()));
    m_sections.push_back({name, {}, {}});
    return m_sections.back();
}

void IniFile::Set(Section& s, const QString& key, const QString& value)
{
    const auto it = s.index.constFind(key);
    if (it != s.index.constEnd()) {
        s.entries[size_t(*it)].second = value;
        return;
    }
    s.index.insert(key, qsizetype(s.entries.size()));
    s.entries.emplace_back(key, value);
}

bool IniFile::HasSection(const QString& section) const
{
    return Find(section) != nullptr;
}

bool IniFile::HasKey(const QString& section, const QString& key) const
{
    const Section* s = Find(section);
    return s && s->index.contains(key);
}

QString IniFile::Value(const QString& section, const QString& key, const QString& fallback) const
{
    const Section* s = Find(section);
    if (!s) return fallback;
    const auto it = s->index.constFind(key);
    return it == s->index.constEnd() ? fallback : s->entries[size_t(*it)].second;
}

int IniFile::IntValue(const QString& section, const QString& key, int fallback) const
{
    if (!HasKey(section, key)) return fallback;
    bool ok = false;
    const int v = Value(section, key).trimmed().toInt(&ok, 10);
    return ok ? v : fallback;
}

void IniFile::SetValue(const QString& section, const QString& key, const QString& value)
{
    Set(FindOrAdd(section), key, value);
}

void IniFile::RemoveKey(const QString& section, const QString& key)
{
    Section* s = Find(section);
    if (!s) return;
    const auto it = s->index.constFind(key);
    if (it == s->index.constEnd()) return;
    const qsizetype at = *it;
    s->entries.erase(s->entries.begin() + at);
    s->index.erase(it);
    for (auto& v : s->index)
        if (v > at) --v;
}

void IniFile::EraseSection(const QString& section)
{
    const auto it = m_index.constFind(section);
    if (it == m_index.constEnd()) return;
    const qsizetype at = *it;
    m_sections.erase(m_sections.begin() + at);
    m_index.erase(it);
    for (auto& v : m_index)
        if (v > at) --v;
}

QStringList IniFile::Sections() const
{
    QStringList out;
    for (const Section& s : m_sections)
        out << s.name;
    return out;
}

QStringList IniFile::Keys(const QString& section) const
{
    QStringList out;
    if (const Section* s = Find(section))
        for (const auto& e : s->entries)
            out << e.first;
    return out;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

} // namespace platform
