#include "shell/mainwindow.h"

#include "platform/ini.h"
#include "platform/messageservice.h"
#include "platform/system.h"
#include "sensors/fieldchecks.h"
#include "sensors/polynoms.h"
#include "shell/components.h"
#include "shell/ddepublisher.h"
#include "shell/messages.h"
#include "shell/pages.h"
#include "shell/paths.h"
#include "shell/project.h"
#include "shell/translation.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace shell {
namespace {

// A status bar panel: drawn by the program, neither translated nor saved in projects.
class TStatusPanel : public QLabel {
public:
    using QLabel::QLabel;
};

const QString kCaption = QStringLiteral("АРМ ЛОРИК");

// The hidden text lists of the main window (translatable resources; a few entries are read).
QStringList MsgList()
{
    QStringList l;
    for (int i = 0; i < 49; ++i) l << QString();
    l[0] = QStringLiteral("Ошибка");
    l[1] = QStringLiteral("Внимание");
    l[2] = QStringLiteral("Есть связь");
    l[3] = QStringLiteral("Нет связи");
    l[8] = QStringLiteral("Не удалось установить связь с прибором.");
    l[9] = QStringLiteral("Нет связи с ЛОРИК");
    l[29] = QStringLiteral("Не указан параметр");
    l[30] = kCaption;
    return l;
}

const char* const kUailErrors[] = {"Нет ошибок",        "Неизвестная команда",        "Неизвестный тип памяти",
                                   "Неизвестный тип данных", "Неверный формат посылки", "Адрес больше допустимого",
                                   "Неверная контрольная сумма", "Запрашиваемые данные не готовы", "Запись запрещена",
                                   "Ошибка записи",     "Ошибка чтения",              "Команда не поддерживается",
                                   "Обрыв датчика",     "Неизвестный код ошибки"};
const char* const kModes[] = {"Измерение", "Эмуляция", "Симуляция", "", "Поверка МПД", "Поверка ЭПД"};

QStringList WorkList()
{
    QStringList l;
    for (int i = 0; i < 34; ++i) l << QString();
    const std::pair<int, const char*> rows[] = {
        {1, "Проверка связи"},
        {2, "Перевод в режим измерения"},
        {3, "Чтение калибровочного коэффициента и измеренного значения"},
        {4, "Запись калибровачного коэффициента"},
        {6, "Запись значения"},
        {7, "Установка уровня эмулируемого сигнала"},
        {8, "Чтение результатов измерения из прибора"},
        {9, "Эмуляция"},
        {10, "Чтение архива"},
        {11, "Очистка архива"},
        {12, "Запись конфигурационных параметров в прибор"},
        {13, "Чтение конфигурационных параметров из прибора"},
        {14, "Запись даты и времени в прибор"},
        {15, "Чтение даты и времени из прибора"},
        {16, "Запись пользовательских объектов"},
        {17, "Чтение пользовательских объектов"},
        {18, "Чтение пользовательской программы"},
        {19, "Запись пользовательской программы"},
        {20, "Поиск устройств"},
        {21, "Поиск ЛОРИК"},
        {22, "Поиск МАНОР"},
        {23, "Эмуляция"},
        {25, "Измерение"},
        {27, "Симуляция"},
        {28, "Поиск устройств"},
        {29, "Автоматическая градуировка прибора"},
        {30, "Полуавтоматическая градуировка прибора"},
        {31, "Проверка связи"},
    };
    for (const auto& [i, t] : rows) l[i] = QString::fromUtf8(t);
    return l;
}

QListWidget* HiddenList(QWidget* parent, const char* name, const QStringList& items)
{
    auto* l = new QListWidget(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->addItems(items);
    l->hide();
    return l;
}

template <typename Frame>
Frame* AddPage(QTabWidget* pages, const char* pageName, const char* caption, const char* frameName)
{
    auto* page = new QWidget(pages);
    page->setObjectName(QString::fromLatin1(pageName));
    auto* layout = new QVBoxLayout(page);
    auto* frame = new Frame(page);
    frame->setObjectName(QString::fromLatin1(frameName));
    layout->addWidget(frame);
    pages->addTab(page, QString::fromUtf8(caption));
    return frame;
}

} // namespace

StartOptions StartOptions::FromArguments(const QStringList& args)
{
    StartOptions o;
    if (args.size() < 2) return o;
    const QString a = args[1].toLower();
    if (a == QStringLiteral("save_lng")) o.saveLanguage = true;
    else if (a == QStringLiteral("admin")) o.admin = true;
    else if (a == QStringLiteral("debug")) o.admin = o.debug = true;
    return o;
}

TForm_About::TForm_About(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_About"));
    setWindowTitle(QStringLiteral("About"));
    auto* layout = new QVBoxLayout(this);
    auto add = [&](const QString& text, const char* name) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setOpenExternalLinks(false);
        layout->addWidget(l);
        return l;
    };
    add(QStringLiteral("Версия 2.3"), "Label_Version");
    add(QStringLiteral("Автоматизированное рабочее место ЛОРИК"), "Label_Title");
    const QString subject = QStringLiteral("?subject=") + kCaption;
    auto link = [&](const QString& shown, const QString& url, const char* name) {
        QLabel* l = add(QStringLiteral("<a href=\"%1\">%2</a>").arg(url, shown), name);
        connect(l, &QLabel::linkActivated, this, [](const QString& u) { QDesktopServices::openUrl(QUrl(u)); });
    };
    link(QString::fromLatin1(kWebAddress), QString::fromLatin1(kWebAddress), "Label_Web");
    link(QString::fromLatin1(kSupportMail), QStringLiteral("mailto:") + QString::fromLatin1(kSupportMail) + subject, "Label_Mail1");
    link(QString::fromLatin1(kDeveloperMail), QStringLiteral("mailto:") + QString::fromLatin1(kDeveloperMail) + subject, "Label_Mail2");
    auto* buttons = new QHBoxLayout;
    for (const char* caption : {"OK", "X"}) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QStringLiteral("btn_") + QString::fromLatin1(caption));
        connect(b, &QPushButton::clicked, this, &QDialog::accept);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
}

