// The TC/TP calculator window; its frame comes with the calculator.
#pragma once

#include <QDialog>

namespace shell {

class TFormHelpCalcTCTP : public QDialog {
    Q_OBJECT
public:
    explicit TFormHelpCalcTCTP(QWidget* parent = nullptr);
};

} // namespace shell
