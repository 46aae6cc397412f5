#include "measure/stepsframe.h"

#include "sensors/fieldchecks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace measure {

namespace {

constexpr int kDefaultInterval = 5;

QLineEdit* Edit(QWidget* parent, const char* name, int maxLength)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setMaxLength(maxLength);
    return e;
}

} // namespace

/// Enter in ESignalValue while running sends the typed value. Installed after the numeric key
/// filter, so it sees the key first; the numeric filter then swallows the Enter as usual.
class SignalValueEnter : public QObject {
public:
    explicit SignalValueEnter(TFrame_steps* frame) : QObject(frame), m_frame(frame) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) m_frame->DirectValue();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TFrame_steps* m_frame;
};

TFrame_steps::TFrame_steps(QWidget* parent)
    : QWidget(parent), TimerStep(new QTimer(this)), m_timerSeam(std::make_unique<hart::QtTimer>(TimerStep)),
      m_program(*m_timerSeam)
{
    setObjectName(QStringLiteral("Frame_steps"));
    TimerStep->setObjectName(QStringLiteral("TimerStep"));
    TimerStep->setInterval(kStepTickMs);
    connect(TimerStep, &QTimer::timeout, this, [this] { m_program.Tick(); });

    auto* layout = new QVBoxLayout(this);
    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(new QLabel(QStringLiteral("Фиксированные шаги:"), this));
    EFixedSteps = new QComboBox(this);
    EFixedSteps->setObjectName(QStringLiteral("EFixedSteps"));
    EFixedSteps->setToolTip(QStringLiteral("Режим смены шагов"));
    EFixedSteps->addItems({QStringLiteral("отсутствуют"), QStringLiteral("10% диапазона"),
                           QStringLiteral("программирование"), QStringLiteral("25 % диапазона")});
    modeRow->addWidget(EFixedSteps, 1);
    layout->addLayout(modeRow);

    ESignalValuePanel = new QWidget(this);
    ESignalValuePanel->setObjectName(QStringLiteral("ESignalValuePanel"));
    auto* sv = new QHBoxLayout(ESignalValuePanel);
    sv->setContentsMargins(0, 0, 0, 0);
    sv->addWidget(new QLabel(QStringLiteral("Значение сигнала:"), ESignalValuePanel));
    ESignalValue = Edit(ESignalValuePanel, "ESignalValue", 50);
    sv->addWidget(ESignalValue, 1);
    sensors::InstallNumericKeyFilter(ESignalValue);
    ESignalValue->installEventFilter(new SignalValueEnter(this));
    connect(ESignalValue, &QLineEdit::textEdited, this, [this] {
        if (m_program.Running()) SetTyped(true);
    });
    layout->addWidget(ESignalValuePanel);

    ERangePanel = new QWidget(this);
    ERangePanel->setObjectName(QStringLiteral("ERangePanel"));
    auto* rr = new QHBoxLayout(ERangePanel);
    rr->setContentsMargins(0, 0, 0, 0);
    rr->addWidget(new QLabel(QStringLiteral("Диапазон:"), ERangePanel));
    ERangeStart = Edit(ERangePanel, "ERangeStart", 20);
    rr->addWidget(ERangeStart, 1);
    rr->addWidget(new QLabel(QStringLiteral("..."), ERangePanel));
    ERangeEnd = Edit(ERangePanel, "ERangeEnd", 20);
    rr->addWidget(ERangeEnd, 1);
    sensors::InstallNumericKeyFilter(ERangeStart);
    sensors::InstallNumericKeyFilter(ERangeEnd);
    layout->addWidget(ERangePanel);

    EStepsPanel = new QWidget(this);
    EStepsPanel->setObjectName(QStringLiteral("EStepsPanel"));
    auto* grid = new QGridLayout(EStepsPanel);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 9; ++i) {
        const QString n = QString::number(i + 1);
        EStep[i] = new QCheckBox(n + QLatin1Char(':'), EStepsPanel);
        EStep[i]->setObjectName(QStringLiteral("EStep") + n);
        EStep[i]->setProperty("tag", i);
        EStepValue[i] = new QLineEdit(EStepsPanel);
        EStepValue[i]->setObjectName(QStringLiteral("EStep") + n + QStringLiteral("Value"));
        EStepValue[i]->setMaxLength(20);
        EStepValue[i]->setToolTip(QStringLiteral("Значение эмулируемого сигнала на шаге ") + n);
        EStepValue[i]->setEnabled(false);
        sensors::InstallNumericKeyFilter(EStepValue[i]);
        QLineEdit* value = EStepValue[i];
        QCheckBox* box = EStep[i];
        connect(box, &QCheckBox::toggled, value, &QLineEdit::setEnabled);
        // a project load sets the box with its signals blocked, then sends clicked
        connect(box, &QCheckBox::clicked, value, [box, value] { value->setEnabled(box->isChecked()); });
        grid->addWidget(EStep[i], i, 0);
        grid->addWidget(EStepValue[i], i, 1);
    }
    layout->addWidget(EStepsPanel);

    EAutoStepPanel = new QWidget(this);
    EAutoStepPanel->setObjectName(QStringLiteral("EAutoStepPanel"));
    auto* ar = new QGridLayout(EAutoStepPanel);
    ar->setContentsMargins(0, 0, 0, 0);
    EAutoStep = new QCheckBox(QStringLiteral("Авто. переход"), EAutoStepPanel);
    EAutoStep->setObjectName(QStringLiteral("EAutoStep"));
    EAutoStepInterval = new QSpinBox(EAutoStepPanel);
    EAutoStepInterval->setObjectName(QStringLiteral("EAutoStepInterval"));
    EAutoStepInterval->setRange(5, 100);
    EAutoStepInterval->setValue(kDefaultInterval);
    ETime = new QLabel(EAutoStepPanel);
    ETime->setObjectName(QStringLiteral("ETime"));
    btnDoNextStepHand = new QPushButton(QStringLiteral("на следующий шаг"), EAutoStepPanel);
    btnDoNextStepHand->setObjectName(QStringLiteral("btnDoNextStepHand"));
    btnDoNextStepHand->setEnabled(false);
    btnPauseSteps = new QPushButton(QStringLiteral("Пауза"), EAutoStepPanel);
    btnPauseSteps->setObjectName(QStringLiteral("btnPauseSteps"));
    btnPauseSteps->setEnabled(false);
    ar->addWidget(EAutoStep, 0, 0);
    ar->addWidget(EAutoStepInterval, 0, 1);
    ar->addWidget(new QLabel(QStringLiteral("с"), EAutoStepPanel), 0, 2);
    ar->addWidget(ETime, 0, 3);
    ar->addWidget(btnDoNextStepHand, 1, 0, 1, 2);
    ar->addWidget(btnPauseSteps, 1, 2, 1, 2);
    layout->addWidget(EAutoStepPanel);
    layout->addStretch(1);

    connect(btnDoNextStepHand, &QPushButton::clicked, this, [this] { m_program.Next(); });
    connect(btnPauseSteps, &QPushButton::clicked, this, [this] { PauseClick(); });
    connect(EFixedSteps, &QComboBox::currentIndexChanged, this, [this] { ModeChanged(); });

    m_program.onValue = [this](const QString& text, float value) {
        if (onValue) onValue(text, value);
    };
    m_program.onCountdown = [this](int seconds) {
        if (onCountdown) onCountdown(seconds);
    };
    m_program.onShow = [this](int seconds) {
        if (EAutoStepInterval->isEnabled()) EAutoStepInterval->setValue(seconds);
    };
    ModeChanged();
}