TForm_KT::TForm_KT(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_KT"));
    setWindowTitle(QStringLiteral("Калибратор температуры"));
}

TFormGraphChk::TFormGraphChk(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormGraphChk"));
}

TFormHelpCalcTCTP::TFormHelpCalcTCTP(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormHelpCalcTCTP"));
    setWindowTitle(QStringLiteral("Калькулятор ТС/ТП"));
}

TForm_Main::TForm_Main(const StartOptions& options, QWidget* parent) : QMainWindow(parent), m_options(options)
{
    setObjectName(QStringLiteral("Form_Main"));
    setWindowTitle(kCaption + QStringLiteral("  "));
    setMinimumSize(1024, 539);
    resize(1114, 720);
    BuildMenu();
    BuildPages();
    BuildStatusBar();

    m_timerStart = new QTimer(this);
    m_timerStart->setObjectName(QStringLiteral("Timer_Start"));
    m_timerStart->setInterval(1);
    connect(m_timerStart, &QTimer::timeout, this, [this] { DeferredStart(); });
    m_timerWrongEdit = new QTimer(this);
    m_timerWrongEdit->setObjectName(QStringLiteral("TimerWrongEdit"));
    m_timerWrongEdit->setInterval(2000);
    connect(m_timerWrongEdit, &QTimer::timeout, this, [this] {
        m_timerWrongEdit->stop();
        if (m_wrongField) m_wrongField->setPalette(m_wrongFieldPalette);
    });

    sensors::SetWrongFieldMarker([this](QWidget* w) { MarkWrongField(w); });
    sensors::SetMissingFieldText(ListText(QStringLiteral("strConst_Msg"), 29));

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
    m_disconnecting = true;
    ProgramWindows().assign({this});
}

