// The temperature calibrator selection and its editor, offscreen, with a recorder for the boxes.
#include "platform/cp1251.h"
#include "platform/ini.h"
#include "platform/messageservice.h"
#include "sensors/numbers.h"
#include "verification/ktframe.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace verification;

namespace {

const char kTwo[] =
    "[Transfer]\r\n"
    "dev_0=Печь-1 {0.000000,600.000000}, {0.500000,0.001000}, {0.100000,0.000000}, {0.200000,0.000000}, "
    "{0.100000,0.000000}, 0.100000\r\n"
    "dev_1=Bath {-40.000000,140.000000}, {0.050000,0.000100}, {0.010000,0.000000}, {0.020000,0.000000}, "
    "{0.030000,0.000000}, 0.010000\r\n";

// Types `text` key by key, as a keyboard in any layout sends it.
void TypeText(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

class CalibratorFrame : public ::testing::Test {
protected:
    CalibratorFrame() : path(dir.filePath(QStringLiteral("kt.ini")))
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(platform::ToCp1251(QString::fromUtf8(kTwo)));
        f.close();
        frame = std::make_unique<TFrame_KT>(path);
        frame->SetEditor(&editor);
        frame->runEditor = [this](TForm_KT& e) {
            ++editorRuns;
            e.show(); // the required-field check passes hidden fields
            const bool ok = fill ? fill(e) : false;
            if (e.isVisible()) e.reject();
            return ok;
        };
    }
    QByteArray File() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The user chooses item `i` of the list.
    void Choose(int i)
    {
        frame->cb_KT->setCurrentIndex(i);
        Q_EMIT frame->cb_KT->activated(i);
    }
    static bool Accept(TForm_KT& e, const QString& name)
    {
        e.ed_Name->setText(name);
        for (QLineEdit* f : {e.ed_diap_min, e.ed_diap_max, e.ed_acc})
            f->setText(QStringLiteral("1"));
        return e.btn_SaveClick();
    }

    QTemporaryDir dir;
    QString path;
    platform::ScopedMessageRecorder messages;
    TForm_KT editor;
    std::unique_ptr<TFrame_KT> frame;
    std::function<bool(TForm_KT&)> fill;
    int editorRuns = 0;
};

} // namespace

TEST_F(CalibratorFrame, ReadsTheListAndFollowsTheSelection)
{
    QComboBox* cb = frame->cb_KT;
    ASSERT_EQ(cb->count(), 3);
    EXPECT_EQ(cb->itemText(0), QStringLiteral("Печь-1"));
    EXPECT_EQ(cb->itemText(2), QStringLiteral("- добавить -"));
    EXPECT_EQ(frame->SelectedCalibrator(), frame->List().At(0));
    EXPECT_TRUE(frame->btn_KT_Del->isEnabled());
    cb->setCurrentIndex(2); // as a project load does: no editor, no calibrator
    EXPECT_EQ(editorRuns, 0);
    EXPECT_EQ(frame->SelectedCalibrator(), nullptr);
    EXPECT_FALSE(frame->btn_KT_Del->isEnabled());
    cb->setCurrentIndex(1);
    frame->CheckBox_KT->setChecked(false);
    frame->CheckBox_KTClick();
    EXPECT_EQ(frame->SelectedCalibrator(), nullptr);
    EXPECT_FALSE(cb->isEnabled());
    frame->CheckBox_KT->setChecked(true);
    frame->CheckBox_KTClick();
    EXPECT_EQ(frame->SelectedCalibrator(), frame->List().At(1));
}

