// SPDX-License-Identifier: MIT
#include "quoteprefetch.h"

#include "core/memory.h"
#include "quotes/quoteindex.h"
#include "quotes/titlesort.h"

#include <QMutex>
#include <QThread>

#include <memory>
#include <thread>

namespace oq::QuotePrefetch {

namespace {

struct ReadAhead
{
    QMutex mutex;
    QString fileName;
    std::unique_ptr<QuoteIndex> index;
    bool read = false;
    std::thread worker;

    // A read nobody took still ends before the program does.
    ~ReadAhead()
    {
        if (worker.joinable())
            worker.join();
    }
};

ReadAhead &readAhead()
{
    static ReadAhead r;
    return r;
}

} // namespace

void start(const QString &fileName)
{
    ReadAhead &r = readAhead();
    const QMutexLocker lock(&r.mutex);
    if (r.worker.joinable())
        return;
    r.fileName = fileName;
    r.index = std::make_unique<QuoteIndex>();
    r.read = false;
    // Qt takes the first thread that touches one of its objects for the main
    // thread. The reader opens files before the application object exists,
    // so the caller's thread claims that role first; otherwise, now and then,
    // the application would run in a thread Qt does not deliver events to.
    QThread::currentThread();
    r.worker = std::thread([index = r.index.get(), read = &r.read, fileName] {
        *read = index->load(fileName);
        // The title sort's collation data, read once per run, is ready too.
        asciiOrderIsExact(titleLocale());
    });
}

bool take(const QString &fileName, QuoteIndex &index, bool *read)
{
    ReadAhead &r = readAhead();
    const QMutexLocker lock(&r.mutex);
    if (!r.worker.joinable())
        return false;
    r.worker.join();
    const bool same = r.fileName == fileName;
    if (same) {
        index = std::move(*r.index);
        if (read)
            *read = r.read;
    }
    r.index.reset();
    r.fileName.clear();
    return same;
}

bool load(const QString &fileName, QuoteIndex &index)
{
    bool read = false;
    if (!take(fileName, index, &read))
        read = index.load(fileName);
    releaseFreeHeap();
    return read;
}

} // namespace oq::QuotePrefetch
