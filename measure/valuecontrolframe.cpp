#include "measure/valuecontrolframe.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace measure {

namespace {

struct ButtonDesign {
    const char* name;
    const char* caption;
    const char* hint;
    int tag;
};

// Rows of the grid: a "+" button above its "-" button, largest step on the left.
constexpr ButtonDesign kButtons[10] = {
    {"Panel3", "+ 10", "Увеличение эмулируемого сигнала на  10  единиц", 10},
    {"Panel8", "- 10", "Уменьшение эмулируемого сигнала на  10  единиц", 11},
    {"Panel2", "+ 1", "Увеличение эмулируемого сигнала на  1  единицу", 12},
    {"Panel7", "- 1", "Уменьшение эмулируемого сигнала на  1 единицу", 13},
    {"Panel1", "+ 0.1", "Увеличение эмулируемого сигнала на  0.1  единицы", 14},
    {"Panel6", "- 0.1", "Уменьшение эмулируемого сигнала на  0.1 единицы", 15},
    {"Up_001", "+ 0.01", "Увеличение эмулируемого сигнала на  0.01  единицы", 16},
    {"Panel5", "- 0.01", "Уменьшение эмулируемого сигнала на  0.01 единицы", 17},
    {"Panel4", "+ 0.001", "Увеличение эмулируемого сигнала на  0.001  единицы", 18},
    {"Panel9", "- 0.001", "Уменьшение эмулируемого сигнала на  0.001 единицы", 19},
};

} // namespace

TFrame_ValueControl::TFrame_ValueControl(QWidget* parent)
    : QWidget(parent), TimerAutoIncrement(new QTimer(this)),
      m_timerSeam(std::make_unique<hart::QtTimer>(TimerAutoIncrement)), m_spinner(*m_timerSeam)
{
    setObjectName(QStringLiteral("Frame_ValueControl"));
    TimerAutoIncrement->setObjectName(QStringLiteral("TimerAutoIncrement"));
    TimerAutoIncrement->setInterval(kSpinnerFirstMs);
    connect(TimerAutoIncrement, &QTimer::timeout, this, [this] { m_spinner.Repeat(); });

    auto* layout = new QVBoxLayout(this);
    Label_Value = new QLabel(QStringLiteral("-.---"), this);
    Label_Value->setObjectName(QStringLiteral("Label_Value"));
    QFont big = Label_Value->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    Label_Value->setFont(big);
    Label_Units = new QLabel(QStringLiteral("мА"), this);
    Label_Units->setObjectName(QStringLiteral("Label_Units"));
    Label_Diap = new QLabel(QStringLiteral("-10 ... 100 мВ"), this);
    Label_Diap->setObjectName(QStringLiteral("Label_Diap"));
    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(Label_Value, 1, Qt::AlignRight);
    valueRow->addWidget(Label_Units);
    layout->addLayout(valueRow);
    layout->addWidget(Label_Diap, 0, Qt::AlignRight);

    auto* grid = new QGridLayout;
    for (int i = 0; i < 10; ++i) {
        const ButtonDesign& d = kButtons[i];
        auto* b = new QPushButton(QString::fromUtf8(d.caption), this);
        b->setObjectName(QLatin1String(d.name));
        b->setToolTip(QString::fromUtf8(d.hint));
        b->setProperty("tag", d.tag);
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        const int tag = d.tag;
        connect(b, &QPushButton::pressed, this, [this, tag] { m_spinner.Press(tag); });
        connect(b, &QPushButton::released, this, [this] { m_spinner.Release(); });
        grid->addWidget(b, i % 2, i / 2);
        m_buttons[i] = b;
    }
    layout->addLayout(grid);

    m_spinner.onChanged = [this](float v) { Changed(v); };
    m_spinner.SetValue(0.0f); // "0.000", before any host listens
}

TFrame_ValueControl::~TFrame_ValueControl()
{
    m_spinner.onChanged = nullptr;
    TimerAutoIncrement->stop();
}

QPushButton* TFrame_ValueControl::Button(int tag) const
{
    return (tag >= 10 && tag <= 19) ? m_buttons[tag - 10] : nullptr;
}

void TFrame_ValueControl::SetMinimum(float minimum)
{
    if (m_spinner.SetMinimum(minimum)) Relabel();
}

void TFrame_ValueControl::SetMaximum(float maximum)
{
    if (m_spinner.SetMaximum(maximum)) Relabel();
}

void TFrame_ValueControl::SetUnit(const QString& unit)
{
    if (!m_spinner.SetUnit(unit)) return;
    Label_Units->setText(unit);
    Relabel();
}

void TFrame_ValueControl::Release()
{
    m_spinner.Release();
    for (QPushButton* b : m_buttons)
        if (b->isDown()) b->setDown(false);
}

void TFrame_ValueControl::Changed(float value)
{
    Label_Value->setText(m_spinner.ValueText());
    if (onValue) onValue(value);
}

void TFrame_ValueControl::Relabel()
{
    Label_Diap->setText(m_spinner.RangeText());
}

void TFrame_ValueControl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) Release();
    QWidget::changeEvent(event);
}

void TFrame_ValueControl::hideEvent(QHideEvent* event)
{
    Release();
    QWidget::hideEvent(event);
}

} // namespace measure
