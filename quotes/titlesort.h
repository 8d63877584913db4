// SPDX-License-Identifier: MIT
#pragma once

#include "quotes/titlelist.h"

#include <QLocale>
#include <QStringList>

#include <vector>

namespace oq {

// The locale titles are sorted in: the user's. The "C" locale (no preference
// set) would compare code points and ignore the case setting, so English
// rules stand in for it.
QLocale titleLocale();

// The order in which titles are listed: a collator of the locale with case
// ignored decides; titles it finds equal are ordered by their UTF-16 codes.
// Returns the positions of the titles in that order.
std::vector<qint32> titleOrder(const TitleList &titles, const QLocale &locale = titleLocale());
std::vector<qint32> titleOrder(const QStringList &titles, const QLocale &locale = titleLocale());

// titleOrder on a thread of its own, whose heap would keep the pages the sort
// freed: they are given back to the system.
std::vector<qint32> titleOrderOnWorker(const TitleList &titles, const QLocale &locale);

// Whether titles made only of ASCII characters are ordered in `locale`
// without asking the collator for every title (see titlesort.cpp).
bool asciiOrderIsExact(const QLocale &locale);

} // namespace oq
