// SPDX-License-Identifier: MIT
// Titles in the collator's order at a fraction of the collator's cost.
//
// Why the order of ASCII titles is exact: with case ignored the collator
// compares at the secondary strength. Every ASCII character it does not
// ignore maps to one collation element with the common secondary weight
// (case is only a tertiary difference), unless the locale makes two ASCII
// characters sort as one (Danish "aa", Czech "ch", Welsh "ll") or one sort as
// two. Without such rules two strings of those characters compare as the
// sequences of their characters' primary weights, element by element, the
// shorter first when one is the start of the other. So each character needs
// only the rank of its primary weight, and that rank is read off the collator
// itself, one character at a time: a locale that moves single letters
// (Estonian "z", Turkish "I") is followed too. Languages whose rules join or
// split ASCII characters are not on the list below, and at first use a
// locale must also order words built from other languages' joined letters
// the same both ways; any doubt, and every title goes to the collator.
//
// Titles with other characters are sorted by the collator, and the two
// sorted runs are merged by it.
#include "titlesort.h"

#include "core/memory.h"
#include "quotes/quoteindex.h"

#include <QCollator>
#include <QMutex>

#include <algorithm>
#include <array>
#include <map>

namespace oq {

QLocale titleLocale()
{
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    return locale;
}

namespace {

QCollator titleCollator(const QLocale &locale)
{
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

// Languages whose collation neither joins nor splits ASCII characters.
bool asciiUntailored(QLocale::Language language)
{
    switch (language) {
    case QLocale::English:
    case QLocale::German:
    case QLocale::French:
    case QLocale::Italian:
    case QLocale::Spanish:
    case QLocale::Portuguese:
    case QLocale::Dutch:
    case QLocale::Swedish:
    case QLocale::Finnish:
    case QLocale::Polish:
    case QLocale::Romanian:
    case QLocale::Catalan:
    case QLocale::Turkish:
    case QLocale::Estonian:
    case QLocale::Greek:
    case QLocale::Russian:
    case QLocale::Ukrainian:
    case QLocale::Japanese:
        return true;
    default:
        return false;
    }
}

// Letters that some language sorts as one, and the words they are checked in.
const char *const JoinedLetters[] = {
    "aa",
    "ch",
    "cs",
    "dz",
    "dzs",
    "gy",
    "ly",
    "ny",
    "sz",
    "ty",
    "zs",
    "ll",
    "lj",
    "nj",
    "dd",
    "ff",
    "ng",
    "ph",
    "rh",
    "th",
    "dh",
    "rr",
    "sh",
    "xh",
    "zh",
    "c'h",
    "ij",
    "ae",
    "oe",
    "ss",
    "kh",
    "gh",
    "ts",
    "gb",
    "kp",
    "ck",
};

// The rank of each ASCII character's primary weight; 0 for one left to the
// collator.
struct AsciiRanks
{
    bool exact = false;
    std::array<quint8, 128> rank {};

    // Whether every character of `text` has a rank.
    bool covers(QStringView text) const
    {
        for (QChar ch : text) {
            const char16_t c = ch.unicode();
            if (c >= 128 || !rank[c])
                return false;
        }
        return true;
    }
};

AsciiRanks readRanks(const QLocale &locale)
{
    AsciiRanks ranks;
    if (!asciiUntailored(locale.language()))
        return ranks;
    const QCollator collator = titleCollator(locale);
    auto one = [](const char16_t &c) { return QStringView(&c, 1); };
    std::vector<char16_t> chars;
    for (char16_t c = 0x20; c < 0x7f; ++c)
        chars.push_back(c);
    chars.push_back(u'\t');
    // A character the collator ignores stays with the collator.
    chars.erase(std::remove_if(chars.begin(), chars.end(),
                    [&](const char16_t &c) { return collator.compare(one(c), QStringView()) == 0; }),
        chars.end());
    if (chars.size() < 2)
        return ranks;
    std::stable_sort(chars.begin(), chars.end(),
        [&](const char16_t &a, const char16_t &b) { return collator.compare(one(a), one(b)) < 0; });
    quint8 rank = 0;
    for (size_t i = 0; i < chars.size(); ++i) {
        if (i == 0 || collator.compare(one(chars[i - 1]), one(chars[i])) != 0)
            ++rank;
        ranks.rank[chars[i]] = rank;
    }
    // Neighbours must differ in their primary weights, not only at the
    // second level (as "v" and "w" would in traditional Finnish): then the
    // first character decides even against a later one that would not.
    const char16_t lowest = chars.front();
    const char16_t highest = chars.back();
    for (size_t i = 1; i < chars.size(); ++i) {
        if (ranks.rank[chars[i - 1]] == ranks.rank[chars[i]])
            continue;
        const char16_t a[2] = { chars[i - 1], highest };
        const char16_t b[2] = { chars[i], lowest };
        if (collator.compare(QStringView(a, 2), QStringView(b, 2)) >= 0)
            return AsciiRanks();
    }
    // Joined letters of other languages must sort as their letters here.
    QStringList words;
    for (const char *joined : JoinedLetters) {
        const QString j = QString::fromLatin1(joined);
        const QString first = j.left(1);
        words << j << j + u'a' << j + u'z' << j.toUpper() << first + u'a' << first + u'z'
              << first + QStringLiteral("zz") << QStringLiteral("a") + j << QStringLiteral("a") + first + u'z'
              << j.left(j.size() - 1) + u'z';
    }
    std::vector<std::pair<QString, std::vector<quint8>>> keyed;
    for (const QString &w : std::as_const(words)) {
        if (!ranks.covers(w))
            return AsciiRanks();
        std::vector<quint8> key;
        for (QChar c : w)
            key.push_back(ranks.rank[c.unicode()]);
        keyed.emplace_back(w, std::move(key));
    }
    // In the collator's order the ranks must rise too, and stay level
    // exactly where the collator finds two words equal.
    std::stable_sort(keyed.begin(), keyed.end(),
        [&](const auto &a, const auto &b) { return collator.compare(a.first, b.first) < 0; });
    for (size_t i = 1; i < keyed.size(); ++i) {
        const bool equal = collator.compare(keyed[i - 1].first, keyed[i].first) == 0;
        if (keyed[i].second < keyed[i - 1].second || equal != (keyed[i - 1].second == keyed[i].second))
            return AsciiRanks();
    }
    ranks.exact = true;
    return ranks;
}

// Read once per locale and kept: a few hundred comparisons.
const AsciiRanks &asciiRanks(const QLocale &locale)
{
    static QMutex mutex;
    static std::map<QString, AsciiRanks> known;
    const QMutexLocker lock(&mutex);
    const QString name = locale.bcp47Name();
    auto it = known.find(name);
    if (it == known.end())
        it = known.emplace(name, readRanks(locale)).first;
    return it->second;
}

// Titles held as strings.
struct StringTitles
{
    const QStringList &list;

    qint32 count() const { return qint32(list.size()); }
    TitleParts parts(qint32 i) const { return TitleParts { list.at(i) }; }
    QString string(qint32 i) const { return list.at(i); }
    static constexpr bool RoundBrackets = false;
    // Whole titles are there to be read.
    static constexpr bool Made = true;
    QStringView made(qint32 i) const { return list.at(i); }
};

// A quote file's titles, read where they lie in its text, never made whole
// unless the collator must compare them.
struct IndexTitles
{
    const TitleList &titles;

    qint32 count() const { return titles.size(); }
    TitleParts parts(qint32 i) const { return titles.parts(i); }
    QString string(qint32 i) const { return titles.at(i); }
    static constexpr bool RoundBrackets = true;
    static constexpr bool Made = false;
    QStringView made(qint32) const { return {}; }
};

// The sort of one list of titles, in four steps: the titles made only of
// ranked ASCII characters are split from the others; they are sorted by
// their ranks; the others by the collator; and the two runs are merged.
template <typename Titles> class TitleSorter
{
public:
    TitleSorter(const Titles &titles, const QLocale &locale)
        : m_titles(titles), m_ranks(asciiRanks(locale)), m_collator(titleCollator(locale))
    {
        // The ranks of a text's characters as its title has them.
        m_textRank = m_ranks.rank;
        if constexpr (Titles::RoundBrackets) {
            m_textRank[u'['] = m_ranks.rank[u'('];
            m_textRank[u']'] = m_ranks.rank[u')'];
        }
        for (QChar c : QStringView(u" []0123456789"))
            m_numbersRanked = m_numbersRanked && m_ranks.rank[c.unicode()];
    }

    std::vector<qint32> order()
    {
        splitRankedTitles();
        sortRankedTitles();
        sortOtherTitles();
        return mergedRuns();
    }

private:
    // ASCII titles: the ranks of their first eight characters packed into
    // one number, which decides most comparisons without reading the text;
    // the ranks of the rest are looked up as a comparison needs them.
    // Packed into 12 bytes: the sort moves them, and thousands take room.
    struct Ranked
    {
        quint32 headHigh;
        quint32 headLow;
        qint32 item;
        quint64 head() const { return (quint64(headHigh) << 32) | headLow; }
    };

    // Titles the collator finds equal: by their codes, then by position.
    bool tieLess(qint32 a, qint32 b) const
    {
        const TitleParts x = m_titles.parts(a);
        const TitleParts y = m_titles.parts(b);
        const qsizetype nx = x.size();
        const qsizetype ny = y.size();
        for (qsizetype k = 0, n = std::min(nx, ny); k < n; ++k) {
            const char16_t cx = x.at(k);
            const char16_t cy = y.at(k);
            if (cx != cy)
                return cx < cy;
        }
        return nx != ny ? nx < ny : a < b;
    }

    // Whether every character of the title has a rank.
    bool covered(const TitleParts &t) const
    {
        if (t.number >= 0 && !m_numbersRanked)
            return false;
        for (QChar ch : t.text) {
            const char16_t c = ch.unicode();
            if (c >= 128 || !m_textRank[c])
                return false;
        }
        return true;
    }

    void splitRankedTitles()
    {
        const qint32 count = m_titles.count();
        if (m_ranks.exact)
            m_ranked.reserve(size_t(count));
        for (qint32 i = 0; i < count; ++i) {
            const TitleParts t = m_titles.parts(i);
            if (m_ranks.exact && covered(t)) {
                // Ranks start at 1, so the 0 filling a short title sorts first.
                const qsizetype n = t.size();
                quint64 head = 0;
                for (qsizetype k = 0; k < 8; ++k)
                    head = (head << 8) | (k < n ? m_ranks.rank[t.at(k)] : 0u);
                m_ranked.push_back(Ranked { quint32(head >> 32), quint32(head), i });
            } else {
                m_others.push_back(i);
            }
        }
    }

    bool rankedLess(const Ranked &a, const Ranked &b) const
    {
        if (a.head() != b.head())
            return a.head() < b.head();
        const TitleParts x = m_titles.parts(a.item);
        const TitleParts y = m_titles.parts(b.item);
        const qsizetype nx = x.size();
        const qsizetype ny = y.size();
        // Most titles differ within their texts: read straight from them.
        const qsizetype plain = std::min(x.text.size(), y.text.size());
        qsizetype k = 8;
        for (; k < plain; ++k) {
            const quint8 rx = m_textRank[x.text[k].unicode()];
            const quint8 ry = m_textRank[y.text[k].unicode()];
            if (rx != ry)
                return rx < ry;
        }
        for (const qsizetype n = std::min(nx, ny); k < n; ++k) {
            const quint8 rx = m_ranks.rank[x.at(k)];
            const quint8 ry = m_ranks.rank[y.at(k)];
            if (rx != ry)
                return rx < ry;
        }
        if (nx != ny)
            return nx < ny;
        return tieLess(a.item, b.item);
    }

    void sortRankedTitles()
    {
        std::sort(m_ranked.begin(), m_ranked.end(),
            [this](const Ranked &a, const Ranked &b) { return rankedLess(a, b); });
    }

    // A title's text for the collator. Titles not held whole: the other
    // titles are made once into one buffer (a title has no line end),
    // m_slot[i] the line of title i there; a ranked title is written into
    // `scratch`, which the comparisons reuse.
    QStringView textOf(qint32 i, QString &scratch) const
    {
        if constexpr (Titles::Made) {
            return m_titles.made(i);
        } else {
            if (m_slot[size_t(i)] >= 0)
                return m_made.at(m_slot[size_t(i)]);
            m_titles.parts(i).writeTo(scratch);
            return scratch;
        }
    }

    bool collatorLess(qint32 a, qint32 b)
    {
        const int c = m_collator.compare(textOf(a, m_scratchA), textOf(b, m_scratchB));
        return c != 0 ? c < 0 : tieLess(a, b);
    }

    // Other titles, few in most files: by the collator itself.
    void sortOtherTitles()
    {
        if constexpr (!Titles::Made) {
            m_slot.assign(size_t(m_titles.count()), -1);
            for (qint32 o : m_others) {
                m_slot[size_t(o)] = m_made.size();
                m_made.append(m_titles.string(o));
            }
        }
        std::sort(m_others.begin(), m_others.end(), [this](qint32 a, qint32 b) { return collatorLess(a, b); });
    }

    std::vector<qint32> mergedRuns()
    {
        std::vector<qint32> order;
        order.reserve(m_ranked.size() + m_others.size());
        // Each other title goes after the ranked titles that do not sort
        // after it, found by steps that double and then halve.
        size_t r = 0;
        for (qint32 o : m_others) {
            size_t lo = r;
            size_t hi = r;
            for (size_t step = 1; hi < m_ranked.size() && !collatorLess(o, m_ranked[hi].item); step *= 2) {
                lo = hi + 1;
                hi = r + step;
            }
            hi = std::min(hi, m_ranked.size());
            const auto end = std::partition_point(m_ranked.begin() + qsizetype(lo), m_ranked.begin() + qsizetype(hi),
                [&](const Ranked &x) { return !collatorLess(o, x.item); });
            for (; m_ranked.begin() + qsizetype(r) != end; ++r)
                order.push_back(m_ranked[r].item);
            order.push_back(o);
        }
        for (; r < m_ranked.size(); ++r)
            order.push_back(m_ranked[r].item);
        return order;
    }

    const Titles &m_titles;
    const AsciiRanks &m_ranks;
    const QCollator m_collator;
    std::array<quint8, 128> m_textRank {};
    bool m_numbersRanked = true;
    std::vector<Ranked> m_ranked;
    std::vector<qint32> m_others;
    LineList m_made;
    std::vector<qint32> m_slot;
    QString m_scratchA;
    QString m_scratchB;
};

template <typename Titles> std::vector<qint32> orderOf(const Titles &titles, const QLocale &locale)
{
    return TitleSorter<Titles>(titles, locale).order();
}

} // namespace

std::vector<qint32> titleOrder(const TitleList &titles, const QLocale &locale)
{
    return orderOf(IndexTitles { titles }, locale);
}

std::vector<qint32> titleOrder(const QStringList &titles, const QLocale &locale)
{
    return orderOf(StringTitles { titles }, locale);
}

std::vector<qint32> titleOrderOnWorker(const TitleList &titles, const QLocale &locale)
{
    std::vector<qint32> order = titleOrder(titles, locale);
    releaseFreeHeap();
    return order;
}

bool asciiOrderIsExact(const QLocale &locale)
{
    return asciiRanks(locale).exact;
}

void sortTitles(QStringList &titles)
{
    const std::vector<qint32> order = titleOrder(titles);
    QStringList sorted;
    sorted.reserve(titles.size());
    for (qint32 i : order)
        sorted.append(titles.at(i));
    titles = std::move(sorted);
}

} // namespace oq
