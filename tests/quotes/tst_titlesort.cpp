// SPDX-License-Identifier: MIT
// The title order: exactly the collator's, in many locales, for real fortune
// texts and for titles with accents, digits, punctuation and mixed case; and
// the drop-down's model, which sorts large lists on a worker thread.
#include "quotes/quoteindex.h"
#include "quotes/titlelistmodel.h"
#include "quotes/titlesort.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>
#include <numeric>

using namespace oq;

namespace {

// The order the collator itself gives, titles it finds equal by their codes.
std::vector<qint32> collatorOrder(const QStringList &titles, const QLocale &locale)
{
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<qint32> order(size_t(titles.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qint32 a, qint32 b) {
        const int c = collator.compare(titles.at(a), titles.at(b));
        return c != 0 ? c < 0 : titles.at(a) < titles.at(b);
    });
    return order;
}

QStringList titlesOf(const QStringList &firstLines)
{
    QStringList titles;
    for (qsizetype i = 0; i < firstLines.size(); ++i)
        titles << quoteTitle(firstLines.at(i), qint32(i));
    return titles;
}

// First lines with what trips a collator: accents, digits, punctuation,
// mixed case, letters some languages join ("aa", "ch", "ll", "cs"), letters
// some move ("z", "y", "I"), tabs, and text outside Latin.
QStringList trickyLines()
{
    // clang-format off
    const char16_t *const firstLines[] = {
        u"Apple", u"apple", u"APPLE pie", u"Äpfel", u"Ångström", u"Aachen", u"Aalborg", u"az", u"zebra", u"Zürich",
        u"éclair", u"Eclair", u"eclair", u"école", u"ecole", u"Ecole", u"côte", u"coté", u"cote", u"côté", u"1984",
        u"42 is the answer", u"7 up", u"10 down", u"-- a dash", u"'quoted'", u"\"Quoted\"", u"(paren)",
        u"[bracket] start", u"mid [bracket] here", u"a-b", u"a b", u"ab", u"a_b", u"a.b", u"a,b", u"a'b", u"a\tb",
        u"a!b", u"a?b", u"a~b", u"a@b", u"a#b", u"a$b", u"a%b", u"a&b", u"a*b", u"a+b", u"a/b", u"a\\b", u"a:b",
        u"a;b", u"a<b", u"a=b", u"a>b", u"a^b", u"a`b", u"a{b", u"a|b", u"a}b", u"Chaos", u"ch", u"cz", u"Czech",
        u"hz", u"llama", u"Lz", u"lj", u"Ljubljana", u"nj", u"cs", u"Csárdás", u"cz", u"dzs", u"Ijssel", u"IJmuiden",
        u"Straße", u"Strasse", u"strasse", u"I", u"i", u"ı", u"İstanbul", u"Istanbul", u"y", u"yes", u"j", u"jz",
        u"s", u"sz", u"Šaman", u"z", u"ž", u"v", u"w", u"wv", u"vw", u"Ærø", u"Øresund", u"Œuvre", u"naïve", u"naive",
        u"Ναυσικά", u"Москва", u"東京", u"ｆｕｌｌwidth", u"ﬁne", u"x\u0301", u"x", u"\u00A0nbsp", u"€ 5", u"$ 5",
        u"...and so", u"***", u"**a", u" a", u"  two spaces", u"\t\ttabbed", u"😀 smile", u"a😀", u"Apple",
    };
    // clang-format on
    QStringList lines;
    for (const char16_t *line : firstLines)
        lines << QString::fromUtf16(line);
    return lines;
}

QStringList trickyTitles()
{
    return titlesOf(trickyLines());
}

// The first line of every entry of the installed fortune files.
QStringList readFortuneLines()
{
    const QString root = QStringLiteral("/usr/share/games/fortunes");
    QStringList files;
    for (const QString &folder : { root, root + QStringLiteral("/de") }) {
        const QDir dir(folder);
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
            if (!name.contains(QLatin1Char('.')))
                files << dir.filePath(name);
        }
    }
    QStringList lines;
    for (const QString &path : std::as_const(files)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        bool atEntry = true;
        for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            if (line == QLatin1String("%")) {
                atEntry = true;
            } else if (atEntry && !line.trimmed().isEmpty()) {
                lines << line;
                atEntry = false;
            }
        }
    }
    return lines;
}

const QStringList &fortuneLines()
{
    static const QStringList lines = readFortuneLines();
    return lines;
}

// First lines held as a quote index holds them, and their titles, which are
// read from them.
struct IndexedTitles
{
    explicit IndexedTitles(const QStringList &firstLines)
    {
        std::vector<qint32> starts;
        for (const QString &line : firstLines) {
            starts.push_back(lines.size());
            lines.append(line);
        }
        titles.build(starts.data(), qint32(starts.size()));
    }
    LineList lines;
    TitleList titles { &lines };
};

// First lines enough that the model sorts their titles on its worker thread.
QStringList manyLines()
{
    QStringList lines;
    for (int i = 0; i < TitleListModel::SortInBackgroundFrom + 500; ++i)
        lines << QStringLiteral("%1 title %2").arg(QChar(u'a' + (i * 7919) % 26)).arg((i * 104729) % 10007);
    return lines;
}

QStringList rowsOf(const TitleListModel &model)
{
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r)
        rows << model.data(model.index(r)).toString();
    return rows;
}

QStringList inOrder(const QStringList &titles, const std::vector<qint32> &order)
{
    QStringList out;
    for (qint32 i : order)
        out << titles.at(i);
    return out;
}

} // namespace

