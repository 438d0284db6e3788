#pragma once

#include "core/Upl.h"
#include "ui/main/MainRules.h"

#include <QList>
#include <QString>

#include <array>

// What the editor shows while several slips are marked: each field's value
// where the marked slips agree, and where they differ a mark saying so
// instead of an empty field that looks as if the slips held nothing.
struct TMarkedFields
{
    int Count = 0; // marked slips
    TUpl Common;   // the agreed values (the first marked slip's)
    std::array<bool, EditorFieldCount> Differs{};
};

// Over the slips whose Oznacena is set.
TMarkedFields MergeMarkedFields(const QList<TUpl> &slips);

// The placeholder of a field whose values differ.
QString DiffersText();

// "Uređujete 8 označenih uplatnica", with the noun agreeing with the number.
QString MarkedSlipsText(int count);
