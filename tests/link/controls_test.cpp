// Register bindings to the program's kinds of screen controls.
#include "link/controls.h"
#include "tests/support/scripted_peer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>
#include <QSpinBox>
#include <gtest/gtest.h>

#include <deque>
#include <mutex>

using namespace devlink;

namespace {

class Controls : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(peer.Start(), 0);
        link.Frames().Initialise(peer.Path(), 115200, 1, 150);
    }
    int Read(const char* reply, QWidget* w)
    {
        peer.Push({reply});
        return ReadRegisterToControl(link, Brightness, w);
    }
    std::string Last() { return peer.Last(); }
    testsupport::ScriptedPeer peer;
    TInterface link;
};

} // namespace

TEST_F(Controls, TrackAndProgressBarsTakeOnlyValuesBelowTheirMaximum)
{
    QSlider track;
    track.setRange(1, 100);
    track.setValue(50);
    EXPECT_EQ(Read("100", &track), 0);
    EXPECT_EQ(track.value(), 50);
    EXPECT_EQ(Read("99", &track), 0);
    EXPECT_EQ(track.value(), 99);
    EXPECT_EQ(Read("0", &track), 0);
    EXPECT_EQ(track.value(), 99);
    QProgressBar bar;
    bar.setRange(0, 15);
    EXPECT_EQ(Read("15", &bar), 0);
    EXPECT_NE(bar.value(), 15);
    EXPECT_EQ(Read("3", &bar), 0);
    EXPECT_EQ(bar.value(), 3);
}

TEST_F(Controls, CheckBoxIsCheckedUnlessTheReplyIsZero)
{
    QCheckBox box;
    for (const char* r : {"1", "5", "x"}) {
        box.setChecked(false);
        EXPECT_EQ(Read(r, &box), 0);
        EXPECT_TRUE(box.isChecked()) << r;
    }
    EXPECT_EQ(Read("0", &box), 0);
    EXPECT_FALSE(box.isChecked());
}

TEST_F(Controls, TextsComboAndSpin)
{
    QLabel label;
    QLineEdit edit;
    QComboBox combo;
    combo.addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    QSpinBox spin;
    spin.setRange(-100, 100);
    EXPECT_EQ(Read("3.70 V", &label), 0);
    EXPECT_EQ(label.text(), QStringLiteral("3.70 V"));
    EXPECT_EQ(Read("12.5", &edit), 0);
    EXPECT_EQ(edit.text(), QStringLiteral("12.5"));
    EXPECT_EQ(Read("2", &combo), 0);
    EXPECT_EQ(combo.currentIndex(), 2);
    EXPECT_EQ(Read("3", &combo), 0); // beyond the items: unchanged
    EXPECT_EQ(combo.currentIndex(), 2);
    EXPECT_EQ(Read("-7", &spin), 0);
    EXPECT_EQ(spin.value(), -7);
    EXPECT_EQ(Read("zz", &spin), 0);
    EXPECT_EQ(spin.value(), -7);
    EXPECT_EQ(ReadRegisterToControl(link, Brightness, nullptr), kNoControl);
}

TEST_F(Controls, WritesFromControls)
{
    QSlider track;
    track.setRange(1, 100);
    track.setValue(42);
    QCheckBox box;
    box.setChecked(true);
    QComboBox combo;
    combo.addItems({QStringLiteral("a"), QStringLiteral("b")});
    combo.setCurrentIndex(1);
    QLineEdit edit(QStringLiteral("17"));
    QLineEdit bad(QStringLiteral("1.5"));
    QLineEdit real(QStringLiteral("1.5"));
    EXPECT_EQ(WriteRegisterFromControl(link, Brightness, &track), 0);
    EXPECT_EQ(Last(), "1;38;60;42;");
    EXPECT_EQ(WriteRegisterFromControl(link, BuzzerOn, &box), 0);
    EXPECT_EQ(Last(), "1;38;64;1;");
    EXPECT_EQ(WriteRegisterFromControl(link, BacklightOffTime, &combo), 0);
    EXPECT_EQ(Last(), "1;38;61;1;");
    EXPECT_EQ(WriteRegisterFromControl(link, AveragingCount, &edit), 0);
    EXPECT_EQ(Last(), "1;38;66;17;");
    const size_t before = peer.Seen().size();
    EXPECT_EQ(WriteRegisterFromControl(link, AveragingCount, &bad), kConversionError);
    QWidget other;
    EXPECT_EQ(WriteRegisterFromControl(link, AveragingCount, &other), 0);
    EXPECT_EQ(WriteRegisterFromEdit(link, EmulValue, &other), 0);
    EXPECT_EQ(peer.Seen().size(), before);
    EXPECT_EQ(WriteRegisterFromEdit(link, EmulValue, &real), 0);
    EXPECT_EQ(Last(), "1;38;25;1.500000;");
}
