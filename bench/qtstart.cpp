// SPDX-License-Identifier: MIT
// The floor of any Qt program on this machine: linked with the same Qt
// libraries as the program, it creates a QCoreApplication and prints one
// line. bench/terminal.sh times the terminal mode against it.
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::puts("One line from a minimal Qt program.");
    return 0;
}
