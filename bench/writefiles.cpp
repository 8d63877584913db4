// SPDX-License-Identifier: MIT
// Writes the benchmark's quote files into a folder: quotes.txt (33,000
// quotes in the program's own format) and the same quotes as the fortune
// file "cookies" with its index "cookies.dat".
//   oqbench_writefiles FOLDER
#include "quotegen.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

bool write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fputs("usage: oqbench_writefiles FOLDER\n", stderr);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    constexpr int Quotes = 33000;
    const QByteArray cookies = generateFortuneFile(Quotes);
    if (!write(dir.filePath(QStringLiteral("quotes.txt")), generateQuoteFile(Quotes))
        || !write(dir.filePath(QStringLiteral("cookies")), cookies)
        || !write(dir.filePath(QStringLiteral("cookies.dat")), generateStrfileIndex(cookies))) {
        std::fputs("oqbench_writefiles: cannot write the files\n", stderr);
        return 1;
    }
    return 0;
}
