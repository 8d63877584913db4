// SPDX-License-Identifier: MIT
// The floor for the start-up benchmark: the least a Qt program does to show
// a quote, a window holding one label of text, linked like the program.
#include "app/startupprobe.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    auto *layout = new QVBoxLayout(&window);
    auto *label = new QLabel(QStringLiteral("It is not that we have a short space of time,\n"
                                            "but that we waste much of it."),
        &window);
    label->setWordWrap(true);
    layout->addWidget(label);
    window.resize(477, 260);

    const auto probe = oq::StartupProbe::fromEnvironment();
    if (probe)
        probe->watch(&window);
    window.show();
    return QApplication::exec();
}
