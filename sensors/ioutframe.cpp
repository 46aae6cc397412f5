#include "sensors/ioutframe.h"

#include "sensors/fieldchecks.h"
#include "sensors/numbers.h"
#include "sensors/sensorsetup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <cmath>

namespace sensors {

TFrame_std_Iout_tune::TFrame_std_Iout_tune(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("Frame_std_Iout_tune1"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    cbEnable = new QCheckBox(QStringLiteral("Токовый вход :"), this);
    cbEnable->setObjectName(QStringLiteral("cbEnable"));
    cbEnable->setChecked(true);
    rb_0_5 = new QRadioButton(QStringLiteral("0 - 5"), this);
    rb_0_5->setObjectName(QStringLiteral("rb_0_5"));
    rb_4_20 = new QRadioButton(QStringLiteral("4 - 20"), this);
    rb_4_20->setObjectName(QStringLiteral("rb_4_20"));
    rb_4_20->setChecked(true);
    rb_0_20 = new QRadioButton(QStringLiteral("0 - 20"), this);
    rb_0_20->setObjectName(QStringLiteral("rb_0_20"));
    top->addWidget(cbEnable);
    top->addWidget(rb_0_5);
    top->addWidget(rb_4_20);
    top->addWidget(rb_0_20);
    layout->addLayout(top);
    pnDiapFiz = new QFrame(this);
    pnDiapFiz->setObjectName(QStringLiteral("pnDiapFiz"));
    auto* grid = new QGridLayout(pnDiapFiz);
    auto* caption = new QLabel(QStringLiteral("Диапазон преобразования в физическую величину"), pnDiapFiz);
    caption->setObjectName(QStringLiteral("Label_DiapFiz"));
    ebFizMin = new QLineEdit(QStringLiteral("0"), pnDiapFiz);
    ebFizMin->setObjectName(QStringLiteral("ebFizMin"));
    ebFizMax = new QLineEdit(QStringLiteral("100"), pnDiapFiz);
    ebFizMax->setObjectName(QStringLiteral("ebFizMax"));
    cbUniuFiz = new QComboBox(pnDiapFiz);
    cbUniuFiz->setObjectName(QStringLiteral("cbUniuFiz"));
    for (int i = 0; i < kUnitCount; ++i) cbUniuFiz->addItem(QString::fromUtf8(UnitText(i)));
    cbUniuFiz->setCurrentIndex(0);
    grid->addWidget(caption, 0, 0, 1, 3);
    grid->addWidget(ebFizMin, 1, 0);
    grid->addWidget(ebFizMax, 1, 1);
    grid->addWidget(cbUniuFiz, 1, 2);
    layout->addWidget(pnDiapFiz);
    InstallNumericKeyFilter(ebFizMin);
    InstallNumericKeyFilter(ebFizMax);
    m_outputUnit = cbUniuFiz->currentText();

    connect(ebFizMin, &QLineEdit::textChanged, this, [this] {
        m_physMin = ReadNumberOr0(ebFizMin->text());
        Notify();
    });
    connect(ebFizMax, &QLineEdit::textChanged, this, [this] {
        m_physMax = ReadNumberOr0(ebFizMax->text());
        Notify();
    });
    for (QRadioButton* rb : {rb_0_5, rb_4_20, rb_0_20}) connect(rb, &QRadioButton::clicked, this, [this] { rb_Click(); });
    connect(cbUniuFiz, &QComboBox::currentIndexChanged, this, [this] {
        cbUniuFizChange();
        Notify();
    });
    connect(cbEnable, &QCheckBox::clicked, this, [this] { cbEnableClick(); });
}

void TFrame_std_Iout_tune::Notify()
{
    if (onChange) onChange();
}

void TFrame_std_Iout_tune::rb_Click()
{
    if (rb_0_5->isChecked()) m_iMin = 0, m_iMax = 5;
    else if (rb_4_20->isChecked()) m_iMin = 4, m_iMax = 20;
    else if (rb_0_20->isChecked()) m_iMin = 0, m_iMax = 20;
    Notify();
}

void TFrame_std_Iout_tune::cbUniuFizChange()
{
    m_outputUnit = m_enabled ? cbUniuFiz->currentText().left(31) : QStringLiteral("мА");
    m_unitFactor = sensors::UnitFactor(m_outputUnit);
    if (!IsFinite(m_unitFactor)) m_unitFactor = 1;
}

void TFrame_std_Iout_tune::cbEnableClick()
{
    m_enabled = cbEnable->isChecked();
    pnDiapFiz->setVisible(m_enabled);
    if (m_enabled) {
        cbUniuFizChange();
    } else {
        m_outputUnit = QStringLiteral("мА");
        m_unitFactor = 1;
    }
    Notify();
}

float TFrame_std_Iout_tune::CurrentToPhys(float x) const
{
    if (!m_enabled) return x;
    if (!IsFinite(x)) return MissingValue();
    if (m_iMax == m_iMin) return MissingValue();
    const float ratio = float((double(x) - m_iMin) / (double(m_iMax) - m_iMin));
    return float(double(m_physMin) + (double(m_physMax) - m_physMin) * double(ratio));
}

float TFrame_std_Iout_tune::CurrentError(float x) const
{
    const double e = (0.0002 * double(x) + 2) * 0.001;
    const double per = std::fabs(double(m_iMax) - m_iMin) / (std::fabs(double(m_physMax) - m_physMin) * m_unitFactor);
    return float(e / per);
}

bool TFrame_std_Iout_tune::CheckScaling()
{
    if (cbUniuFiz->currentIndex() < 0) {
        FlashAndFocus(cbUniuFiz);
        return false;
    }
    if (!m_enabled) return true;
    for (QLineEdit* e : {ebFizMin, ebFizMax})
        if (!HasNumber(e)) {
            FlashAndFocus(e);
            return false;
        }
    return true;
}

void TFrame_std_Iout_tune::LockUnits(bool lock)
{
    cbUniuFiz->setEnabled(!lock);
    if (lock) cbUniuFiz->setCurrentIndex(0);
}

void TFrame_std_Iout_tune::ClearScaling()
{
    cbEnable->setChecked(false);
    cbEnableClick();
}

void TFrame_std_Iout_tune::SelectUnit(const QString& text)
{
    const int i = cbUniuFiz->findText(text);
    if (i >= 0) cbUniuFiz->setCurrentIndex(i);
}

} // namespace sensors
