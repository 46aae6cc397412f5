// The About window: version, title line, the web address and two e-mail addresses.
#pragma once

#include <QDialog>

namespace shell {

class TForm_About : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kWebAddress = "https://lorikws.example.org";
    static constexpr const char* kSupportMail = "support@lorikws.example.org";
    static constexpr const char* kDeveloperMail = "dev@lorikws.example.org";
    explicit TForm_About(QWidget* parent = nullptr);
};

} // namespace shell
