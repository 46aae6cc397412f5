#include "verification/ktframe.h"

#include "platform/cp1251.h"
#include "platform/messages.h"
#include "sensors/fieldchecks.h"
#include "sensors/labelededit.h"
#include "sensors/numbers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QValidator>

#include <cmath>

namespace verification {
namespace {

const QString kAddItem = QStringLiteral("- добавить -");

template <typename W> W* Named(const char* name, W* w)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel* Caption(QWidget* parent, const char* name, const char* text)
{
    return Named(name, new QLabel(QString::fromUtf8(text), parent));
}

// A calibrator's name is stored as one token of Windows-1251 text: white space becomes '_',
// characters the code page lacks are refused.
class NameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        for (QChar& c : input)
            if (c.isSpace()) c = u'_';
        return platform::FromCp1251(platform::ToCp1251(input)) == input ? Acceptable : Invalid;
    }
};

QString NameOf(const QString& text)
{
    QString name = text.trimmed();
    for (QChar& c : name)
        if (c.isSpace()) c = u'_';
    return name;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The editor

TForm_KT::TForm_KT(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_KT"));
    setWindowTitle(QStringLiteral("Калибратор температуры"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Caption(this, "Label_Title", "Метрологические характеристики калибратора температуры"));
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    auto edit = [this](const char* name) { return Named(name, new QLineEdit(this)); };

    grid->addWidget(Caption(this, "Label_Name", "Название :"), 0, 0);
    ed_Name = edit("ed_Name");
    ed_Name->setMaxLength(kMaxCalibratorName);
    ed_Name->setValidator(new NameValidator(ed_Name));
    grid->addWidget(ed_Name, 0, 1, 1, 2);
    grid->addWidget(Caption(this, "Label_Range", "Диапазон воспр. температур, °C :"), 1, 0);
    ed_diap_min = edit("ed_diap_min");
    ed_diap_max = edit("ed_diap_max");
    grid->addWidget(ed_diap_min, 1, 1);
    grid->addWidget(ed_diap_max, 1, 2);
    grid->addWidget(Caption(this, "Label_Formula", "(°C) = ( a + b * t )"), 2, 0);
    grid->addWidget(Caption(this, "Label_A", "a"), 2, 1, Qt::AlignHCenter);
    grid->addWidget(Caption(this, "Label_B", "b"), 2, 2, Qt::AlignHCenter);
    struct Row {
        const char* label;
        const char* caption;
        QLineEdit** a;
        QLineEdit** b;
        const char* aName;
        const char* bName;
    } rows[] = {{"Label_Err", "Предел погрешности", &ed_A_err, &ed_B_err, "ed_A_err", "ed_B_err"},
                {"Label_Unst", "Нестабильность", &ed_A_unst, &ed_B_unst, "ed_A_unst", "ed_B_unst"},
                {"Label_Vg", "Вертикальный градиент", &ed_A_vg, &ed_B_vg, "ed_A_vg", "ed_B_vg"},
                {"Label_Hg", "Горизонтальный градиент", &ed_A_hg, &ed_B_hg, "ed_A_hg", "ed_B_hg"}};
    int r = 3;
    for (const Row& row : rows) {
        grid->addWidget(Caption(this, row.label, row.caption), r, 0);
        *row.a = edit(row.aName);
        *row.b = edit(row.bName);
        grid->addWidget(*row.a, r, 1);
        grid->addWidget(*row.b, r, 2);
        ++r;
    }
    grid->addWidget(Caption(this, "Label_Acc", "Единица последнего разряда, °C :"), r, 0);
    ed_acc = edit("ed_acc");
    grid->addWidget(ed_acc, r, 1);

    for (QLineEdit* e : {ed_diap_min, ed_diap_max, ed_A_err, ed_B_err, ed_A_unst, ed_B_unst, ed_A_vg, ed_B_vg,
                         ed_A_hg, ed_B_hg, ed_acc})
        sensors::InstallNumericKeyFilter(e);

    auto* buttons = new QHBoxLayout;
    btn_Save = Named("btn_Save", new QPushButton(QStringLiteral("OK"), this));
    btn_Cancel = Named("btn_Cancel", new QPushButton(QStringLiteral(" Отмена"), this));
    btn_Save->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(btn_Save);
    buttons->addWidget(btn_Cancel);
    layout->addLayout(buttons);
    connect(btn_Save, &QPushButton::clicked, this, [this] { btn_SaveClick(); });
    connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm_KT::Prepare(const sensors::TCalibratorRecord* current)
{
    QLineEdit* const ab[8] = {ed_A_err, ed_B_err, ed_A_unst, ed_B_unst, ed_A_vg, ed_B_vg, ed_A_hg, ed_B_hg};
    if (!current) {
        ed_Name->setText(QStringLiteral("---"));
        for (QLineEdit* e : ab)
            e->setText(QStringLiteral("0.0"));
        return;
    }
    const sensors::TCalibratorRecord& c = *current;
    ed_Name->setText(CalibratorName(c));
    const float values[8] = {c.errorLimitA,         c.errorLimitB,        c.instabilityA,
                             c.instabilityB,        c.verticalGradientA,  c.verticalGradientB,
                             c.horizontalGradientA, c.horizontalGradientB};
    for (int i = 0; i < 8; ++i)
        ab[i]->setText(sensors::CompactText(values[i]));
    ed_diap_min->setText(sensors::CompactText(c.rangeMin));
    ed_diap_max->setText(sensors::CompactText(c.rangeMax));
    ed_acc->setText(sensors::CompactText(c.lastDigit));
}

bool TForm_KT::btn_SaveClick()
{
    if (!sensors::RequireFilled(true, {ed_Name, ed_diap_min, ed_diap_max, ed_acc, ed_A_vg, ed_B_vg}) ||
        !sensors::RequireFilled(true, {ed_A_hg, ed_B_hg, ed_A_unst, ed_B_unst, ed_A_err, ed_B_err}))
        return false;
    QLineEdit* const fields[11] = {ed_diap_min, ed_diap_max, ed_A_err, ed_B_err, ed_A_unst, ed_B_unst,
                                   ed_A_vg,     ed_B_vg,     ed_A_hg,  ed_B_hg,  ed_acc};
    float v[11];
    for (int i = 0; i < 11; ++i) {
        v[i] = sensors::FieldValue(fields[i]);
        if (!std::isfinite(v[i])) { // a pasted "inf": no number the list could store
            fields[i]->clear();
            sensors::RequireFilled(true, {fields[i]});
            return false;
        }
    }
    sensors::TCalibratorRecord r;
    platform::SetText(r.name, NameOf(ed_Name->text()));
    r.rangeMin = v[0];
    r.rangeMax = v[1];
    r.errorLimitA = v[2];
    r.errorLimitB = v[3];
    r.instabilityA = v[4];
    r.instabilityB = v[5];
    r.verticalGradientA = v[6];
    r.verticalGradientB = v[7];
    r.horizontalGradientA = v[8];
    r.horizontalGradientB = v[9];
    r.lastDigit = v[10];
    m_result = r;
    accept();
    return true;
}

// ---------------------------------------------------------------------------------------------
// The selection frame

TFrame_KT::TFrame_KT(const QString& listPath, QWidget* parent) : QFrame(parent), m_path(listPath)
{
    setObjectName(QStringLiteral("Frame_KT1"));
    runEditor = [](TForm_KT& editor) { return editor.exec() == QDialog::Accepted; };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* group =
        Named("GroupBox_KT", new QGroupBox(QStringLiteral("  Параметры расчёта неопределённости  "), this));
    layout->addWidget(group);
    auto* gl = new QGridLayout(group);
    CheckBox_KT =
        Named("CheckBox_KT", new QCheckBox(QStringLiteral("Средство воспроизведения температуры"), group));
    CheckBox_KT->setChecked(true);
    cb_KT = Named("cb_KT", new QComboBox(group));
    sensors::KeepUntranslated(cb_KT); // names of the user's calibrators, not words to translate
    btn_KT_params = Named("btn_KT_params", new QPushButton(QStringLiteral("Параметры"), group));
    btn_KT_Del = Named("btn_KT_Del", new QPushButton(QStringLiteral("удалить"), group));
    btn_KT_Del->setEnabled(false);
    gl->addWidget(CheckBox_KT, 0, 0, 1, 3);
    gl->addWidget(cb_KT, 1, 0);
    gl->addWidget(btn_KT_params, 1, 1);
    gl->addWidget(btn_KT_Del, 1, 2);

    auto* ref = Named("GroupBox_RETAN",
                      new QGroupBox(QStringLiteral("Погрешность эталонного датчика температуры"), group));
    auto* rl = new QGridLayout(ref);
    rb_RETAN_errByType =
        Named("rb_RETAN_errByType", new QRadioButton(QStringLiteral("по типу РЕТАН :"), ref));
    rb_RETAN_errByType->setChecked(true);
    cb_RETAN_type = Named("cb_RETAN_type", new QComboBox(ref));
    for (int t = 0; t < kThermometerTypeCount; ++t)
        cb_RETAN_type->addItem(ThermometerLabel(t));
    rb_RETAN_errByValue = Named("rb_RETAN_errByValue", new QRadioButton(QStringLiteral("значение, °C"), ref));
    cb_RETAN_ErrValue = Named("cb_RETAN_ErrValue", new QLineEdit(QStringLiteral("0.01"), ref));
    cb_RETAN_ErrValue->setEnabled(false);
    sensors::InstallNumericKeyFilter(cb_RETAN_ErrValue);
    rl->addWidget(rb_RETAN_errByType, 0, 0);
    rl->addWidget(cb_RETAN_type, 0, 1);
    rl->addWidget(rb_RETAN_errByValue, 1, 0);
    rl->addWidget(cb_RETAN_ErrValue, 1, 1);
    gl->addWidget(ref, 2, 0, 1, 3);

    m_list.Load(m_path);
    for (int i = 0; i < m_list.Count(); ++i)
        cb_KT->addItem(CalibratorName(*m_list.At(i)));
    cb_KT->addItem(kAddItem);
    cb_KT->setCurrentIndex(0);

    connect(cb_KT, &QComboBox::currentIndexChanged, this, [this] { cb_KTChange(); });
    connect(cb_KT, &QComboBox::activated, this, [this](int i) { cb_KTActivated(i); });
    connect(CheckBox_KT, &QCheckBox::clicked, this, [this] { CheckBox_KTClick(); });
    connect(btn_KT_params, &QPushButton::clicked, this, [this] { btn_KT_paramsClick(); });
    connect(btn_KT_Del, &QPushButton::clicked, this, [this] { btn_KT_DelClick(); });
    connect(cb_RETAN_type, &QComboBox::currentIndexChanged, this, [this] { cb_RETAN_typeChange(); });
    for (QRadioButton* rb : {rb_RETAN_errByType, rb_RETAN_errByValue})
        connect(rb, &QRadioButton::clicked, this, [this] { rb_RETAN_Click(); });

    cb_KTChange();
    m_before = m_shown;
}

sensors::TCalibratorRecord* TFrame_KT::RecordAt(int index) const
{
    return m_list.At(index);
}

void TFrame_KT::cb_KTChange()
{
    const int i = cb_KT->currentIndex();
    m_before = m_shown;
    m_shown = i;
    if (i < 0) {
        btn_KT_Del->setEnabled(false);
        return;
    }
    m_current = RecordAt(i);
    btn_KT_Del->setEnabled(m_current != nullptr);
    if (CheckBox_KT->isChecked()) m_selected = m_current;
}

void TFrame_KT::cb_KTActivated(int index)
{
    if (index < 0 || RecordAt(index) || !m_editor) return;
    const int restore = m_before;
    m_current = nullptr;
    if (Edit()) return;
    // cancelled: the calibrator chosen before stays chosen
    if (restore >= 0 && restore != index && restore < cb_KT->count()) cb_KT->setCurrentIndex(restore);
    m_before = cb_KT->currentIndex();
}

void TFrame_KT::CheckBox_KTClick()
{
    const bool on = CheckBox_KT->isChecked();
    cb_KT->setEnabled(on);
    btn_KT_params->setEnabled(on);
    const int i = cb_KT->currentIndex();
    if (i < 0) {
        btn_KT_Del->setEnabled(false);
        return;
    }
    if (on)
        m_current = m_selected = RecordAt(i);
    else
        m_selected = nullptr;
}

void TFrame_KT::btn_KT_paramsClick()
{
    m_current = RecordAt(cb_KT->currentIndex());
    Edit();
}

bool TFrame_KT::Edit()
{
    if (!m_editor) return false;
    sensors::TCalibratorRecord* editing = m_current;
    m_editor->Prepare(editing);
    if (!runEditor(*m_editor)) return false;
    // the list may have changed while the editor was open: edit only a record still in it
    if (editing && m_list.IndexOf(editing) < 0) return false;
    const sensors::TCalibratorRecord& r = m_editor->Result();
    m_list.SetModified(true);
    if (editing) {
        *editing = r;
        cb_KT->setItemText(m_list.IndexOf(editing), CalibratorName(r)); // the new name shows at once
        return true;
    }
    m_list.Append(r);
    const int at = m_list.Count() - 1;
    {
        const QSignalBlocker block(cb_KT);
        cb_KT->insertItem(at, CalibratorName(r));
    }
    cb_KT->setCurrentIndex(at);
    if (cb_KT->currentIndex() == at && m_shown != at) cb_KTChange(); // the index was already `at`
    m_before = m_shown;
    return true;
}

void TFrame_KT::btn_KT_DelClick()
{
    sensors::TCalibratorRecord* r = RecordAt(cb_KT->currentIndex());
    if (!r) return;
    if (platform::QuestionFmt(8, CalibratorName(*r)) != 0) return;
    const int i = m_list.IndexOf(r);
    if (i < 0) return;
    if (m_selected == r) m_selected = nullptr;
    if (m_current == r) m_current = nullptr;
    {
        const QSignalBlocker block(cb_KT);
        cb_KT->removeItem(i);
        cb_KT->setCurrentIndex(0);
    }
    m_list.Remove(r);
    m_list.SetModified(true);
    m_shown = -1;
    cb_KTChange(); // everything follows the first item
    m_before = m_shown;
}

void TFrame_KT::cb_RETAN_typeChange()
{
    if (!cb_RETAN_type->isEnabled()) {
        m_thermometerType = -1;
        return;
    }
    m_thermometerType = cb_RETAN_type->currentIndex();
    cb_RETAN_ErrValue->setText(sensors::CompactText(ThermometerError(m_thermometerType, 0)));
}

void TFrame_KT::rb_RETAN_Click()
{
    const bool byValue = rb_RETAN_errByValue->isChecked();
    cb_RETAN_type->setEnabled(!byValue);
    cb_RETAN_ErrValue->setEnabled(byValue);
    cb_RETAN_typeChange();
}

float TFrame_KT::PointUncertainty(const measure::TStatistics& ref, const measure::TStatistics& meas) const
{
    const sensors::TCalibratorRecord* cal = CheckBox_KT->isChecked() ? m_selected : nullptr;
    return verification::PointUncertainty(ref, meas, cal, rb_RETAN_errByType->isChecked(), m_thermometerType,
                                          sensors::FieldValue(cb_RETAN_ErrValue));
}

TFrame_KT::SaveOutcome TFrame_KT::SaveList(bool unattended)
{
    if (!m_list.Modified()) return SaveOutcome::Unchanged;
    if (!unattended && platform::Question(7) != 0) return SaveOutcome::Declined;
    if (!m_list.Save(m_path)) {
        platform::ErrorMessageFmt(1, m_path);
        return SaveOutcome::Failed;
    }
    return SaveOutcome::Saved;
}

} // namespace verification
