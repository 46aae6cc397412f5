#include "sensors/calcframe.h"

#include "sensors/fieldchecks.h"
#include "sensors/numbers.h"
#include "sensors/sensorframe.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace sensors {
namespace {

template <typename W> W* Named(const char* name, W* w)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

} // namespace

QString ConversionTable(float from, float to, float step, const std::function<float(float)>& toEl)
{
    if (!std::isfinite(from) || !std::isfinite(to) || !std::isfinite(step) || step <= 0 || from > to)
        return {};
    QString out;
    // each temperature from its number, so that no step's rounding adds up
    const double last = double(to) + double(step) * 1e-6;
    for (int i = 0; i < kMaxTableRows; ++i) {
        const double t = double(from) + double(i) * double(step);
        if (t > last) break;
        const float tf = float(t);
        out += CommaText(CompactText(tf)) + QLatin1Char('\t') + CommaText(CompactText(toEl(tf))) +
               QLatin1Char('\n');
    }
    return out;
}

TFrameCalc_TCTP::TFrameCalc_TCTP(QWidget* parent, const QString& polynomsPath) : QFrame(parent)
{
    setObjectName(QStringLiteral("FrameCalc_TCTP1"));
    auto* layout = new QVBoxLayout(this);
    FrameSensor1 = new TFrameSensor(this, polynomsPath);
    layout->addWidget(FrameSensor1);

    Panel1 = Named("Panel1", new QFrame(this));
    auto* pl = new QGridLayout(Panel1);
    pl->addWidget(Named("Label1", new QLabel(QStringLiteral("T, °C"), Panel1)), 0, 0);
    Edit_T = Named("Edit_T", new QLineEdit(QStringLiteral("0"), Panel1));
    pl->addWidget(Edit_T, 0, 1);
    Edit_El = Named("Edit_El", new QLineEdit(QStringLiteral("0"), Panel1));
    pl->addWidget(Edit_El, 0, 2);
    Label3 = Named("Label3", new QLabel(QStringLiteral("Ом"), Panel1));
    pl->addWidget(Label3, 0, 3);
    ed_OhmC = Named("ed_OhmC", new QLineEdit(Panel1));
    ed_OhmC->setReadOnly(true);
    pl->addWidget(ed_OhmC, 1, 2);
    lb_OhmC = Named("lb_OhmC", new QLabel(QStringLiteral("Ом/°C"), Panel1));
    pl->addWidget(lb_OhmC, 1, 3);
    layout->addWidget(Panel1);

    layout->addWidget(Named("Label_Classes", new QLabel(QStringLiteral("Классы допуска"), this)));
    lb_Classes = Named("lb_Classes", new QListWidget(this));
    lb_Classes->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont)); // the columns line up
    layout->addWidget(lb_Classes);

    auto* table = Named("GroupBox_Table", new QGroupBox(QStringLiteral("Таблица, °C"), this));
    auto* tl = new QHBoxLayout(table);
    tl->addWidget(Named("Label_TableFrom", new QLabel(QStringLiteral("от"), table)));
    ed_TableFrom = Named("ed_TableFrom", new QLineEdit(table));
    tl->addWidget(ed_TableFrom);
    tl->addWidget(Named("Label_TableTo", new QLabel(QStringLiteral("до"), table)));
    ed_TableTo = Named("ed_TableTo", new QLineEdit(table));
    tl->addWidget(ed_TableTo);
    tl->addWidget(Named("Label_TableStep", new QLabel(QStringLiteral("шаг"), table)));
    ed_TableStep = Named("ed_TableStep", new QLineEdit(QStringLiteral("10"), table));
    tl->addWidget(ed_TableStep);
    btn_Table = Named("btn_Table", new QPushButton(QStringLiteral("Таблица в буфер"), table));
    tl->addWidget(btn_Table);
    layout->addWidget(table);

    for (QLineEdit* e : {Edit_T, Edit_El, ed_TableFrom, ed_TableTo, ed_TableStep})
        InstallNumericKeyFilter(e);

    // Set-up of the description: no scaling, the cold-junction temperature always typed, only the
    // thermometer and thermocouple kinds. SetRole is not called again: it would bring HART back.
    TFrameSensor* f = FrameSensor1;
    f->cbStdOut->setChecked(false);
    f->PanelStdOut->hide();
    f->Panel_WorkDiap->hide();
    f->cbIsAutoCompens->setChecked(false);
    f->cbIsAutoCompens->hide();
    for (const QString& kind : {QStringLiteral(" Униф. сигнал"), QStringLiteral("  HART")}) {
        const int i = f->cbType->findText(kind);
        if (i >= 0) f->cbType->removeItem(i);
    }
    f->onChange = [this](TFrameSensor*) { SensorChanged(); };
    // "Авто" stays off whatever sets it (a project file among others)
    connect(f->cbIsAutoCompens, &QCheckBox::toggled, this, [this] { KeepAutoOff(); });
    connect(f->cbIsAutoCompens, &QCheckBox::clicked, this, [this] { KeepAutoOff(); });

    // typing, deleting and pasting make a field the last typed one; moving through the fields does not
    connect(Edit_T, &QLineEdit::textEdited, this, [this] { Typed(LastTyped::Temperature); });
    connect(Edit_El, &QLineEdit::textEdited, this, [this] { Typed(LastTyped::Electrical); });
    // the class list always shows the temperature in its field, whoever wrote it (a project)
    connect(Edit_T, &QLineEdit::textChanged, this, [this] { Classes(); });
    connect(btn_Table, &QPushButton::clicked, this, [this] { btn_TableClick(); });

    // the window opens with the units, sensitivity and classes of the first type; the fields keep
    // their texts until the user types or the description changes
    f->Update();
}

