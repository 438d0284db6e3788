#pragma once

#include "core/FontStyle.h"

#include <QString>

#include <array>

// One print position: a writing line on the sheet and its font. Lengths are
// millimetres from the physical top-left corner of the sheet.
struct TFieldFormat
{
    float Left = 0;
    float Top = 0; // the text stands on this line
    float Width = 0;
    QString FontName = QStringLiteral("Arial");
    int FontSize = 10; // points
    TFontStyles FontStyle;

    bool operator==(const TFieldFormat &) const = default;
};

constexpr int PositionCount = 23;

// Position keys in their fixed order; the index into TFieldFormats::Positions.
enum TPositionIndex {
    piRacunPosiljaoca,
    piPosiljalac1,
    piPosiljalac2,
    piPosiljalac3,
    piSvrha1,
    piSvrha2,
    piSvrha3,
    piRacunPrimaoca,
    piPrimalac1,
    piPrimalac2,
    piPrimalac3,
    piIznos,
    piHitno,
    piBrojObveznika,
    piVrstaUplate,
    piVrstaPrihoda,
    piOpstina,
    piPoziv,
    piBudzetska,
    piPeriodOd,
    piPeriodDo,
    piDatumUplate,
    piMjestoUplate,
};

struct TPositionInfo
{
    const char *Key;     // INI key and the position's name everywhere
    const char *Caption; // UTF-8 label of the format editor
    TFieldFormat Default;
};

// The 23 positions with their keys, captions and built-in values.
const std::array<TPositionInfo, PositionCount> &DefaultPositions();

// One print format: the sheet size and the 23 positions.
struct TFieldFormats
{
    double Width = 176;
    double Height = 100;
    std::array<TFieldFormat, PositionCount> Positions;

    TFieldFormats();
    TFieldFormat &operator[](TPositionIndex i) { return Positions[i]; }
    const TFieldFormat &operator[](TPositionIndex i) const { return Positions[i]; }
    bool operator==(const TFieldFormats &) const = default;
};
