// SPDX-License-Identifier: MIT
#pragma once

#include "quotes/linelist.h"
#include "quotes/titlesort.h"

#include <QAbstractListModel>

#include <thread>
#include <vector>

namespace oq {

// The quote titles in list order, for the title drop-down: a model over the
// index's titles, which are read from the quote text, so that no title is
// held as a string of its own; a row's title is made when it is shown. Many
// titles are sorted on a worker thread while the window goes
// on; the list stays empty until their order is known and is then filled in
// one step, so nobody ever sees it part filled or unsorted. Whatever needs
// the list before then calls waitForSort().
class TitleListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TitleListModel)

public:
    // Below this many titles the sort costs less than starting a thread.
    static constexpr qint32 SortInBackgroundFrom = 4096;

    explicit TitleListModel(QObject *parent = nullptr);
    ~TitleListModel() override;

    // Shows `titles` once sorted. The list is read where it is, by the worker
    // too: it must stay as it is until clear() or the next setTitles().
    void setTitles(const TitleList &titles, const QLocale &locale = titleLocale());
    // Empties the list, first waiting for a sort still running; the titles
    // may change after it.
    void clear();
    // Fills the list now if its sort is still running, waiting for it.
    void waitForSort();
    bool isSorting() const { return m_worker.joinable(); }

    // The title shown in `row`.
    QString title(int row) const { return m_titles->shown(m_order[size_t(row)]); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // The list has been filled with the sorted titles.
    void filled();

private:
    void finishSort(quint64 generation);
    void show(std::vector<qint32> order);

    const TitleList *m_titles = nullptr;
    std::vector<qint32> m_order;
    // Written by the worker, read once it has been joined.
    std::vector<qint32> m_sorted;
    std::thread m_worker;
    quint64 m_generation = 0;
};

} // namespace oq
