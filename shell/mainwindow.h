// The main window: one page per task, the program-wide state (connected flag, modes, project
// file), the status bar, the menu, help commands, the live value for other programs, and the
// start and close sequences.
#pragma once

#include "link/findframe.h"
#include "link/interface.h"
#include "shell/settings.h"

#include <QDialog>
#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTimer;

namespace platform {
class TtyMonitor;
}

namespace shell {

class DdePublisher;
class TDeviceFrame;

/// The first command-line argument, compared in lower case.
struct StartOptions {
    bool saveLanguage = false;
    bool admin = false;
    bool debug = false;
    static StartOptions FromArguments(const QStringList& args);
};

class TForm_About : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kWebAddress = "https://lorikws.example.org";
    static constexpr const char* kSupportMail = "support@lorikws.example.org";
    static constexpr const char* kDeveloperMail = "dev@lorikws.example.org";
    explicit TForm_About(QWidget* parent = nullptr);
};

class TForm_KT : public QDialog {
    Q_OBJECT
public:
    explicit TForm_KT(QWidget* parent = nullptr);
};

class TFormGraphChk : public QDialog {
    Q_OBJECT
public:
    explicit TFormGraphChk(QWidget* parent = nullptr);
};

class TFormHelpCalcTCTP : public QDialog {
    Q_OBJECT
public:
    explicit TFormHelpCalcTCTP(QWidget* parent = nullptr);
};

class TForm_Main : public QMainWindow, public devlink::ILinkHost {
    Q_OBJECT
public:
    explicit TForm_Main(const StartOptions& options, QWidget* parent = nullptr);
    ~TForm_Main() override;

    // devlink::ILinkHost
    devlink::TInterface* Link() override { return m_link.get(); }
    bool IsConnected() const override { return m_connected; }
    void ConnectedReaction() override;
    void LinkLostReaction() override;
    void SetDisconnecting(bool on) override { m_disconnecting = on; }
    void ConnectionFailedMessage() override;
    void OpenThroughDesktop(const QString& urlOrPath) override;

    bool AdminMode() const { return m_options.admin; }
    bool DebugMode() const { return m_options.debug; }
    /// The program ends as soon as its message loop starts (the "save_lng" switch).
    bool EndAtStart() const { return m_options.saveLanguage; }
    bool Disconnecting() const { return m_disconnecting; }

    /// The deferred start (the first tick of Timer_Start); tests call it directly.
    void DeferredStart();
    /// The close sequence (also reached by "Выход" and by SIGTERM/SIGINT).
    void CloseSequence();

    /// Status bar panel `panel` (0..8) := text, shown at once.
    void StatusText(int panel, const QString& text);
    QString StatusPanelText(int panel) const;
    /// Entry `index` of the hidden list `name` ("" when missing).
    QString ListText(const QString& name, int index) const;
    /// Status "Нет связи" and the error "Нет связи с ЛОРИК".
    void NoLinkMessage();
    /// Paints a field red and restores its colour 2000 ms later.
    void MarkWrongField(QWidget* field);
    /// Reads both relay registers into the status bar; ClearRelays empties them.
    void ShowRelays();
    void ClearRelays();
    /// The live value for other programs.
    void PublishValue(const QString& text);
    DdePublisher* Dde() const { return m_dde; }

    /// Project commands.
    void OpenProject(const QString& path);
    void SaveProject();
    void SaveProjectAs(const QString& path);
    const QString& ProjectName() const { return m_projectName; }

    /// The help commands and the template folder command.
    void HelpCommand();
    void TemplateFolderCommand();
    /// F1: the topic of the first "HelpIDs" component that can take the focus, else the context help
    /// file; nothing when "LORIKXARM.chm" is missing. Returns what was opened ("" for nothing).
    QString ContextHelp();

    /// A page's frame by its design name.
    TDeviceFrame* DeviceFrame(const QString& name) const;
    devlink::TFrameFindDevice* FindFrame() const { return m_find; }
    QTabWidget* PagesWidget() const { return m_pages; }
    QStringList PageNames() const;
    const ProgramSettings& Settings() const { return m_settings; }

    /// Called with everything the program opens through the desktop (tests replace it).
    std::function<void(const QString&)> desktopOpener;
    /// Answer for the questions of the close sequence when closing unattended (a signal).
    void SetUnattendedClose(bool on) { m_unattended = on; }

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void BuildMenu();
    void BuildPages();
    void BuildStatusBar();
    void BuildLists(QWidget* page);
    void ExchangeDone(int result);
    void UpdateCaption();
    void ApplyTranslation();
    void GenerateLanguageFile();

    StartOptions m_options;
    ProgramSettings m_settings;
    std::unique_ptr<devlink::TInterface> m_link;
    bool m_connected = false;
    bool m_disconnecting = true;
    bool m_started = false;
    bool m_closed = false;
    bool m_unattended = false;
    QString m_projectName;
    QString m_languageFile;
    QPointer<QWidget> m_wrongField;
    QPalette m_wrongFieldPalette;

    QTabWidget* m_pages = nullptr;
    devlink::TFrameFindDevice* m_find = nullptr;
    QGroupBox* m_debugGroup = nullptr;
    QLabel* m_statusPanels[9] = {};
    QLabel* m_timeLabels[5] = {};
    QTimer* m_timerStart = nullptr;
    QTimer* m_timerWrongEdit = nullptr;
    DdePublisher* m_dde = nullptr;
    std::unique_ptr<platform::TtyMonitor> m_monitor;
};

} // namespace shell
