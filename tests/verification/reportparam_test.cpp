// The report parameters page: copy rules into the protocol record, the calibrator line from a
// virtual calibrator, the panels by verification type and the conditions meter.
#include "platform/cp1251.h"
#include "platform/messageservice.h"
#include "sensors/labelededit.h"
#include "tests/support/sim_fixture.h"
#include "verification/ktframe.h"
#include "verification/reportparam.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace verification;

namespace {

class ReportParam : public ::testing::Test {
protected:
    ReportParam() : frame(dir.filePath(QStringLiteral("kt.ini")), nullptr, data) {}
    QTemporaryDir dir;
    platform::ScopedMessageRecorder messages;
    reports::ProtocolData data;
    TFrame_ReportParam frame;
};

QString Text(const char* field, std::size_t n)
{
    return platform::FromCp1251(std::string_view(field, strnlen(field, n)));
}
#define FIELD(f) Text(f, sizeof f)

} // namespace

TEST_F(ReportParam, ControlsInProtocolOrderAndDefaults)
{
    QStringList amp;
    for (QWidget* w : frame.findChildren<QWidget*>())
        if (w->objectName().startsWith(QStringLiteral("amp_"))) amp << w->objectName().mid(4);
    EXPECT_EQ(
        amp.join(QLatin1Char(' ')),
        QStringLiteral(
            "D1_OWNER D1_NAME D1_TYPE D1_SERIAL D1_INV VR_D1_DOC CD_TEMP CD_HUM CD_PRES CD_DATE "
            "CD_VERIF_POS CD_CHEF_POS CD_VERIF CD_CHEF CD_ORG CD_CRT_NUM CD_ADDRESS D1_SH_NUM CD_VRCOEFF"));
    EXPECT_EQ(frame.amp_D1_OWNER->metaObject(), &sensors::TLabeledEdit::staticMetaObject);
    EXPECT_EQ(frame.amp_D1_OWNER->EditLabel()->text(), QStringLiteral("Владелец (собственник)"));
    EXPECT_TRUE(frame.amp_D1_OWNER->EditLabel()->objectName().isEmpty()); // the edit's own, not a component
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    EXPECT_EQ(frame.amp_CD_DATE->text(), today);
    // the copy rules ran once at creation
    EXPECT_EQ(FIELD(data.protocolDate), today);
    EXPECT_EQ(data.decimals, 3);
    EXPECT_EQ(data.errorCoefficient, 1.0f);
    EXPECT_EQ(data.pressureStandardClass, 0);
    EXPECT_EQ(frame.cb_MANOR_Class->itemText(0), QStringLiteral("А0"));
    EXPECT_EQ(frame.cb_MANOR_Class->itemText(2), QStringLiteral("B"));
}

TEST_F(ReportParam, CopyRules)
{
    struct Row {
        QLineEdit* field;
        QString text;
        const char* into;
        std::size_t size;
        QString expected;
    } rows[] = {
        {frame.amp_D1_SH_NUM, QString(79, u'7'), data.protocolNumber, sizeof data.protocolNumber,
         QString(79, u'7')},
        {frame.amp_D1_SH_NUM, QString(80, u'8'), data.protocolNumber, sizeof data.protocolNumber,
         QString(79, u'8')},
        {frame.amp_CD_TEMP, QStringLiteral("1234567"), data.airTemperature, 8, QStringLiteral("1234567")},
        {frame.amp_CD_HUM, QStringLiteral("12345678"), data.airHumidity, 8, QStringLiteral("1234567")},
        {frame.amp_CD_PRES, QStringLiteral("745"), data.airPressure, 8, QStringLiteral("745")},
        {frame.amp_D1_SERIAL, QStringLiteral("12/3"), data.device.serial, 40, QStringLiteral("12/3")},
        {frame.amp_D1_SERIAL, QString(41, u'Ж'), data.device.serial, 40, QString(39, u'Ж')},
        {frame.amp_CD_DATE, QStringLiteral("01.02.2026"), data.protocolDate, 20,
         QStringLiteral("01.02.2026")},
    };
    for (const Row& r : rows) {
        r.field->setText(r.text);
        EXPECT_EQ(Text(r.into, r.size), r.expected)
            << r.field->objectName().toStdString() << " " << r.text.size();
    }
    // a paste is a change like any other
    QApplication::clipboard()->setText(QStringLiteral("A-100/5"));
    frame.amp_D1_SERIAL->selectAll();
    frame.amp_D1_SERIAL->paste();
    EXPECT_EQ(FIELD(data.device.serial), QStringLiteral("A-100/5"));

    struct Coefficient {
        const char* text;
        float value;
    } coefficients[] = {{"2.7", 2.7f}, {"", 1}, {"0", 1}, {"-3", 1}, {"0.5", 0.5f}, {"inf", 1}};
    for (const Coefficient& c : coefficients) {
        frame.amp_CD_VRCOEFF->setText(QString::fromLatin1(c.text));
        EXPECT_EQ(data.errorCoefficient, c.value) << c.text;
    }
    frame.cDigits->setValue(5);
    EXPECT_EQ(data.decimals, 5);
    frame.cb_MANOR_Class->setCurrentIndex(2);
    EXPECT_EQ(data.pressureStandardClass, 2);
    frame.cb_MANOR_Class->setCurrentIndex(-1);
    EXPECT_EQ(data.pressureStandardClass, 0);
}

