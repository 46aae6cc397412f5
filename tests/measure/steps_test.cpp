// The value spinner and the step programme: their logic under a manual timer, and the frames that
// the Emulation and verification pages embed.
#include "measure/stepprogram.h"
#include "measure/stepsframe.h"
#include "measure/valuecontrolframe.h"
#include "measure/valuespinner.h"
#include "platform/delay.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVariant>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace measure;
using namespace Qt::StringLiterals;

namespace {

struct Spinner {
    hart::ManualTimer timer;
    ValueSpinner s{timer};
    std::vector<float> told;
    Spinner(float min, float max, float value)
    {
        s.SetMinimum(min);
        s.SetMaximum(max);
        s.SetValue(value);
        s.onChanged = [this](float v) { told.push_back(v); };
    }
};

} // namespace

TEST(ValueSpinner, PressRepeatsAt400Then200AndReleaseResets)
{
    Spinner sp(0, 100, 10);
    sp.s.Press(12); // + 1
    EXPECT_EQ(sp.told, std::vector<float>{11});
    EXPECT_TRUE(sp.timer.IsActive());
    EXPECT_EQ(sp.timer.Interval(), 400);
    sp.s.Repeat();
    EXPECT_EQ(sp.timer.Interval(), 200);
    sp.s.Repeat();
    EXPECT_EQ(sp.told, (std::vector<float>{11, 12, 13}));
    sp.s.Release();
    EXPECT_FALSE(sp.timer.IsActive());
    sp.s.Repeat(); // a tick queued before the release moves nothing
    EXPECT_EQ(sp.told.size(), 3u);
    sp.s.Press(11); // - 10
    EXPECT_EQ(sp.timer.Interval(), 400);
    EXPECT_FLOAT_EQ(sp.s.Value(), 3);
    sp.s.Press(42); // not a step button
    EXPECT_FLOAT_EQ(sp.s.Value(), 3);
}

TEST(ValueSpinner, ClampsAtTheBoundsAndKeepsNotifying)
{
    Spinner up(0, 100, 99.5f);
    up.s.Press(12);
    up.s.Repeat();
    up.s.Repeat();
    EXPECT_EQ(up.told, (std::vector<float>{100, 100, 100}));

    Spinner down(-10, 100, -10);
    down.s.Press(19); // - 0.001 at the minimum
    EXPECT_EQ(down.told, std::vector<float>{-10});

    const struct {
        int tag;
        float step;
    } steps[] = {{10, 10}, {11, -10}, {14, 0.1f}, {17, -0.01f}, {18, 0.001f}, {9, 0}, {20, 0}};
    for (const auto& c : steps)
        EXPECT_FLOAT_EQ(SpinnerStep(c.tag), c.step) << c.tag;
}

