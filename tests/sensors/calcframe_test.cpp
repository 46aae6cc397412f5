// The TC/TP calculator with the real characteristic library, offscreen.
#include "polynoms/characteristics.h"
#include "sensors/calcframe.h"
#include "sensors/numbers.h"
#include "sensors/sensorframe.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <gtest/gtest.h>

using namespace sensors;

namespace {

class Calculator : public ::testing::Test {
protected:
    Calculator() : calc(nullptr, QStringLiteral(POLYNOMS_LIBRARY)) {}
    // Keys as a keyboard sends them (through the fields' numeric key filter).
    static void Type(QLineEdit* field, const QString& keys)
    {
        for (QChar k : keys) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(k));
            QApplication::sendEvent(field, &press);
        }
    }
    static void Key(QWidget* w, Qt::Key key, QEvent::Type type = QEvent::KeyPress)
    {
        QKeyEvent e(type, key, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    QStringList Lines() const
    {
        QStringList out;
        for (int i = 0; i < calc.lb_Classes->count(); ++i)
            out << calc.lb_Classes->item(i)->text();
        return out;
    }
    void Kind(int kind, int type)
    {
        calc.FrameSensor1->cbType->setCurrentIndex(kind);
        (kind == 0 ? calc.FrameSensor1->cb_TC : calc.FrameSensor1->cb_TP)->setCurrentIndex(type);
    }
    static QString El(int code, double t)
    {
        double e = 0;
        polynoms::TempToEl(code, t, &e);
        return CompactText(float(e));
    }
    TFrameCalc_TCTP calc;
};

} // namespace

