// The program settings file: "Main" (splash delay, project, language file), "Form" (window
// bounds), "HelpIDs" (context-help topics, maintained by hand) and "Conditions" (the normal
// verification conditions, maintained by hand). Read once at the deferred start, written once at
// close; keys the program does not write are kept.
#pragma once

#include "verification/conditions.h"

#include <QRect>
#include <QString>
#include <QStringList>

namespace shell {

struct ProgramSettings {
    bool exists = false; ///< the file was there when read
    int splashDelay = 2000;
    QString projectName;        ///< empty when no file of that name exists
    QString languageFile;       ///< relative to the program folder; empty when missing
    QRect bounds;               ///< main window; null when the file has no "Form" section
    QStringList helpTopicNames; ///< "HelpIDs" keys in file order
    QStringList helpTopicValues;
    verification::ConditionLimits conditions;
};

/// Reads `path`. `screen` gives the defaults of width and height (height − 20).
ProgramSettings ReadSettings(const QString& path, const QRect& screen);
/// Writes "Main" and "Form" into `path`, keeping every other key. False when writing fails.
bool WriteSettings(const QString& path, const ProgramSettings& s);

} // namespace shell