TForm_Main::~TForm_Main()
{
    sensors::SetWrongFieldMarker({});
    auto& w = ProgramWindows();
    std::erase(w, this);
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
    QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
    file->setObjectName(QStringLiteral("MMFile"));
    connect(action(file, "MMFileNew", "Новый проект", false), &QAction::triggered, this, [this] {
        const QString f = QFileDialog::getSaveFileName(this, QStringLiteral("Создать новый проект"), DataDir(),
                                                       QStringLiteral("Проект АРМ ЛОРИК (*.aip)"));
        if (f.isEmpty()) return;
        m_projectName = f;
        UpdateCaption();
    });
    connect(action(file, "MMFileOpen", "Открыть проект", true), &QAction::triggered, this, [this] {
        const QString f = QFileDialog::getOpenFileName(this, QStringLiteral("Открыть проект"), DataDir(),
                                                       QStringLiteral("Проект АРМ ЛОРИК (*.aip)"));
        if (!f.isEmpty()) OpenProject(f);
    });
    connect(action(file, "MMFileSave", "Сохранить проект", true), &QAction::triggered, this, [this] { SaveProject(); });
    connect(action(file, "MMFileSaveAs", "Сохранить проект как ...", true), &QAction::triggered, this, [this] {
        QFileDialog d(this, QStringLiteral("Сохранить проект как"), DataDir(), QStringLiteral("Проект АРМ ЛОРИК (*.aip)"));
        d.setAcceptMode(QFileDialog::AcceptSave);
        d.setDefaultSuffix(QStringLiteral("aip"));
        if (d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty()) SaveProjectAs(d.selectedFiles().first());
    });
    action(file, "MMFileClose", "Закрыть проект", false);
    connect(action(file, "MMFileExit", "Выход", true), &QAction::triggered, this, [this] { close(); });
    QMenu* settings = menuBar()->addMenu(QStringLiteral("Настройки"));
    settings->setObjectName(QStringLiteral("MMSettings"));
    connect(action(settings, "N1", "Каталог с шаблонами Excell", true), &QAction::triggered, this,
            [this] { TemplateFolderCommand(); });
    QMenu* language = menuBar()->addMenu(QStringLiteral("Language"));
    language->setObjectName(QStringLiteral("MMLanguage"));
    language->menuAction()->setVisible(false);
    QMenu* help = menuBar()->addMenu(QStringLiteral("Помощь"));
    help->setObjectName(QStringLiteral("MMHelp"));
    connect(action(help, "MMHelpHelp", "Помощь", true), &QAction::triggered, this, [this] { HelpCommand(); });
    auto* f1 = new QAction(this); // context help; no caption of its own
    f1->setShortcut(QKeySequence(Qt::Key_F1));
    f1->setShortcutContext(Qt::WindowShortcut);
    addAction(f1);
    connect(f1, &QAction::triggered, this, [this] { ContextHelp(); });
    QAction* calc = action(help, "N_CalcTC_TP", "Калькулятор ТС/ТП", true);
    calc->setShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    connect(calc, &QAction::triggered, this, [] {
        for (QWidget* w : ProgramWindows())
            if (w && w->objectName() == QStringLiteral("FormHelpCalcTCTP")) w->show();
    });
    connect(action(help, "MMHelpAbout", "О программе", true), &QAction::triggered, this, [] {
        for (QWidget* w : ProgramWindows())
            if (auto* d = qobject_cast<TForm_About*>(w)) d->exec();
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
    BuildLists(connection);

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
        if (m_link) m_link->WriteRegisterInt(devlink::DebugTest, devlink::kDebugTestValue);
    });
    m_pages->addTab(connection, QStringLiteral("  Настройка связи  "));

    AddPage<TFrameGrad>(m_pages, "Calibration", "  Градуировка  ", "FrameGrad1");
    AddPage<TFrameSettingsLorik>(m_pages, "Configuration", "  Конфигурирование  ", "FrameSettingsLorik1");
    AddPage<TFrameEmulate>(m_pages, "Emulation", "  Эмуляция  ", "FrameEmulate1");
    AddPage<TFrameMesure>(m_pages, "Measure", "  Измерение  ", "FrameMesure1");
    auto* chk = AddPage<TFrame_Chk>(m_pages, "TestTab", "  Поверка  ", "Frame_Chk1");
    auto* cl = new QVBoxLayout(chk);
    auto* report = new TFrame_ReportParam(chk);
    report->setObjectName(QStringLiteral("Frame_ReportParam1"));
    auto* result = new TFrame_Chk_result(chk);
    result->setObjectName(QStringLiteral("Frame_Chk_result1"));
    cl->addWidget(report);
    cl->addWidget(result);
    AddPage<TFrameArchive>(m_pages, "Archive", "  Архив   ", "FrameArchive1");
}

void TForm_Main::BuildLists(QWidget* page)
{
    HiddenList(page, "strConst_Msg", MsgList());
    QStringList uail, modes;
    for (const char* t : kUailErrors) uail << QString::fromUtf8(t);
    for (const char* t : kModes) modes << QString::fromUtf8(t);
    HiddenList(page, "strConst_UAIL_err_Code2ASCII", uail);
    HiddenList(page, "strConst_Work2ASCII", WorkList());
    HiddenList(page, "strConst_Mode2str", modes);
}

