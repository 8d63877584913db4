// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QEvent;
class QWidget;

// Makes screen readers see the flat tool button as a push button with a
// "Press" action, and each half of the spin button as a press action.
// Safe to call any number of times.
void installToolBarAccessibility();

// The hint of a tool-bar control: its tool tip, also its accessible name
// (on one line) unless the control was given a name of its own, and the
// control's own show-hint flag, which when off keeps the tool tip from showing.
class TControlHint
{
public:
    explicit TControlHint(QWidget *control) : m_control(control) {}
    void setHint(const QString &hint);
    bool shown() const { return m_shown; }
    void setShown(bool show);
    // Takes a tool-tip event while the hint is off; returns whether it did.
    bool swallowToolTip(QEvent *event) const;

private:
    QWidget *m_control;
    bool m_shown = true;
    QString m_nameFromHint; // the accessible name setHint() gave, replaced by the next hint
};
