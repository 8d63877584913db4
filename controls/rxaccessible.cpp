// SPDX-License-Identifier: MIT
#include "controls/rxaccessible.h"

#include "controls/rxspeedbutton.h"
#include "controls/rxspinbutton.h"

#include <QAccessibleWidget>
#include <QToolTip>

namespace {

const QString IncreaseAction = QStringLiteral("Increase");
const QString DecreaseAction = QStringLiteral("Decrease");

// The flat tool button: a push button whose press action clicks it.
class SpeedButtonAccessible : public QAccessibleWidget
{
public:
    explicit SpeedButtonAccessible(TRxSpeedButton *button)
        : QAccessibleWidget(button, QAccessible::Button)
    { }

    QStringList actionNames() const override { return isEnabled() ? QStringList { pressAction() } : QStringList(); }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && isEnabled())
            static_cast<TRxSpeedButton *>(widget())->click();
    }

private:
    bool isEnabled() const { return widget()->isEnabled(); }
};

// The spin button: its two halves as increase and decrease actions.
class SpinButtonAccessible : public QAccessibleWidget
{
public:
    explicit SpinButtonAccessible(TRxSpinButton *spin)
        : QAccessibleWidget(spin, QAccessible::SpinBox)
    { }

    QStringList actionNames() const override
    {
        return widget()->isEnabled() ? QStringList { IncreaseAction, DecreaseAction } : QStringList();
    }
    void doAction(const QString &name) override
    {
        auto *spin = static_cast<TRxSpinButton *>(widget());
        if (!spin->isEnabled())
            return;
        if (name == IncreaseAction)
            Q_EMIT spin->topClick();
        else if (name == DecreaseAction)
            Q_EMIT spin->bottomClick();
    }
};

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (className == QLatin1String("TRxSpeedButton"))
        return new SpeedButtonAccessible(static_cast<TRxSpeedButton *>(object));
    if (className == QLatin1String("TRxSpinButton"))
        return new SpinButtonAccessible(static_cast<TRxSpinButton *>(object));
    return nullptr;
}

} // namespace

void installToolBarAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(factory);
}

void TControlHint::setHint(const QString &hint)
{
    m_control->setToolTip(hint);
    // Screen readers get the hint as the name, a two-line hint as one line.
    if (m_control->accessibleName().isEmpty() || m_control->accessibleName() == m_nameFromHint) {
        m_nameFromHint = QString(hint).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified();
        m_control->setAccessibleName(m_nameFromHint);
    }
}

void TControlHint::setShown(bool show)
{
    m_shown = show;
    if (!show && m_control->underMouse())
        QToolTip::hideText();
}

bool TControlHint::swallowToolTip(QEvent *event) const
{
    if (event->type() != QEvent::ToolTip || m_shown)
        return false;
    QToolTip::hideText();
    event->accept();
    return true;
}
