// Where the program's files are. The program folder holds the program, its libraries, templates
// and language files. Settings, projects, lists and reports go next to the program when that folder
// is writable (a portable installation, or the build tree), else to the per-user folders
// ($XDG_CONFIG_HOME/lorikws for settings, $XDG_DATA_HOME/lorikws for the rest). LORIKWS_HOME
// overrides both (tests use it).
#pragma once

#include <QString>

namespace shell {

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

} // namespace shell
