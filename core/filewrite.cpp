// SPDX-License-Identifier: MIT
#include "core/filewrite.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#else
#include <QLockFile>
#endif

namespace oq {

namespace {

constexpr int LockRetryMs = 5;

} // namespace

#ifdef Q_OS_UNIX
struct FolderLock::Handle
{
    int fd = -1;
};

FolderLock::FolderLock(const QString &folder)
    : m_handle(std::make_unique<Handle>())
    , m_folder(folder)
{ }

FolderLock::~FolderLock()
{
    if (m_handle->fd >= 0)
        ::close(m_handle->fd); // drops the lock
}

bool FolderLock::lock(int timeoutMs)
{
    if (m_handle->fd < 0)
        m_handle->fd = ::open(QFile::encodeName(m_folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_handle->fd < 0)
        return false;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (::flock(m_handle->fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited.elapsed() >= timeoutMs)
            return false;
        QThread::msleep(LockRetryMs);
    }
}
#else
// Elsewhere a lock file in the folder; QLockFile notices the ones left by processes that are gone.
struct FolderLock::Handle
{
    std::unique_ptr<QLockFile> file;
};

FolderLock::FolderLock(const QString &folder)
    : m_handle(std::make_unique<Handle>())
    , m_folder(folder)
{ }

FolderLock::~FolderLock() = default;

bool FolderLock::lock(int timeoutMs)
{
    m_handle->file = std::make_unique<QLockFile>(m_folder + QStringLiteral("/.ombryquote.lock"));
    return m_handle->file->tryLock(timeoutMs);
}
#endif

bool replaceFileContents(const QString &path, const QByteArray &bytes)
{
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        target = info.canonicalFilePath();
    const QString temporary = target + QStringLiteral(".saving");
    {
        QFile out(temporary);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        bool written = out.write(bytes) == bytes.size() && out.flush();
#ifdef Q_OS_UNIX
        written = written && ::fsync(out.handle()) == 0;
#endif
        if (written && QFileInfo::exists(target))
            out.setPermissions(QFile::permissions(target));
        out.close();
        if (!written || out.error() != QFileDevice::NoError) {
            QFile::remove(temporary);
            return false;
        }
    }
    // One step: the name points at the old file or at the new one, never at neither.
    std::error_code error;
    std::filesystem::rename(
        std::filesystem::path(temporary.toStdU16String()), std::filesystem::path(target.toStdU16String()), error);
    if (error) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}

} // namespace oq
