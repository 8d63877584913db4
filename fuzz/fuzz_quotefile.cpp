// SPDX-License-Identifier: MIT
// Any bytes as a quote file: read, index, title, show, search; also as a
// fortune file whose delimiter is the first byte, and as a strfile index.
#include "quotes/fortunefile.h"
#include "quotes/quoteindex.h"
#include "quotes/quotescan.h"
#include "quotes/quotesearch.h"

#include <cstdint>
#include <cstdlib>

using namespace oq;

namespace {

void check(const QuoteIndex &index);
void sameAsScan(const QuoteIndex &index, QByteArrayView bytes, const std::optional<StrfileHeader> &header);

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    static QuoteIndex index; // large tables: keep one
    index.loadBytes(bytes);
    check(index);
    sameAsScan(index, bytes, std::nullopt);
    if (!bytes.isEmpty()) {
        index.loadFortuneBytes(bytes.sliced(1), bytes.front());
        check(index);
        StrfileHeader header;
        header.delimiter = bytes.front();
        sameAsScan(index, bytes.sliced(1), header);
    }
    if (const auto header = parseStrfileHeader(bytes, bytes.size())) {
        if (header->version != 1 && header->version != 2)
            std::abort();
    }
    return 0;
}

namespace {

// The terminal mode's byte scan reads any bytes as the index does.
void sameAsScan(const QuoteIndex &index, QByteArrayView bytes, const std::optional<StrfileHeader> &header)
{
    QuoteScan scan;
    if (scan.scanBytes(bytes.toByteArray(), header) != QuoteScan::Result::Read)
        return;
    if (scan.quoteCount() != index.QuoteCount || scan.format() != index.format())
        std::abort();
    for (qint32 q : {0, index.QuoteCount / 2, index.QuoteCount - 1}) {
        if (q >= 0 && scan.quoteLines(q) != index.quoteLines(q))
            std::abort();
    }
    for (const char *needle : {"e", "%", "ab"}) {
        if (scan.find(QString::fromLatin1(needle)) != findQuotes(index, QString::fromLatin1(needle)))
            std::abort();
    }
}

void check(const QuoteIndex &index)
{
    // The invariants every reader of the index relies on.
    if (index.QuoteCount < 0 || index.QuoteCount > MaxQuotes || index.QuoteTitles.size() != index.QuoteCount)
        std::abort();
    if (index.QuoteStarts[size_t(index.QuoteCount)] != index.QuoteLines.size())
        std::abort();
    for (qint32 q = 0; q < index.QuoteCount; ++q) {
        if (index.QuoteStarts[size_t(q)] >= index.QuoteStarts[size_t(q) + 1])
            std::abort();
        if (index.QuoteLines.lineIsEmpty(index.QuoteStarts[size_t(q)]))
            std::abort();
        if (titleToIndex(index.QuoteTitles.at(q)) != std::optional<qint32>(q))
            std::abort();
    }
    for (qint32 q : {0, index.QuoteCount - 1, index.QuoteCount, MaxQuotes - 1})
        (void)index.quoteLines(q);

    // Search for a piece of the text itself, and for a fixed word.
    if (index.QuoteLines.size() > 0) {
        const QStringView first = index.QuoteLines.at(0);
        const QList<qint32> found = findQuotes(index, first.left(3));
        if (!first.isEmpty() && index.QuoteCount > 0 && (found.isEmpty() || found.first() != 0))
            std::abort();
    }
    (void)findQuoteTitles(index, QStringLiteral("a"));
}

} // namespace
