// SPDX-License-Identifier: MIT
#include "quotesplitter.h"

#include "core/textdecoding.h"

#include <QString>

#include <algorithm>

namespace oq {

void QuoteSplitter::start(QuoteFileFormat format, char16_t delimiter)
{
    *this = QuoteSplitter();
    m_format = format;
    m_delimiter = delimiter;
}

bool QuoteSplitter::hasVisibleText(QStringView text)
{
    return !std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
}

// A line outside ASCII is decoded on its own, as the quote index reads it.
bool QuoteSplitter::decodedHasVisibleText(QByteArrayView bytes)
{
    return hasVisibleText(decodeLine(bytes));
}

} // namespace oq
