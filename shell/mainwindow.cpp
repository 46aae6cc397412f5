#include "shell/mainwindow.h"

#include "device/archiveframe.h"
#include "device/gradframe.h"
#include "device/settingsframe.h"
#include "link/deviceframe.h"
#include "link/findframe.h"
#include "measure/emulateframe.h"
#include "measure/graphchk.h"
#include "measure/mesureframe.h"
#include "platform/ini.h"
#include "platform/messageservice.h"
#include "platform/system.h"
#include "reports/protocolmodule.h"
#include "sensors/fieldchecks.h"
#include "sensors/polynoms.h"
#include "shell/commands.h"
#include "shell/components.h"
#include "shell/ddepublisher.h"
#include "shell/messages.h"
#include "shell/paths.h"
#include "shell/textlists.h"
#include "shell/translation.h"
#include "verification/chkframe.h"
#include "verification/ktframe.h"
#include "verification/reportparam.h"
#include "verification/resultsframe.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace shell {
namespace {

const QString kMsgList = QStringLiteral("strConst_Msg");

template <typename Frame>
Frame* AddPage(devlink::IPageHost* host, QTabWidget* pages, const char* pageName, const char* caption,
               const char* frameName)
{
    auto* page = new QWidget(pages);
    page->setObjectName(QString::fromLatin1(pageName));
    auto* layout = new QVBoxLayout(page);
    auto* frame = new Frame(host, page);
    frame->setObjectName(QString::fromLatin1(frameName));
    layout->addWidget(frame);
    pages->addTab(page, QString::fromUtf8(caption));
    return frame;
}

// Widgets below `parent` whose names begin with `prefix`, depth-first, each before its children; a
// page stack's pages by their index (a shown page is raised to the end of the children).
void NamedWidgets(QObject* parent, const QString& prefix, QList<QWidget*>& out)
{
    QObjectList children;
    if (auto* stack = qobject_cast<QStackedWidget*>(parent))
        for (int i = 0; i < stack->count(); ++i)
            children << stack->widget(i);
    for (QObject* c : parent->children())
        if (!children.contains(c)) children << c;
    for (QObject* c : children) {
        if (!c->isWidgetType()) continue;
        if (c->objectName().startsWith(prefix)) out << static_cast<QWidget*>(c);
        NamedWidgets(c, prefix, out);
    }
}

} // namespace

StartOptions StartOptions::FromArguments(const QStringList& args)
{
    StartOptions o;
    if (args.size() < 2) return o;
    const QString a = args[1].toLower();
    if (a == QStringLiteral("save_lng"))
        o.saveLanguage = true;
    else if (a == QStringLiteral("admin"))
        o.admin = true;
    else if (a == QStringLiteral("debug"))
        o.admin = o.debug = true;
    return o;
}

TForm_Main::TForm_Main(const StartOptions& options, QWidget* parent) : QMainWindow(parent), m_options(options)
{
    setObjectName(QStringLiteral("Form_Main"));
    setWindowTitle(QStringLiteral("АРМ ЛОРИК  "));
    setMinimumSize(1024, 539);
    resize(1114, 720);
    m_session = new devlink::LinkSession(this);
    m_commands = std::make_unique<TMainCommands>(*this);
    BuildMenu();
    BuildStatusBar();
    ConnectSession(); // before the pages: the status bar shows a change before the pages follow it
    BuildPages();

    m_timerStart = new QTimer(this);
    m_timerStart->setObjectName(QStringLiteral("Timer_Start"));
    m_timerStart->setInterval(1);
    m_timerStart->setSingleShot(true);
    connect(m_timerStart, &QTimer::timeout, this, [this] { DeferredStart(); });
    m_timerWrongEdit = new QTimer(this);
    m_timerWrongEdit->setObjectName(QStringLiteral("TimerWrongEdit"));
    m_timerWrongEdit->setInterval(2000);
    m_timerWrongEdit->setSingleShot(true);
    connect(m_timerWrongEdit, &QTimer::timeout, this, [this] {
        if (m_wrongField) m_wrongField->setPalette(m_wrongFieldPalette);
    });

    sensors::SetWrongFieldMarker([this](QWidget* w) { MarkWrongField(w); });
    sensors::SetMissingFieldText(ListText(kMsgList, kMsgMissingField));

    m_dde = new DdePublisher(QStringLiteral("lorikws"), this);

    // 1. the "save_lng" switch: generate the language file, tell the user, end at start
    if (m_options.saveLanguage) GenerateLanguageFile();
    // 2. may this user open the calibrator's serial ports?
    if (!m_options.debug && !platform::CanOpenSerialDevices()) ErrorMessage(14);
    // 3. help: opened through the desktop; nothing to load
    // 4. the characteristic library probe
    {
        sensors::TPolynoms probe;
        if (!probe.Usable()) ErrorMessage(15);
    }
    m_session->SetDisconnecting(true);
    ProgramWindows().assign({this});
}

