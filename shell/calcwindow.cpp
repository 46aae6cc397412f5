#include "shell/calcwindow.h"

namespace shell {

TFormHelpCalcTCTP::TFormHelpCalcTCTP(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormHelpCalcTCTP"));
    setWindowTitle(QStringLiteral("Калькулятор ТС/ТП"));
}

} // namespace shell