TEST_F(Calculator, Pt100At100)
{
    EXPECT_EQ(calc.FrameSensor1->cbType->count(), 2); // ТС and ТП only, no HART back
    Type(calc.Edit_T, QStringLiteral("100"));
    EXPECT_EQ(calc.Edit_T->text(), QStringLiteral("100"));
    EXPECT_EQ(calc.Edit_El->text(), QStringLiteral("138.50549"));
    EXPECT_EQ(calc.ed_OhmC->text(), QStringLiteral("0.379"));
    EXPECT_EQ(calc.Label3->text(), QStringLiteral("Ом"));
    EXPECT_EQ(calc.lb_OhmC->text(), QStringLiteral("Ом/°C"));
    EXPECT_EQ(Lines(), (QStringList{QStringLiteral(" AA  -50...250      0.27 °C (±0.102 Ом)"),
                                    QStringLiteral(" A   -100...450      0.35 °C (±0.133 Ом)"),
                                    QStringLiteral(" B   -196...660      0.8 °C (±0.303 Ом)"),
                                    QStringLiteral(" C   -196...660      1.6 °C (±0.607 Ом)")}));
    EXPECT_EQ(calc.lb_Classes->font(), QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

TEST_F(Calculator, TypingPastingAndMovingThroughTheFields)
{
    Type(calc.Edit_El, QStringLiteral("119.4"));
    EXPECT_EQ(calc.Last(), TFrameCalc_TCTP::LastTyped::Electrical);
    double t = 0;
    polynoms::ElToTemp(0, 119.4, &t);
    EXPECT_EQ(calc.Edit_T->text(), CompactText(float(t)));
    Type(calc.Edit_T, QString(QChar(8)));
    calc.Edit_T->setText(QStringLiteral("100"));
    calc.Edit_T->setCursorPosition(3);
    Type(calc.Edit_T, QStringLiteral("-")); // the sign toggles: an edit of the user's
    EXPECT_EQ(calc.Edit_T->text(), QStringLiteral("-100"));
    EXPECT_EQ(calc.Edit_El->text(), El(0, -100));
    // moving on with Tab or the arrows, and key releases, convert nothing back
    for (QLineEdit* f : {calc.Edit_El, calc.Edit_T}) {
        Key(f, Qt::Key_Tab);
        Key(f, Qt::Key_Left);
        Key(f, Qt::Key_Tab, QEvent::KeyRelease);
    }
    EXPECT_EQ(calc.Edit_T->text(), QStringLiteral("-100"));
    EXPECT_EQ(calc.Last(), TFrameCalc_TCTP::LastTyped::Temperature);
    // a mouse paste converts
    QApplication::clipboard()->setText(QStringLiteral("250"));
    calc.Edit_T->selectAll();
    calc.Edit_T->paste();
    EXPECT_EQ(calc.Edit_El->text(), El(0, 250));
    // a temperature that is not a number: no tolerances, the sensitivity at 0 °C
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    calc.Edit_T->selectAll();
    calc.Edit_T->paste();
    EXPECT_EQ(calc.ed_OhmC->text(), QStringLiteral("0.391"));
    for (const QString& l : Lines())
        EXPECT_FALSE(l.contains(QStringLiteral("°C"))) << l.toStdString();
}

TEST_F(Calculator, TypesAndClasses)
{
    Kind(0, 3);                                                // 50M (1,428): no class AA
    EXPECT_EQ(calc.Edit_T->text(), QStringLiteral("<<<.<<<")); // converted from the electrical field's 0 Ohm
    calc.Edit_T->selectAll();
    Type(calc.Edit_T, QStringLiteral("50"));
    ASSERT_EQ(Lines().size(), 3);
    EXPECT_TRUE(Lines()[0].startsWith(QStringLiteral(" A   -50...120      "))) << Lines()[0].toStdString();

    Kind(1, 1); // type K at 1100 °C: only class 2 reaches that far
    calc.Edit_T->selectAll();
    Type(calc.Edit_T, QStringLiteral("1100"));
    EXPECT_EQ(calc.Label3->text(), QStringLiteral("мВ"));
    EXPECT_EQ(calc.lb_OhmC->text(), QStringLiteral("мВ/°C"));
    const QStringList k = Lines();
    ASSERT_EQ(k.size(), 3);
    EXPECT_EQ(k[0], QStringLiteral(" 1   -40...1000"));
    EXPECT_TRUE(k[1].startsWith(QStringLiteral(" 2   -40...1200      8.25 °C (±"))) << k[1].toStdString();
    EXPECT_TRUE(k[1].endsWith(QStringLiteral(" мВ)")));
    EXPECT_EQ(k[2], QStringLiteral(" 3   -200...40"));
}

TEST_F(Calculator, ThermocoupleWithTypedColdJunctionAndAutoKeptOff)
{
    Kind(1, 1);
    QCheckBox* autoBox = calc.FrameSensor1->cbIsAutoCompens;
    EXPECT_TRUE(autoBox->isHidden());
    {
        const QSignalBlocker block(autoBox); // as a project file sets it
        autoBox->setChecked(true);
    }
    Q_EMIT autoBox->clicked(true);
    EXPECT_FALSE(autoBox->isChecked());
    EXPECT_FALSE(calc.FrameSensor1->Setup().autoColdJunction);
    calc.FrameSensor1->ebCompensVal->setText(QStringLiteral("20"));
    calc.Edit_T->selectAll();
    Type(calc.Edit_T, QStringLiteral("100"));
    double e100 = 0, e20 = 0;
    polynoms::TempToEl(8, 100, &e100);
    polynoms::TempToEl(8, 20, &e20);
    EXPECT_EQ(calc.Edit_El->text(), CompactText(float(double(float(e100)) - double(float(e20)))));
    // changing the cold junction converts again from the field typed last
    calc.FrameSensor1->ebCompensVal->setText(QStringLiteral("0"));
    EXPECT_EQ(calc.Edit_El->text(), El(8, 100));
}

TEST_F(Calculator, TableToTheClipboard)
{
    EXPECT_EQ(calc.ed_TableFrom->text(), QStringLiteral("-200")); // the type's range
    EXPECT_EQ(calc.ed_TableTo->text(), QStringLiteral("600"));
    calc.ed_TableFrom->setText(QStringLiteral("0"));
    calc.ed_TableTo->setText(QStringLiteral("20"));
    const QString table = calc.btn_TableClick();
    EXPECT_EQ(table, QStringLiteral("0\t100\n10\t") + CommaText(El(0, 10)) + QStringLiteral("\n20\t") +
                         CommaText(El(0, 20)) + QStringLiteral("\n"));
    EXPECT_TRUE(table.contains(QStringLiteral("103,9")));
    EXPECT_EQ(QApplication::clipboard()->text(), table);

    auto id = [](float t) { return t; };
    EXPECT_EQ(ConversionTable(0, 0.3f, 0.1f, id).count(QLatin1Char('\n')),
              4); // 0.3 is reached despite rounding
    EXPECT_TRUE(ConversionTable(1, 0, 1, id).isEmpty());
    EXPECT_TRUE(ConversionTable(0, 1, 0, id).isEmpty());
    EXPECT_TRUE(ConversionTable(0, 1, -1, id).isEmpty());
    EXPECT_EQ(ConversionTable(0, 1e9f, 1, id).count(QLatin1Char('\n')), kMaxTableRows);
    Kind(1, 1);
    EXPECT_EQ(calc.ed_TableTo->text(), QStringLiteral("1300"));
}
