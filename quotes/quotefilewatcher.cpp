// SPDX-License-Identifier: MIT
#include "quotefilewatcher.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace oq {

QuoteFileWatcher::QuoteFileWatcher(QObject *parent)
    : QObject(parent)
    , m_watcher(new QFileSystemWatcher(this))
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    m_timer->setInterval(SettleMs);
    connect(m_timer, &QTimer::timeout, this, &QuoteFileWatcher::settle);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { m_timer->start(); });
    // The folder changes with every file in it: only a change of this file counts.
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (stampNow() != m_read)
            m_timer->start();
    });
}

void QuoteFileWatcher::setSettleTime(int ms)
{
    m_timer->setInterval(ms);
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
    rewatch();
    const Stamp now = stampNow();
    if (!now.exists || now == m_read)
        return;
    m_read = now;
    Q_EMIT changed();
}

} // namespace oq
