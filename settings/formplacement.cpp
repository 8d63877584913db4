// SPDX-License-Identifier: MIT
#include "settings/formplacement.h"

#include "core/exception.h"
#include "settings/inifile.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace oq::placement {

QString screenSuffix(QSize screen)
{
    return QStringLiteral("(%1x%2)").arg(screen.width()).arg(screen.height());
}

QString formatFour(qint32 a, qint32 b, qint32 c, qint32 d)
{
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

QStringList valueWords(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[ \\t,]+"));
    return text.split(separators, Qt::SkipEmptyParts);
}

std::array<qint32, 4> readFour(const QString &text, const std::array<qint32, 4> &defaults)
{
    const QStringList words = valueWords(text);
    std::array<qint32, 4> values = defaults;
    for (int i = 0; i < 4 && i < words.size(); ++i) {
        if (const auto number = oq::ini::toNumber(words.at(i)))
            values[i] = *number;
    }
    return values;
}

TWindowState stateFromShowCmd(qint32 showCmd, TWindowState otherwise)
{
    switch (showCmd) {
    case 1:
    case 5:
    case 9:
        return wsNormal;
    case 2:
    case 6:
    case 7:
        return wsMinimized;
    case 3:
        return wsMaximized;
    default:
        return otherwise;
    }
}

TPlacementRect fitOntoWorkAreas(const TPlacementRect &rect, QSize minimum, const QList<QRect> &areas)
{
    // 64 bits: a hand-edited profile may hold any 32-bit numbers, and their differences must not wrap.
    const qint64 minWidth = std::max(1, minimum.width());
    const qint64 minHeight = std::max(1, minimum.height());
    qint64 left = rect.left;
    qint64 top = rect.top;
    qint64 width = std::max(qint64(rect.right) - rect.left, minWidth);
    qint64 height = std::max(qint64(rect.bottom) - rect.top, minHeight);
    const qint64 storedWidth = width;
    const qint64 storedHeight = height;

    if (!areas.isEmpty()) {
        // No window needs to be larger than all screens together.
        QRect extent;
        for (const QRect &area : areas)
            extent |= area;
        width = std::min(width, std::max<qint64>(extent.width(), minWidth));
        height = std::min(height, std::max<qint64>(extent.height(), minHeight));

        const auto overlap = [&](const QRect &a) {
            const qint64 w = std::min(left + width, qint64(a.x()) + a.width()) - std::max(left, qint64(a.x()));
            const qint64 h = std::min(top + height, qint64(a.y()) + a.height()) - std::max(top, qint64(a.y()));
            return w > 0 && h > 0 ? w * h : 0;
        };
        const bool visible = std::any_of(areas.cbegin(), areas.cend(), [&](const QRect &a) { return overlap(a) > 0; });
        if (visible) {
            // Its title bar within reach: the top edge on the area showing most of it, and a good part of its width.
            const QRect &area = *std::max_element(areas.cbegin(), areas.cend(),
                [&](const QRect &a, const QRect &b) { return overlap(a) < overlap(b); });
            // A window cut down to fit the screens is wholly shown on them.
            constexpr qint64 Reach = 100;
            const auto range = [](qint64 v, qint64 lo, qint64 hi) { return std::clamp(v, lo, std::max(lo, hi)); };
            if (width < storedWidth)
                left = range(left, extent.x(), qint64(extent.x()) + extent.width() - width);
            else
                left = range(left, area.x() - (width - std::min(Reach, width)),
                    qint64(area.x()) + area.width() - std::min(Reach, width));
            if (height < storedHeight)
                top = range(top, extent.y(), qint64(extent.y()) + extent.height() - height);
            else
                top = range(top, area.y(), qint64(area.y()) + area.height() - std::min(Reach, height));
        } else {
            // The nearest place on the primary screen's work area.
            const QRect &primary = areas.first();
            width = std::max<qint64>(std::min<qint64>(width, primary.width()), minWidth);
            height = std::max<qint64>(std::min<qint64>(height, primary.height()), minHeight);
            left = std::clamp<qint64>(
                left, primary.x(), std::max<qint64>(primary.x(), primary.x() + primary.width() - width));
            top = std::clamp<qint64>(
                top, primary.y(), std::max<qint64>(primary.y(), primary.y() + primary.height() - height));
        }
    }

    const auto to32 = [](qint64 v) {
        return qint32(std::clamp<qint64>(v, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
    };
    return { to32(left), to32(top), to32(left + width), to32(top + height) };
}

} // namespace oq::placement

using namespace oq::placement;

// --- TPlacementWindow --------------------------------------------------------

TPlacementWindow::~TPlacementWindow()
{
    // The stores go with their window, the last attached first.
    while (!m_stores.isEmpty())
        delete m_stores.takeLast();
}

void TPlacementWindow::FormShow()
{
    const QList<TFormPlacement *> stores = m_stores;
    for (auto it = stores.crbegin(); it != stores.crend(); ++it)
        (*it)->FormShow();
}

void TPlacementWindow::FormCloseQuery(bool &canClose)
{
    // The window itself has no say here; its close handler runs after the stores have saved.
    const QList<TFormPlacement *> stores = m_stores;
    for (TFormPlacement *store : stores)
        store->FormCloseQuery(canClose);
}

void TPlacementWindow::FormDestroy()
{
    const QList<TFormPlacement *> stores = m_stores;
    for (auto it = stores.crbegin(); it != stores.crend(); ++it)
        (*it)->FormDestroy();
}

// --- TFormPlacement ----------------------------------------------------------

TFormPlacement::TFormPlacement(TPlacementWindow *owner)
    : m_owner(owner)
{
    if (m_owner) {
        Options = TPlacementOptions(fpState) | fpPosition;
        m_owner->m_stores.append(this);
    }
}

TFormPlacement::~TFormPlacement()
{
    if (m_owner)
        m_owner->m_stores.removeOne(this);
}

void TFormPlacement::FormShow()
{
    if (!Active)
        return;
    try {
        LoadPlacement();
    } catch (const oq::Exception &e) {
        if (m_owner)
            m_owner->showError(e.message());
    }
}

void TFormPlacement::FormCloseQuery(bool canClose)
{
    if (canClose && Active)
        storeShowingErrors();
}

void TFormPlacement::FormDestroy()
{
    // Only a store whose save at close failed saves again, and says so with "Visible".
    if (!Active || m_saveDone)
        return;
    m_savingOnDestroy = true;
    storeShowingErrors();
    m_savingOnDestroy = false;
}

void TFormPlacement::storeShowingErrors()
{
    try {
        StorePlacement();
    } catch (const oq::Exception &e) {
        if (m_owner)
            m_owner->showError(e.message());
    }
}

void TFormPlacement::StorePlacement()
{
    // A placement that was never applied must not overwrite the stored one.
    if (Active && !m_restoreDone)
        return;
    TIniFile ini(IniFileName);
    ini.WriteNumber(IniSection, QLatin1String(FormVersionKey), Version);
    if (m_owner && (Options & (TPlacementOptions(fpState) | fpPosition))) {
        WritePlacementKeys(ini);
        ini.WriteFlag(IniSection, QLatin1String(VisibleKey), m_savingOnDestroy);
    }
    saveStoredData(ini);
    m_saveDone = true;
}

void TFormPlacement::WritePlacementKeys(TIniFile &ini)
{
    TWindowPlacement record = m_owner->placement();
    if (m_owner->isMinimizedMainWindow())
        record.showCmd = TWindowPlacement::SwShowMinimized;
    // A minimised state the window system could not apply stays stored while the window is as it opened.
    const qint32 openedCmd
        = m_openedState == wsMaximized ? TWindowPlacement::SwShowMaximized : TWindowPlacement::SwShowNormal;
    if (m_keepMinimized && record.showCmd == openedCmd) {
        record.showCmd = TWindowPlacement::SwShowMinimized;
        record.flags = m_keptFlags;
    }
    // Where the window system doesn't tell the position, the one saved last is kept; the size is the window's.
    TPlacementRect &normal = record.normal;
    if (!m_owner->reportsPosition()) {
        normal = { m_keptPosition.x(), m_keptPosition.y(),
            qint32(std::clamp<qint64>(qint64(m_keptPosition.x()) + (qint64(normal.right) - normal.left),
                std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max())),
            qint32(std::clamp<qint64>(qint64(m_keptPosition.y()) + (qint64(normal.bottom) - normal.top),
                std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max())) };
    }
    ini.WriteNumber(IniSection, QLatin1String(FlagsKey), record.flags);
    ini.WriteNumber(IniSection, QLatin1String(ShowCmdKey), record.showCmd);
    ini.WriteNumber(IniSection, QLatin1String(PixelsPerInchKey), m_owner->pixelsPerInch());

    // Each position goes under the key for this screen size and under the plain key, which holds the last one.
    const QString suffix = screenSuffix(m_owner->screenSize());
    const QString minMax
        = formatFour(record.minPosition.x(), record.minPosition.y(), record.maxPosition.x(), record.maxPosition.y());
    ini.WriteText(IniSection, QLatin1String(MinMaxPosKey) + suffix, minMax);
    ini.WriteText(IniSection, QLatin1String(MinMaxPosKey), minMax);
    const QString normPos = formatFour(normal.left, normal.top, normal.right, normal.bottom);
    ini.WriteText(IniSection, QLatin1String(NormPosKey) + suffix, normPos);
    ini.WriteText(IniSection, QLatin1String(NormPosKey), normPos);
}

void TFormPlacement::LoadPlacement()
{
    m_saveDone = false;
    m_keepMinimized = false;
    if (m_owner) {
        const TPlacementRect normal = m_owner->placement().normal;
        m_keptPosition = QPoint(normal.left, normal.top);
    }
    {
        TIniFile ini(IniFileName);
        // Data of an older version is not read; the store still counts as restored and saves at the next close.
        if (ini.ReadNumber(IniSection, QLatin1String(FormVersionKey), 0) >= Version) {
            if (m_owner)
                ReadPlacementKeys(ini);
            loadStoredData(ini);
        }
        m_restoreDone = true;
    }
    if (!m_owner)
        return;
    // A maximised window puts its border just outside the screen.
    TWindowPlacement record = m_owner->placement();
    if (!m_owner->isVisible())
        record.showCmd = TWindowPlacement::SwHide;
    const QSize frame = m_owner->frameThickness();
    record.maxPosition = QPoint(-frame.width(), -frame.height());
    m_owner->setPlacement(record);
}

void TFormPlacement::ReadPlacementKeys(const TIniFile &ini)
{
    TWindowPlacement record = m_owner->placement();
    // Applying the record must not show the window before its time.
    if (!m_owner->isVisible())
        record.showCmd = TWindowPlacement::SwHide;
    const TPlacementRect current = record.normal;
    qint32 flags = record.flags;

    if (Options & fpPosition) {
        bool found = false;
        flags = ini.ReadNumber(IniSection, QLatin1String(FlagsKey), record.flags);
        // This screen size's own key first, then the last position saved on any screen.
        const QString suffix = screenSuffix(m_owner->screenSize());
        const auto readPosition = [&](const char *key) {
            const QString text = ini.ReadText(IniSection, QLatin1String(key) + suffix, QString());
            return text.isEmpty() ? ini.ReadText(IniSection, QLatin1String(key), QString()) : text;
        };
        const QString minMax = readPosition(MinMaxPosKey);
        if (!minMax.isEmpty()) {
            found = true;
            const auto v = readFour(minMax, { 0, 0, 0, 0 });
            record.minPosition = QPoint(v[0], v[1]);
            record.maxPosition = QPoint(v[2], v[3]);
        }
        const QString normPos = readPosition(NormPosKey);
        if (!normPos.isEmpty()) {
            found = true;
            const auto v = readFour(normPos, { current.left, current.top, current.right, current.bottom });
            record.normal = { v[0], v[1], v[2], v[3] };
        }
        // A position saved at another text scaling would not fit this one.
        const qint32 ppi = m_owner->pixelsPerInch();
        if (ini.ReadNumber(IniSection, QLatin1String(PixelsPerInchKey), ppi) != ppi)
            found = false;
        if (found) {
            TPlacementRect &n = record.normal;
            if (!m_owner->isSizeable()) {
                n.right = qint32(qint64(n.left) + (qint64(current.right) - current.left));
                n.bottom = qint32(qint64(n.top) + (qint64(current.bottom) - current.top));
            }
            if (n.right > n.left) {
                record.flags = flags;
                m_keptPosition = QPoint(n.left, n.top);
                n = fitOntoWorkAreas(n, m_owner->minimumOuterSize(), m_owner->workAreas());
                m_owner->setPlacement(record);
            }
        } else if (const QList<QRect> areas = m_owner->workAreas(); !areas.isEmpty()) {
            // Nothing stored (a first run): the designed place, moved wholly onto the primary screen where a
            // small or scaled screen would leave part of it off.
            const QRect &primary = areas.first();
            TPlacementRect &n = record.normal;
            const qint64 width = std::min<qint64>(qint64(n.right) - n.left, primary.width());
            const qint64 height = std::min<qint64>(qint64(n.bottom) - n.top, primary.height());
            if (width > 0 && height > 0
                && !primary.contains(QRect(n.left, n.top, n.right - n.left, n.bottom - n.top))) {
                n.left = qint32(std::clamp<qint64>(n.left, primary.x(), primary.x() + primary.width() - width));
                n.top = qint32(std::clamp<qint64>(n.top, primary.y(), primary.y() + primary.height() - height));
                n.right = qint32(n.left + width);
                n.bottom = qint32(n.top + height);
                m_owner->setPlacement(record);
            }
        }
    }

    if (Options & fpState) {
        const TWindowState state = stateFromShowCmd(ini.ReadNumber(IniSection, QLatin1String(ShowCmdKey), 0), wsNormal);
        if (state == wsMinimized) {
            // The whole application minimises once the window is on screen; restoring it brings back the state
            // it was minimised from.
            m_openedState = (flags & TWindowPlacement::RestoreToMaximized) ? wsMaximized : wsNormal;
            m_owner->setWindowState(m_openedState);
            if (m_owner->canMinimize()) {
                m_owner->postMinimize();
            } else {
                m_keepMinimized = true;
                m_keptFlags = flags;
            }
            return;
        }
        m_owner->setWindowState(state);
    }
}
