// SPDX-License-Identifier: MIT
// Loading, titling and searching a quote file of the maximum size.
//   bench_quotes --benchmark_format=json
#include "fortunegen.h"
#include "quotegen.h"

#include "quotes/quoteindex.h"
#include "quotes/quotesearch.h"
#include "quotes/titlesort.h"

#include <QCollator>

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>
#include <vector>

using namespace oq;

namespace {

struct Files
{
    QTemporaryDir dir;
    QString max; // exactly 33,000 quotes
    QString huge; // 100,000 quotes: everything past the limit must cost little
    QString mixed; // 33,000 quotes, one Windows-1252 line in every hundred
    QString fortune; // the 33,000 quotes as a fortune file with its index
    QString fortuneLike; // 33,000 quotes shaped like fortune texts
    qint64 maxBytes = 0;
    qint64 mixedBytes = 0;
    qint64 fortuneBytes = 0;

    Files()
    {
        max = write(QStringLiteral("q33000.txt"), generateQuoteFile(MaxQuotes), &maxBytes);
        fortuneLike = write(QStringLiteral("f33000.txt"), generateFortuneLikeFile(MaxQuotes), nullptr);
        huge = write(QStringLiteral("q100000.txt"), generateQuoteFile(100000), nullptr);
        mixed = write(QStringLiteral("q33000mixed.txt"), generateMixedQuoteFile(MaxQuotes), &mixedBytes);
        const QByteArray cookies = generateFortuneFile(MaxQuotes);
        fortune = write(QStringLiteral("cookies"), cookies, &fortuneBytes);
        write(QStringLiteral("cookies.dat"), generateStrfileIndex(cookies), nullptr);
    }
    QString write(const QString &name, const QByteArray &bytes, qint64 *size)
    {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            std::abort();
        if (size)
            *size = bytes.size();
        return f.fileName();
    }
};

Files &files()
{
    static Files f;
    return f;
}

// Heap bytes in use: what the index holds, whatever pages malloc keeps.
long heapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return long(info.uordblks + info.hblkhd);
}

