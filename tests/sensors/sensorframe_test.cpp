// The sensor description and the current-input scaling, against the virtual calibrator in process.
#include "link/registers.h"
#include "platform/delay.h"
#include "polynoms/characteristics.h"
#include "sensors/ioutframe.h"
#include "sensors/numbers.h"
#include "sensors/sensorframe.h"
#include "tests/support/sim_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>

using namespace sensors;

namespace {

const QString kPolynoms = QStringLiteral(POLYNOMS_LIBRARY);

class Sensor : public testsupport::SimFixture {
protected:
    Sensor(sim::World w = {}) : SimFixture(std::move(w)), frame(nullptr, kPolynoms)
    {
        frame.SetLink(&link);
        frame.SetHartTablesLibrary(QStringLiteral(FIELDLINK_LIBRARY));
    }
    void Kind(int kind, int type = 0)
    {
        frame.cbType->setCurrentIndex(kind);
        QComboBox* list = kind == 0 ? frame.cb_TC : kind == 1 ? frame.cb_TP : frame.cb_Std;
        if (kind <= 2) list->setCurrentIndex(type);
    }
    std::vector<std::string> Writes()
    {
        std::vector<std::string> w = vc.Model().Writes();
        return w;
    }
    platform::ScopedNoDelay noDelay;
    TFrameSensor frame;
};

} // namespace

TEST_F(Sensor, KindsAndTypesGiveCodesRangesUnits)
{
    struct Row {
        int kind, type;
        int code;
        float min, max;
        const char* el;
    } rows[] = {{0, 0, 0, -200, 600, "Ом"},   {0, 6, 6, -50, 200, "Ом"},  {1, 1, 8, -210, 1300, "мВ"},
                {1, 7, 14, -110, 1300, "мВ"}, {2, 0, 15, -10, 101, "мВ"}, {2, 3, 18, 0, 120, "В"}};
    for (const Row& r : rows) {
        Kind(r.kind, r.type);
        const SensorSetup& s = frame.Setup();
        EXPECT_EQ(s.code, r.code) << r.kind << "/" << r.type;
        EXPECT_EQ(s.rangeMin, r.min);
        EXPECT_EQ(s.rangeMax, r.max);
        EXPECT_EQ(s.elUnit, QString::fromUtf8(r.el));
    }
    Kind(0);
    EXPECT_EQ(frame.Setup().physUnit, QStringLiteral("°С"));
    frame.cbClassTS->setCurrentIndex(0);
    EXPECT_EQ(frame.Setup().toleranceClass, 0); // "AA"
    Kind(1);
    frame.cbClassTP->setCurrentIndex(0);
    EXPECT_EQ(frame.Setup().toleranceClass, 1);
    frame.cbType->setCurrentIndex(3);
    EXPECT_TRUE(frame.Setup().isHart);
    EXPECT_EQ(frame.Setup().elUnit, QStringLiteral("мА"));
}

TEST_F(Sensor, ANewFrameJudgesByClass2)
{
    // "AA" (class 0) would judge every temperature point by the strictest tolerance
    struct Row {
        int kind;
        const char* text;
    } rows[] = {{0, "B"}, {1, "2"}};
    for (const Row& r : rows) {
        TFrameSensor fresh(nullptr, kPolynoms);
        fresh.cbType->setCurrentIndex(r.kind);
        QComboBox* list = r.kind == 0 ? fresh.cbClassTS : fresh.cbClassTP;
        EXPECT_EQ(fresh.Setup().toleranceClass, 2) << r.kind;
        EXPECT_EQ(list->currentText(), QString::fromUtf8(r.text)) << r.kind;
    }
}

