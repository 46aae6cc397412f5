// Project files and language files over the one component model: what is a component, where its
// values go, and texts whose ids do not depend on what else the window holds.
#include "platform/ini.h"
#include "shell/commands.h"
#include "shell/components.h"
#include "shell/mainwindow.h"
#include "shell/paths.h"
#include "shell/project.h"
#include "shell/radiogroup.h"
#include "shell/translation.h"
#include "tests/support/scoped_env.h"

#include "platform/messageservice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace shell;

namespace {

// A frame with a few kinds of controls and handlers that record the order they run in.
class TFrameProbe : public QFrame {
    Q_OBJECT
public:
    explicit TFrameProbe(QWidget* parent, QStringList* log) : QFrame(parent)
    {
        setObjectName(QStringLiteral("FrameProbe1"));
        auto* box = new QWidget(this); // an unnamed container: the walk goes through it
        edit = new QLineEdit(box);
        edit->setObjectName(QStringLiteral("ed_Value"));
        combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("cb_Kind"));
        combo->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        check = new QCheckBox(this);
        check->setObjectName(QStringLiteral("cb_Auto"));
        memo = new QPlainTextEdit(this);
        memo->setObjectName(QStringLiteral("Memo1"));
        group = new TRadioGroup(QStringLiteral("g"), {QStringLiteral("x"), QStringLiteral("y")}, this);
        group->setObjectName(QStringLiteral("rg_Mode"));
        date = new QLineEdit(this);
        date->setObjectName(QStringLiteral("amp_CD_DATE"));
        spinA = new QSpinBox(this);
        spinA->setObjectName(QStringLiteral("se_First"));
        spinB = new QSpinBox(box);
        spinB->setObjectName(QStringLiteral("se_Second"));
        tabs = new QTabWidget(this);
        tabs->setObjectName(QStringLiteral("pc_Modes"));
        for (const char* page : {"ts_One", "ts_Two"}) {
            auto* p = new QWidget;
            p->setObjectName(QString::fromLatin1(page));
            tabs->addTab(p, QString::fromLatin1(page));
        }
        onPage = new QLineEdit(tabs->widget(1));
        onPage->setObjectName(QStringLiteral("ed_OnPage"));
        connect(combo, &QComboBox::currentIndexChanged, this,
                [log, this](int i) { *log << QStringLiteral("combo %1 edit=%2").arg(i).arg(edit->text()); });
        connect(check, &QCheckBox::clicked, this,
                [log](bool on) { *log << QStringLiteral("box %1").arg(on); });
        connect(group, &TRadioGroup::clicked, this,
                [log](int i) { *log << QStringLiteral("group %1").arg(i); });
    }
    QLineEdit* edit;
    QComboBox* combo;
    QCheckBox* check;
    QPlainTextEdit* memo;
    TRadioGroup* group;
    QLineEdit* date;
    QSpinBox* spinA;
    QSpinBox* spinB;
    QTabWidget* tabs;
    QLineEdit* onPage;
};

// A top-level window of its own.
class TForm_Probe : public QWidget {
    Q_OBJECT
public:
    TForm_Probe() { setObjectName(QStringLiteral("Form_KT")); }
};

class Projects : public ::testing::Test {
protected:
    Projects() : home("LORIKWS_HOME", homeDir.path().toLocal8Bit()) {}
    QStringList Names(QObject* owner) const
    {
        QStringList out;
        for (QObject* c : OwnedComponents(owner))
            out << c->objectName();
        return out;
    }
    QTemporaryDir homeDir;
    testsupport::ScopedEnv home;
    testsupport::ScopedSimDir simDir;
    platform::ScopedMessageRecorder messages;
};

} // namespace

