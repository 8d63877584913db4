// SPDX-License-Identifier: MIT
#include "quotefilewatcher.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

namespace oq {

QuoteFileWatcher::QuoteFileWatcher(QObject *parent)
    : QObject(parent)
    , m_watcher(new QFileSystemWatcher(this))
{
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &QuoteFileWatcher::changeSeen);
    // The folder changes with every file in it: only a change of this file counts.
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (stampNow() != m_read)
            changeSeen();
    });
}

// Each change starts the quiet time again.
void QuoteFileWatcher::changeSeen()
{
    if (!m_timer) {
        m_timer = m_timerFactory ? m_timerFactory(this) : makeDefaultRepeatTimer(this);
        m_timer->setInterval(SettleMs);
        connect(m_timer, &RepeatTimer::timeout, this, &QuoteFileWatcher::settle);
    }
    m_timer->start();
}

QuoteFileWatcher::Stamp QuoteFileWatcher::stampNow() const
{
    Stamp s;
    if (m_path.isEmpty())
        return s;
    const QFileInfo info(m_path);
    s.exists = info.isFile();
    if (s.exists) {
        s.size = info.size();
        s.modified = info.lastModified();
        s.statusChanged = info.metadataChangeTime();
    }
    return s;
}

void QuoteFileWatcher::watch(const QString &path)
{
    if (m_timer)
        m_timer->stop();
    const QString absolute = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    if (absolute != m_path) {
        if (!m_watcher->files().isEmpty())
            m_watcher->removePaths(m_watcher->files());
        if (!m_watcher->directories().isEmpty())
            m_watcher->removePaths(m_watcher->directories());
        m_path = absolute;
        m_folder = absolute.isEmpty() ? QString() : QFileInfo(absolute).absolutePath();
    }
    rewatch();
    m_read = stampNow();
}

// A file renamed over the old one, or written anew, is another file to the
// system: watch it again whenever it is there.
void QuoteFileWatcher::rewatch()
{
    if (m_path.isEmpty())
        return;
    if (!m_folder.isEmpty() && !m_watcher->directories().contains(m_folder) && QFileInfo(m_folder).isDir())
        m_watcher->addPath(m_folder);
    if (QFileInfo(m_path).isFile())
        if (!m_watcher->files().contains(m_path))
            m_watcher->addPath(m_path);
}

void QuoteFileWatcher::settle()
{
    m_timer->stop();
    rewatch();
    const Stamp now = stampNow();
    if (!now.exists || now == m_read)
        return;
    m_read = now;
    Q_EMIT changed();
}

} // namespace oq
