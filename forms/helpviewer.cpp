// SPDX-License-Identifier: MIT
#include "helpviewer.h"

#include "forms/errordisplay.h"
#include "forms/screenfit.h"
#include "oq_config.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

namespace oq {

namespace {

QPointer<QWidget> &window()
{
    static QPointer<QWidget> w;
    return w;
}

} // namespace

QString &applicationHelpFile()
{
    static QString file = QStringLiteral("OMBRYQuote.hlp");
    return file;
}

QString resolveHelpFile(const QString &helpFile)
{
    if (helpFile.isEmpty())
        return QString();
    const QFileInfo given(helpFile);
    if (given.isAbsolute())
        return given.isFile() ? given.absoluteFilePath() : QString();
    // Beside the program (the build folder), then the data folder the build
    // installs into, then that folder as seen from a program moved together
    // with its data, then the desktop's data folders.
    const QString programDir = QCoreApplication::applicationDirPath();
    QStringList candidates{programDir + QLatin1Char('/') + helpFile, QStringLiteral(OQ_INSTALL_DATA_DIR "/") + helpFile,
                           programDir + QStringLiteral("/" OQ_DATA_DIR_FROM_BIN "/") + helpFile};
    for (const QString &dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        candidates << dir + QStringLiteral("/ombryquote/") + helpFile;
    for (const QString &c : candidates) {
        if (QFileInfo(c).isFile())
            return QFileInfo(c).canonicalFilePath();
    }
    return QString();
}

void helpContents(const QString &helpFile, QWidget *owner)
{
    if (helpFile.isEmpty())
        return;
    QTextBrowser *browser = nullptr;
    if (!window()) {
        auto *w = new QWidget(nullptr, Qt::Window);
        w->setObjectName(QStringLiteral("HelpWindow"));
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->setAttribute(Qt::WA_QuitOnClose, false);
        auto *layout = new QVBoxLayout(w);
        layout->setContentsMargins(0, 0, 0, 0);
        browser = new QTextBrowser(w);
        browser->setObjectName(QStringLiteral("HelpBrowser"));
        browser->setOpenExternalLinks(true);
        layout->addWidget(browser);
        // Escape closes it, as it closes the program's other windows.
        auto *close = new QAction(w);
        close->setShortcut(QKeySequence(Qt::Key_Escape));
        close->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(close, &QAction::triggered, w, &QWidget::close);
        w->addAction(close);
        // Beside its owner, and never larger than the screen.
        w->resize(640, 560);
        if (owner)
            w->move(owner->frameGeometry().topRight() + QPoint(8, 0));
        fitWindowToScreen(w, owner);
        window() = w;
    } else {
        browser = window()->findChild<QTextBrowser *>();
    }
    const QString path = resolveHelpFile(helpFile);
    if (path.isEmpty()) {
        window()->setWindowTitle(QStringLiteral("OMBRY Quote Help"));
        browser->setHtml(QStringLiteral("<h2>Help is not available</h2><p>The help file <b>%1</b> could not be found "
                                        "beside the program or in its data folder.</p>")
                             .arg(helpFile.toHtmlEscaped()));
    } else {
        browser->setSource(QUrl::fromLocalFile(path));
        browser->home();
        const QString title = browser->documentTitle();
        window()->setWindowTitle(title.isEmpty() ? QStringLiteral("OMBRY Quote Help") : title);
    }
    window()->show();
    window()->raise();
    window()->activateWindow();
}

void helpQuit()
{
    if (window())
        window()->close();
}

QWidget *helpWindow()
{
    return window();
}

} // namespace oq