TEST_F(Projects, ComponentsAreNamedAndNeverTheInsidesOfAControl)
{
    TForm_Main w(StartOptions{});
    QStringList log;
    auto* probe = new TFrameProbe(&w, &log);
    const QStringList names = Names(probe);
    EXPECT_EQ(
        names,
        (QStringList{QStringLiteral("ed_Value"), QStringLiteral("se_Second"), QStringLiteral("cb_Kind"),
                     QStringLiteral("cb_Auto"), QStringLiteral("Memo1"), QStringLiteral("rg_Mode"),
                     QStringLiteral("amp_CD_DATE"), QStringLiteral("se_First"), QStringLiteral("pc_Modes"),
                     QStringLiteral("ts_One"), QStringLiteral("ts_Two"), QStringLiteral("ed_OnPage")}));
    EXPECT_EQ(SectionName(probe->onPage), QStringLiteral("_Form_Main_FrameProbe1_"));
    // other windows are walked on their own, with sections of their own
    QDialog other(&w);
    other.setObjectName(QStringLiteral("Form_Other"));
    EXPECT_FALSE(Names(&w).contains(QStringLiteral("Form_Other")));
}

TEST_F(Projects, RoundTripRunsHandlersInLoadOrderAndKeepsEachSpinBox)
{
    TForm_Main w(StartOptions{});
    QStringList log;
    auto* probe = new TFrameProbe(&w, &log);
    probe->edit->setText(QStringLiteral("12.5"));
    probe->combo->setCurrentIndex(2);
    probe->check->setChecked(true);
    probe->memo->setPlainText(QStringLiteral("one\nдва\nthree"));
    probe->group->SetItemIndex(1, false);
    probe->date->setText(QStringLiteral("01.01.2026"));
    probe->spinA->setValue(7);
    probe->spinB->setValue(42);
    probe->tabs->setCurrentIndex(1);
    const QString path = homeDir.filePath(QStringLiteral("p.aip"));
    ASSERT_EQ(LoadSaveProject(path, true), 0);

    platform::IniFile ini;
    ASSERT_TRUE(ini.Load(path));
    const QString section = QStringLiteral("_Form_Main_FrameProbe1_");
    EXPECT_EQ(ini.Value(section, QStringLiteral("ed_Value")), QStringLiteral("12.5"));
    EXPECT_EQ(ini.Value(section, QStringLiteral("Memo1_str1")), QStringLiteral("два"));
    EXPECT_EQ(ini.Value(section, QStringLiteral("se_First")), QStringLiteral("7"));
    EXPECT_EQ(ini.Value(section, QStringLiteral("se_Second")), QStringLiteral("42"));
    EXPECT_FALSE(ini.HasKey(section, QStringLiteral("qt_spinbox_lineedit")));
    EXPECT_FALSE(ini.HasKey(section, QStringLiteral("amp_CD_DATE")));
    EXPECT_FALSE(ini.HasKey(QStringLiteral("_Form_Main_"), QStringLiteral("Pages")));
    EXPECT_EQ(ini.Value(QStringLiteral("_Form_Main_FrameFindDevice1_"), QStringLiteral("cbAutoConnect")),
              QStringLiteral("1"));
    for (const QString& s : ini.Sections())
        for (const QString& k : ini.Keys(s))
            EXPECT_FALSE(k.startsWith(QLatin1String("qt_"))) << k.toStdString();

    probe->edit->clear();
    probe->combo->setCurrentIndex(0);
    probe->check->setChecked(false);
    probe->memo->setPlainText(QStringLiteral("just one"));
    probe->group->SetItemIndex(0, false);
    probe->date->setText(QStringLiteral("kept"));
    probe->spinA->setValue(0);
    probe->spinB->setValue(0);
    probe->tabs->setCurrentIndex(0);
    log.clear();
    ASSERT_EQ(LoadSaveProject(path, false), 0);
    EXPECT_EQ(probe->edit->text(), QStringLiteral("12.5"));
    EXPECT_EQ(probe->combo->currentIndex(), 2);
    EXPECT_TRUE(probe->check->isChecked());
    EXPECT_EQ(probe->memo->toPlainText(), QStringLiteral("one\nдва\nthree"));
    EXPECT_EQ(probe->group->ItemIndex(), 1);
    EXPECT_EQ(probe->date->text(), QStringLiteral("kept"));
    EXPECT_EQ(probe->spinA->value(), 7);
    EXPECT_EQ(probe->spinB->value(), 42);
    EXPECT_EQ(probe->tabs->currentIndex(), 1);
    // handlers ran once each, in load order, after the controls before them were loaded
    EXPECT_EQ(log, (QStringList{QStringLiteral("combo 2 edit=12.5"), QStringLiteral("box 1"),
                                QStringLiteral("group 1")}));

    // a shorter memo leaves no stale lines behind
    probe->memo->setPlainText(QStringLiteral("only"));
    ASSERT_EQ(LoadSaveProject(path, true), 0);
    probe->memo->setPlainText(QStringLiteral("x"));
    ASSERT_EQ(LoadSaveProject(path, false), 0);
    EXPECT_EQ(probe->memo->toPlainText(), QStringLiteral("only"));
    // a missing file: combo boxes go to their first entry, handlers still run
    log.clear();
    ASSERT_EQ(LoadSaveProject(homeDir.filePath(QStringLiteral("none.aip")), false), 0);
    EXPECT_EQ(probe->combo->currentIndex(), 0);
    EXPECT_TRUE(log.contains(QStringLiteral("combo 0 edit=12.5")));
}