TEST_F(Sensor, SourceRoleOffersUsoAndNotHart)
{
    frame.SetRole(Role::Source);
    EXPECT_EQ(frame.cbType->findText(QStringLiteral("  HART")), -1);
    ASSERT_EQ(frame.cb_Std->count(), 5);
    frame.Iout()->ClearScaling(); // electrical units as they are
    Kind(2, 3);
    EXPECT_EQ(frame.Setup().rangeMax, 12.0f); // "Напряжение ( В )" ends at 12 V as a source
    Kind(2, 4);
    EXPECT_EQ(frame.Setup().code, 20);
    EXPECT_EQ(frame.Setup().index, 5);
    ASSERT_EQ(frame.StartEmulate(), 0);
    EXPECT_EQ(vc.Model().State().emulKind, 20);
    frame.SetRole(Role::Measuring);
    EXPECT_EQ(frame.cb_Std->count(), 4);
    EXPECT_NE(frame.cbType->findText(QStringLiteral("  HART")), -1);
}

TEST_F(Sensor, ConversionsWithColdJunctionAndScaling)
{
    Kind(1, 1); // type K, manual cold junction at 25 °C
    frame.cbIsAutoCompens->setChecked(false);
    frame.ebCompensVal->setText(QStringLiteral("25"));
    frame.cbTypeChange();
    double e100 = 0, e25 = 0;
    polynoms::TempToEl(8, 100, &e100);
    polynoms::TempToEl(8, 25, &e25);
    EXPECT_NEAR(frame.ElToPhys(float(e100 - e25)), 100.0f, 0.01);
    EXPECT_NEAR(frame.PhysToEl(100), e100 - e25, 1e-4);
    EXPECT_TRUE(std::isnan(frame.ElToPhys(NAN)));

    Kind(2, 1);
    frame.cbStdOut->setChecked(true);
    frame.ebMin->setText(QStringLiteral("4"));
    frame.ebMax->setText(QStringLiteral("4"));
    frame.fizMin->setText(QStringLiteral("0"));
    frame.fizMax->setText(QStringLiteral("1000"));
    frame.cbTypeChange();
    EXPECT_EQ(frame.ElToPhys(12), 0.0f); // equal electrical ends
    frame.ebMax->setText(QStringLiteral("20"));
    EXPECT_EQ(frame.ElToPhys(12), 500.0f);
    EXPECT_EQ(frame.Setup().rangeMax, 1000.0f);
}

TEST_F(Sensor, ManualColdJunctionThatIsNotANumberIsReset)
{
    Kind(1, 1);
    frame.cbIsAutoCompens->setChecked(false);
    frame.ebCompensVal->setText(QStringLiteral("abc"));
    frame.cbTypeChange();
    EXPECT_EQ(frame.ebCompensVal->text(), QStringLiteral("0"));
}

TEST_F(Sensor, StartMeasureAndEmulateWriteTheRegistersInOrder)
{
    struct Row {
        int kind, type;
        bool autoCj;
        bool emulate;
        std::vector<std::string> writes;
    } rows[] = {
        {0, 0, false, false, {"20=2"}},
        {1, 1, true, false, {"12=1", "20=4"}},
        {1, 1, false, false, {"12=0", "13=0.000000", "20=0"}},
        {2, 1, false, false, {"20=1"}},
        {0, 0, false, true, {"10=17", "20=1"}},
        {1, 1, true, true, {"10=15", "25=0", "20=5"}},
        {2, 3, false, true, {"10=18", "20=1"}},
    };
    for (const Row& r : rows) {
        if (r.emulate) frame.SetRole(Role::Source);
        frame.Iout()->ClearScaling();
        Kind(r.kind, r.type);
        frame.cbIsAutoCompens->setChecked(r.autoCj);
        frame.ebCompensVal->setText(QStringLiteral("0"));
        frame.cbTypeChange();
        const size_t before = Writes().size();
        ASSERT_EQ(r.emulate ? frame.StartEmulate() : frame.StartMeasure(), 0) << r.kind << "/" << r.type;
        const auto all = Writes();
        EXPECT_EQ(std::vector<std::string>(all.begin() + long(before), all.end()), r.writes)
            << r.kind << "/" << r.type;
        frame.SetRole(Role::Measuring);
    }
    EXPECT_GT(noDelay.Total(), 0); // the settling waits went through the delay service
    // a failed write fails the operation
    vc.Model().InjectDeviceError(devlink::MeasMode, 12);
    Kind(0, 0);
    EXPECT_EQ(frame.StartMeasure(), -1);
}

