#include "shell/commands.h"

#include "link/deviceframe.h"
#include "platform/messageservice.h"
#include "shell/mainwindow.h"
#include "shell/messages.h"
#include "shell/paths.h"
#include "shell/project.h"

#include <QFileDialog>
#include <QFileInfo>

namespace shell {
namespace {

const QString kFilter = QStringLiteral("Проект АРМ ЛОРИК (*.aip)");

} // namespace

QString TMainCommands::Ask(Dialog d)
{
    if (chooseFile) return chooseFile(d);
    if (d == Dialog::Open)
        return QFileDialog::getOpenFileName(&m_main, QStringLiteral("Открыть проект"), DataDir(), kFilter);
    QFileDialog dialog(&m_main,
                       d == Dialog::New ? QStringLiteral("Создать новый проект")
                                        : QStringLiteral("Сохранить проект как"),
                       DataDir(), kFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("aip"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

void TMainCommands::NewProject()
{
    const QString f = Ask(Dialog::New);
    if (f.isEmpty()) return;
    for (devlink::TDeviceFrame* frame : m_main.DeviceFrames())
        frame->StopWork();
    m_projectName = f;
    m_main.UpdateCaption();
    for (devlink::TDeviceFrame* frame : m_main.DeviceFrames())
        frame->NewProject();
}

void TMainCommands::OpenProjectDialog()
{
    const QString f = Ask(Dialog::Open);
    if (!f.isEmpty()) OpenProject(f);
}

void TMainCommands::OpenProject(const QString& path)
{
    for (devlink::TDeviceFrame* frame : m_main.DeviceFrames())
        frame->StopWork();
    m_projectName = path;
    m_main.UpdateCaption();
    Load(ProjectPath(path));
}

void TMainCommands::LoadCurrent()
{
    Load(ProjectPath(m_projectName));
}

void TMainCommands::Load(const QString& path)
{
    QString kept;
    if (LoadProject(path, &kept) != 1) return;
    // Once the whole project is in place: the box runs the event loop.
    QString text =
        QStringLiteral("Файл проекта\n %1\nповреждён: то, что не удалось прочитать, взято по умолчанию.")
            .arg(path);
    if (!kept.isEmpty()) text += QStringLiteral("\nПрежний файл сохранён как\n %1").arg(kept);
    platform::Messages().Show(platform::MessageService::Kind::Warning, QStringLiteral("Внимание"), text);
}

bool TMainCommands::Save(const QString& path)
{
    if (LoadSaveProject(path, true) == 0) return true;
    ErrorMessageFmt(1, path);
    return false;
}

void TMainCommands::SaveProject()
{
    if (!m_projectName.isEmpty() && QFileInfo::exists(ProjectPath(m_projectName))) {
        Save(ProjectPath(m_projectName));
        return;
    }
    SaveProjectAsDialog();
}

void TMainCommands::SaveProjectAsDialog()
{
    const QString f = Ask(Dialog::SaveAs);
    if (!f.isEmpty()) SaveProjectAs(f);
}

bool TMainCommands::SaveProjectAs(const QString& path)
{
    if (!Save(ProjectPath(path))) return false;
    m_projectName = path;
    m_main.UpdateCaption();
    return true;
}

bool TMainCommands::SaveCurrent()
{
    return Save(ProjectPath(m_projectName));
}

void TMainCommands::Help()
{
    const QString help = ProgramDir() + QStringLiteral("/LORIKARM.chm");
    if (!QFileInfo::exists(help)) {
        platform::Messages().Show(platform::MessageService::Kind::Information, QString(),
                                  QStringLiteral("Файл справки не найден!"));
        return;
    }
    m_main.OpenThroughDesktop(help);
}

void TMainCommands::TemplateFolder()
{
    m_main.OpenThroughDesktop(TemplateDir());
}

QString TMainCommands::ContextHelp()
{
    const QString file = ProgramDir() + QStringLiteral("/LORIKXARM.chm");
    if (!QFileInfo::exists(file)) return {};
    const ProgramSettings& settings = m_main.Settings();
    QString target = file;
    for (int i = 0; i < settings.helpTopicNames.size(); ++i) {
        auto* w = m_main.findChild<QWidget*>(settings.helpTopicNames[i]);
        if (w && w->isVisible() && w->isEnabled()) {
            const QString topic = settings.helpTopicValues.value(i);
            target = QFileInfo(topic).isAbsolute() ? topic : ProgramDir() + QLatin1Char('/') + topic;
            break;
        }
    }
    m_main.OpenThroughDesktop(target);
    return target;
}

} // namespace shell