TEST_F(Projects, TheOtherWindowsHaveSectionsOfTheirOwn)
{
    TForm_Main w(StartOptions{});
    TForm_Probe kt; // a top-level window, as the calibrator list editor is
    auto* name = new QLineEdit(&kt);
    name->setObjectName(QStringLiteral("ed_Name"));
    name->setText(QStringLiteral("ТБ-1"));
    ProgramWindows().assign({&w, &kt});
    const QString path = homeDir.filePath(QStringLiteral("w.aip"));
    ASSERT_EQ(LoadSaveProject(path, true), 0);
    platform::IniFile ini;
    ASSERT_TRUE(ini.Load(path));
    EXPECT_EQ(ini.Value(QStringLiteral("_Form_KT_"), QStringLiteral("ed_Name")), QStringLiteral("ТБ-1"));
    EXPECT_FALSE(ini.HasSection(QStringLiteral("_Form_Main_Form_KT_")));
    ProgramWindows().assign({&w});
}

TEST_F(Projects, AGeneratedLanguageFileReproducesTheInterfaceExactly)
{
    // "save_lng" walks the whole window, Calibration page included; a start without "admin" then
    // removes that page before translating. Page captions once shifted by one, and both relay
    // panels read "Реле 2:".
    const QString name = QStringLiteral("generated_test.lng");
    const QString path = ProgramDir() + QLatin1Char('/') + name;
    platform::IniFile generated;
    {
        TForm_Main full(StartOptions::FromArguments({QStringLiteral("lorikws"), QStringLiteral("admin")}));
        TranslateWindow(&full, generated, true);
    }
    ASSERT_TRUE(generated.Save(path));
    platform::IniFile before; // the texts of a started window without a language file
    {
        TForm_Main fresh(StartOptions{});
        fresh.DeferredStart();
        TranslateWindow(&fresh, before, true);
    }
    platform::IniFile settings;
    settings.SetValue(QStringLiteral("Main"), QStringLiteral("LanguageFile"), name);
    ASSERT_TRUE(settings.Save(SettingsPath()));

    // a started, translated window shows every text exactly as the untranslated one
    TForm_Main w(StartOptions{});
    w.DeferredStart();
    QTabWidget* pages = w.PagesWidget();
    ASSERT_EQ(pages->count(), 6);
    EXPECT_EQ(pages->tabText(1), QStringLiteral("  Конфигурирование  "));
    EXPECT_EQ(pages->tabText(5), QStringLiteral("  Архив   "));
    EXPECT_EQ(w.StatusPanelText(3), QStringLiteral("Реле 1:"));
    EXPECT_EQ(w.StatusPanelText(6), QStringLiteral("Реле 2:"));
    platform::IniFile after;
    TranslateWindow(&w, after, true);
    const QString t = QStringLiteral("Translate");
    EXPECT_GT(after.Keys(t).size(), 50);
    for (const QString& id : after.Keys(t)) {
        EXPECT_TRUE(generated.HasKey(t, id)) << id.toStdString();
        EXPECT_EQ(after.Value(t, id), before.Value(t, id)) << after.Value(t, id).toStdString();
    }
    QFile::remove(path);
}

