// Numeric fields and required-field checks on real widgets (offscreen).
#include "platform/delay.h"
#include "platform/messageservice.h"
#include "sensors/fieldchecks.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

using namespace sensors;

namespace {
QString Type(const QString& start, int caret, const QString& keys)
{
    QLineEdit e(start);
    InstallNumericKeyFilter(&e);
    e.setCursorPosition(caret);
    for (QChar k : keys) {
        // a key event carrying the character, as a keyboard in any layout sends it
        QKeyEvent press(QEvent::KeyPress, k.unicode() < 0x80 ? QKeySequence(QString(k))[0].key() : Qt::Key_unknown,
                        Qt::NoModifier, QString(k));
        QApplication::sendEvent(&e, &press);
    }
    return e.text();
}
} // namespace

TEST(NumericKeyFilter, SequencesTypedIntoARealField)
{
    struct Row {
        const char* start;
        int caret;
        const char* keys;
        const char* result;
    } rows[] = {
        {"0", 1, "5", "5"},        {"0", 0, "0", "0"},         {"0", 1, "-", "-"},
        {"12.5", 2, "-", "-12.5"}, {"12.5", 4, "--", "12.5"},  {"12.5", 4, ".", "12.5"},
        {"12", 2, ",", "12."},     {"12", 2, "ю", "12."},      {"", 0, "-3/5", "-3.5"},
        {"7", 1, "a b+", "7"},     {"", 0, "Ю1", ".1"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(Type(QString::fromUtf8(r.start), r.caret, QString::fromUtf8(r.keys)), QString::fromUtf8(r.result))
            << r.start << " + " << r.keys;
}

TEST(NumericKeyFilter, BackspaceAndEnter)
{
    QLineEdit e(QStringLiteral("12"));
    InstallNumericKeyFilter(&e);
    e.setCursorPosition(2);
    QTest::keyClick(&e, Qt::Key_Backspace);
    EXPECT_EQ(e.text(), QStringLiteral("1"));
    QSignalSpy enter(&e, &QLineEdit::returnPressed);
    QTest::keyClick(&e, Qt::Key_Return);
    EXPECT_EQ(enter.count(), 0);
}

TEST(NumericKeyFilter, EditsItMakesAreTheUsersEdits)
{
    // the "0" replacement and the sign toggle change the text themselves: as typing does, they tell
    // the field's listeners that the user edited it
    struct Row {
        const char* start;
        int caret;
        const char* key;
        const char* result;
    } rows[] = {{"0", 1, "7", "7"}, {"0", 0, "-", "-"}, {"12", 1, "-", "-12"}, {"-12", 3, "-", "12"}};
    for (const Row& r : rows) {
        QLineEdit e(QString::fromLatin1(r.start));
        InstallNumericKeyFilter(&e);
        e.setCursorPosition(r.caret);
        QSignalSpy edited(&e, &QLineEdit::textEdited);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromLatin1(r.key));
        QApplication::sendEvent(&e, &press);
        EXPECT_EQ(e.text(), QString::fromLatin1(r.result)) << r.start << " + " << r.key;
        ASSERT_GE(edited.count(), 1) << r.start << " + " << r.key;
        EXPECT_EQ(edited.last().at(0).toString(), QString::fromLatin1(r.result));
    }
}

TEST(RequireFilled, StopsAtTheFirstEmptyVisibleField)
{
    platform::ScopedMessageRecorder messages;
    QWidget form;
    auto* hidden = new QLineEdit(&form);
    auto* combo = new QComboBox(&form);
    auto* filled = new QLineEdit(QStringLiteral("1"), &form);
    auto* empty = new QLineEdit(&form);
    form.show();
    hidden->hide();
    combo->addItem(QStringLiteral("a"));
    QWidget* marked = nullptr;
    SetWrongFieldMarker([&](QWidget* w) { marked = w; });
    EXPECT_TRUE(RequireFilled(true, {hidden, combo, filled, nullptr}));
    EXPECT_TRUE(messages.Entries().empty());
    EXPECT_FALSE(RequireFilled(false, {filled, empty}));
    EXPECT_TRUE(messages.Entries().empty());
    EXPECT_FALSE(RequireFilled(true, {filled, empty}));
    EXPECT_EQ(marked, empty);
    EXPECT_EQ(empty->palette().color(QPalette::Base), QColor(255, 0, 0));
    ASSERT_EQ(messages.Texts(), QStringList {QStringLiteral("Не указан параметр")});
    combo->setCurrentIndex(-1);
    EXPECT_FALSE(RequireFilled(false, {combo}));
    SetWrongFieldMarker({});
}

TEST(FieldChecks, FlashAndSiblings)
{
    platform::ScopedNoDelay noDelay;
    QWidget form;
    auto* a = new QLineEdit(QStringLiteral("5"), &form);
    auto* b = new QLineEdit(QStringLiteral("50"), &form);
    auto* disabled = new QLineEdit(QStringLiteral("500"), &form);
    auto* c = new QLineEdit(QStringLiteral("x"), &form);
    disabled->setEnabled(false);
    form.show();
    const QColor before = a->palette().color(QPalette::Base);
    FlashAndFocus(b);
    EXPECT_EQ(noDelay.Total(), 500);
    EXPECT_EQ(b->palette().color(QPalette::Base), before);
    EXPECT_EQ(FirstOutOfRange(a, 10, 0), b);
    EXPECT_EQ(FirstOutOfRange(a, 100, 0), c);
    c->setText(QStringLiteral("7"));
    EXPECT_EQ(FirstOutOfRange(a, 100, 0), nullptr);
    EXPECT_EQ(FieldValue(c), 7.0f);
    EXPECT_TRUE(HasNumber(nullptr));
    EXPECT_EQ(CheckRange(b, 50, 0), 0);

    auto* box = new QCheckBox(&form);
    box->setChecked(true);
    UncheckAll(&form);
    EXPECT_FALSE(box->isChecked());
    ClearEdits(&form);
    EXPECT_TRUE(a->text().isEmpty());
    EnableAll(&form, false);
    EXPECT_FALSE(a->isEnabled());
    EnableAll(&form, true);
    EXPECT_TRUE(disabled->isEnabled());
}
