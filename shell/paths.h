// Where the program's files are, in both layouts of platform::CurrentLayout().
//
// Build tree or portable copy: the program folder (the executable's) holds the program, its
// libraries, templates and language files. Settings, projects, lists and reports go next to the
// program when that folder is writable, else to the per-user folders ($XDG_CONFIG_HOME/lorikws for
// settings, $XDG_DATA_HOME/lorikws for the rest).
//
// Installation (/usr/bin, /usr/lib/<multiarch>/lorikws, /usr/share/lorikws): nothing is written
// below the prefix, even by root. Settings and data always go to the per-user folders, and the
// program folder, where the program reads the user's language and help files and writes the
// generated language file, is the per-user data folder; the installed templates and language files
// are found behind the user's own.
//
// LORIKWS_HOME overrides the per-user folders (tests use it).
#pragma once

#include <QString>

namespace shell {

/// The folder of the program's own files as the user sees them (see above).
QString ProgramDir();
/// The settings file: <program>.ini next to the program, or $XDG_CONFIG_HOME/lorikws/lorikws.ini.
QString SettingsPath();
/// The folder for projects, lists and reports.
QString DataDir();
/// "default.aip" in the data folder.
QString DefaultProjectPath();
/// The protocol templates folder ("template_xml"): the user's copy first, then the installed one.
QString TemplateDir();
/// Resolves a project file name: empty → DefaultProjectPath(); relative → inside DataDir().
QString ProjectPath(const QString& name);
/// A language file named relative to the program folder: the user's file when it exists, else the
/// installed one (an installation), else the path in the program folder.
QString LanguageFilePath(const QString& name);

} // namespace shell