TEST(ValueControlFrame, LabelsDecimalsAndSameValuesNotifyNobody)
{
    TFrame_ValueControl f;
    EXPECT_EQ(f.Label_Value->text(), u"0.000"_s);
    EXPECT_EQ(f.Button(13)->objectName(), u"Panel7"_s);
    EXPECT_EQ(f.Button(16)->text(), u"+ 0.01"_s);
    int calls = 0;
    f.onValue = [&](float) { return ++calls, 0; };
    f.SetMinimum(-50);
    EXPECT_EQ(f.Label_Diap->text(), u"-50 ... 0 "_s);
    f.SetMaximum(1300);
    f.SetUnit(u"°С"_s);
    EXPECT_EQ(f.Label_Diap->text(), u"-50 ... 1300 °С"_s);
    EXPECT_EQ(f.Label_Units->text(), u"°С"_s);
    f.Label_Diap->clear();
    f.SetMinimum(-50);
    f.SetMaximum(1300);
    f.SetUnit(u"°С"_s);
    f.SetDecimals(3);
    EXPECT_EQ(f.Label_Diap->text(), u""_s);
    EXPECT_EQ(calls, 0);
    f.SetValue(12.345f);
    calls = 0;
    f.SetDecimals(1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(f.Label_Value->text(), u"12.3"_s);
}

TEST(ValueControlFrame, DisableOrHideMidHoldEndsTheRepeat)
{
    for (bool hide : {false, true}) {
        QWidget host;
        auto* f = new TFrame_ValueControl(&host);
        f->SetMaximum(100);
        host.show();
        f->Button(12)->pressed(); // a mouse-down
        ASSERT_TRUE(f->TimerAutoIncrement->isActive());
        if (hide)
            host.hide();
        else
            host.setEnabled(false);
        EXPECT_FALSE(f->TimerAutoIncrement->isActive()) << hide;
        EXPECT_FALSE(f->Spinner().Holding());
        f->Spinner().Repeat();
        EXPECT_FLOAT_EQ(f->Value(), 1) << hide;
    }
}

TEST(StepProgram, BuildsRampsAndProgrammes)
{
    const QStringList tens = RampSteps(u"0"_s, u"100"_s, 10);
    ASSERT_EQ(tens.size(), 20);
    EXPECT_EQ(tens.mid(0, 12).join(u' '), u"0 10 20 30 40 50 60 70 80 90 100 90"_s);
    EXPECT_EQ(tens.last(), u"10"_s);
    EXPECT_EQ(RampSteps(u"4"_s, u"20"_s, 10)[1], u"5.6"_s);
    EXPECT_EQ(RampSteps(u"0"_s, u"100"_s, 4).join(u' '), u"0 25 50 75 100 75 50 25"_s);
    EXPECT_EQ(ProgrammedSteps({u"1"_s, u"5"_s, u"9"_s}).join(u' '), u"1 5 9 5"_s);
    EXPECT_EQ(ProgrammedSteps({u"1"_s, u"5"_s, u"9"_s, u"12"_s}).join(u' '), u"1 5 9 12 9 5"_s);
    EXPECT_EQ(ProgrammedSteps({u"3"_s, u"7"_s}).join(u' '), u"3 7"_s);
}

TEST(StepProgram, CountdownAdvancesAndNextByHandRestartsIt)
{
    hart::ManualTimer timer;
    StepProgram p(timer);
    QStringList sent;
    std::vector<int> left;
    p.onValue = [&](const QString& t, float) { sent << t; };
    p.onCountdown = [&](int s) { left.push_back(s); };
    p.Start({u"1"_s, u"5"_s, u"9"_s, u"5"_s}, 5, true);
    EXPECT_TRUE(timer.IsActive());
    EXPECT_EQ(timer.Interval(), 1000);
    for (int i = 0; i < 5; ++i)
        p.Tick();
    EXPECT_EQ(left, (std::vector<int>{4, 3, 2, 1}));
    EXPECT_EQ(sent.join(u' '), u"1 5"_s);
    p.Tick();
    p.Tick();
    EXPECT_EQ(p.Remaining(), 3);
    p.Next();
    EXPECT_EQ(p.Remaining(), 5);
    p.SetPaused(true);
    p.Tick();
    EXPECT_EQ(p.Remaining(), 5);
    p.SetPaused(false);
    p.Next();
    p.Next(); // cyclic
    EXPECT_EQ(sent.join(u' '), u"1 5 9 5 1"_s);
    EXPECT_FLOAT_EQ(p.CurrentValue(), 1);
    p.Stop();
    EXPECT_FALSE(timer.IsActive());
    p.Tick();
    EXPECT_EQ(sent.size(), 5);
}

TEST(StepProgram, EmptyListSendsNothingAndHasNoValue)
{
    hart::ManualTimer timer;
    StepProgram p(timer);
    int sent = 0;
    p.onValue = [&](const QString&, float) { ++sent; };
    p.Start({}, 5, true);
    p.Next();
    p.Tick();
    EXPECT_EQ(sent, 0);
    EXPECT_TRUE(std::isnan(p.CurrentValue()));
    EXPECT_FALSE(timer.IsActive());
}

namespace {

void Key(QWidget* w, int key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &press);
}

} // namespace

TEST(StepsFrame, ValidateFindsTheOffendingField)
{
    platform::ScopedNoDelay noDelay;
    TFrame_steps f;
    f.EFixedSteps->setCurrentIndex(kStepsTenPercent);
    f.ERangeStart->setText(u"0"_s);
    f.ERangeEnd->setText(u"1400"_s);
    EXPECT_EQ(f.Validate(-50, 1300), f.ERangeEnd);
    f.ERangeEnd->setText(u"1300"_s);
    EXPECT_EQ(f.Validate(-50, 1300), nullptr);
    f.EFixedSteps->setCurrentIndex(kStepsProgrammed);
    EXPECT_EQ(f.Validate(-50, 1300), f.EStep[0]);
    f.EStep[4]->setChecked(true);
    f.EStepValue[4]->setText(u"<<<.<<<"_s);
    EXPECT_EQ(f.Validate(-50, 1300), f.EStepValue[4]);
    f.EFixedSteps->setCurrentIndex(kStepsNone);
    EXPECT_EQ(f.Validate(-50, 1300), f.ESignalValue);
    EXPECT_TRUE(f.ESignalValuePanel->isVisibleTo(&f));
    EXPECT_FALSE(f.EAutoStepPanel->isVisibleTo(&f));
}

