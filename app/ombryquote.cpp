// SPDX-License-Identifier: MIT
// Program entry: sets up the application and runs the main window.
#include <QApplication>
#include <QMessageBox>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("OMBRY Quote"));
    QMessageBox::information(nullptr, QStringLiteral("OMBRY Quote"),
                             QStringLiteral("The main window is not built yet."));
    return 0;
}
