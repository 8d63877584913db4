// SPDX-License-Identifier: MIT
#include "panetext.h"

#include "core/controlcodes.h"

namespace oq {

QStringList paneLines(const QStringList &quoteLines)
{
    QStringList out;
    out.reserve(quoteLines.size());
    for (QStringView line : quoteLines) {
        // A byte-order mark is no character: carried into Copy or the favourites, it would stand inside a line.
        if (line.startsWith(QChar(0xFEFF)))
            line = line.sliced(1);
        if (line.size() <= MaxPaneLineChars) {
            out.append(withoutControlCodes(line));
            continue;
        }
        // Cut between characters, never inside a surrogate pair.
        qsizetype cut = MaxPaneLineChars;
        if (line[cut - 1].isHighSurrogate())
            --cut;
        out.append(withoutControlCodes(line.first(cut)) + QChar(CutMark));
    }
    return out;
}

} // namespace oq