void TForm_Main::BuildStatusBar()
{
    const int widths[9] = {100, 100, 200, 70, 70, 0, 80, 70, 50};
    for (int i = 0; i < 9; ++i) {
        m_statusPanels[i] = new TStatusPanel(this);
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
    for (int i = 0; i < m_pages->count(); ++i) out << m_pages->widget(i)->objectName();
    return out;
}

TDeviceFrame* TForm_Main::DeviceFrame(const QString& name) const { return findChild<TDeviceFrame*>(name); }

void TForm_Main::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (m_started || m_timerStart->isActive()) return;
    m_timerStart->start();
    LinkLostReaction(); // silent: the disconnecting flag is set
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
        m_projectName = m_settings.projectName;
        m_languageFile = m_settings.languageFile;
        UpdateCaption();
        setGeometry(m_settings.bounds);
    }
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
    LoadSaveProject(ProjectPath(m_projectName), false);
    show();

    m_link = std::make_unique<devlink::TInterface>();
    m_link->Frames().SetTimingEnabled(m_options.debug);
    m_link->Frames().SetExchangeDone([this](int r) { ExchangeDone(r); });
    m_link->Frames().SetLinkLost([this](int) { LinkLostReaction(); });

    m_dde->Register();
    // Devices arriving or leaving, and virtual calibrators starting or stopping, refresh the list.
    m_monitor = std::make_unique<platform::TtyMonitor>();
    if (m_monitor->Fd() >= 0) {
        auto* n = new QSocketNotifier(m_monitor->Fd(), QSocketNotifier::Read, this);
        connect(n, &QSocketNotifier::activated, this, [this] {
            if (m_monitor->Drain()) m_find->RefreshList();
        });
    }
    const QString simDir = platform::SimulatorDir();
    QDir().mkpath(simDir);
    auto* watcher = new QFileSystemWatcher(QStringList {simDir}, this);
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!m_connected) m_find->RefreshList();
    });

    m_find->ListPortsNow();
    // office suites are detected by the protocol page when it lands
}

void TForm_Main::UpdateCaption()
{
    setWindowTitle(ListText(QStringLiteral("strConst_Msg"), 30) + QStringLiteral("   ") + m_projectName);
}

void TForm_Main::ApplyTranslation()
{
    if (m_languageFile.isEmpty()) return;
    const QString path = ProgramDir() + QLatin1Char('/') + m_languageFile;
    if (!QFileInfo::exists(path)) return;
    platform::IniFile file;
    file.Load(path);
    TranslateWindow(this, file, false);
    sensors::SetMissingFieldText(ListText(QStringLiteral("strConst_Msg"), 29));
}

void TForm_Main::GenerateLanguageFile()
{
    m_languageFile = QStringLiteral("soft_generated.lng");
    const QString path = ProgramDir() + QLatin1Char('/') + m_languageFile;
    QFile::remove(path);
    platform::IniFile file;
    TranslateWindow(this, file, true);
    file.Save(path);
    platform::Messages().Show(platform::MessageService::Kind::Information, QString(),
                              QStringLiteral("!!! NEW  --") + ProgramDir() + QStringLiteral("/soft_generated.lng") +
                                  QStringLiteral("--    possible created."));
}

void TForm_Main::ConnectedReaction()
{
    StatusText(0, ListText(QStringLiteral("strConst_Msg"), 2));
    m_connected = true;
    for (TDeviceFrame* f : findChildren<TDeviceFrame*>()) f->SetLinkUp(true);
}

void TForm_Main::LinkLostReaction()
{
    if (m_connected && !m_disconnecting)
        platform::Messages().Show(platform::MessageService::Kind::Error, QStringLiteral("Ошибка"),
                                  QStringLiteral("Обрыв связи с ЛОРИК!"));
    m_connected = false;
    StatusText(0, ListText(QStringLiteral("strConst_Msg"), 3));
    if (m_link) m_link->Close();
    m_find->ShowDisconnected();
    for (TDeviceFrame* f : findChildren<TDeviceFrame*>()) f->SetLinkUp(false);
}

void TForm_Main::ConnectionFailedMessage()
{
    StatusText(0, ListText(QStringLiteral("strConst_Msg"), 3));
    platform::Messages().Show(platform::MessageService::Kind::Warning, QString(),
                              ListText(QStringLiteral("strConst_Msg"), 8));
}

void TForm_Main::NoLinkMessage()
{
    StatusText(0, ListText(QStringLiteral("strConst_Msg"), 3));
    platform::Messages().Show(platform::MessageService::Kind::Error, QString(), ListText(QStringLiteral("strConst_Msg"), 9));
}

void TForm_Main::OpenThroughDesktop(const QString& urlOrPath)
{
    if (desktopOpener) {
        desktopOpener(urlOrPath);
        return;
    }
    const QUrl url = urlOrPath.contains(QStringLiteral("://")) ? QUrl(urlOrPath)
                                                                : QUrl::fromLocalFile(QFileInfo(urlOrPath).absoluteFilePath());
    QDesktopServices::openUrl(url);
}

