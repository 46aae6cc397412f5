#include "shell/chartwindow.h"

namespace shell {

TFormGraphChk::TFormGraphChk(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormGraphChk"));
}

} // namespace shell
