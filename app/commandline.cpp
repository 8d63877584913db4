// SPDX-License-Identifier: MIT
#include "app/commandline.h"

#include "controls/versioninfo.h"
#include "oq_config.h"
#include "settings/programsettings.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace oq {

namespace {

// The name the usage shows; the program may have been started by any path.
constexpr char ProgramName[] = "ombryquote";

// The parser with every option the program knows. Help and version are
// options of our own rather than QCommandLineParser's, whose versions need an
// application object and add Qt's options that this program never passes on.
struct Options
{
    QCommandLineParser parser;
    QCommandLineOption help { { QStringLiteral("h"), QStringLiteral("help") },
        QStringLiteral("Show this help and exit.") };
    QCommandLineOption version { { QStringLiteral("v"), QStringLiteral("version") },
        QStringLiteral("Show the program's version and exit.") };

    QCommandLineOption print { QStringLiteral("print"),
        QStringLiteral("Print one random quote of FILE (default: the quote file of the last run) and exit; no "
                       "window, no display needed.") };
    QCommandLineOption search { QStringLiteral("search"),
        QStringLiteral("Print every quote of FILE that holds TEXT, each followed by a line holding %; exit with "
                       "status 1 when none does."),
        QStringLiteral("TEXT") };
    QCommandLineOption count { QStringLiteral("count"),
        QStringLiteral("Print the number of quotes in FILE and exit.") };

    Options()
    {
        parser.setApplicationDescription(
            QStringLiteral("OMBRY Quote shows quotations from a plain-text quote file.\n"
                           "FILE is opened instead of the quote file of the last run "
                           "and, once it has been read, is remembered, as if chosen with Open."));
        parser.addOption(help);
        parser.addOption(version);
        parser.addOption(print);
        parser.addOption(search);
        parser.addOption(count);
        parser.addPositionalArgument(
            QStringLiteral("FILE"), QStringLiteral("The quote file to show."), QStringLiteral("[FILE]"));
    }
};

CommandLine refused(const QString &error)
{
    CommandLine result;
    result.action = CommandLine::Action::Refuse;
    result.error = error;
    return result;
}

// Returns 0, or the error that stopped the write.
int print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size())
        && std::fflush(stream) == 0)
        return 0;
    return errno ? errno : EIO;
}

// Standard output: a failed write is said on standard error, and the exit
// status tells it. A reader that went away (EPIPE) wanted no more.
int printOutput(const QString &text)
{
    const int error = print(stdout, text);
    if (error == 0 || error == EPIPE)
        return 0;
    print(stderr,
        QStringLiteral("%1: write error: %2\n")
            .arg(QLatin1String(ProgramName), QString::fromLocal8Bit(std::strerror(error))));
    return 1;
}

// What the unreachable display was called.
QString displayNames()
{
    QStringList named;
    for (const char *name : { "QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY" }) {
        if (!qEnvironmentVariableIsEmpty(name))
            named << QLatin1String(name) + QLatin1Char('=') + qEnvironmentVariable(name);
    }
    return named.join(QStringLiteral(", "));
}

// Qt's messages while the window system is reached; held back until it is.
// The quote file's read-ahead thread may add to them meanwhile.
struct HeldMessage
{
    QtMsgType type;
    QByteArray category;
    QString text;
};
QtMessageHandler s_previousHandler = nullptr;
std::mutex s_heldMutex;
QList<HeldMessage> s_heldMessages;

void holdOrEnd(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtFatalMsg) {
        const std::lock_guard lock(s_heldMutex);
        s_heldMessages.append({ type, QByteArray(context.category), text });
        return;
    }
    // No platform could be started: Qt would abort now.
    print(stderr,
        QStringLiteral("%1: Cannot reach the display to show the window on (%2).\n")
            .arg(QLatin1String(ProgramName), displayNames()));
    std::_Exit(NoDisplayExitStatus);
}

} // namespace