TEST_F(ReportParam, AuxiliaryEquipmentJoinsAndIsCut)
{
    EXPECT_EQ(FIELD(data.auxEquipment), QString());
    frame.CD_ET_AUX_LST->setPlainText(QStringLiteral("Термостат ТЖ-1"));
    EXPECT_EQ(FIELD(data.auxEquipment),
              QStringLiteral("Термостат ТЖ-1")); // no calibrator line: the list alone
    frame.ed_se_lorik->setText(QStringLiteral("ЛОРИК зав.№5"));
    EXPECT_EQ(FIELD(data.auxEquipment), QStringLiteral("ЛОРИК зав.№5, Термостат ТЖ-1"));
    frame.CD_ET_AUX_LST->clear();
    EXPECT_EQ(FIELD(data.auxEquipment), QStringLiteral("ЛОРИК зав.№5"));
    EXPECT_FALSE(frame.lab_AuxCut->isVisibleTo(&frame));
    const QString list(2000, u'ы');
    frame.CD_ET_AUX_LST->setPlainText(list);
    const QString joined = QStringLiteral("ЛОРИК зав.№5, ") + list;
    EXPECT_EQ(FIELD(data.auxEquipment), joined.left(kAuxEquipmentLimit));
    EXPECT_TRUE(frame.lab_AuxCut->isVisibleTo(&frame));
    EXPECT_EQ(frame.lab_AuxCut->text(), QStringLiteral("В протокол войдут первые 1035 знаков"));
    frame.CD_ET_AUX_LST->setPlainText(QStringLiteral("x"));
    EXPECT_FALSE(frame.lab_AuxCut->isVisibleTo(&frame));
}

TEST_F(ReportParam, PanelsByVerificationType)
{
    struct Row {
        int type;
        bool kt, manor;
    } rows[] = {{0, false, true}, {1, true, false}, {2, false, false}};
    for (const Row& r : rows) {
        frame.SetVerificationType(r.type);
        EXPECT_EQ(frame.Panel_FrameKT->isVisibleTo(&frame), r.kt) << r.type;
        EXPECT_EQ(frame.Panel_FrameMANOR->isVisibleTo(&frame), r.manor) << r.type;
    }
    EXPECT_NE(frame.Frame_KT1, nullptr);
    EXPECT_EQ(frame.Frame_KT1->parentWidget(), frame.Panel_FrameKT);
}