TForm_Main::~TForm_Main()
{
    // The pages go before the session they talk through (children would go in creation order).
    delete m_pages;
    m_pages = nullptr;
    m_find = nullptr;
    sensors::SetWrongFieldMarker({});
    auto& w = ProgramWindows();
    std::erase(w, this);
}

void TForm_Main::ConnectSession()
{
    devlink::LinkSession* s = m_session;
    connect(s, &devlink::LinkSession::connected, this,
            [this] { StatusText(0, ListText(kMsgList, kMsgLinkUp)); });
    connect(s, &devlink::LinkSession::linkLost, this,
            [this] { StatusText(0, ListText(kMsgList, kMsgLinkDown)); });
    connect(s, &devlink::LinkSession::connectionFailed, this, [this] {
        StatusText(0, ListText(kMsgList, kMsgLinkDown));
        platform::Messages().Show(platform::MessageService::Kind::Warning, QString(),
                                  ListText(kMsgList, kMsgConnectFailed));
    });
    connect(s, &devlink::LinkSession::relaysChanged, this, [this](const QString& r1, const QString& r2) {
        StatusText(4, r1);
        StatusText(7, r2);
    });
    connect(s, &devlink::LinkSession::exchangeDone, this, [this](int r) { ShowExchangeTimes(r); });
}

void TForm_Main::BuildMenu()
{
    auto action = [this](QMenu* menu, const char* name, const char* caption, bool visible) {
        auto* a = new QAction(QString::fromUtf8(caption), this);
        a->setObjectName(QString::fromLatin1(name));
        a->setVisible(visible);
        menu->addAction(a);
        return a;
    };
    TMainCommands* c = m_commands.get();
    QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
    file->setObjectName(QStringLiteral("MMFile"));
    connect(action(file, "MMFileNew", "Новый проект", false), &QAction::triggered, this,
            [c] { c->NewProject(); });
    connect(action(file, "MMFileOpen", "Открыть проект", true), &QAction::triggered, this,
            [c] { c->OpenProjectDialog(); });
    connect(action(file, "MMFileSave", "Сохранить проект", true), &QAction::triggered, this,
            [c] { c->SaveProject(); });
    connect(action(file, "MMFileSaveAs", "Сохранить проект как ...", true), &QAction::triggered, this,
            [c] { c->SaveProjectAsDialog(); });
    action(file, "MMFileClose", "Закрыть проект", false);
    connect(action(file, "MMFileExit", "Выход", true), &QAction::triggered, this, [this] { close(); });
    QMenu* settings = menuBar()->addMenu(QStringLiteral("Настройки"));
    settings->setObjectName(QStringLiteral("MMSettings"));
    connect(action(settings, "N1", "Каталог с шаблонами Excell", true), &QAction::triggered, this,
            [c] { c->TemplateFolder(); });
    QMenu* language = menuBar()->addMenu(QStringLiteral("Language"));
    language->setObjectName(QStringLiteral("MMLanguage"));
    language->menuAction()->setVisible(false);
    QMenu* help = menuBar()->addMenu(QStringLiteral("Помощь"));
    help->setObjectName(QStringLiteral("MMHelp"));
    connect(action(help, "MMHelpHelp", "Помощь", true), &QAction::triggered, this, [c] { c->Help(); });
    auto* f1 = new QAction(this); // context help; no caption of its own
    f1->setShortcut(QKeySequence(Qt::Key_F1));
    f1->setShortcutContext(Qt::WindowShortcut);
    addAction(f1);
    connect(f1, &QAction::triggered, this, [c] { c->ContextHelp(); });
    QAction* calc = action(help, "N_CalcTC_TP", "Калькулятор ТС/ТП", true);
    calc->setShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    connect(calc, &QAction::triggered, this, [] {
        for (QWidget* w : ProgramWindows())
            if (w && w->objectName() == QStringLiteral("FormHelpCalcTCTP")) {
                w->show();
                w->raise();
            }
    });
    connect(action(help, "MMHelpAbout", "О программе", true), &QAction::triggered, this, [] {
        for (QWidget* w : ProgramWindows())
            if (auto* d = qobject_cast<QDialog*>(w); d && d->objectName() == QStringLiteral("Form_About"))
                d->exec();
    });
}

