#pragma once

#include "core/NumberChecks.h"

#include <QImage>
#include <QString>

// How the result of a number check is shown beside its field or in a list.

enum class TMarkKind {
    None,    // nothing: empty, or incomplete while it is being typed
    Valid,   // a green circle with a tick
    Invalid, // a red circle with a cross
};

// typing: the field has the focus, so a number still too short is expected.
TMarkKind MarkKind(const TCheckResult &result, bool typing);

// The symbol, size x size pixels, drawn so that it needs no font or theme.
QImage CheckMarkImage(TMarkKind kind, int size);

// The tool tip: the reason for a failing text, "Ispravno" for a good one.
QString CheckMarkToolTip(const TCheckResult &result);

// What a screen reader says for the mark of the field captioned caption:
// "Račun primaoca: neispravno" or "Račun primaoca: ispravno".
QString CheckMarkAccessibleName(const QString &caption, TMarkKind kind);
