// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

namespace oq {

// Makes the writers of one folder take turns: an advisory lock on the folder itself. The system drops the lock when
// its holder ends in any way, a SIGKILL included, so a writer that died never blocks the next one, and no lock file
// is left behind. Held from lock() until the object goes.
class FolderLock
{
public:
    explicit FolderLock(const QString &folder);
    ~FolderLock();
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;

    // Waits up to timeoutMs for the lock; false when it could not be had.
    bool lock(int timeoutMs);

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    QString m_folder;
};

// How long a write waits for another copy of the program to finish its own write to the same folder.
inline constexpr int FolderLockTimeoutMs = 10000;

// Replaces the whole contents of a file so that any reader, and the file after a crash at any moment, holds either
// the old contents or the new, never a mix or a part: the bytes go to a temporary file beside it ("<name>.saving"),
// reach the disk, and are renamed over it. Call with the folder's lock held: the temporary name is fixed, so a write
// cut short leaves at most that one file, which the next write reuses. An existing file keeps its permissions; a
// symbolic link keeps pointing at the file it names, which is the one replaced. Returns false when the write failed;
// the file is then as it was.
bool replaceFileContents(const QString &path, const QByteArray &bytes);

} // namespace oq
