// lorikws: the workstation program.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setObjectName(QStringLiteral("Form_Main"));
    window.setWindowTitle(QStringLiteral("АРМ ЛОРИК"));
    auto* label = new QLabel(QStringLiteral("АРМ ЛОРИК"), &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(800, 600);
    window.show();
    return app.exec();
}
