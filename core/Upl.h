#pragma once

#include <QList>
#include <QString>

#include <array>

// Field state of one group of slip fields.
enum TStanjePolja : qint32 {
    spSlobodno = 0,   // shown, editable
    spZabranjeno = 1, // shown, read-only
    spNevidljivo = 2, // hidden
};

// One payment slip. Field order is the order of the slip file.
struct TUpl
{
    QString Opis;
    QString RacunPosiljaoca;
    QString Posiljalac;
    QString Svrha;
    QString RacunPrimaoca;
    QString Primalac;
    double Iznos = 0;
    bool Hitno = false;
    QString BrojObveznika;
    QString VrstaUplate;
    QString VrstaPrihoda;
    QString Opstina;
    QString Poziv;
    QString Budzetska;
    QString PeriodOd;
    QString PeriodDo;
    QString DatumUplate;
    QString MjestoUplate;
    // Index 0 governs nothing but is kept and written back; see SlipStateIndex.
    std::array<qint32, 16> Stanja{};
    bool Oznacena = false;
    float Procenat = 0;

    bool operator==(const TUpl &) const = default;
};

// Indices into TUpl::Stanja.
enum SlipStateIndex {
    stRacunPosiljaoca = 1,
    stPosiljalac = 2,
    stSvrha = 3,
    stRacunPrimaoca = 4,
    stPrimalac = 5,
    stIznos = 6, // amount and urgent mark together
    stBrojObveznika = 7,
    stVrstaUplate = 8,
    stVrstaPrihoda = 9,
    stOpstina = 10,
    stPoziv = 11,
    stBudzetska = 12,
    stPeriod = 13, // both period dates
    stDatumUplate = 14,
    stMjestoUplate = 15,
};

TUpl NewSlip();
TUpl CopySlip(const TUpl &slip);

// One slip file: the notes and the ordered slips it owns.
struct TUplFile
{
    QString FileName;
    QString Napomene;
    QList<TUpl> Uplatnice;
    bool Snimljena = true; // unchanged since the last read or write

    qsizetype Count() const { return Uplatnice.size(); }
    TUpl &SlipByIndex(qsizetype i) { return Uplatnice[i]; }
    const TUpl &SlipByIndex(qsizetype i) const { return Uplatnice[i]; }
    void AddSlip(const TUpl &slip);
    // Inserts before index; index == Count() appends.
    void InsertSlip(qsizetype index, const TUpl &slip);
    void DeleteSlip(qsizetype index);
    // The first marked slip, or the first slip; -1 for a file without slips.
    qsizetype CurrentSlipIndex() const;
};