void TForm_Main::StatusText(int panel, const QString& text)
{
    if (panel < 0 || panel > 8) return;
    m_statusPanels[panel]->setText(text);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString TForm_Main::StatusPanelText(int panel) const
{
    return panel >= 0 && panel <= 8 ? m_statusPanels[panel]->text() : QString();
}

QString TForm_Main::ListText(const QString& name, int index) const
{
    auto* l = findChild<QListWidget*>(name);
    if (!l || l->metaObject() != &QListWidget::staticMetaObject || index < 0 || index >= l->count()) return {};
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

void TForm_Main::ShowRelays()
{
    if (!m_link) return;
    auto text = [this](int reg) {
        int v = 0;
        if (m_link->ReadRegisterInt(reg, &v) != 0) return QString();
        return v == 0 ? QStringLiteral("разомкнут") : QStringLiteral("замкнут");
    };
    StatusText(4, text(devlink::Relay1State));
    StatusText(7, text(devlink::Relay2State));
}

void TForm_Main::ClearRelays()
{
    StatusText(4, QString());
    StatusText(7, QString());
}

void TForm_Main::PublishValue(const QString& text) { m_dde->Publish(text); }

void TForm_Main::ExchangeDone(int)
{
    if (!m_options.debug || !m_link) return;
    const auto& t = m_link->Frames().LastTimings();
    const int values[5] = {t.open, t.send, t.receive, t.close, t.total};
    const char* captions[5] = {"open : ", "send : ", "recive : ", "close : ", "Total : "};
    for (int i = 0; i < 5; ++i)
        m_timeLabels[i]->setText(QString::fromLatin1(captions[i]) + QString::number(values[i]) + QStringLiteral(" mS"));
}

void TForm_Main::OpenProject(const QString& path)
{
    m_projectName = path;
    UpdateCaption();
    LoadSaveProject(ProjectPath(path), false);
}

void TForm_Main::SaveProject()
{
    if (!m_projectName.isEmpty() && QFileInfo::exists(ProjectPath(m_projectName))) {
        LoadSaveProject(ProjectPath(m_projectName), true);
        return;
    }
    QFileDialog d(this, QStringLiteral("Сохранить проект как"), DataDir(), QStringLiteral("Проект АРМ ЛОРИК (*.aip)"));
    d.setAcceptMode(QFileDialog::AcceptSave);
    d.setDefaultSuffix(QStringLiteral("aip"));
    if (d.exec() == QDialog::Accepted && !d.selectedFiles().isEmpty()) SaveProjectAs(d.selectedFiles().first());
}

void TForm_Main::SaveProjectAs(const QString& path)
{
    m_projectName = path;
    UpdateCaption();
    LoadSaveProject(ProjectPath(path), true);
}

void TForm_Main::HelpCommand()
{
    const QString help = ProgramDir() + QStringLiteral("/LORIKARM.chm");
    if (!QFileInfo::exists(help)) {
        platform::Messages().Show(platform::MessageService::Kind::Information, QString(),
                                  QStringLiteral("Файл справки не найден!"));
        return;
    }
    OpenThroughDesktop(help);
}

void TForm_Main::TemplateFolderCommand() { OpenThroughDesktop(TemplateDir()); }

QString TForm_Main::ContextHelp()
{
    const QString file = ProgramDir() + QStringLiteral("/LORIKXARM.chm");
    if (!QFileInfo::exists(file)) return {};
    QString target = file;
    for (int i = 0; i < m_settings.helpTopicNames.size(); ++i) {
        auto* w = findChild<QWidget*>(m_settings.helpTopicNames[i]);
        if (w && w->isVisible() && w->isEnabled()) {
            const QString topic = m_settings.helpTopicValues.value(i);
            target = QFileInfo(topic).isAbsolute() ? topic : ProgramDir() + QLatin1Char('/') + topic;
            break;
        }
    }
    OpenThroughDesktop(target);
    return target;
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
    if (m_options.saveLanguage && !m_link) return; // nothing was started
    m_find->TimerUI->stop();
    for (TDeviceFrame* f : findChildren<TDeviceFrame*>()) f->StopWork();
    if (m_connected) m_find->btnDisLinkClick();
    m_link.reset();
    if (!m_started) return;
    m_settings.projectName = m_projectName;
    m_settings.bounds = geometry();
    if (!WriteSettings(SettingsPath(), m_settings)) ErrorMessage(16);
    // the temperature calibrator list offers to save itself here when it lands
    LoadSaveProject(ProjectPath(m_projectName), true);
}

} // namespace shell
