// SPDX-License-Identifier: MIT
#pragma once

#include "quotes/linelist.h"
#include "quotes/titlesort.h"

#include <QAbstractListModel>

#include <thread>
#include <vector>

namespace oq {

// The quote titles in list order, for the title drop-down: a model over the
// one titles buffer of the index, so that no title is held as a string of
// its own. Many titles are sorted on a worker thread while the window goes
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

    // Shows `titles` once sorted. The model keeps its own reference to the
    // titles' text, so the caller may change or drop its list at once.
    void setTitles(const TitleList &titles, const QLocale &locale = titleLocale());
    // Empties the list, first waiting for a sort still running.
    void clear();
    // Fills the list now if its sort is still running, waiting for it.
    void waitForSort();
    bool isSorting() const { return m_worker.joinable(); }

    // The title shown in `row`.
    QStringView title(int row) const { return m_titles.at(m_order[size_t(row)]); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // The list has been filled with the sorted titles.
    void filled();

private:
    void finishSort(quint64 generation);
    void show(std::vector<qint32> order);

    TitleList m_titles;
    std::vector<qint32> m_order;
    // Written by the worker, read once it has been joined.
    std::vector<qint32> m_sorted;
    std::thread m_worker;
    quint64 m_generation = 0;
};

// Gives the heap's free pages back to the system (where the C library can).
void releaseFreeHeap();

} // namespace oq
