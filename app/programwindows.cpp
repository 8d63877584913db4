// SPDX-License-Identifier: MIT
#include "app/programwindows.h"

#include "app/firstframe.h"
#include "core/exception.h"
#include "forms/addquote.h"
#include "forms/helpviewer.h"
#include "forms/ombryquotefm.h"
#include "forms/quote21.h"
#include "forms/quotesr.h"
#include "oq_config.h"
#include "quotes/quoteprefetch.h"
#include "settings/inifile.h"
#include "settings/programsettings.h"

#include <QApplication>
#include <QIcon>
#include <QSize>

namespace oq {

namespace {

// How long after the main window is shown the other windows are created at
// the latest, when its first frame is not on screen by then.
constexpr int LatestAfterShownMs = 300;

// The program's icon from the desktop's icon theme, where the installed
// program put it; the copy built into the program when the theme lacks it
// (run from the build folder, say).
QIcon programIcon()
{
    QIcon bundled;
    for (int size : config::IconSizes)
        bundled.addFile(QStringLiteral(":/icons/%1x%1/apps/" OQ_APP_ID ".png").arg(size), QSize(size, size));
    return QIcon::fromTheme(QStringLiteral(OQ_APP_ID), bundled);
}

} // namespace

void readQuoteFileAhead(const QString &named)
{
    try {
        QString quoteFile = named;
        if (quoteFile.isEmpty())
            quoteFile = readProgramSettings(TIniFile(QString::fromLatin1(SettingsFileName))).QuoteFileName;
        QuotePrefetch::start(quoteFile);
    } catch (const Exception &) {
        // The main window reads the settings again and reports the failure.
    }
}

ProgramWindows::ProgramWindows()
    : m_quoteForm(std::make_unique<TQuoteForm>())
{
    // The icon is looked up in the icon theme then too: the window shows a
    // moment sooner for it.
    FirstFrame::then(m_quoteForm.get(), [this] { createTheOthers(); }, LatestAfterShownMs);
}

ProgramWindows::~ProgramWindows()
{
    m_addQuoteFm.reset();
    m_searchQuotes.reset();
    m_aboutBox.reset();
    m_quoteForm.reset();
    helpQuit();
}

void ProgramWindows::createTheOthers()
{
    m_aboutBox = std::make_unique<TAboutBox>();
    m_searchQuotes = std::make_unique<TSearchQuotes>(m_quoteForm.get());
    m_addQuoteFm = std::make_unique<TAddQuoteFm>(m_quoteForm.get(), m_quoteForm.get());
    m_quoteForm->setWindows(m_aboutBox.get(), m_searchQuotes.get(), m_addQuoteFm.get());
    QApplication::setWindowIcon(programIcon());
    for (const auto &action : m_whenComplete)
        action();
    m_whenComplete.clear();
}

std::unique_ptr<StartupProbe> attachStartupProbe(ProgramWindows &windows)
{
    auto probe = StartupProbe::fromEnvironment();
    if (!probe)
        return probe;
    probe->hold();
    windows.whenComplete([p = probe.get()] { p->release(); });
    // Watching after the windows' own watcher, the probe sees the first
    // frame first.
    probe->watch(windows.main());
    TitleListModel *titles = windows.main()->QuoteList->titles();
    if (titles->isSorting()) {
        probe->hold();
        QObject::connect(titles, &TitleListModel::filled, probe.get(), [p = probe.get()] { p->release(); });
    }
    return probe;
}

} // namespace oq
