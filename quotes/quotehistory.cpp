// SPDX-License-Identifier: MIT
#include "quotehistory.h"

#include <QRandomGenerator>

#include <algorithm>

namespace oq {

void QuoteHistory::push(qint32 index)
{
    if (HistoryTop >= MaxQuotes) {
        std::move(History.begin() + 2, History.begin() + 1 + MaxQuotes, History.begin() + 1);
        HistoryTop = MaxQuotes - 1;
    }
    ++HistoryTop;
    History[size_t(HistoryTop)] = index;
}

std::optional<qint32> QuoteHistory::back()
{
    if (HistoryTop <= 1)
        return std::nullopt;
    const qint32 index = History[size_t(HistoryTop) - 1];
    HistoryTop -= 2;
    return index;
}

std::optional<qint32> QuoteHistory::keepOnReload(qint32 index, qint32 quoteCount)
{
    if (index < 0 || index >= quoteCount)
        return std::nullopt;
    if (HistoryTop > 0 && History[size_t(HistoryTop)] == index)
        --HistoryTop;
    return index;
}

void RandomSource::seedFromSystem()
{
    state = QRandomGenerator::system()->generate();
}

quint32 RandomSource::draw(quint32 n)
{
    state = state * 134775813u + 1u;
    return quint32((quint64(n) * state) >> 32);
}

} // namespace oq