void TForm_Main::BuildPages()
{
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("Pages"));
    setCentralWidget(m_pages);

    auto* connection = new QWidget(m_pages);
    connection->setObjectName(QStringLiteral("Connection"));
    auto* layout = new QVBoxLayout(connection);
    auto* group = new QGroupBox(QStringLiteral(" Настройка связи с ЛОРИК "), connection);
    group->setObjectName(QStringLiteral("GroupBox_Connection"));
    auto* gl = new QVBoxLayout(group);
    m_find = new devlink::TFrameFindDevice(this, group);
    gl->addWidget(m_find);
    layout->addWidget(group);
    BuildTextLists(connection);

    m_debugGroup = new QGroupBox(QStringLiteral(" DebugGroupBox "), connection);
    m_debugGroup->setObjectName(QStringLiteral("GroupBox_Debug"));
    auto* dl = new QHBoxLayout(m_debugGroup);
    auto* button1 = new QPushButton(QStringLiteral("Button1"), m_debugGroup);
    button1->setObjectName(QStringLiteral("Button1"));
    dl->addWidget(button1);
    const char* names[5] = {"Label_time_openPort", "Label_time_send", "Label_time_recive", "Label_time_close",
                            "Label_time_total"};
    const char* captions[5] = {"open : ", "send : ", "recive : ", "close : ", "Total : "};
    for (int i = 0; i < 5; ++i) {
        m_timeLabels[i] = new QLabel(QString::fromLatin1(captions[i]), m_debugGroup);
        m_timeLabels[i]->setObjectName(QString::fromLatin1(names[i]));
        dl->addWidget(m_timeLabels[i]);
    }
    m_debugGroup->hide();
    layout->addWidget(m_debugGroup);
    connect(button1, &QPushButton::clicked, this, [this] {
        if (devlink::TInterface* link = m_session->Link())
            link->WriteRegisterInt(devlink::DebugTest, devlink::kDebugTestValue);
    });
    m_pages->addTab(connection, QStringLiteral("  Настройка связи  "));

    AddPage<device::TFrameGrad>(this, m_pages, "Calibration", "  Градуировка  ", "FrameGrad1");
    AddPage<device::TFrameSettingsLorik>(this, m_pages, "Configuration", "  Конфигурирование  ",
                                         "FrameSettingsLorik1");
    AddPage<measure::TFrameEmulate>(this, m_pages, "Emulation", "  Эмуляция  ", "FrameEmulate1");
    AddPage<measure::TFrameMesure>(this, m_pages, "Measure", "  Измерение  ", "FrameMesure1");
    auto* chk = AddPage<verification::TFrame_Chk>(this, m_pages, "TestTab", "  Поверка  ", "Frame_Chk1");
    auto* report = new verification::TFrame_ReportParam(DataDir() + QStringLiteral("/kt.ini"), chk);
    auto* result = new verification::TFrame_Chk_result(this, chk);
    chk->SetSubPages(report, result,
                     {[result] { result->RefreshResults(); },
                      [result](bool periodic) { result->ResetInspection(periodic); },
                      [result](bool on) { result->SetVerification(on); }});
    AddPage<device::TFrameArchive>(this, m_pages, "Archive", "  Архив   ", "FrameArchive1");
}

void TForm_Main::BuildStatusBar()
{
    const int widths[9] = {100, 100, 200, 70, 70, 0, 80, 70, 50};
    for (int i = 0; i < 9; ++i) {
        m_statusPanels[i] = new QLabel(this);
        // a name of its own for each panel: every text has an id of its own in a language file
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel") + QString::number(i));
        m_statusPanels[i]->setMinimumWidth(widths[i]);
        m_statusPanels[i]->setContentsMargins(5, 2, 0, 0);
        if (widths[i] == 0) m_statusPanels[i]->hide();
        statusBar()->addWidget(m_statusPanels[i]);
    }
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    m_statusPanels[0]->setText(QStringLiteral("Нет связи!"));
    m_statusPanels[3]->setText(QStringLiteral("Реле 1:"));
    m_statusPanels[3]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_statusPanels[4]->setAlignment(Qt::AlignCenter);
    m_statusPanels[6]->setText(QStringLiteral("Реле 2:"));
    m_statusPanels[6]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_statusPanels[7]->setAlignment(Qt::AlignCenter);
}

QStringList TForm_Main::PageNames() const
{
    QStringList out;
    for (int i = 0; i < m_pages->count(); ++i)
        out << m_pages->widget(i)->objectName();
    return out;
}

devlink::TDeviceFrame* TForm_Main::DeviceFrame(const QString& name) const
{
    return findChild<devlink::TDeviceFrame*>(name);
}

