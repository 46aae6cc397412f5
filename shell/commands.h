// The main window's project and help commands: New, Open, Save, Save as (with the project file name
// they keep), the help file, context help and the template folder.
#pragma once

#include <QString>

#include <functional>

namespace shell {

class TForm_Main;

class TMainCommands {
public:
    explicit TMainCommands(TForm_Main& main) : m_main(main) {}

    /// The current project file name ("" stands for "default.aip").
    const QString& ProjectName() const { return m_projectName; }
    void SetProjectName(const QString& name) { m_projectName = name; }

    /// The file dialogs; tests replace it. Returns the chosen path, "" for Cancel.
    enum class Dialog { New, Open, SaveAs };
    std::function<QString(Dialog)> chooseFile;

    /// The menu commands (each asks for its file first where it needs one).
    void NewProject();
    void OpenProjectDialog();
    void SaveProject();
    void SaveProjectAsDialog();

    /// Opens `path`: every device page stops its work first; the name and caption are taken over
    /// and the file is loaded (a damaged file is kept as ".bad" and said so once).
    void OpenProject(const QString& path);
    /// Saves into `path`; on success the name and caption are taken over. A file that cannot be
    /// written shows "Невозможно создать файл ..." and changes nothing. True when written.
    bool SaveProjectAs(const QString& path);
    /// Loads the current project (the deferred start).
    void LoadCurrent();
    /// Saves the current project (the close sequence). True when written.
    bool SaveCurrent();

    /// "LORIKARM.chm" through the desktop, or "Файл справки не найден!".
    void Help();
    /// F1: the topic of the first "HelpIDs" component that can take the focus, else the context help
    /// file; nothing when "LORIKXARM.chm" is missing. Returns what was opened ("" for nothing).
    QString ContextHelp();
    /// The template folder through the desktop.
    void TemplateFolder();

private:
    void Load(const QString& path);
    bool Save(const QString& path);
    QString Ask(Dialog d);

    TForm_Main& m_main;
    QString m_projectName;
};

} // namespace shell
