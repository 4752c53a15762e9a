#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMessageBox::information(nullptr, QStringLiteral("Corvantide v1.2"),
                             QStringLiteral("The desktop program is being built."));
    return 0;
}
