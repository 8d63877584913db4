// SPDX-License-Identifier: MIT
#pragma once

#include "core/repeattimer.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <utility>

class QFileSystemWatcher;

namespace oq {

// Tells when the open quote file has changed on disk, once the writes have
// settled: an editor that saves in place, and one that writes a new file and
// renames it over the old one (seen through the file's folder). A burst of
// changes gives one notice. A file that is gone gives none; its return does.
class QuoteFileWatcher : public QObject
{
    Q_OBJECT

public:
    explicit QuoteFileWatcher(QObject *parent = nullptr);

    // Quiet time after the last change before the notice.
    static constexpr int SettleMs = 300;
    // The clock that times the quiet time; call before the first change.
    void setRepeatTimerFactory(RepeatTimerFactory factory) { m_timerFactory = std::move(factory); }

    // Watches `path` from now on; the file as it is now counts as read, so a
    // write the program itself made and then read counts once.
    void watch(const QString &path);
    QString path() const { return m_path; }

Q_SIGNALS:
    void changed();

private:
    // What tells one version of the file from another.
    struct Stamp
    {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
        QDateTime statusChanged;
        bool operator==(const Stamp &o) const
        {
            return exists == o.exists && size == o.size && modified == o.modified && statusChanged == o.statusChanged;
        }
        bool operator!=(const Stamp &o) const { return !(*this == o); }
    };
    Stamp stampNow() const;
    void rewatch();
    void changeSeen();
    void settle();

    QFileSystemWatcher *m_watcher;
    RepeatTimerFactory m_timerFactory;
    RepeatTimer *m_timer = nullptr;
    QString m_path;
    QString m_folder;
    Stamp m_read;
};

} // namespace oq