TFrame_steps::~TFrame_steps()
{
    m_program.onValue = nullptr;
    m_program.onCountdown = nullptr;
    m_program.onShow = nullptr;
    TimerStep->stop();
}

void TFrame_steps::ModeChanged()
{
    const int mode = EFixedSteps->currentIndex();
    ESignalValuePanel->setVisible(mode == kStepsNone);
    ERangePanel->setVisible(mode == kStepsTenPercent || mode == kStepsQuarter);
    EStepsPanel->setVisible(mode == kStepsProgrammed);
    const bool autoStep = mode == kStepsTenPercent || mode == kStepsQuarter || mode == kStepsProgrammed;
    EAutoStepPanel->setVisible(autoStep);
    EAutoStep->setVisible(autoStep);
}

QWidget* TFrame_steps::Validate(float minimum, float maximum)
{
    QWidget* candidate = nullptr;
    switch (EFixedSteps->currentIndex()) {
    case kStepsNone:
        candidate = ESignalValue;
        break;
    case kStepsTenPercent:
    case kStepsQuarter:
        candidate = ERangeStart;
        break;
    case kStepsProgrammed: {
        bool any = false;
        for (QCheckBox* b : EStep)
            any = any || b->isChecked();
        if (!any) return EStep[0];
        candidate = EStepValue[0];
        // FirstOutOfRange walks the enabled siblings; the first field may itself be disabled.
        for (int i = 0; i < 9; ++i)
            if (EStep[i]->isChecked()) {
                candidate = EStepValue[i];
                break;
            }
        break;
    }
    default:
        return EFixedSteps;
    }
    return sensors::FirstOutOfRange(candidate, maximum, minimum);
}