TEST_F(CalibratorFrame, AddingOnTheUsersChoiceCancelRestores)
{
    frame->cb_KT->setCurrentIndex(1);
    Choose(2); // cancelled
    EXPECT_EQ(editorRuns, 1);
    EXPECT_EQ(frame->cb_KT->currentIndex(), 1);
    EXPECT_EQ(frame->SelectedCalibrator(), frame->List().At(1));
    EXPECT_FALSE(frame->List().Modified());

    // an empty field keeps the editor open with the message, the name is one token
    fill = [](TForm_KT& e) {
        EXPECT_EQ(e.ed_Name->text(), QStringLiteral("---"));
        EXPECT_EQ(e.ed_A_err->text(), QStringLiteral("0.0"));
        e.ed_acc->clear();
        EXPECT_FALSE(e.btn_SaveClick());
        EXPECT_TRUE(e.isVisible());
        e.ed_Name->clear();
        TypeText(e.ed_Name, QStringLiteral("Печь 2✓"));
        EXPECT_EQ(e.ed_Name->text(), QStringLiteral("Печь_2")); // blank → '_', outside Windows-1251 refused
        e.ed_diap_min->setText(QStringLiteral("-10"));
        e.ed_diap_max->setText(QStringLiteral("300"));
        e.ed_acc->setText(QStringLiteral("0.1"));
        e.ed_B_unst->setText(QStringLiteral("0.0005"));
        return e.btn_SaveClick();
    };
    Choose(2);
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Не указан параметр")});
    ASSERT_EQ(frame->List().Count(), 3);
    EXPECT_EQ(frame->cb_KT->itemText(2), QStringLiteral("Печь_2"));
    EXPECT_EQ(frame->cb_KT->itemText(3), QStringLiteral("- добавить -"));
    EXPECT_EQ(frame->cb_KT->currentIndex(), 2);
    const sensors::TCalibratorRecord* added = frame->List().At(2);
    EXPECT_EQ(frame->SelectedCalibrator(), added);
    EXPECT_EQ(added->rangeMin, -10.0f);
    EXPECT_EQ(added->instabilityB, 0.0005f);
    EXPECT_TRUE(frame->List().Modified());

    // a name that is too long for the list never reaches it
    fill = [](TForm_KT& e) {
        e.ed_Name->clear();
        TypeText(e.ed_Name, QString(70, u'Ж'));
        EXPECT_EQ(e.ed_Name->text().size(), kMaxCalibratorName);
        return e.btn_SaveClick();
    };
    Choose(3);
    EXPECT_EQ(CalibratorName(*frame->List().At(3)), QString(kMaxCalibratorName, u'Ж'));
}

TEST_F(CalibratorFrame, EditingShowsTheNewNameAtOnce)
{
    frame->cb_KT->setCurrentIndex(1);
    const sensors::TCalibratorRecord* bath = frame->List().At(1);
    fill = [](TForm_KT& e) {
        EXPECT_EQ(e.ed_Name->text(), QStringLiteral("Bath"));
        EXPECT_EQ(e.ed_B_err->text(), QStringLiteral("0.0001"));
        EXPECT_EQ(e.ed_diap_min->text(), QStringLiteral("-40"));
        return Accept(e, QStringLiteral("Bath-2"));
    };
    frame->btn_KT_paramsClick();
    EXPECT_EQ(frame->cb_KT->itemText(1), QStringLiteral("Bath-2"));
    EXPECT_EQ(frame->List().At(1), bath); // the same record, changed
    EXPECT_EQ(CalibratorName(*bath), QStringLiteral("Bath-2"));
    EXPECT_EQ(frame->SelectedCalibrator(), bath);
    EXPECT_EQ(frame->List().Count(), 2);
}

TEST_F(CalibratorFrame, DeletingAsksAndEverythingFollowsTheFirstItem)
{
    frame->cb_KT->setCurrentIndex(1);
    messages.QueueAnswer(false);
    frame->btn_KT_DelClick();
    EXPECT_EQ(messages.Texts().last(), QStringLiteral("Удалить Bath ?"));
    EXPECT_EQ(frame->List().Count(), 2);

    frame->btn_KT_DelClick(); // OK
    ASSERT_EQ(frame->List().Count(), 1);
    EXPECT_EQ(frame->cb_KT->count(), 2);
    EXPECT_EQ(frame->cb_KT->currentIndex(), 0);
    EXPECT_EQ(frame->SelectedCalibrator(), frame->List().At(0));
    EXPECT_EQ(frame->CurrentRecord(), frame->List().At(0));
    EXPECT_TRUE(frame->List().Modified());

    // deleting the selected (and last) one leaves only "- добавить -": no calibrator, no editor
    frame->btn_KT_DelClick();
    EXPECT_EQ(frame->List().Count(), 0);
    EXPECT_EQ(frame->cb_KT->count(), 1);
    EXPECT_EQ(frame->SelectedCalibrator(), nullptr);
    EXPECT_FALSE(frame->btn_KT_Del->isEnabled());
    EXPECT_EQ(editorRuns, 0);
    frame->btn_KT_DelClick(); // nothing to delete
    EXPECT_EQ(messages.Texts().size(), 3);
}

