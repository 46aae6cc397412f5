// The temperature calibrator list editor; its list and editor come with the calibrator list.
#pragma once

#include <QDialog>

namespace shell {

class TForm_KT : public QDialog {
    Q_OBJECT
public:
    explicit TForm_KT(QWidget* parent = nullptr);
};

} // namespace shell
