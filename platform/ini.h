// INI files as the program keeps them: Windows-1251 text, "[section]" headers, "key=value" lines,
// sections and keys in file order. Read whole from any QIODevice (tests and fuzzers use memory
// buffers), written whole (a temporary file, then a rename). Keys are compared as written; a key
// given twice keeps its first place and its last value. Every look-up is a hash look-up, so reading
// and filling a file is linear in its size.
#pragma once

#include <QHash>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace platform {

class IniFile {
public:
    IniFile() = default;
    /// Reads `path` (a missing or unreadable file reads as empty; false then).
    bool Load(const QString& path);
    /// Parses INI text (Windows-1251). Lines that are neither a header nor a key are skipped and
    /// counted (UnreadLines); at most kMaxBytes are read, the rest counts as one unread line.
    void Parse(QIODevice& in);
    static constexpr qint64 kMaxBytes = 64 * 1024 * 1024;
    /// Lines of the last Load/Parse that were neither blank, a comment, a header nor a key of a
    /// section: a file with any is damaged.
    int UnreadLines() const { return m_unread; }
    void ParseBytes(const QByteArray& bytes);
    /// The whole file as Windows-1251 bytes.
    QByteArray Serialize() const;
    /// Writes the whole file atomically. False when it cannot be written.
    bool Save(const QString& path) const;

    bool HasSection(const QString& section) const;
    bool HasKey(const QString& section, const QString& key) const;
    QString Value(const QString& section, const QString& key, const QString& fallback = {}) const;
    /// A decimal integer, or `fallback` when the key is missing or not an integer.
    int IntValue(const QString& section, const QString& key, int fallback) const;
    void SetValue(const QString& section, const QString& key, const QString& value);
    void SetInt(const QString& section, const QString& key, int value)
    {
        SetValue(section, key, QString::number(value));
    }
    void RemoveKey(const QString& section, const QString& key);
    void EraseSection(const QString& section);
    QStringList Sections() const;
    /// Keys of a section in file order.
    QStringList Keys(const QString& section) const;

private:
    struct Section {
        QString name;
        std::vector<std::pair<QString, QString>> entries;
        QHash<QString, qsizetype> index; // key -> position in entries
    };
    Section* Find(const QString& name);
    const Section* Find(const QString& name) const;
    Section& FindOrAdd(const QString& name);
    static void Set(Section& s, const QString& key, const QString& value);
    void Clear();
    std::vector<Section> m_sections;
    QHash<QString, qsizetype> m_index; // section name -> position in m_sections
    int m_unread = 0;
};

/// Writes `bytes` to `path` whole: a temporary file beside it, flushed, then renamed over it.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace platform
