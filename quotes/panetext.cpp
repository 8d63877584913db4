// SPDX-License-Identifier: MIT
#include "panetext.h"

#include "core/controlcodes.h"

namespace oq {

QStringList paneLines(const QStringList &quoteLines)
{
    QStringList out;
    out.reserve(quoteLines.size());
    for (const QString &line : quoteLines) {
        if (line.size() <= MaxPaneLineChars) {
            out.append(withoutControlCodes(line));
            continue;
        }
        // Cut between characters, never inside a surrogate pair.
        qsizetype cut = MaxPaneLineChars;
        if (line[cut - 1].isHighSurrogate())
            --cut;
        out.append(withoutControlCodes(QStringView(line).first(cut)) + QChar(CutMark));
    }
    return out;
}

} // namespace oq
