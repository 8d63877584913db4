// SPDX-License-Identifier: MIT
#include "programstyle.h"

#include "forms/quotelist.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>

#include <functional>
#include <optional>
#include <utility>

namespace {

// An icon made the first time it is asked for anything.
class DeferredIconEngine : public QIconEngine
{
public:
    explicit DeferredIconEngine(std::function<QIcon()> make)
        : m_make(std::move(make))
    { }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QString iconName() override { return icon().name(); }
    bool isNull() override { return icon().isNull(); }
    QString key() const override { return QStringLiteral("oq-deferred"); }
    QIconEngine *clone() const override { return new DeferredIconEngine(*this); }

private:
    const QIcon &icon()
    {
        if (!m_icon)
            m_icon = m_make();
        return *m_icon;
    }

    std::function<QIcon()> m_make;
    std::optional<QIcon> m_icon;
};

} // namespace

TProgramStyle::TProgramStyle(QStyle *base)
    : QProxyStyle(base)
{ }

void TProgramStyle::install()
{
    if (qobject_cast<TProgramStyle *>(QApplication::style()))
        return;
    // The application's style becomes the base, owned by the new style.
    QApplication::setStyle(new TProgramStyle(QApplication::style()));
}

int TProgramStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
    QStyleHintReturn *returnData) const
{
    if (hint == SH_ComboBox_Popup && qobject_cast<const TQuoteList *>(widget))
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QIcon TProgramStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option, const QWidget *widget) const
{
    if ((standardIcon == SP_ToolBarHorizontalExtensionButton || standardIcon == SP_ToolBarVerticalExtensionButton)
        && !option) {
        // Made by the desktop's style when first drawn.
        return QIcon(new DeferredIconEngine(
            [standardIcon, base = QPointer<QStyle>(baseStyle()), widget = QPointer<const QWidget>(widget)] {
                return base ? base->standardIcon(standardIcon, nullptr, widget.data()) : QIcon();
            }));
    }
    return QProxyStyle::standardIcon(standardIcon, option, widget);
}
