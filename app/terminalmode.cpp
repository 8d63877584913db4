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

#include <csignal>
#include <memory>

namespace oq {

namespace {

constexpr char ProgramName[] = "ombryquote";

// Output written in pieces, so that a reader that goes away stops it early.
class Output
{
public:
    explicit Output(std::FILE *stream)
        : m_stream(stream)
    { }
    ~Output() { flush(); }
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
        if (std::fwrite(m_buffer.constData(), 1, size_t(m_buffer.size()), m_stream) != size_t(m_buffer.size())
            || std::fflush(m_stream) != 0)
            m_failed = true;
        m_buffer.truncate(0); // the room stays for the next piece
        return !m_failed;
    }
    bool failed() const { return m_failed; }

private:
    std::FILE *m_stream;
    QByteArray m_buffer;
    bool m_failed = false;
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

} // namespace

int runTerminalRequest(const TerminalRequest &request, std::FILE *out, std::FILE *err)
{
    const QString file = request.file.isEmpty() ? storedQuoteFile() : request.file;
    auto index = std::make_unique<QuoteIndex>();
    Output output(out);
    RandomSource random;
    random.seedFromClock();

    if (request.command == TerminalRequest::Command::Print) {
        if (const auto quote = randomIndexedQuote(file, random, *index)) {
            output.quote(*quote);
            return TerminalSuccess;
        }
    }
    // The bytes alone answer most requests; the full index answers the rest.
    QuoteScan scan;
    if (scan.load(file) == QuoteScan::Result::Read) {
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
    switch (request.command) {
    case TerminalRequest::Command::Print:
        // As the window draws: among the quotes, and quote 0 of none.
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
