// SPDX-License-Identifier: MIT
#include "app/terminalmode.h"

#include "quotes/fortunefile.h"
#include "quotes/quotehistory.h"
#include "quotes/quoteindex.h"
#include "quotes/quotescan.h"
#include "quotes/quotesearch.h"
#include "settings/inifile.h"
#include "settings/programsettings.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>

namespace oq {

namespace {

constexpr char ProgramName[] = "ombryquote";

// Output written in pieces, so that a reader that goes away stops it early.
// The caller flushes it at the end and checks the result.
class Output
{
public:
    explicit Output(std::FILE *stream)
        : m_stream(stream)
    { }
    Q_DISABLE_COPY_MOVE(Output)

    void line(QStringView text)
    {
        m_buffer += text.toUtf8();
        m_buffer += '\n';
        flushWhenFull();
    }
    // UTF-8 added straight to the output.
    QByteArray &buffer() { return m_buffer; }
    void flushWhenFull()
    {
        if (m_buffer.size() >= 64 * 1024)
            flush();
    }
    void quote(const QStringList &lines)
    {
        // A byte-order mark is no character to print.
        for (const QString &l : lines)
            line(l.startsWith(QChar(0xFEFF)) ? QStringView(l).sliced(1) : QStringView(l));
    }
    // False once the reader has gone away (or writing failed otherwise).
    bool flush()
    {
        if (m_failed || m_buffer.isEmpty())
            return !m_failed;
        errno = 0;
        if (std::fwrite(m_buffer.constData(), 1, size_t(m_buffer.size()), m_stream) != size_t(m_buffer.size())
            || std::fflush(m_stream) != 0) {
            m_failed = true;
            m_error = errno ? errno : EIO;
        }
        m_buffer.truncate(0); // the room stays for the next piece
        return !m_failed;
    }
    bool failed() const { return m_failed; }
    // Why writing failed; EPIPE when the reader went away.
    int error() const { return m_error; }

private:
    std::FILE *m_stream;
    QByteArray m_buffer;
    bool m_failed = false;
    int m_error = 0;
};

void message(std::FILE *err, const QString &text)
{
    const QByteArray bytes = QString(QLatin1String(ProgramName) + QStringLiteral(": ") + text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), err);
    std::fflush(err);
}

QString unreadableReason(const QString &file)
{
    const QFileInfo info(file);
    if (!info.exists()) {
        return isUnrepresentableFileName(file)
            ? QStringLiteral("its name holds bytes that are not valid UTF-8, so it cannot be represented")
            : QStringLiteral("there is no such file");
    }
    if (info.isDir())
        return QStringLiteral("it is a folder");
    if (!info.isFile())
        return QStringLiteral("it is not a regular file");
    if (info.size() > MaxTextFileBytes)
        return QStringLiteral("it is too large");
    return QStringLiteral("it cannot be read");
}

QString noQuotesMessage(const QString &file)
{
    return QStringLiteral("no quotes in \"%1\".").arg(file);
}

// Whether a quote holds a character other than white space; the first quote
// nearly always does. A file of blank lines has nothing to print or search.
template <typename Quotes> bool hasVisibleQuote(const Quotes &quotes, qint32 count)
{
    for (qint32 q = 0; q < count; ++q) {
        for (const QString &line : quotes.quoteLines(q)) {
            if (!line.trimmed().isEmpty())
                return true;
        }
    }
    return false;
}

// The quote file as start-up finds it: the name stored in the settings
// (read only), by default "Quote.txt" in the current folder.
QString storedQuoteFile()
{
    const TIniFile settings(QString::fromLatin1(SettingsFileName));
    return readProgramSettings(settings).QuoteFileName;
}

// One random quote of a fortune file through its index, reading that entry
// alone. Nothing when the index does not answer for the text (then the whole
// file is read); blank entries, which give no quote, are drawn again.
std::optional<QStringList> randomIndexedQuote(const QString &file, RandomSource &random, QuoteIndex &index)
{
    const auto strfile = findStrfileIndex(file);
    if (!strfile || strfile->header.count == 0 || strfile->header.count > quint32(MaxQuotes))
        return std::nullopt;
    for (int attempt = 0; attempt < 64; ++attempt) {
        auto entry = readStrfileEntry(*strfile, file, random.draw(strfile->header.count));
        if (!entry)
            return std::nullopt;
        if (strfile->header.rotated())
            rot13(*entry);
        index.loadFortuneBytes(*entry, strfile->header.delimiter);
        if (index.QuoteCount == 1)
            return index.quoteLines(0);
        if (index.QuoteCount > 1)
            return std::nullopt; // the index no longer fits the text
    }
    return std::nullopt;
}

// Answers a request into `output`; returns the exit status.
int answer(const TerminalRequest &request, Output &output, std::FILE *err)
{
    const QString file = request.file.isEmpty() ? storedQuoteFile() : request.file;
    auto index = std::make_unique<QuoteIndex>();
    RandomSource random;
    random.seedFromSystem();

    if (request.command == TerminalRequest::Command::Print) {
        if (const auto quote = randomIndexedQuote(file, random, *index)) {
            output.quote(*quote);
            return TerminalSuccess;
        }
    }
    // The bytes alone answer most requests; the full index answers the rest.
    QuoteScan scan;
    if (scan.load(file) == QuoteScan::Result::Read) {
        if (request.command != TerminalRequest::Command::Count && !hasVisibleQuote(scan, scan.quoteCount())) {
            message(err, noQuotesMessage(file));
            return TerminalFailure;
        }
        switch (request.command) {
        case TerminalRequest::Command::Print:
            scan.appendQuoteUtf8(qint32(random.draw(quint32(scan.quoteCount()))), output.buffer());
            return TerminalSuccess;
        case TerminalRequest::Command::Count:
            output.line(QString::number(scan.quoteCount()));
            return TerminalSuccess;
        case TerminalRequest::Command::Search:
            if (const auto found = scan.find(request.text)) {
                for (qint32 q : *found) {
                    scan.appendQuoteUtf8(q, output.buffer());
                    output.buffer() += "%\n";
                    output.flushWhenFull();
                    if (output.failed())
                        break;
                }
                return found->isEmpty() ? TerminalFailure : TerminalSuccess;
            }
            break;
        }
    }
    if (!index->load(file)) {
        message(err, QStringLiteral("cannot read the quote file \"%1\": %2.").arg(file, unreadableReason(file)));
        return TerminalFailure;
    }
    if (request.command != TerminalRequest::Command::Count && !hasVisibleQuote(*index, index->QuoteCount)) {
        message(err, noQuotesMessage(file));
        return TerminalFailure;
    }
    // A count or a search past the limit would be wrong without a word.
    static_assert(MaxQuotes == 33000, "the note names the limit");
    if (index->truncated() && request.command != TerminalRequest::Command::Print)
        message(err, QStringLiteral("only the first 33,000 quotes of \"%1\" are read.").arg(file));
    switch (request.command) {
    case TerminalRequest::Command::Print:
        // As the window draws: among the quotes.
        output.quote(index->quoteLines(qint32(random.draw(quint32(index->QuoteCount)))));
        return TerminalSuccess;
    case TerminalRequest::Command::Count:
        output.line(QString::number(index->QuoteCount));
        return TerminalSuccess;
    case TerminalRequest::Command::Search: {
        const QList<qint32> found = findQuotes(*index, request.text);
        for (qint32 q : found) {
            output.quote(index->quoteLines(q));
            output.line(u"%");
            if (output.failed())
                break;
        }
        return found.isEmpty() ? TerminalFailure : TerminalSuccess;
    }
    }
    return TerminalSuccess;
}

} // namespace

int runTerminalRequest(const TerminalRequest &request, std::FILE *out, std::FILE *err)
{
    Output output(out);
    const int status = answer(request, output, err);
    if (output.flush())
        return status;
    // A reader that went away wants no more; any other failure lost output.
    if (output.error() == EPIPE)
        return status;
    message(err, QStringLiteral("write error: %1").arg(QString::fromLocal8Bit(std::strerror(output.error()))));
    return TerminalFailure;
}

int runTerminalMode(const TerminalRequest &request, char *argv0)
{
#ifdef SIGPIPE
    // A reader that goes away is a write error to notice, not a signal that
    // ends the program with a message from the shell.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    // QtCore alone: no window system, no display.
    int argc = 1;
    char *argv[] = { argv0, nullptr };
    QCoreApplication app(argc, argv);
    return runTerminalRequest(request, stdout, stderr);
}

} // namespace oq
