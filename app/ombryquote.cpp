// SPDX-License-Identifier: MIT
// Program entry: sets up the application, creates its four windows in order
// and runs until the main window closes.
#include "app/commandline.h"
#include "app/firstframe.h"
#include "app/sessionend.h"
#include "app/startupprobe.h"
#include "core/exception.h"
#include "forms/errordisplay.h"
#include "forms/helpviewer.h"
#include "forms/ombryquotefm.h"
#include "forms/quote21.h"
#include "quotes/quoteprefetch.h"
#include "settings/inifile.h"
#include "settings/programsettings.h"

#if __has_include("forms/quotesr.h")
#include "forms/addquote.h"
#include "forms/quotesr.h"
#define OQ_HAVE_DIALOGS 1
#endif

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QSize>
#include <QStringList>

#include <cstdio>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <exception>
#include <memory>

namespace {

// Every failure that reaches the message loop is shown in one place, and the
// loop goes on.
class OmbryApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const oq::Exception &e) {
            oq::showError(e.message());
        } catch (const std::bad_alloc &) {
            oq::showError(QStringLiteral("Out of memory"));
        } catch (const std::exception &e) {
            oq::showError(QString::fromLocal8Bit(e.what()));
        }
        return false;
    }
};

// The program's icon from the desktop's icon theme, where the installed
// program put it; the copy built into the program when the theme lacks it
// (run from the build folder, say).
QIcon programIcon()
{
    QIcon bundled;
    for (int size : { 16, 24, 32, 48, 64, 128, 256 })
        bundled.addFile(QStringLiteral(":/icons/%1x%1/apps/" OQ_APP_ID ".png").arg(size), QSize(size, size));
    return QIcon::fromTheme(QStringLiteral(OQ_APP_ID), bundled);
}

} // namespace

int main(int argc, char *argv[])
{
    // Help, the version and a mistyped option are answered before the
    // application object exists, so they need no display.
    oq::keepStandardStreamsOpen();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    const oq::CommandLine commandLine = oq::parseCommandLine(arguments);
    // The terminal mode prints and ends without touching the window system.
    if (commandLine.action == oq::CommandLine::Action::Terminal)
        return oq::runTerminalMode(commandLine.terminal, argv[0]);
    if (commandLine.action != oq::CommandLine::Action::OpenWindow)
        return oq::answerWithoutWindow(commandLine, oq::runningProgramFile(argv[0]));
    if (const QString reason = oq::missingDisplayReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "ombryquote: %s\n", qPrintable(reason));
        return oq::NoDisplayExitStatus;
    }
    oq::startupQuoteFile() = commandLine.quoteFile;

#if defined(__GLIBC__)
    // Large blocks, such as a quote file's text and bytes, are mapped on
    // their own and given back when freed; otherwise the C library raises
    // this bound as they are freed and keeps later ones in the heap of the
    // thread that read them, where nothing else reuses them.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    // The quote file the window will open is read on another core while the
    // application and its windows are built.
    try {
        QString quoteFile = commandLine.quoteFile;
        if (quoteFile.isEmpty())
            quoteFile = oq::readProgramSettings(TIniFile(QString::fromLatin1(oq::SettingsFileName))).QuoteFileName;
        oq::QuotePrefetch::start(quoteFile);
    } catch (const oq::Exception &) {
        // The main window reads the settings again and reports the failure.
    }

    // Every argument has been taken above; Qt gets the program name alone, so
    // it reads none of them as an option of its own.
    int qtArgc = 1;
    auto reachingDisplay = std::make_unique<oq::DisplayConnectionGuard>();
    OmbryApplication app(qtArgc, argv);
    reachingDisplay.reset();
    QApplication::setApplicationName(QStringLiteral("ombryquote"));
    QApplication::setOrganizationName(QStringLiteral("Ombry"));
    QApplication::setApplicationVersion(QStringLiteral(OQ_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(OQ_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);
    oq::applicationHelpFile() = QStringLiteral("OMBRYQuote.hlp");

    // The main window first: it reads the quote file and shows a quote. The
    // other three are created in their order once that quote is on screen,
    // together with the icon, which is looked up in the desktop's icon
    // theme; the window shows a moment sooner for it. A window that opens
    // minimised (or on another workspace) is not on screen: then all this is
    // done a moment after it is shown. Each window lives until the run ends.
    constexpr int LatestAfterShownMs = 300;
    auto quoteForm = std::make_unique<TQuoteForm>();
    std::unique_ptr<TAboutBox> aboutBox;
#ifdef OQ_HAVE_DIALOGS
    std::unique_ptr<TSearchQuotes> searchQuotes;
    std::unique_ptr<TAddQuoteFm> addQuoteFm;
#endif
    // Start-up timing, for the benchmark, when the environment asks for it.
    const auto probe = oq::StartupProbe::fromEnvironment();
    if (probe)
        probe->hold();
    oq::FirstFrame::then(quoteForm.get(), [&] {
        aboutBox = std::make_unique<TAboutBox>();
#ifdef OQ_HAVE_DIALOGS
        searchQuotes = std::make_unique<TSearchQuotes>(quoteForm.get());
        addQuoteFm = std::make_unique<TAddQuoteFm>(quoteForm.get(), quoteForm.get());
        quoteForm->setWindows(aboutBox.get(), searchQuotes.get(), addQuoteFm.get());
#else
        quoteForm->setWindows(aboutBox.get(), nullptr, nullptr);
#endif
        QApplication::setWindowIcon(programIcon());
        if (probe)
            probe->release();
    }, LatestAfterShownMs);
    if (probe) {
        // Watching last, the probe sees the first frame first; ready waits
        // for the work above and for a filled title list.
        probe->watch(quoteForm.get());
        if (quoteForm->QuoteList->titles()->isSorting()) {
            probe->hold();
            QObject::connect(quoteForm->QuoteList->titles(), &oq::TitleListModel::filled, probe.get(),
                             [&probe] { probe->release(); });
        }
    }
    // A signal or logging out closes the main window as its close box does.
    oq::SessionEnd sessionEnd(quoteForm.get());
    quoteForm->show();
    const int result = QApplication::exec();

    // The last created first; then the help window, whichever way the run ended.
#ifdef OQ_HAVE_DIALOGS
    addQuoteFm.reset();
    searchQuotes.reset();
#endif
    aboutBox.reset();
    quoteForm.reset();
    oq::helpQuit();
    return result;
}