TEST_F(Projects, SaveFailuresAreReportedAndChangeNothing)
{
    const QString blocked = homeDir.filePath(QStringLiteral("no/such/folder/p.aip"));
    const QString message = QStringLiteral("Невозможно создать файл \n %1 !").arg(blocked);
    auto w = std::make_unique<TForm_Main>(StartOptions{});
    w->DeferredStart();
    const QString caption = w->windowTitle();
    struct Row {
        const char* name;
        std::function<void()> act;
    } rows[] = {
        {"save as", [&] { EXPECT_FALSE(w->Commands().SaveProjectAs(blocked)); }},
        {"save as through the dialog",
         [&] {
             w->Commands().chooseFile = [&](TMainCommands::Dialog) { return blocked; };
             w->Commands().SaveProjectAsDialog();
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        messages.Clear();
        row.act();
        EXPECT_EQ(messages.Texts(), QStringList{message});
        EXPECT_EQ(w->windowTitle(), caption); // no file of that name was written
        EXPECT_TRUE(w->Commands().ProjectName().isEmpty());
        EXPECT_FALSE(QFile::exists(blocked));
    }
    // Save and the close sequence on a project whose folder has gone
    QDir(homeDir.path()).mkpath(QStringLiteral("gone"));
    const QString gone = homeDir.filePath(QStringLiteral("gone/p.aip"));
    ASSERT_TRUE(w->Commands().SaveProjectAs(gone));
    ASSERT_TRUE(QDir(homeDir.filePath(QStringLiteral("gone"))).removeRecursively());
    messages.Clear();
    w->Commands().chooseFile = [](TMainCommands::Dialog) { return QString(); };
    w->Commands().SaveProject(); // the file is gone: Save asks for a name, and Cancel changes nothing
    EXPECT_TRUE(messages.Texts().isEmpty());
    w->CloseSequence();
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Невозможно создать файл \n %1 !").arg(gone)});
}

TEST_F(Projects, ADamagedProjectIsKeptAndSaidSoOnce)
{
    const QString path = DefaultProjectPath();
    const QByteArray damaged =
        "[_Form_Main_FrameFindDevice1_]\r\ncbAutoConnect=0\r\n\x01\x02garbage without a key\r\n"
        "[_Form_Main_]\r\n\xff\xfe\x00\x00binary";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    }
    {
        auto w = std::make_unique<TForm_Main>(StartOptions{});
        w->DeferredStart();
        EXPECT_EQ(messages.Texts().filter(QStringLiteral("повреждён")).size(), 1);
        EXPECT_FALSE(w->FindFrame() == nullptr);
        w->CloseSequence();
    }
    QFile bad(path + QStringLiteral(".bad"));
    ASSERT_TRUE(bad.open(QIODevice::ReadOnly));
    EXPECT_EQ(bad.readAll(), damaged); // the damaged file, byte for byte
    platform::IniFile saved;
    ASSERT_TRUE(saved.Load(path));
    EXPECT_EQ(saved.UnreadLines(), 0);
    // what did read was loaded and saved again
    EXPECT_EQ(saved.Value(QStringLiteral("_Form_Main_FrameFindDevice1_"), QStringLiteral("cbAutoConnect")),
              QStringLiteral("0"));
    messages.Clear();
    auto again = std::make_unique<TForm_Main>(StartOptions{});
    again->DeferredStart();
    EXPECT_TRUE(messages.Texts().filter(QStringLiteral("повреждён")).isEmpty()); // once
}

#include "project_test.moc"