QStringList TFrame_steps::Build() const
{
    switch (EFixedSteps->currentIndex()) {
    case kStepsNone:
        return {ESignalValue->text()};
    case kStepsTenPercent:
        return RampSteps(ERangeStart->text(), ERangeEnd->text(), 10);
    case kStepsQuarter:
        return RampSteps(ERangeStart->text(), ERangeEnd->text(), 4);
    case kStepsProgrammed: {
        QStringList values;
        for (int i = 0; i < 9; ++i)
            if (EStep[i]->isChecked()) values << EStepValue[i]->text();
        return ProgrammedSteps(values);
    }
    default:
        return {};
    }
}

void TFrame_steps::Start()
{
    if (m_program.Running()) return;
    const int interval = EAutoStepInterval->value();
    const int mode = EFixedSteps->currentIndex();
    const bool countdown = EAutoStep->isChecked() && mode != kStepsNone;
    btnDoNextStepHand->setEnabled(true);
    btnPauseSteps->setEnabled(countdown);
    btnPauseSteps->setText(QStringLiteral("Пауза"));
    for (QWidget* w : std::initializer_list<QWidget*>{EFixedSteps, ERangeStart, ERangeEnd, EAutoStep})
        w->setEnabled(false);
    for (QCheckBox* b : EStep)
        b->setEnabled(false);
    EAutoStepInterval->setProperty("projectValue", interval);
    m_program.Start(Build(), interval, countdown); // the host may stop inside it
}

void TFrame_steps::Stop()
{
    if (!m_program.Running()) return;
    m_program.Stop();
    EAutoStepInterval->setProperty("projectValue", QVariant());
    EAutoStepInterval->setValue(m_program.Interval());
    for (QWidget* w :
         std::initializer_list<QWidget*>{EFixedSteps, ERangeStart, ERangeEnd, EAutoStep, EAutoStepInterval})
        w->setEnabled(true);
    for (QCheckBox* b : EStep)
        b->setEnabled(true);
    btnDoNextStepHand->setEnabled(false);
    btnPauseSteps->setEnabled(false);
    btnPauseSteps->setText(QStringLiteral("Пауза"));
    ETime->clear();
    SetTyped(false);
}

void TFrame_steps::Clear()
{
    sensors::ClearEdits(ESignalValuePanel);
    sensors::ClearEdits(ERangePanel);
    sensors::ClearEdits(EStepsPanel);
    sensors::UncheckAll(EStepsPanel);
    EAutoStepInterval->setValue(kDefaultInterval);
}

void TFrame_steps::DirectValue()
{
    if (!m_program.Running() || ESignalValue->text().isEmpty()) return;
    SetTyped(false);
    // "-" or "." alone would read as 0: nothing is sent until the field holds a number.
    if (!sensors::HasNumber(ESignalValue) || !onValue) return;
    onValue(ESignalValue->text(), sensors::FieldValue(ESignalValue));
}

void TFrame_steps::SetTyped(bool typed)
{
    QPalette p = ESignalValue->palette();
    p.setColor(QPalette::Base, typed ? QColor(Qt::yellow) : palette().color(QPalette::Base));
    ESignalValue->setPalette(p);
    ESignalValue->setProperty("typed", typed);
}

void TFrame_steps::PauseClick()
{
    m_program.SetPaused(!m_program.Paused());
    const bool paused = m_program.Paused();
    ETime->setText(paused ? QStringLiteral("пауза") : QString());
    btnPauseSteps->setText(paused ? QStringLiteral("Продолжить") : QStringLiteral("Пауза"));
}

} // namespace measure
