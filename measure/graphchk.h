// The verification chart window: the readings of the device under test, of the reference and the
// measured error over the points of a verification run. The verification procedure shows it and
// fills it through Chart() (series 0 "Поверяемый", 1 "Эталон", 2 "погрешность").
#pragma once

#include <QDialog>

class QCheckBox;
class QSpinBox;

namespace measure {

class TChartToolBar;
class TChartView;

class TFormGraphChk : public QDialog {
    Q_OBJECT
public:
    explicit TFormGraphChk(QWidget* parent = nullptr);

    TChartView* Chart() const { return ChkGraph; }

    TChartView* ChkGraph;
    TChartToolBar* ChkGraphTools;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QSpinBox* EGLast;
};

} // namespace measure
