// The verification chart window; its chart comes with the chart services.
#pragma once

#include <QDialog>

namespace shell {

class TFormGraphChk : public QDialog {
    Q_OBJECT
public:
    explicit TFormGraphChk(QWidget* parent = nullptr);
};

} // namespace shell
