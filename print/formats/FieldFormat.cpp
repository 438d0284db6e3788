#include "print/formats/FieldFormat.h"

namespace {
TFieldFormat Pos(float left, float top, float width)
{
    TFieldFormat f;
    f.Left = left;
    f.Top = top;
    f.Width = width;
    return f;
}
} // namespace

const std::array<TPositionInfo, PositionCount> &DefaultPositions()
{
    static const std::array<TPositionInfo, PositionCount> positions = {{
        {"RacunPosiljaoca", "Račun pošiljaoca", Pos(98.0f, 22.5f, 65.0f)},
        {"Posiljalac1", "Pošiljalac, linija 1", Pos(53.0f, 12.5f, 22.0f)},
        {"Posiljalac2", "Pošiljalac, linija 2", Pos(11.0f, 17.5f, 64.0f)},
        {"Posiljalac3", "Pošiljalac, linija 3", Pos(11.0f, 22.5f, 64.0f)},
        {"Svrha1", "Svrha doznake, linija 1", Pos(31.0f, 27.5f, 44.0f)},
        {"Svrha2", "Svrha doznake, linija 2", Pos(11.0f, 32.5f, 64.0f)},
        {"Svrha3", "Svrha doznake, linija 3", Pos(11.0f, 37.5f, 64.0f)},
        {"RacunPrimaoca", "Račun primaoca", Pos(98.0f, 32.5f, 65.0f)},
        {"Primalac1", "Primalac, linija 1", Pos(35.0f, 42.5f, 40.0f)},
        {"Primalac2", "Primalac, linija 2", Pos(11.0f, 47.5f, 64.0f)},
        {"Primalac3", "Primalac, linija 3", Pos(11.0f, 52.5f, 64.0f)},
        {"Iznos", "Iznos", Pos(89.0f, 42.5f, 52.0f)},
        {"Hitno", "Hitno", Pos(143.0f, 44.2f, 5.0f)},
        {"BrojObveznika", "Broj poreznog obveznika", Pos(93.3f, 54.2f, 39.5f)},
        {"VrstaUplate", "Vrsta uplate", Pos(156.0f, 52.5f, 5.0f)},
        {"VrstaPrihoda", "Vrsta prihoda", Pos(93.3f, 66.2f, 30.4f)},
        {"Opstina", "Opština", Pos(93.3f, 78.2f, 15.0f)},
        {"Poziv", "Poziv na broj", Pos(93.3f, 87.2f, 30.4f)},
        {"Budzetska", "Budžetska organizacija", Pos(127.0f, 78.2f, 35.5f)},
        {"PeriodOd", "Porezni period, od", Pos(141.0f, 64.5f, 20.0f)},
        {"PeriodDo", "Porezni period, do", Pos(141.0f, 70.5f, 20.0f)},
        {"DatumUplate", "Datum uplate", Pos(55.0f, 62.5f, 20.0f)},
        {"MjestoUplate", "Mjesto uplate", Pos(12.0f, 62.5f, 40.0f)},
    }};
    return positions;
}

TFieldFormats::TFieldFormats()
{
    for (int i = 0; i < PositionCount; ++i)
        Positions[i] = DefaultPositions()[i].Default;
}