TEST_F(Sensor, FailedCompensatorReadShowsMissingAndUsesZero)
{
    Kind(1, 1);
    frame.cbIsAutoCompens->setChecked(true);
    frame.cbTypeChange();
    ASSERT_EQ(frame.UpdateColdJunction(), 0);
    EXPECT_NEAR(frame.Setup().coldJunctionTemp, vc.Model().Ambient(), 0.5);
    vc.Model().InjectDeviceError(devlink::CompensatorValue, 5);
    EXPECT_EQ(frame.UpdateColdJunction(), -1);
    EXPECT_EQ(frame.ebCompensVal->text(), QStringLiteral("<<<.<<<"));
    EXPECT_EQ(frame.Setup().coldJunctionTemp, 0.0f);
}

TEST_F(Sensor, CheckInputsFlashesTheFirstEmptyScalingField)
{
    frame.show();
    Kind(2, 1);
    frame.cbStdOut->setChecked(true);
    frame.ebMin->setText(QStringLiteral("4"));
    frame.ebMax->setText(QString());
    frame.fizMin->setText(QString());
    frame.cbTypeChange();
    const int waits = noDelay.Count();
    EXPECT_EQ(frame.CheckInputs(), -1);
    EXPECT_EQ(noDelay.Count(), waits + 1);
    EXPECT_TRUE(frame.ebMax->hasFocus() || QApplication::focusWidget() == frame.ebMax ||
                !frame.isActiveWindow());
}

TEST(CurrentInput, ScalingAndItsError)
{
    TFrame_std_Iout_tune f;
    f.rb_4_20->click();
    EXPECT_EQ(f.CurrentToPhys(12), 50.0f);
    EXPECT_EQ(f.CurrentToPhys(4), 0.0f);
    EXPECT_EQ(f.CurrentToPhys(3), -6.25f);
    EXPECT_NEAR(f.CurrentError(20), 0.012525, 1e-6);
    f.cbUniuFiz->setCurrentIndex(1); // МПа
    EXPECT_EQ(f.UnitFactor(), 1000.0f);
    f.cbEnable->click();
    EXPECT_FALSE(f.Enabled());
    EXPECT_EQ(f.OutputUnit(), QStringLiteral("мА"));
    EXPECT_EQ(f.UnitFactor(), 1.0f);
    EXPECT_EQ(f.CurrentToPhys(12.3f), 12.3f);
    f.cbEnable->click();
    f.rb_0_5->click();
    EXPECT_EQ(f.IMax(), 5.0f);
    f.LockUnits(true);
    EXPECT_FALSE(f.cbUniuFiz->isEnabled());
    EXPECT_EQ(f.cbUniuFiz->currentText(), QStringLiteral("°C"));
}

namespace {
class HartSensor : public Sensor {
protected:
    static sim::World World()
    {
        sim::World w;
        QString e;
        sim::LoadScenario(sim::VirtualCalibrator::ScenarioPath(QStringLiteral("hart")), &w, &e);
        return w;
    }
    HartSensor() : Sensor(World()) {}
};
} // namespace

