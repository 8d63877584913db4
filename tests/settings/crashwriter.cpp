// SPDX-License-Identifier: MIT
// Test helper for tst_crashconsistency: writes one of the program's files over and over through the program's own
// code, numbering the writes from the number given, and prints each number once its write has completed. The
// test kills it with SIGKILL at random moments.
#include "quotes/favourites.h"
#include "settings/inifile.h"
#include "writerscript.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc != 3)
        return 2;
    const crashwrites::Kind kind = crashwrites::kindFromName(argv[1]);
    for (qint64 n = std::atoll(argv[2]);; ++n) {
        try {
            crashwrites::write(kind, n);
        } catch (const oq::Exception &e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        const QByteArray line = QByteArray::number(n) + '\n';
        if (::write(STDOUT_FILENO, line.constData(), size_t(line.size())) != line.size())
            return 1;
    }
}
