// SPDX-License-Identifier: MIT
#include "app/ombryapplication.h"

#include "core/exception.h"
#include "forms/errordisplay.h"
#include "forms/helpviewer.h"
#include "oq_config.h"

#include <exception>
#include <new>

namespace oq {

namespace {

// Qt keeps a reference to the count for the whole run.
int &programNameOnly()
{
    static int count = 1;
    return count;
}

} // namespace

OmbryApplication::OmbryApplication(char *argv[])
    : QApplication(programNameOnly(), argv)
{
    setApplicationName(QStringLiteral("ombryquote"));
    setOrganizationName(QStringLiteral("Ombry"));
    setApplicationVersion(QStringLiteral(OQ_VERSION));
    setDesktopFileName(QStringLiteral(OQ_APP_ID));
    setQuitOnLastWindowClosed(false);
    applicationHelpFile() = QStringLiteral("OMBRYQuote.hlp");
}

bool OmbryApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const Exception &e) {
        showError(e.message());
    } catch (const std::bad_alloc &) {
        showError(QStringLiteral("Out of memory"));
    } catch (const std::exception &e) {
        showError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

} // namespace oq
