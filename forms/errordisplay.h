// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace oq {

// The application title: the caption of its error messages.
inline const QString ApplicationTitle = QStringLiteral("OMBRY Quote");

// The text an error is shown with: "." is appended when the last character's
// code is above that of ".".
QString errorText(const QString &message);

// Shows an error the way every failure reaching the user is shown: a critical
// message box captioned with the application title and an OK button.
void showError(const QString &message, QWidget *parent = nullptr);

// While on, errors are written to standard error instead of shown: the
// program was told to end from outside (a signal, the session's end) and
// nobody is there to answer a box.
void setUnattended(bool on);
// How many errors came while unattended.
int unattendedErrorCount();

// Tests catch shown errors here instead of in a modal box; null restores the box.
using ErrorSink = std::function<void(const QString &text)>;
void setErrorSink(ErrorSink sink);

} // namespace oq
