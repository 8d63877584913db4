// SPDX-License-Identifier: MIT
// The command line: what each set of arguments asks the program to do.
#include "app/commandline.h"
#include "oq_config.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using Action = oq::CommandLine::Action;

class tst_commandline : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("quoteFile"); // relative to the current folder
        QTest::addColumn<QString>("error"); // a piece of the error text

        const auto row = [](const char *name, const QStringList &args, Action action, const QString &file = {},
                             const QString &error = {}) {
            QTest::newRow(name) << (QStringList { QStringLiteral("ombryquote") } + args) << action << file << error;
        };
        row("nothing: the stored file", {}, Action::OpenWindow);
        row("a file", { "quotes.txt" }, Action::OpenWindow, "quotes.txt");
        row("a file in a folder", { "a/quotes.txt" }, Action::OpenWindow, "a/quotes.txt");
        row("an absolute name", { "/tmp/quotes.txt" }, Action::OpenWindow, "/tmp/quotes.txt");
        row("a name with blanks and accents", { "my quotes é.txt" }, Action::OpenWindow, "my quotes é.txt");
        row("a file beginning with a dash, after --", { "--", "-odd.txt" }, Action::OpenWindow, "-odd.txt");
        row("--help", { "--help" }, Action::ShowHelp);
        row("-h", { "-h" }, Action::ShowHelp);
        row("help wins over a file", { "quotes.txt", "--help" }, Action::ShowHelp);
        row("help wins over version", { "--version", "--help" }, Action::ShowHelp);
        row("--version", { "--version" }, Action::ShowVersion);
        row("-v", { "-v" }, Action::ShowVersion);
        row("unknown long option", { "--bogus" }, Action::Refuse, {}, "Unknown option 'bogus'.");
        row("unknown short option", { "-x" }, Action::Refuse, {}, "Unknown option 'x'.");
        row("a value given to --help", { "--help=yes" }, Action::Refuse, {}, "Unexpected value after '--help'.");
        row("Qt's own options are not taken", { "-platform", "xcb" }, Action::Refuse, {}, "Unknown option");
        row("two files", { "a.txt", "b.txt" }, Action::Refuse, {}, "Only one quote file");
        row("an empty name", { "" }, Action::Refuse, {}, "empty");
        row("a line feed in the name", { "a\nb.txt" }, Action::Refuse, {}, "line break");
        row("a carriage return in the name", { "a\rb.txt" }, Action::Refuse, {}, "line break");
    }

    void parse()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QFETCH(QString, quoteFile);
        QFETCH(QString, error);

        const oq::CommandLine result = oq::parseCommandLine(arguments);
        QCOMPARE(result.action, action);
        QString expectedFile = quoteFile;
        if (!quoteFile.isEmpty() && !quoteFile.startsWith(QLatin1Char('/')))
            expectedFile = QDir::currentPath() + QLatin1Char('/') + quoteFile;
        QCOMPARE(result.quoteFile, expectedFile);
        if (error.isEmpty())
            QVERIFY(result.error.isEmpty());
        else
            QVERIFY2(result.error.contains(error), qPrintable(result.error));
    }

    // The terminal mode: one command, its text, and FILE as given (it is read,
    // never stored).
    void terminal_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::addColumn<int>("command"); // TerminalRequest::Command
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("file");
        using C = oq::TerminalRequest::Command;
        const auto row = [](const char *name, const QStringList &args, Action action, C command = C::Print,
                             const QString &text = {}, const QString &file = {}) {
            QTest::newRow(name) << (QStringList { QStringLiteral("ombryquote") } + args) << action << int(command)
                                << text << file;
        };
        row("--print, the stored file", { "--print" }, Action::Terminal);
        row("--print FILE", { "--print", "fortunes" }, Action::Terminal, C::Print, {}, "fortunes");
        row("FILE --print", { "a/fortunes", "--print" }, Action::Terminal, C::Print, {}, "a/fortunes");
        row("--search TEXT FILE", { "--search", "love", "q.txt" }, Action::Terminal, C::Search, "love", "q.txt");
        row("--search=TEXT", { "--search=two words" }, Action::Terminal, C::Search, "two words");
        row("--count FILE", { "--count", "q.txt" }, Action::Terminal, C::Count, {}, "q.txt");
        row("two commands", { "--print", "--count" }, Action::Refuse);
        row("--search without its text", { "--search" }, Action::Refuse);
        row("two files", { "--count", "a", "b" }, Action::Refuse);
        row("help wins", { "--print", "--help" }, Action::ShowHelp);
    }
    void terminal()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QFETCH(int, command);
        QFETCH(QString, text);
        QFETCH(QString, file);
        const oq::CommandLine result = oq::parseCommandLine(arguments);
        QCOMPARE(result.action, action);
        if (action != Action::Terminal)
            return;
        QCOMPARE(int(result.terminal.command), command);
        QCOMPARE(result.terminal.text, text);
        QCOMPARE(result.terminal.file, file);
        QCOMPARE(result.quoteFile, QString());
    }

    void noArgumentsAtAll_opensTheWindow() { QCOMPARE(oq::parseCommandLine({}).action, Action::OpenWindow); }

    void usage_namesTheProgramAndEveryOption()
    {
        const QString usage = oq::usageText();
        QVERIFY2(usage.startsWith(QStringLiteral("Usage: ombryquote [options] [FILE]\n")), qPrintable(usage));
        for (const char *piece : { "-h, --help", "-v, --version", "--print", "--search <TEXT>", "--count", "FILE" })
            QVERIFY2(usage.contains(QLatin1String(piece)), piece);
        QVERIFY(!usage.contains(QStringLiteral("<executable_name>")));
    }

    void version_withoutABlock_isTheBuiltInOne()
    {
        QTemporaryDir dir;
        const QString plain = dir.filePath(QStringLiteral("plain"));
        QFile file(plain);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("no version block here");
        file.close();
        QCOMPARE(oq::versionText(plain), QStringLiteral(OQ_PRODUCT_NAME " " OQ_VERSION));
        QCOMPARE(
            oq::versionText(dir.filePath(QStringLiteral("missing"))), QStringLiteral(OQ_PRODUCT_NAME " " OQ_VERSION));
    }
};

QTEST_GUILESS_MAIN(tst_commandline)
#include "tst_commandline.moc"