class tst_titlesort : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void order_isTheCollators_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("asciiExact");
        QTest::addColumn<QString>("corpus");
        // Languages that join ASCII letters are left to the collator.
        // clang-format off
        const QList<std::pair<const char *, bool>> locales = {
            {"en_US", true}, {"de_DE", true}, {"fr_FR", true}, {"es_ES", true}, {"sv_SE", true}, {"fi_FI", true},
            {"pl_PL", true}, {"tr_TR", true}, {"et_EE", true}, {"ru_RU", true}, {"el_GR", true}, {"ja_JP", true},
            {"da_DK", false}, {"cs_CZ", false}, {"hu_HU", false}, {"hr_HR", false}, {"cy_GB", false},
            {"lt_LT", false},
        };
        // clang-format on
        // The fortunes, some thousand titles, in a few of them.
        const QStringList withFortunes = { "en_US", "de_DE", "tr_TR", "et_EE", "da_DK", "cs_CZ" };
        for (const auto &[name, exact] : locales) {
            QTest::addRow("%s tricky", name) << QString::fromLatin1(name) << exact << QStringLiteral("tricky");
            if (withFortunes.contains(QLatin1String(name)))
                QTest::addRow("%s fortunes", name) << QString::fromLatin1(name) << exact << QStringLiteral("fortunes");
        }
    }
    void order_isTheCollators()
    {
        QFETCH(QString, locale);
        QFETCH(bool, asciiExact);
        QFETCH(QString, corpus);
        const QLocale loc(locale);
        QCOMPARE(asciiOrderIsExact(loc), asciiExact);
        const QStringList lines = corpus == QLatin1String("tricky") ? trickyLines() : fortuneLines();
        if (lines.size() < 1000 && corpus == QLatin1String("fortunes"))
            QSKIP("fortunes-min and fortunes-de are not installed");
        const QStringList titles = titlesOf(lines);
        const QStringList expected = inOrder(titles, collatorOrder(titles, loc));
        QCOMPARE(inOrder(titles, titleOrder(titles, loc)), expected);
        // Titles read where they lie in the quote text sort the same.
        const IndexedTitles indexed(lines);
        QCOMPARE(indexed.titles.toStringList(), titles);
        QCOMPARE(inOrder(titles, titleOrder(indexed.titles, loc)), expected);
    }

    void sortTitles_ordersInTheUsersLocale()
    {
        QStringList titles = trickyTitles();
        const QStringList expected = inOrder(titles, collatorOrder(titles, titleLocale()));
        sortTitles(titles);
        QCOMPARE(titles, expected);
    }

    void model_fewTitles_filledAtOnce()
    {
        // Terminal codes of old fortune entries are shown as the letters they make.
        const IndexedTitles list({ "ch\x1B[1;31mer\x1B[0mry", "Apple", "b\bbanana" });
        TitleListModel model;
        QSignalSpy filled(&model, &TitleListModel::filled);
        model.setTitles(list.titles);
        QVERIFY(!model.isSorting());
        QCOMPARE(rowsOf(model), (QStringList { "Apple [1]", "banana [2]", "cherry [0]" }));
        QCOMPARE(filled.size(), 1);
    }

    void model_manyTitles_filledInOneStepWhenSorted()
    {
        const QStringList titles = titlesOf(manyLines());
        TitleListModel model;
        QSignalSpy filled(&model, &TitleListModel::filled);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        const IndexedTitles list(manyLines());
        model.setTitles(list.titles);
        QVERIFY(model.isSorting());
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(filled.wait(10000));
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted.at(0).at(1).toInt(), 0);
        QCOMPARE(inserted.at(0).at(2).toInt(), int(titles.size()) - 1);
        QCOMPARE(rowsOf(model), inOrder(titles, collatorOrder(titles, titleLocale())));
    }

    void model_waitForSort_fillsNow()
    {
        const QStringList titles = titlesOf(manyLines());
        TitleListModel model;
        QSignalSpy filled(&model, &TitleListModel::filled);
        const IndexedTitles list(manyLines());
        model.setTitles(list.titles);
        model.waitForSort();
        QCOMPARE(model.rowCount(), int(titles.size()));
        QCOMPARE(filled.size(), 1);
        // The worker's own notice, posted before it was joined, changes nothing.
        QCoreApplication::sendPostedEvents();
        QCOMPARE(filled.size(), 1);
        QCOMPARE(model.rowCount(), int(titles.size()));
    }

    void model_newTitlesWhileSorting_dropTheOldSort()
    {
        TitleListModel model;
        QSignalSpy filled(&model, &TitleListModel::filled);
        const IndexedTitles many(manyLines());
        const IndexedTitles one({ "only" });
        model.setTitles(many.titles);
        model.setTitles(one.titles);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(rowsOf(model), QStringList { "only [0]" });
        QCOMPARE(filled.size(), 1);

        model.setTitles(many.titles);
        model.clear();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(filled.size(), 1);
    }

    // Without waiting for its worker the thread's destructor ends the program; the
    // worker must not read the titles freed next, nor its notice reach the model gone.
    void model_destroyedWhileSorting_waitsForTheWorker()
    {
        auto many = std::make_unique<IndexedTitles>(manyLines());
        auto model = std::make_unique<TitleListModel>();
        model->setTitles(many->titles);
        QVERIFY(model->isSorting());
        model.reset();
        many.reset();
        QCoreApplication::sendPostedEvents();
    }
};

QTEST_GUILESS_MAIN(tst_titlesort)
#include "tst_titlesort.moc"
