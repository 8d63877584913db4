// SPDX-License-Identifier: MIT
#include "errordisplay.h"

#include <QApplication>
#include <QMessageBox>

namespace oq {

namespace {
ErrorSink &errorSink()
{
    static ErrorSink sink;
    return sink;
}
} // namespace

void setErrorSink(ErrorSink sink)
{
    errorSink() = std::move(sink);
}

QString errorText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + QLatin1Char('.');
    return message;
}

void showError(const QString &message, QWidget *parent)
{
    if (errorSink()) {
        errorSink()(errorText(message));
        return;
    }
    if (!parent)
        parent = QApplication::activeWindow();
    QMessageBox box(QMessageBox::Critical, ApplicationTitle, errorText(message), QMessageBox::Ok, parent);
    box.exec();
}

} // namespace oq