void TFrameCalc_TCTP::KeepAutoOff()
{
    QCheckBox* box = FrameSensor1->cbIsAutoCompens;
    if (!box->isChecked()) return;
    {
        const QSignalBlocker block(box);
        box->setChecked(false);
    }
    FrameSensor1->cbTypeChange();
}

void TFrameCalc_TCTP::Typed(LastTyped which)
{
    m_last = which;
    Convert();
    Classes();
}

void TFrameCalc_TCTP::SensorChanged()
{
    const SensorSetup& s = FrameSensor1->Setup();
    Label3->setText(s.isThermocouple ? QStringLiteral("мВ") : QStringLiteral("Ом"));
    lb_OhmC->setText(s.isThermocouple ? QStringLiteral("мВ/°C") : QStringLiteral("Ом/°C"));
    if (s.code != m_tableCode) {
        m_tableCode = s.code;
        ed_TableFrom->setText(CompactText(s.rangeMin));
        ed_TableTo->setText(CompactText(s.rangeMax));
    }
    if (!m_started) {
        m_started = true;
        Classes();
        return;
    }
    Convert();
    Classes();
}

void TFrameCalc_TCTP::Convert()
{
    if (m_last == LastTyped::Temperature)
        Edit_El->setText(CompactText(FrameSensor1->PhysToEl(ReadNumberOr0(Edit_T->text()))));
    else
        Edit_T->setText(CompactText(FrameSensor1->ElToPhys(ReadNumberOr0(Edit_El->text()))));
}

void TFrameCalc_TCTP::Classes()
{
    float t = 0;
    const bool valid = ReadNumber(Edit_T->text(), &t) == 0;
    if (!valid) t = 0;
    lb_Classes->clear();
    ed_OhmC->setVisible(true);
    lb_OhmC->setVisible(true);
    const SensorSetup& s = FrameSensor1->Setup();
    if (!s.isRtd && !s.isThermocouple) return;
    const float sensitivity =
        s.isRtd ? FrameSensor1->OhmPerDegree(s.code, t) : FrameSensor1->MvPerDegree(s.code, t);
    ed_OhmC->setText(FixedText(sensitivity, 3));
    const QString unit = s.isRtd ? QStringLiteral(" Ом)") : QStringLiteral(" мВ)");
    // classes as the library numbers them: RTD 0..3 (AA, A, B, C), thermocouples 1..3
    static const char* const kRtd[4] = {" AA  ", " A   ", " B   ", " C   "};
    static const char* const kTc[3] = {" 1   ", " 2   ", " 3   "};
    const int first = s.isRtd ? 0 : 1, count = s.isRtd ? 4 : 3;
    for (int i = 0; i < count; ++i) {
        const int cls = first + i;
        float lo = 0, hi = 0;
        if (FrameSensor1->GetClassRange(&lo, &hi, cls) != 0) continue;
        QString line = QString::fromLatin1(s.isRtd ? kRtd[i] : kTc[i]) + CompactText(lo) +
                       QStringLiteral("...") + CompactText(hi);
        float tol = 0;
        if (valid && FrameSensor1->GetToleranceForClass(&tol, cls, t) == 0) {
            line += QStringLiteral("      ") + CompactText(tol) + QStringLiteral(" °C");
            // the tolerance in the signal: what a nominal-signal check compares with
            if (IsFinite(sensitivity))
                line +=
                    QStringLiteral(" (±") + FixedText(double(tol) * std::fabs(double(sensitivity)), 3) + unit;
        }
        lb_Classes->addItem(line);
    }
}

QString TFrameCalc_TCTP::btn_TableClick()
{
    float from = 0, to = 0, step = 0;
    if (ReadNumber(ed_TableFrom->text(), &from) != 0 || ReadNumber(ed_TableTo->text(), &to) != 0 ||
        ReadNumber(ed_TableStep->text(), &step) != 0)
        return {};
    const QString table =
        ConversionTable(from, to, step, [this](float t) { return FrameSensor1->PhysToEl(t); });
    if (!table.isEmpty()) QApplication::clipboard()->setText(table);
    return table;
}

TFormHelpCalcTCTP::TFormHelpCalcTCTP(QWidget* parent, const QString& polynomsPath) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormHelpCalcTCTP"));
    setWindowTitle(QStringLiteral("Калькулятор ТС/ТП"));
    auto* layout = new QVBoxLayout(this);
    FrameCalc_TCTP1 = new TFrameCalc_TCTP(this, polynomsPath);
    layout->addWidget(FrameCalc_TCTP1);
}

} // namespace sensors