TEST_F(HartSensor, PanelFindsTheTransmitterAndTakesItsRange)
{
    int changes = 0;
    frame.onChange = [&](TFrameSensor*) { ++changes; };
    frame.cbType->setCurrentIndex(3);
    frame.btnSeachHARTdevicesClick();
    EXPECT_FALSE(frame.btnSeachHARTdevices->isEnabled());
    for (int i = 0; i < 20 && frame.HartSearch().Active(); ++i)
        frame.HartSearch().Tick();
    EXPECT_TRUE(frame.btnSeachHARTdevices->isEnabled());
    EXPECT_EQ(frame.Label_EtlHARTname->text(), QStringLiteral("644TEMPERATURE"));
    EXPECT_EQ(frame.Label_HART_diap->text(), QStringLiteral("0 ... 600 °C"));
    EXPECT_EQ(frame.Setup().rangeMax, 600.0f);
    EXPECT_EQ(frame.Setup().physUnit, QStringLiteral("°C"));
    EXPECT_EQ(frame.Setup().unitFactor, 1.0f);
    EXPECT_GT(changes, 0);
    // measuring the HART sensor: the PV cycle and the loop current
    ASSERT_EQ(frame.StartMeasure(), 0);
    EXPECT_EQ(vc.Model().State().measMode, 1);
    frame.HartPv().Tick();
    frame.HartPv().Tick();
    frame.ReadMeasured();
    EXPECT_NEAR(frame.HartPv().Pv(), 250, 1);
    EXPECT_EQ(frame.StopSignal(), 0);
    EXPECT_EQ(vc.Model().State().hartModem, 0);
}

TEST_F(HartSensor, TheDeviceKeepsItsRangeUnitAndFactorAcrossKindChanges)
{
    // the factor comes from the unit code; the range and unit come back with the HART kind
    struct Row {
        std::uint8_t code;
        float lower, upper;
        const char* unit;
        float factor;
    } rows[] = {
        {32, 0, 600, "°C", 1.0f},
        {7, 0, 16, "Бар", 100.0f},
        {8, -50, 50, "мБар", 0.1f},
        {5, 0, 760, "мм рт.ст.", 0.133322f},
        {6, 0, 100, "фунт/кв.дюйм", 6.89476f},
        {14, 0, 2, "атм", 101.325f},
        {12, 0, 250, "кПа", 1.0f},
        {237, 0, 1.6f, "МПа", 1000.0f},
        {11, 0, 5000, "Па", 0.001f},
    };
    for (const Row& r : rows) {
        sim::World w = vc.Model().GetWorld();
        w.hart[0].unitCode = r.code;
        w.hart[0].lower = r.lower;
        w.hart[0].upper = r.upper;
        vc.Model().SetWorld(w);
        frame.cbType->setCurrentIndex(3);
        frame.btnSeachHARTdevicesClick();
        for (int i = 0; i < 20 && frame.HartSearch().Active(); ++i)
            frame.HartSearch().Tick();
        const SensorSetup& s = frame.Setup();
        EXPECT_EQ(s.unitFactor, r.factor) << int(r.code);
        Kind(1, 2); // ТПР(B), 300 .. 1800 °C
        EXPECT_EQ(s.rangeMin, 300.0f);
        frame.cbType->setCurrentIndex(3);
        EXPECT_EQ(s.rangeMin, r.lower) << int(r.code);
        EXPECT_EQ(s.rangeMax, r.upper) << int(r.code);
        EXPECT_EQ(s.physUnit, QString::fromUtf8(r.unit)) << int(r.code);
        EXPECT_EQ(s.unitFactor, r.factor) << int(r.code);
    }
    // the codes no transmitter here uses
    const std::pair<int, float> more[] = {{10, 98.0665f}, {176, 0.00980665f}, {13, 0.133322f},
                                          {174, 0.1f},    {39, 1.0f},         {0, 1.0f}};
    for (const auto& [code, factor] : more)
        EXPECT_EQ(HartUnitFactor(code), factor) << code;
}

TEST_F(HartSensor, AFailedPvStartLeavesThePvTimerOff)
{
    frame.cbType->setCurrentIndex(3);
    vc.Model().InjectDeviceError(devlink::HartModem, 5);
    EXPECT_EQ(frame.StartMeasure(), -1);
    EXPECT_FALSE(frame.Timer_HART_PVread->isActive());
    vc.Model().InjectDeviceError(devlink::HartModem, 0);
    vc.Model().InjectDeviceError(devlink::MeasMode, 5);
    EXPECT_EQ(frame.StartMeasure(), -1);
    EXPECT_FALSE(frame.Timer_HART_PVread->isActive());
}
