// SPDX-License-Identifier: MIT
#include "titlelistmodel.h"

#include <QMetaObject>

#if defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace oq {

namespace {

// The sort runs while the window is shown and painted: on a machine of two
// cores, busy with the program and the display server, the window goes
// first. (Whoever waits for the sort blocks, leaving the sort a core.)
void yieldToTheWindow()
{
#if defined(__linux__)
    // On Linux a thread has a priority of its own.
    setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 10);
#endif
}

} // namespace

TitleListModel::TitleListModel(QObject *parent)
    : QAbstractListModel(parent)
{ }

TitleListModel::~TitleListModel()
{
    if (m_worker.joinable())
        m_worker.join();
}

void TitleListModel::setTitles(const TitleList &titles, const QLocale &locale)
{
    clear();
    m_titles = &titles;
    if (titles.size() < SortInBackgroundFrom) {
        show(titleOrder(titles, locale));
        return;
    }
    const quint64 generation = m_generation;
    m_worker = std::thread([this, &titles, locale, generation] {
        yieldToTheWindow();
        m_sorted = titleOrderOnWorker(titles, locale);
        QMetaObject::invokeMethod(
            this, [this, generation] { finishSort(generation); }, Qt::QueuedConnection);
    });
}

void TitleListModel::clear()
{
    // A sort still running reads the titles; its result is dropped.
    if (m_worker.joinable())
        m_worker.join();
    ++m_generation;
    m_sorted = std::vector<qint32>();
    beginResetModel();
    m_order = std::vector<qint32>();
    m_titles = nullptr;
    endResetModel();
}

void TitleListModel::waitForSort()
{
    finishSort(m_generation);
}

void TitleListModel::finishSort(quint64 generation)
{
    // A fill already done, or one for titles replaced since, does nothing.
    if (generation != m_generation || !m_worker.joinable())
        return;
    m_worker.join();
    show(std::exchange(m_sorted, std::vector<qint32>()));
}

void TitleListModel::show(std::vector<qint32> order)
{
    if (order.empty())
        return;
    beginInsertRows(QModelIndex(), 0, int(order.size()) - 1);
    m_order = std::move(order);
    endInsertRows();
    Q_EMIT filled();
}

int TitleListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_order.size());
}

QVariant TitleListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_order.size()) || index.column() != 0)
        return QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    return title(index.row());
}

} // namespace oq
