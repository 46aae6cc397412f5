#include "shell/ktwindow.h"

namespace shell {

TForm_KT::TForm_KT(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_KT"));
    setWindowTitle(QStringLiteral("Калибратор температуры"));
}

} // namespace shell
