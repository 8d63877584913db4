// SPDX-License-Identifier: MIT
// Writes a quote file for the start-up benchmark:
//   startup_quotefile COUNT PATH   COUNT fortune-like quotes of about 170 bytes
#include "fortunegen.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc != 3 || std::atoi(argv[1]) < 0) {
        std::fprintf(stderr, "usage: %s COUNT PATH\n", argv[0]);
        return 2;
    }
    const QByteArray bytes = generateFortuneLikeFile(std::atoi(argv[1]));
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush()) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
