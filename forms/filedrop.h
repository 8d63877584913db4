// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QMimeData;
class QWidget;

// Lets files be dropped on a window: the first file dropped is handed to
// `open`; a folder, or anything that is not a local file, is refused quietly.
class TFileDrop : public QObject
{
    Q_OBJECT

public:
    TFileDrop(QWidget *window, std::function<void(const QString &)> open);

    // The file a drop of `mime` opens, or the empty text when it is refused.
    static QString droppedFile(const QMimeData *mime);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void(const QString &)> m_open;
};
