// The main window: one page per task, the status bar, the menu, and the start and close sequences.
// It owns the link session (the link and its state) and offers the pages the main-window services
// through the page host interface.
#pragma once

#include "link/pagehost.h"
#include "link/session.h"
#include "shell/settings.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QGroupBox;
class QLabel;
class QTabWidget;
class QTimer;

namespace devlink {
class TDeviceFrame;
class TFrameFindDevice;
} // namespace devlink

namespace shell {

class DdePublisher;
class TMainCommands;

/// The first command-line argument, compared in lower case.
struct StartOptions {
    bool saveLanguage = false;
    bool admin = false;
    bool debug = false;
    static StartOptions FromArguments(const QStringList& args);
};

class TForm_Main : public QMainWindow, public devlink::IPageHost {
    Q_OBJECT
public:
    explicit TForm_Main(const StartOptions& options, QWidget* parent = nullptr);
    ~TForm_Main() override;

    // devlink::IPageHost
    devlink::LinkSession& Session() override { return *m_session; }
    void NoLinkMessage() override;
    void MarkWrongField(QWidget* field) override;
    void PublishValue(const QString& text) override;
    bool AdminMode() const override { return m_options.admin; }
    bool DebugMode() const override { return m_options.debug; }
    void OpenThroughDesktop(const QString& urlOrPath) override;
    void ShowResults() override;
    void SetReportField(const QString& name, const QString& text) override;
    QString TemplateDir() override;
    QList<QWidget*> MainWindowWidgets(const QString& namePrefix) override;
    void SaveProject() override;
    QString DataDir() const override;
    void StopOtherWork(QWidget* page) override;
    measure::TFormGraphChk* VerificationChart() override;

    /// The program ends as soon as its message loop starts (the "save_lng" switch).
    bool EndAtStart() const { return m_options.saveLanguage; }

    /// The deferred start (the first tick of Timer_Start); tests call it directly.
    void DeferredStart();
    /// The close sequence (also reached by "Выход" and by SIGTERM/SIGINT).
    void CloseSequence();
    bool Closed() const { return m_closed; }

    /// Status bar panel `panel` (0..8) := text, repainted at once (the event loop does not run).
    void StatusText(int panel, const QString& text);
    QString StatusPanelText(int panel) const;
    /// Entry `index` of the hidden list `name` ("" when missing).
    QString ListText(const QString& name, int index) const;

    /// The project and help commands.
    TMainCommands& Commands() const { return *m_commands; }
    /// The caption: "АРМ ЛОРИК" + "   " + the project file name.
    void UpdateCaption();

    /// A page's frame by its design name; all device frames.
    devlink::TDeviceFrame* DeviceFrame(const QString& name) const;
    QList<devlink::TDeviceFrame*> DeviceFrames() const;
    devlink::TFrameFindDevice* FindFrame() const { return m_find; }
    QTabWidget* PagesWidget() const { return m_pages; }
    QStringList PageNames() const;
    const ProgramSettings& Settings() const { return m_settings; }
    DdePublisher* Dde() const { return m_dde; }

    /// Shorthands for tests.
    devlink::TInterface* Link() { return m_session->Link(); }
    bool IsConnected() const { return m_session->IsConnected(); }

    /// Called with everything the program opens through the desktop (tests replace it).
    std::function<void(const QString&)> desktopOpener;
    /// Answer for the questions of the close sequence when closing unattended (a signal).
    void SetUnattendedClose(bool on) { m_unattended = on; }
    bool UnattendedClose() const { return m_unattended; }

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void BuildMenu();
    void BuildPages();
    void BuildStatusBar();
    void ConnectSession();
    void ShowExchangeTimes(int result);
    void ApplyTranslation();
    void GenerateLanguageFile();

    StartOptions m_options;
    ProgramSettings m_settings;
    devlink::LinkSession* m_session = nullptr;
    std::unique_ptr<TMainCommands> m_commands;
    bool m_started = false;
    bool m_closed = false;
    bool m_unattended = false;
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
};

} // namespace shell