QList<devlink::TDeviceFrame*> TForm_Main::DeviceFrames() const
{
    return findChildren<devlink::TDeviceFrame*>();
}

void TForm_Main::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (m_started || m_timerStart->isActive()) return;
    // The window opens in the not-connected state (silently: the disconnecting flag is set); the
    // deferred start follows once this reaction has ended.
    m_session->LinkLostReaction();
    if (!m_started) m_timerStart->start();
}

void TForm_Main::DeferredStart()
{
    m_timerStart->stop();
    if (m_started) return;
    m_started = true;
    if (m_options.saveLanguage) return; // the program ends without doing any work

    // Numbers are parsed and printed with '.' throughout (see platform/cnumber.h).
    const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 1280, 1024);
    m_settings = ReadSettings(SettingsPath(), screen);
    if (m_settings.exists) {
        m_commands->SetProjectName(m_settings.projectName);
        m_languageFile = m_settings.languageFile;
        UpdateCaption();
        setGeometry(m_settings.bounds);
    }
    if (auto* report = findChild<verification::TFrame_ReportParam*>())
        report->SetConditionLimits(m_settings.conditions);
    m_debugGroup->setVisible(m_options.debug);
    if (!m_options.admin) {
        const int idx = m_pages->indexOf(findChild<QWidget*>(QStringLiteral("Calibration")));
        if (idx >= 0) {
            QWidget* page = m_pages->widget(idx);
            m_pages->removeTab(idx);
            delete page;
        }
    }
    m_pages->setCurrentIndex(0);
    ApplyTranslation();
    m_commands->LoadCurrent();
    show();

    m_session->Create(m_options.debug);
    m_dde->Register();
    // Devices arriving or leaving, and virtual calibrators starting or stopping, refresh the list.
    m_session->WatchDevices();
    m_find->ListPortsNow();
    // 12. the protocol maker is loaded and tells which office suites it can drive (no office
    // starts); then the points of a run that did not end cleanly are offered back
    if (auto* results = findChild<verification::TFrame_Chk_result*>()) {
        results->DetectOfficeSuites();
        results->RecoverJournal();
    }
    // A journal a crashed measurement left is offered once the start has ended.
    if (auto* mesure = findChild<measure::TFrameMesure*>())
        QTimer::singleShot(0, mesure, [mesure] { mesure->OfferRecovery(); });
}

void TForm_Main::UpdateCaption()
{
    setWindowTitle(ListText(kMsgList, kMsgCaption) + QStringLiteral("   ") + m_commands->ProjectName());
}

void TForm_Main::ApplyTranslation()
{
    if (m_languageFile.isEmpty()) return;
    const QString path = LanguageFilePath(m_languageFile);
    if (!QFileInfo::exists(path)) return;
    platform::IniFile file;
    file.Load(path);
    TranslateWindow(this, file, false);
    sensors::SetMissingFieldText(ListText(kMsgList, kMsgMissingField));
}

void TForm_Main::GenerateLanguageFile()
{
    m_languageFile = QStringLiteral("soft_generated.lng");
    const QString path = ProgramDir() + QLatin1Char('/') + m_languageFile;
    QFile::remove(path);
    platform::IniFile file;
    TranslateWindow(this, file, true);
    if (!file.Save(path)) {
        ErrorMessageFmt(1, path);
        return;
    }
    platform::Messages().Show(platform::MessageService::Kind::Information, QString(),
                              QStringLiteral("!!! NEW  --") + ProgramDir() +
                                  QStringLiteral("/soft_generated.lng") +
                                  QStringLiteral("--    possible created."));
}

void TForm_Main::NoLinkMessage()
{
    StatusText(0, ListText(kMsgList, kMsgLinkDown));
    platform::Messages().Show(platform::MessageService::Kind::Error, QString(),
                              ListText(kMsgList, kMsgNoLink));
}

void TForm_Main::ShowResults()
{
    // the verification page, its results sub-page (the third) once the page has sub-pages
    if (QWidget* page = findChild<QWidget*>(QStringLiteral("TestTab"))) m_pages->setCurrentWidget(page);
    if (QWidget* chk = findChild<QWidget*>(QStringLiteral("Frame_Chk1")))
        if (auto* tabs = chk->findChild<QTabWidget*>(); tabs && tabs->count() >= 3) tabs->setCurrentIndex(2);
}

void TForm_Main::SetReportField(const QString& name, const QString& text)
{
    QWidget* field = findChild<QWidget*>(name);
    auto* edit = qobject_cast<QLineEdit*>(field);
    if (!edit && field) edit = field->findChild<QLineEdit*>(); // a labelled edit
    if (edit) edit->setText(text);
}

