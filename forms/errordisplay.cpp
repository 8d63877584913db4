// SPDX-License-Identifier: MIT
#include "errordisplay.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>

#include <cstdio>

namespace oq {

namespace {
ErrorSink &errorSink()
{
    static ErrorSink sink;
    return sink;
}
bool s_unattended = false;
int s_unattendedErrors = 0;
// Written while unattended: the same failure met again on the way out is said once.
QStringList s_written;
} // namespace

void setUnattended(bool on)
{
    s_unattended = on;
    s_unattendedErrors = 0;
    s_written.clear();
}

int unattendedErrorCount()
{
    return s_unattendedErrors;
}

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
    if (s_unattended)
        ++s_unattendedErrors;
    if (errorSink()) {
        errorSink()(errorText(message));
        return;
    }
    if (s_unattended) {
        if (!s_written.contains(message)) {
            s_written << message;
            std::fprintf(stderr, "ombryquote: %s\n", errorText(message).toLocal8Bit().constData());
        }
        return;
    }
    if (!parent)
        parent = QApplication::activeWindow();
    QMessageBox box(QMessageBox::Critical, ApplicationTitle, errorText(message), QMessageBox::Ok, parent);
    box.exec();
}

} // namespace oq