TEST_F(CalibratorFrame, SaveListAsksOnlyWhenChanged)
{
    const QByteArray before = File();
    EXPECT_EQ(frame->SaveList(false), TFrame_KT::SaveOutcome::Unchanged);
    EXPECT_TRUE(messages.Texts().isEmpty());

    frame->btn_KT_DelClick(); // deletes "Печь-1"
    messages.Clear();
    messages.QueueAnswer(false);
    EXPECT_EQ(frame->SaveList(false), TFrame_KT::SaveOutcome::Declined);
    EXPECT_EQ(messages.Texts(),
              QStringList{QStringLiteral("Список калибраторов теспературы изменён!\n Сохранить?")});
    EXPECT_EQ(File(), before);

    EXPECT_EQ(frame->SaveList(false), TFrame_KT::SaveOutcome::Saved);
    platform::IniFile ini;
    ini.Load(path);
    EXPECT_EQ(ini.Keys(QStringLiteral("Transfer")), QStringList{QStringLiteral("dev_0")});
    EXPECT_TRUE(
        ini.Value(QStringLiteral("Transfer"), QStringLiteral("dev_0")).startsWith(QStringLiteral("Bath {")));
    EXPECT_EQ(frame->SaveList(false), TFrame_KT::SaveOutcome::Unchanged);

    // unattended: saved without a question
    fill = [](TForm_KT& e) { return Accept(e, QStringLiteral("New")); };
    frame->btn_KT_paramsClick();
    messages.Clear();
    EXPECT_EQ(frame->SaveList(true), TFrame_KT::SaveOutcome::Saved);
    EXPECT_TRUE(messages.Texts().isEmpty());
    ini.Load(path);
    EXPECT_EQ(ini.Keys(QStringLiteral("Transfer")).size(), 1); // "Параметры" on Bath edited it
    EXPECT_TRUE(
        ini.Value(QStringLiteral("Transfer"), QStringLiteral("dev_0")).startsWith(QStringLiteral("New {")));
}

TEST_F(CalibratorFrame, AFailedSaveSaysWhere)
{
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString where = dir.filePath(QStringLiteral("file/kt.ini"));
    TFrame_KT f(where); // a folder that cannot hold the file: the list is empty
    EXPECT_EQ(f.cb_KT->count(), 1);
    f.List().SetModified(true);
    EXPECT_EQ(f.SaveList(true), TFrame_KT::SaveOutcome::Failed);
    EXPECT_EQ(messages.Texts(),
              QStringList{QStringLiteral("Невозможно создать файл \n ") + where + QStringLiteral(" !")});
}

TEST_F(CalibratorFrame, ReferenceErrorByTypeOrTyped)
{
    EXPECT_EQ(frame->ThermometerType(), 0);
    EXPECT_EQ(frame->cb_RETAN_ErrValue->text(), QStringLiteral("0.01"));
    EXPECT_FALSE(frame->cb_RETAN_ErrValue->isEnabled());
    frame->cb_RETAN_type->setCurrentIndex(8);
    EXPECT_EQ(frame->ThermometerType(), 8);
    EXPECT_EQ(frame->cb_RETAN_ErrValue->text(), QStringLiteral("0.02"));

    measure::TStatistics meas, ref;
    for (float x : {-10.01f, -9.98f}) {
        measure::AddWindow(meas, x);
        measure::AddWindow(ref, x);
    }
    EXPECT_TRUE(std::isnan(frame->PointUncertainty(ref, meas))); // type 8 is not rated at -10 °C

    frame->rb_RETAN_errByValue->setChecked(true);
    frame->rb_RETAN_Click();
    EXPECT_EQ(frame->ThermometerType(), -1);
    EXPECT_FALSE(frame->cb_RETAN_type->isEnabled());
    EXPECT_TRUE(frame->cb_RETAN_ErrValue->isEnabled());
    frame->cb_RETAN_ErrValue->setText(QStringLiteral("0.05"));
    EXPECT_EQ(frame->PointUncertainty(ref, meas),
              sensors::UncertaintyTemperature(meas, ref, frame->List().At(0), 0.05f));
    frame->CheckBox_KT->setChecked(false);
    frame->CheckBox_KTClick();
    EXPECT_EQ(frame->PointUncertainty(ref, meas), sensors::UncertaintyTemperature(meas, ref, nullptr, 0.05f));
}
