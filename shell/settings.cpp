#include "shell/settings.h"

#include "platform/ini.h"
#include "shell/paths.h"

#include <QFileInfo>

namespace shell {

ProgramSettings ReadSettings(const QString& path, const QRect& screen)
{
    ProgramSettings s;
    if (!QFileInfo::exists(path)) return s;
    platform::IniFile ini;
    ini.Load(path);
    s.exists = true;
    const QString main = QStringLiteral("Main"), form = QStringLiteral("Form");
    s.splashDelay = ini.IntValue(main, QStringLiteral("Splash_screen_Delay"), 2000);
    s.projectName = ini.Value(main, QStringLiteral("ProjectName"));
    if (!s.projectName.isEmpty() && !QFileInfo::exists(ProjectPath(s.projectName))) s.projectName.clear();
    s.languageFile = ini.Value(main, QStringLiteral("LanguageFile"));
    if (!s.languageFile.isEmpty() && !QFileInfo::exists(LanguageFilePath(s.languageFile)))
        s.languageFile.clear();
    s.bounds =
        QRect(ini.IntValue(form, QStringLiteral("Left"), 0), ini.IntValue(form, QStringLiteral("Top"), 0),
              ini.IntValue(form, QStringLiteral("Width"), screen.width()),
              ini.IntValue(form, QStringLiteral("Height"), screen.height() - 20));
    for (const QString& k : ini.Keys(QStringLiteral("HelpIDs"))) {
        s.helpTopicNames << k;
        s.helpTopicValues << ini.Value(QStringLiteral("HelpIDs"), k);
    }
    s.conditions = verification::ReadConditionLimits(ini);
    return s;
}

bool WriteSettings(const QString& path, const ProgramSettings& s)
{
    platform::IniFile ini;
    ini.Load(path);
    const QString main = QStringLiteral("Main"), form = QStringLiteral("Form");
    ini.SetInt(main, QStringLiteral("Splash_screen_Delay"), s.splashDelay);
    ini.SetValue(main, QStringLiteral("ProjectName"), s.projectName);
    ini.SetInt(form, QStringLiteral("Left"), s.bounds.left());
    ini.SetInt(form, QStringLiteral("Top"), s.bounds.top());
    ini.SetInt(form, QStringLiteral("Width"), s.bounds.width());
    ini.SetInt(form, QStringLiteral("Height"), s.bounds.height());
    return ini.Save(path);
}

} // namespace shell
