// SPDX-License-Identifier: MIT
// Program entry: sets up the application, creates its four windows in order
// and runs until the main window closes.
#include "core/exception.h"
#include "forms/errordisplay.h"
#include "forms/helpviewer.h"
#include "forms/ombryquotefm.h"
#include "forms/quote21.h"

#if __has_include("forms/quotesr.h")
#include "forms/addquote.h"
#include "forms/quotesr.h"
#define OQ_HAVE_DIALOGS 1
#endif

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

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

// The program's icon: a speech card with an opening quotation mark, drawn
// at each size the desktop may ask for.
QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal m = size / 16.0;
        QPainterPath card;
        card.addRoundedRect(QRectF(m, m, size - 2 * m, size - 4 * m), 2.5 * m, 2.5 * m);
        QPolygonF tail;
        tail << QPointF(4 * m, size - 3.2 * m) << QPointF(4 * m, size - 0.5 * m) << QPointF(7.5 * m, size - 3.2 * m);
        card.addPolygon(tail);
        card.setFillRule(Qt::WindingFill);
        p.setPen(QPen(QColor(0x6b, 0x10, 0x10), std::max(1.0, m * 0.6)));
        p.setBrush(QColor(0xa3, 0x1d, 0x1d));
        p.drawPath(card.simplified());
        QFont font(QStringLiteral("serif"));
        font.setPixelSize(int(13 * m));
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(m, 1.5 * m, size - 2 * m, size - 4 * m), Qt::AlignCenter, QString(QChar(0x201C)));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

int main(int argc, char *argv[])
{
    OmbryApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ombryquote"));
    QApplication::setOrganizationName(QStringLiteral("Ombry"));
    QApplication::setApplicationVersion(QStringLiteral(OQ_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("ombryquote"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(programIcon());
    oq::applicationHelpFile() = QStringLiteral("OMBRYQuote.hlp");

    // Created in this order; each lives for the whole run.
    auto quoteForm = std::make_unique<TQuoteForm>();
    auto aboutBox = std::make_unique<TAboutBox>();
#ifdef OQ_HAVE_DIALOGS
    auto searchQuotes = std::make_unique<TSearchQuotes>(quoteForm.get());
    auto addQuoteFm = std::make_unique<TAddQuoteFm>(quoteForm.get(), quoteForm.get());
    quoteForm->setWindows(aboutBox.get(), searchQuotes.get(), addQuoteFm.get());
#else
    quoteForm->setWindows(aboutBox.get(), nullptr, nullptr);
#endif

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
