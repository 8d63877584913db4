// SPDX-License-Identifier: MIT
// Test helper for tst_programprocess: the program as its entry builds it, with one setting changed as the user
// would change it before it is told to end: "font" raises the text size once, "open PATH" opens another file.
#include "app/sessionend.h"
#include "forms/addquote.h"
#include "forms/ombryquotefm.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ombryquote"));
    QApplication::setQuitOnLastWindowClosed(false);
    TQuoteForm quoteForm;
    TAddQuoteFm addQuoteFm(&quoteForm, &quoteForm);
    quoteForm.setWindows(nullptr, nullptr, &addQuoteFm);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.value(1) == QLatin1String("font")) {
        quoteForm.SpinFontSizeTopClick();
    } else if (arguments.value(1) == QLatin1String("open")) {
        // As the Open command does once the user has chosen the file.
        quoteForm.QuoteFileName = arguments.value(2);
        quoteForm.LoadFile();
    }
    oq::SessionEnd sessionEnd(&quoteForm);
    quoteForm.show();
    return QApplication::exec();
}
