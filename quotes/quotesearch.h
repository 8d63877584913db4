// SPDX-License-Identifier: MIT
#pragma once

#include "quotes/quoteindex.h"

#include <QList>

namespace oq {

// The quotes, in file order, with a line that contains `text`. Only the
// ASCII letters A to Z are folded; the text is used exactly as typed; an
// empty text occurs nowhere; a match never spans a line break.
QList<qint32> findQuotes(const QuoteIndex &index, QStringView text);
// The titles of the quotes that contain `text`, sorted as the list shows them.
QStringList findQuoteTitles(const QuoteIndex &index, QStringView text);

} // namespace oq