TEST_F(ReportParam, ConditionsMeter)
{
    frame.amp_CD_TEMP->setText(QStringLiteral("21"));
    frame.VTM_sn->setText(QStringLiteral("1001"));
    frame.SetMeterLibrary(dir.filePath(QStringLiteral("libEksisExchange.so")));
    frame.VTM_readClick();
    ASSERT_EQ(messages.Entries().size(), 1u);
    EXPECT_EQ(messages.Entries()[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(
        messages.Entries()[0].text.startsWith(QStringLiteral("Библиотека libEksisExchange.so не найдена")));
    EXPECT_EQ(frame.amp_CD_TEMP->text(), QStringLiteral("21")); // typed conditions kept

    frame.SetMeterLibrary(QStringLiteral(METER_LIBRARY_NOFUNC));
    frame.VTM_readClick();
    EXPECT_EQ(messages.Texts().last(), QStringLiteral("Функция библиотеки libEksisExchange.so не найдена!"));
    EXPECT_EQ(frame.amp_CD_TEMP->text(), QStringLiteral("21"));

    frame.SetMeterLibrary(QStringLiteral(METER_LIBRARY));
    frame.VTM_readClick();
    EXPECT_EQ(frame.amp_CD_TEMP->text(), QStringLiteral("22"));
    EXPECT_EQ(frame.amp_CD_HUM->text(), QStringLiteral("45"));
    EXPECT_EQ(frame.amp_CD_PRES->text(), QStringLiteral("745"));
    EXPECT_EQ(FIELD(data.airPressure), QStringLiteral("745"));
    frame.VTM_sn->setText(QStringLiteral("1003")); // the meter answers no
    frame.VTM_readClick();
    for (QLineEdit* e : {frame.amp_CD_TEMP, frame.amp_CD_HUM, frame.amp_CD_PRES})
        EXPECT_EQ(e->text(), QStringLiteral("-"));
    EXPECT_EQ(FIELD(data.airTemperature), QStringLiteral("-"));
    EXPECT_EQ(messages.Entries().size(), 2u);
}

TEST_F(ReportParam, OutsideNormalConditionsTurnsAmber)
{
    const QColor normal = frame.amp_CD_HUM->palette().color(QPalette::Base);
    frame.amp_CD_TEMP->setText(QStringLiteral("14"));
    EXPECT_EQ(frame.amp_CD_TEMP->palette().color(QPalette::Base), QColor(255, 191, 0));
    EXPECT_TRUE(frame.amp_CD_TEMP->toolTip().contains(QStringLiteral("15...25")));
    frame.amp_CD_TEMP->setText(QStringLiteral("20"));
    EXPECT_EQ(frame.amp_CD_TEMP->palette().color(QPalette::Base), normal);
    EXPECT_TRUE(frame.amp_CD_TEMP->toolTip().isEmpty());
    ConditionLimits l;
    l.tempMin = 21;
    frame.SetConditionLimits(l);
    EXPECT_EQ(frame.amp_CD_TEMP->palette().color(QPalette::Base), QColor(255, 191, 0));
    frame.amp_CD_PRES->setText(QStringLiteral("-")); // no number: nothing to judge
    EXPECT_EQ(frame.amp_CD_PRES->palette().color(QPalette::Base), normal);
}

namespace {
class ReportParamOnline : public testsupport::SimFixture {
protected:
    ReportParamOnline() : frame(dir.filePath(QStringLiteral("kt.ini")), nullptr, data) {}
    QTemporaryDir dir;
    reports::ProtocolData data;
    TFrame_ReportParam frame;
};
} // namespace

TEST_F(ReportParamOnline, CalibratorLineFromTheConnectedCalibrator)
{
    frame.ShowCalibratorLine(true); // no link yet: nothing
    EXPECT_TRUE(frame.ed_se_lorik->text().isEmpty());
    ASSERT_EQ(link.ReadDeviceSerialNumber(), 0);
    frame.SetLink(&link);
    frame.ShowCalibratorLine(true);
    EXPECT_EQ(frame.ed_se_lorik->text(), QStringLiteral("ЛОРИК зав.№100001"));
    EXPECT_EQ(FIELD(data.auxEquipment), QStringLiteral("ЛОРИК зав.№100001"));
    frame.CD_ET_AUX_LST->setPlainText(QStringLiteral("Калибратор КТ-1"));
    EXPECT_EQ(FIELD(data.auxEquipment), QStringLiteral("ЛОРИК зав.№100001, Калибратор КТ-1"));
    frame.ShowCalibratorLine(false); // the link went down: the line stays
    EXPECT_EQ(frame.ed_se_lorik->text(), QStringLiteral("ЛОРИК зав.№100001"));
}