TEST(StepsFrame, RunningLocksShowsCountdownAndStoresTheInterval)
{
    TFrame_steps f;
    QStringList sent;
    f.onValue = [&](const QString& t, float) { return sent << t, 0; };
    f.EFixedSteps->setCurrentIndex(kStepsProgrammed);
    for (int i : {1, 4, 6}) {
        f.EStep[i]->setChecked(true);
        f.EStepValue[i]->setText(QString::number(i));
    }
    f.EAutoStep->setChecked(true);
    f.EAutoStepInterval->setMinimum(1);
    f.EAutoStepInterval->setValue(7);
    f.Stop(); // not running: nothing
    EXPECT_FALSE(f.btnDoNextStepHand->isEnabled());
    f.Start();
    EXPECT_EQ(sent.join(u' '), u"1"_s);
    EXPECT_TRUE(f.TimerStep->isActive());
    EXPECT_FALSE(f.EFixedSteps->isEnabled());
    EXPECT_FALSE(f.EStep[1]->isEnabled());
    f.Program().Tick();
    f.Program().Tick();
    EXPECT_EQ(f.EAutoStepInterval->value(), 5);
    EXPECT_EQ(f.EAutoStepInterval->property("projectValue").toInt(), 7);
    f.btnDoNextStepHand->click();
    EXPECT_EQ(sent.join(u' '), u"1 4"_s);
    EXPECT_EQ(f.EAutoStepInterval->value(), 7);
    f.btnPauseSteps->click();
    EXPECT_EQ(f.ETime->text(), u"пауза"_s);
    EXPECT_FALSE(f.TimerStep->isActive());
    f.Stop();
    EXPECT_FALSE(f.EAutoStepInterval->property("projectValue").isValid());
    EXPECT_EQ(f.EAutoStepInterval->value(), 7);
    EXPECT_TRUE(f.EStep[1]->isEnabled());
    EXPECT_TRUE(f.ETime->text().isEmpty());
}

TEST(StepsFrame, EnterSendsOnlyATypedNumberWhileRunning)
{
    TFrame_steps f;
    QStringList sent;
    f.onValue = [&](const QString& t, float v) { return sent << t + u"="_s + QString::number(v), 0; };
    f.ESignalValue->setText(u"10"_s);
    Key(f.ESignalValue, Qt::Key_Return);
    EXPECT_TRUE(sent.isEmpty()); // stopped: only the key filter
    f.Start();
    f.Stop();
    f.Start();
    EXPECT_EQ(sent.join(u' '), u"10=10 10=10"_s);
    f.ESignalValue->setText(u"-"_s);
    Key(f.ESignalValue, Qt::Key_Return);
    EXPECT_EQ(sent.size(), 2);
    f.ESignalValue->setText(u"12.5"_s);
    f.ESignalValue->textEdited(u"12.5"_s);
    EXPECT_TRUE(f.ESignalValue->property("typed").toBool());
    Key(f.ESignalValue, Qt::Key_Enter);
    EXPECT_EQ(sent.last(), u"12.5=12.5"_s);
    EXPECT_FALSE(f.ESignalValue->property("typed").toBool());
    EXPECT_EQ(f.ESignalValue->text(), u"12.5"_s); // Enter typed nothing
}

TEST(StepsFrame, AHostThatStopsInsideTheFirstValueLeavesItStopped)
{
    TFrame_steps f;
    f.EFixedSteps->setCurrentIndex(kStepsTenPercent);
    f.ERangeStart->setText(u"0"_s);
    f.ERangeEnd->setText(u"100"_s);
    f.EAutoStep->setChecked(true);
    f.onValue = [&](const QString&, float) { return f.Stop(), -1; };
    f.Start();
    EXPECT_FALSE(f.Running());
    EXPECT_FALSE(f.TimerStep->isActive());
    EXPECT_TRUE(f.EFixedSteps->isEnabled());
    f.Clear();
    EXPECT_TRUE(f.ERangeEnd->text().isEmpty());
}