QStringList decodeArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    return arguments;
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    Options options;
    // Without a program name the parser would take the first argument for it.
    QStringList withProgram = arguments;
    if (withProgram.isEmpty())
        withProgram << QString::fromLatin1(ProgramName);
    if (!options.parser.parse(withProgram))
        return refused(options.parser.errorText());

    CommandLine result;
    if (options.parser.isSet(options.help)) {
        result.action = CommandLine::Action::ShowHelp;
        return result;
    }
    if (options.parser.isSet(options.version)) {
        result.action = CommandLine::Action::ShowVersion;
        return result;
    }

    const bool print = options.parser.isSet(options.print);
    const bool search = options.parser.isSet(options.search);
    const bool count = options.parser.isSet(options.count);
    const int terminalCommands = int(print) + int(search) + int(count);
    if (terminalCommands > 1)
        return refused(QStringLiteral("Give only one of --print, --search and --count."));

    const QStringList files = options.parser.positionalArguments();
    if (files.size() > 1)
        return refused(QStringLiteral("Only one quote file can be opened; %1 were given.").arg(files.size()));
    const QString file = files.isEmpty() ? QString() : files.first();
    if (!files.isEmpty() && file.isEmpty())
        return refused(QStringLiteral("The quote file name is empty."));

    if (terminalCommands == 1) {
        // Read, never stored: the name is used as given.
        result.action = CommandLine::Action::Terminal;
        result.terminal.command = search ? TerminalRequest::Command::Search
            : count                      ? TerminalRequest::Command::Count
                                         : TerminalRequest::Command::Print;
        result.terminal.text = options.parser.value(options.search);
        result.terminal.file = file;
        return result;
    }
    if (files.isEmpty())
        return result;
    // The name is stored as one line of the settings file at close: a line
    // break would cut it there and put the rest on a line of its own.
    if (!oq::isStorableQuoteFileName(file))
        return refused(QStringLiteral("The quote file name contains a line break, which the settings file "
                                      "cannot keep; rename the file and try again."));
    // Made absolute as the Open dialog's choice is, so it is stored the same way.
    result.quoteFile = QFileInfo(file).absoluteFilePath();
    return result;
}

QString usageText()
{
    Options options;
    // The parser names the program by the path it was started with, or not at
    // all without an application object: the usage names it the one way.
    const QString text = options.parser.helpText();
    return QStringLiteral("Usage: ") + QLatin1String(ProgramName) + text.mid(text.indexOf(QLatin1String(" [options]")));
}

QString versionText(const QString &programFile)
{
    const TVersionInfo info(programFile);
    const QString name = info.StringValue(QStringLiteral("ProductName"));
    const QString version = info.FileVersion();
    if (info.Valid() && !name.isEmpty() && !version.isEmpty())
        return name + QLatin1Char(' ') + version;
    return QStringLiteral(OQ_PRODUCT_NAME " " OQ_VERSION);
}

QString runningProgramFile(const char *argv0)
{
    // Linux names the running program file here, whatever path started it.
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    if (!self.isEmpty())
        return self;
    return argv0 ? QFileInfo(QString::fromLocal8Bit(argv0)).absoluteFilePath() : QString();
}

QString missingDisplayReason()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return QStringLiteral("There is no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set).");
#endif
    return QString();
}

bool canOpenWindow()
{
    const QString reason = missingDisplayReason();
    if (reason.isEmpty())
        return true;
    std::fprintf(stderr, "ombryquote: %s\n", qPrintable(reason));
    return false;
}

DisplayConnectionGuard::DisplayConnectionGuard()
{
    s_previousHandler = qInstallMessageHandler(holdOrEnd);
}

DisplayConnectionGuard::~DisplayConnectionGuard()
{
    qInstallMessageHandler(s_previousHandler);
    QList<HeldMessage> held;
    {
        const std::lock_guard lock(s_heldMutex);
        held.swap(s_heldMessages);
    }
    for (const HeldMessage &message : std::as_const(held)) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
}

void keepStandardStreamsOpen()
{
#if defined(Q_OS_UNIX)
    // Opened read-only, /dev/null takes the number of a closed stream: writes
    // to it fail and are reported, and no file opened later takes its place.
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            const int opened = open("/dev/null", O_RDONLY | O_CLOEXEC);
            if (opened >= 0 && opened != fd) {
                dup2(opened, fd);
                close(opened);
            }
        }
    }
#endif
}

int answerWithoutWindow(const CommandLine &commandLine, const QString &programFile)
{
    switch (commandLine.action) {
    case CommandLine::Action::ShowHelp:
        return printOutput(usageText());
    case CommandLine::Action::ShowVersion:
        return printOutput(versionText(programFile) + QLatin1Char('\n'));
    case CommandLine::Action::Refuse:
        print(stderr,
            QString::fromLatin1(ProgramName) + QStringLiteral(": ") + commandLine.error + QLatin1Char('\n')
                + usageText());
        return UsageExitStatus;
    case CommandLine::Action::OpenWindow:
    case CommandLine::Action::Terminal:
        break;
    }
    return 0;
}

} // namespace oq
