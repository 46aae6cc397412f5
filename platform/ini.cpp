#include "platform/ini.h"

#include "platform/cp1251.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>

namespace platform {

bool IniFile::Load(const QString& path)
{
    m_sections.clear();
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
    m_sections.clear();
    Parse(b);
}

void IniFile::Parse(QIODevice& in)
{
    constexpr qint64 kMaxLine = 64 * 1024;
    Section* current = nullptr;
    while (!in.atEnd()) {
        QByteArray raw = in.readLine(kMaxLine);
        if (raw.isEmpty() && !in.atEnd()) break;
        while (raw.endsWith('\n') || raw.endsWith('\r')) raw.chop(1);
        const QString line = FromCp1251(raw);
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(u';')) continue;
        if (t.startsWith(u'[') && t.endsWith(u']')) {
            const QString name = t.mid(1, t.size() - 2);
            current = Find(name);
            if (!current) {
                m_sections.push_back({name, {}});
                current = &m_sections.back();
            }
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0 || !current) continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1);
        bool replaced = false;
        for (auto& e : current->entries)
            if (e.first == key) {
                e.second = value;
                replaced = true;
            }
        if (!replaced) current->entries.emplace_back(key, value);
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

bool IniFile::Save(const QString& path) const { return WriteFileAtomically(path, Serialize()); }

IniFile::Section* IniFile::Find(const QString& name)
{
    for (Section& s : m_sections)
        if (s.name == name) return &s;
    return nullptr;
}

const IniFile::Section* IniFile::Find(const QString& name) const
{
    for (const Section& s : m_sections)
        if (s.name == name) return &s;
    return nullptr;
}

bool IniFile::HasSection(const QString& section) const { return Find(section) != nullptr; }

bool IniFile::HasKey(const QString& section, const QString& key) const
{
    if (const Section* s = Find(section))
        for (const auto& e : s->entries)
            if (e.first == key) return true;
    return false;
}

QString IniFile::Value(const QString& section, const QString& key, const QString& fallback) const
{
    if (const Section* s = Find(section))
        for (const auto& e : s->entries)
            if (e.first == key) return e.second;
    return fallback;
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
    Section* s = Find(section);
    if (!s) {
        m_sections.push_back({section, {}});
        s = &m_sections.back();
    }
    for (auto& e : s->entries)
        if (e.first == key) {
            e.second = value;
            return;
        }
    s->entries.emplace_back(key, value);
}

void IniFile::RemoveKey(const QString& section, const QString& key)
{
    if (Section* s = Find(section))
        std::erase_if(s->entries, [&](const auto& e) { return e.first == key; });
}

void IniFile::EraseSection(const QString& section)
{
    std::erase_if(m_sections, [&](const Section& s) { return s.name == section; });
}

QStringList IniFile::Sections() const
{
    QStringList out;
    for (const Section& s : m_sections) out << s.name;
    return out;
}

QStringList IniFile::Keys(const QString& section) const
{
    QStringList out;
    if (const Section* s = Find(section))
        for (const auto& e : s->entries) out << e.first;
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