measure::TFormGraphChk* TForm_Main::VerificationChart()
{
    for (QWidget* w : ProgramWindows())
        if (auto* chart = qobject_cast<measure::TFormGraphChk*>(w)) return chart;
    return nullptr;
}

QString TForm_Main::TemplateDir()
{
    return shell::TemplateDir();
}

QList<QWidget*> TForm_Main::MainWindowWidgets(const QString& namePrefix)
{
    QList<QWidget*> out;
    NamedWidgets(this, namePrefix, out);
    return out;
}

void TForm_Main::SaveProject()
{
    m_commands->SaveCurrent();
}

void TForm_Main::OpenThroughDesktop(const QString& urlOrPath)
{
    if (desktopOpener) {
        desktopOpener(urlOrPath);
        return;
    }
    const QUrl url = urlOrPath.contains(QStringLiteral("://"))
                         ? QUrl(urlOrPath)
                         : QUrl::fromLocalFile(QFileInfo(urlOrPath).absoluteFilePath());
    QDesktopServices::openUrl(url);
}

void TForm_Main::StatusText(int panel, const QString& text)
{
    if (panel < 0 || panel > 8) return;
    m_statusPanels[panel]->setText(text);
    // shown at once without running the event loop: a status text is no place for re-entry
    if (m_statusPanels[panel]->isVisible()) m_statusPanels[panel]->repaint();
}

QString TForm_Main::StatusPanelText(int panel) const
{
    return panel >= 0 && panel <= 8 ? m_statusPanels[panel]->text() : QString();
}

QString TForm_Main::ListText(const QString& name, int index) const
{
    auto* l = findChild<QListWidget*>(name);
    if (!l || l->metaObject() != &QListWidget::staticMetaObject || index < 0 || index >= l->count())
        return {};
    QString t = l->item(index)->text();
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}

void TForm_Main::MarkWrongField(QWidget* field)
{
    if (!field) return;
    if (m_wrongField && m_timerWrongEdit->isActive()) m_wrongField->setPalette(m_wrongFieldPalette);
    m_wrongField = field;
    m_wrongFieldPalette = field->palette();
    m_wrongFieldPalette.setColor(QPalette::Base, palette().color(QPalette::Base));
    QPalette red = field->palette();
    red.setColor(QPalette::Base, QColor(255, 0, 0));
    field->setPalette(red);
    m_timerWrongEdit->start();
}

void TForm_Main::StopOtherWork(QWidget* page)
{
    for (devlink::TDeviceFrame* f : findChildren<devlink::TDeviceFrame*>())
        if (f != page) f->StopWork();
}

QString TForm_Main::DataDir() const
{
    return shell::DataDir();
}

void TForm_Main::PublishValue(const QString& text)
{
    m_dde->Publish(text);
}

void TForm_Main::ShowExchangeTimes(int)
{
    devlink::TInterface* link = m_session->Link();
    if (!m_options.debug || !link) return;
    const auto& t = link->Frames().LastTimings();
    const int values[5] = {t.open, t.send, t.receive, t.close, t.total};
    const char* captions[5] = {"open : ", "send : ", "recive : ", "close : ", "Total : "};
    for (int i = 0; i < 5; ++i)
        m_timeLabels[i]->setText(QString::fromLatin1(captions[i]) + QString::number(values[i]) +
                                 QStringLiteral(" mS"));
}

void TForm_Main::closeEvent(QCloseEvent* e)
{
    CloseSequence();
    QMainWindow::closeEvent(e);
}

void TForm_Main::CloseSequence()
{
    if (m_closed) return;
    m_closed = true;
    m_timerStart->stop();
    if (m_options.saveLanguage && !m_session->Link()) return; // nothing was started
    m_find->TimerUI->stop();
    for (devlink::TDeviceFrame* f : DeviceFrames())
        f->StopWork();
    // Disconnects when connected; the link object itself lives on until the session goes, since
    // code further up the stack (a tick inside a message box) may still hold it.
    m_session->Release();
    if (!m_started) return;
    m_settings.projectName = m_commands->ProjectName();
    m_settings.bounds = geometry();
    if (!WriteSettings(SettingsPath(), m_settings)) ErrorMessage(16);
    // closing on a signal saves a changed list without asking
    if (auto* kt = findChild<verification::TFrame_KT*>()) kt->SaveList(m_unattended);
    m_commands->SaveCurrent();
    // a clean end: the results journal is retired, the protocol maker's office ends
    if (auto* results = findChild<verification::TFrame_Chk_result*>()) results->CloseJournal();
    reports::ProtocolMaker().Shutdown();
}

} // namespace shell
