// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <exception>

namespace oq {

// The failures the program names (a profile write, the favourites write, ...)
// are exceptions carrying the exact text the user sees; the application's
// error display shows them and the message loop goes on.
class Exception : public std::exception
{
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) { }
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace oq
