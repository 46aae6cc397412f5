#include "measure/graphchk.h"

#include "measure/chartview.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QSpinBox>
#include <QVBoxLayout>

namespace measure {

TFormGraphChk::TFormGraphChk(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormGraphChk"));
    setWindowTitle(QStringLiteral("График измеренных значений"));
    resize(800, 500);
    auto* layout = new QVBoxLayout(this);

    ChkGraph = new TChartView(this);
    ChkGraph->setObjectName(QStringLiteral("ChkGraph"));
    ChkGraph->SetLegendVisible(false);
    ChkGraph->AddSeries(QStringLiteral("Поверяемый"), Qt::red, 1, ChartAxis::Left);
    ChkGraph->AddSeries(QStringLiteral("Эталон"), Qt::darkBlue, 1, ChartAxis::Left);
    ChkGraph->AddSeries(QStringLiteral("погрешность"), Qt::darkGreen, 1, ChartAxis::Right);
    ChkGraph->SetAxisTitle(ChartAxis::Left, QStringLiteral("мА"));
    ChkGraph->SetAxisTitle(ChartAxis::Right, QStringLiteral("%"));
    ChkGraph->SetRange(ChartAxis::Bottom, {0, 25});

    auto* top = new QHBoxLayout;
    ChkGraphTools = new TChartToolBar(ChkGraph, QStringLiteral("verification"),
                                      QStringLiteral("Сохранить результаты измерения"), this);
    ChkGraphTools->setObjectName(QStringLiteral("ChkGraphTools"));
    top->addWidget(ChkGraphTools, 1);
    const struct {
        const char* name;
        const char* text;
        const char* hint;
    } boxes[] = {{"CheckBox1", "Поверяемый", "Данные с поверяемого прибора"},
                 {"CheckBox2", "Эталон", "Данные с эталона"},
                 {"CheckBox3", "Погрешность", "Измеренная погрешность поверяемого прибора"}};
    QCheckBox** targets[] = {&CheckBox1, &CheckBox2, &CheckBox3};
    for (int i = 0; i < 3; ++i) {
        auto* box = new QCheckBox(QString::fromUtf8(boxes[i].text), this);
        box->setObjectName(QString::fromLatin1(boxes[i].name));
        box->setToolTip(QString::fromUtf8(boxes[i].hint));
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) { ChkGraph->SetSeriesVisible(i, on); });
        top->addWidget(box);
        *targets[i] = box;
    }
    EGLast = new QSpinBox(this);
    EGLast->setObjectName(QStringLiteral("EGLast"));
    EGLast->setToolTip(QStringLiteral("Отображать только последние значения"));
    EGLast->setMaximum(99999);
    EGLast->hide();
    top->addWidget(EGLast);
    layout->addLayout(top);
    layout->addWidget(ChkGraph, 1);
}

} // namespace measure
