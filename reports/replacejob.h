// The instruction list of one protocol run: template and output files, sheets to hide, placeholder
// pairs in order, and per-point values under row keys. Operations return 0, or a negative result
// when they refuse (limits, the ordering rule, a text that cannot be stored).
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace reports {

inline constexpr int kMaxHiddenSheets = 15;
inline constexpr int kMaxPairs = 1024;
inline constexpr int kMaxRowKeys = 29;
inline constexpr int kMaxRowValues = 200;

struct ReplacePair {
    QString key, value;
};

struct RowKey {
    QString key;
    std::vector<QString> values; ///< kMaxRowValues slots; a null QString is an empty slot
};

class ReplaceJob {
public:
    /// -1 when either path is empty, or the output must be varied but has no "."; an existing output
    /// file is left alone and the first free "name(i).ext" is used instead. A name counts as taken
    /// too when a companion file of it exists (same name, each of `companions` as extension: the
    /// PDF beside a protocol).
    int SetFiles(const QString& templatePath, const QString& outputPath, const QStringList& companions = {});
    /// -2 when the pattern holds no "%d"; -1 when 15 names exist.
    int AddHiddenSheet(const QString& pattern, int number);
    /// -1 when 1024 pairs exist; -3 (and an error box) when the key contains an already added key
    /// and is longer: longer keys must come first.
    int Add_ReplacePair(const QString& key, const QString& value);
    /// -2 when the pattern holds no "%d"; else Add_ReplacePair with the formatted key.
    int AddPairFmt(const QString& pattern, int number, const QString& value);
    /// -1 above 200.
    int SetPointCount(int count);
    /// -1 when 29 keys exist.
    int AddRowKey(const QString& key);
    /// -1 when no row key has this name or its first point-count slots are filled.
    int AddRowText(const QString& key, const QString& text);
    /// AddRowText with "%.<decimals>f" of the value widened to double.
    int AddRowFloat(const QString& key, float value, int decimals);
    /// Releases everything and empties the lists.
    void FreeJob();

    const QString& TemplatePath() const { return m_template; }
    const QString& OutputPath() const { return m_output; }
    const QStringList& HiddenSheets() const { return m_hidden; }
    const std::vector<ReplacePair>& Pairs() const { return m_pairs; }
    const std::vector<RowKey>& RowKeys() const { return m_rowKeys; }
    int PointCount() const { return m_pointCount; }

private:
    QString m_template, m_output;
    QStringList m_hidden;
    std::vector<ReplacePair> m_pairs;
    std::vector<RowKey> m_rowKeys;
    int m_pointCount = 0;
};

/// The program's one job.
ReplaceJob& Job();

/// "%." + decimals + "f" of a float widened to double, '.' whatever the locale; "—" for a value that
/// is not a number (a missing uncertainty, an unknown ratio).
QString DecimalText(float value, int decimals);

} // namespace reports