// The floor: read the file and find every line, nothing else.
void BM_ReadAndSplitFloor(benchmark::State &state)
{
    std::vector<std::pair<qint32, qint32>> lines;
    for (auto _ : state) {
        QFile f(files().max);
        if (!f.open(QIODevice::ReadOnly))
            std::abort();
        const QByteArray bytes = f.readAll();
        lines.clear();
        const char *d = bytes.constData();
        const qsizetype n = bytes.size();
        qsizetype start = 0;
        for (qsizetype i = 0; i < n; ++i) {
            if (d[i] == '\r' || d[i] == '\n') {
                lines.emplace_back(qint32(start), qint32(i - start));
                if (d[i] == '\r' && i + 1 < n && d[i + 1] == '\n')
                    ++i;
                start = i + 1;
            }
        }
        if (start < n)
            lines.emplace_back(qint32(start), qint32(n - start));
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(state.iterations() * files().maxBytes);
}
BENCHMARK(BM_ReadAndSplitFloor)->Unit(benchmark::kMillisecond);

// Read, decode, split, index and title.
void BM_LoadFile(benchmark::State &state)
{
    auto index = std::make_unique<QuoteIndex>();
    for (auto _ : state) {
        index->load(files().max);
        benchmark::DoNotOptimize(index->QuoteCount);
    }
    state.SetBytesProcessed(state.iterations() * files().maxBytes);
    state.counters["quotes"] = index->QuoteCount;
}
BENCHMARK(BM_LoadFile)->Unit(benchmark::kMillisecond);

// The same with lines of both encodings: each line is judged on its own.
void BM_LoadMixedFile(benchmark::State &state)
{
    auto index = std::make_unique<QuoteIndex>();
    for (auto _ : state) {
        index->load(files().mixed);
        benchmark::DoNotOptimize(index->QuoteCount);
    }
    state.SetBytesProcessed(state.iterations() * files().mixedBytes);
    state.counters["quotes"] = index->QuoteCount;
}
BENCHMARK(BM_LoadMixedFile)->Unit(benchmark::kMillisecond);

// The same quotes as a fortune file with its index.
void BM_LoadFortuneFile(benchmark::State &state)
{
    auto index = std::make_unique<QuoteIndex>();
    for (auto _ : state) {
        index->load(files().fortune);
        benchmark::DoNotOptimize(index->QuoteCount);
    }
    if (index->format() != QuoteFileFormat::Fortune || index->QuoteCount != MaxQuotes)
        std::abort();
    state.SetBytesProcessed(state.iterations() * files().fortuneBytes);
    state.counters["quotes"] = index->QuoteCount;
}
BENCHMARK(BM_LoadFortuneFile)->Unit(benchmark::kMillisecond);

void BM_LoadFile100k(benchmark::State &state)
{
    auto index = std::make_unique<QuoteIndex>();
    for (auto _ : state) {
        index->load(files().huge);
        benchmark::DoNotOptimize(index->QuoteCount);
    }
    state.counters["quotes"] = index->QuoteCount;
}
BENCHMARK(BM_LoadFile100k)->Unit(benchmark::kMillisecond);

void BM_BuildTitles(benchmark::State &state)
{
    QuoteIndex index;
    index.load(files().max);
    TitleList titles(&index.QuoteLines);
    for (auto _ : state) {
        titles.build(index.QuoteStarts.data(), index.QuoteCount);
        benchmark::DoNotOptimize(titles.text(0).data());
    }
}
BENCHMARK(BM_BuildTitles)->Unit(benchmark::kMillisecond);

void BM_SortTitles(benchmark::State &state)
{
    QuoteIndex index;
    index.load(files().max);
    for (auto _ : state) {
        QStringList titles = index.sortedTitles();
        benchmark::DoNotOptimize(titles.data());
    }
}
BENCHMARK(BM_SortTitles)->Unit(benchmark::kMillisecond);

// The drop-down's order of 33,000 titles, read where they lie in the quote
// text, without making a string of each.
void BM_TitleOrder(benchmark::State &state)
{
    QuoteIndex index;
    index.load(state.range(0) ? files().fortuneLike : files().max);
    for (auto _ : state) {
        std::vector<qint32> order = titleOrder(index.QuoteTitles);
        benchmark::DoNotOptimize(order.data());
    }
}
BENCHMARK(BM_TitleOrder)->Arg(0)->Arg(1)->ArgName("fortunelike")->Unit(benchmark::kMillisecond);

// What the same order costs with one collator sort key per title.
void BM_TitleOrderByCollatorKeys(benchmark::State &state)
{
    QuoteIndex index;
    index.load(state.range(0) ? files().fortuneLike : files().max);
    QCollator collator(titleLocale());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (auto _ : state) {
        std::vector<std::pair<QCollatorSortKey, qint32>> keys;
        keys.reserve(size_t(index.QuoteCount));
        for (qint32 i = 0; i < index.QuoteCount; ++i)
            keys.emplace_back(collator.sortKey(index.QuoteTitles.at(i)), i);
        std::sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
        benchmark::DoNotOptimize(keys.data());
    }
}
BENCHMARK(BM_TitleOrderByCollatorKeys)->Arg(0)->Arg(1)->ArgName("fortunelike")->Unit(benchmark::kMillisecond);

// A common word in any case, over all 33,000 quotes.
void BM_Search(benchmark::State &state)
{
    QuoteIndex index;
    index.load(files().max);
    const QString word = QStringLiteral("LoVe");
    qsizetype hits = 0;
    for (auto _ : state) {
        hits = findQuotes(index, word).size();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["matches"] = double(hits);
}
BENCHMARK(BM_Search)->Unit(benchmark::kMillisecond);

// Memory the loaded index holds, as a multiple of the file size.
void BM_IndexMemory(benchmark::State &state)
{
    double ratio = 0;
    for (auto _ : state) {
        const long before = heapBytes();
        auto index = std::make_unique<QuoteIndex>();
        index->load(files().max);
        const long after = heapBytes();
        ratio = double(after - before) / double(files().maxBytes);
        benchmark::DoNotOptimize(index->QuoteCount);
    }
    state.counters["bytes_per_file_byte"] = ratio;
}
BENCHMARK(BM_IndexMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
