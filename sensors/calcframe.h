// The TC/TP calculator: for a resistance thermometer or thermocouple type, temperature to nominal
// signal and back, the sensitivity at that temperature and every tolerance class of the type with
// its range and tolerance. It talks to no device: everything comes from the sensor description and
// the characteristic library.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace sensors {

class TFrameSensor;

/// "t<TAB>value" lines (',' as the decimal separator) from `from` to `to` in steps of `step`, the
/// value of each temperature by `toEl`. Empty for a step that is not positive or a range that is
/// not finite; at most kMaxTableRows lines.
inline constexpr int kMaxTableRows = 10000;
QString ConversionTable(float from, float to, float step, const std::function<float(float)>& toEl);

class TFrameCalc_TCTP : public QFrame {
    Q_OBJECT
public:
    /// `polynomsPath`: the characteristic library (empty: the program's folder).
    explicit TFrameCalc_TCTP(QWidget* parent = nullptr, const QString& polynomsPath = {});

    /// Which field the user typed in last.
    enum class LastTyped { Temperature, Electrical };
    LastTyped Last() const { return m_last; }

    /// The sensor description changed: unit texts, then Convert and Classes.
    void SensorChanged();
    /// The field typed in last gives the other one.
    void Convert();
    /// The sensitivity and the class lines at the temperature in Edit_T.
    void Classes();
    /// "Таблица в буфер": the table of the chosen range to the clipboard; returns it.
    QString btn_TableClick();

    TFrameSensor* FrameSensor1;
    QFrame* Panel1;
    QLineEdit* Edit_T;
    QLineEdit* Edit_El;
    QLabel* Label3;
    QLineEdit* ed_OhmC;
    QLabel* lb_OhmC;
    QListWidget* lb_Classes;
    QLineEdit* ed_TableFrom;
    QLineEdit* ed_TableTo;
    QLineEdit* ed_TableStep;
    QPushButton* btn_Table;

private:
    void Typed(LastTyped which);
    void KeepAutoOff();

    LastTyped m_last = LastTyped::Electrical;
    int m_tableCode = -1;   // the type the table range was set for
    bool m_started = false; // the first notification (at creation) converts nothing
};

/// The calculator window ("Калькулятор ТС/ТП"), a top-level window of the program.
class TFormHelpCalcTCTP : public QDialog {
    Q_OBJECT
public:
    explicit TFormHelpCalcTCTP(QWidget* parent = nullptr, const QString& polynomsPath = {});
    TFrameCalc_TCTP* FrameCalc_TCTP1;
};

} // namespace sensors
