#pragma once

// Builds slip files byte by byte for the tests, following the on-disk layout
// directly rather than through the program's writer, so the two check each
// other.

#include <QByteArray>
#include <QList>
#include <QtEndian>

#include <array>
#include <cstring>

namespace UplBytes {

class ByteWriter
{
public:
    ByteWriter &Int(qint32 v)
    {
        char b[4];
        qToLittleEndian<qint32>(v, b);
        bytes.append(b, 4);
        return *this;
    }
    ByteWriter &Text(const QByteArray &t)
    {
        Int(qint32(t.size()));
        bytes += t;
        return *this;
    }
    ByteWriter &Double(double v)
    {
        quint64 u;
        std::memcpy(&u, &v, 8);
        char b[8];
        qToLittleEndian<quint64>(u, b);
        bytes.append(b, 8);
        return *this;
    }
    ByteWriter &Single(float v)
    {
        quint32 u;
        std::memcpy(&u, &v, 4);
        char b[4];
        qToLittleEndian<quint32>(u, b);
        bytes.append(b, 4);
        return *this;
    }
    ByteWriter &Byte(quint8 v)
    {
        bytes.append(char(v));
        return *this;
    }
    ByteWriter &Raw(const QByteArray &b)
    {
        bytes += b;
        return *this;
    }

    QByteArray bytes;
};

// One slip as raw file values; texts are Windows-1250 bytes.
struct RawSlip
{
    // Opis, RacunPosiljaoca, Posiljalac, Svrha, RacunPrimaoca, Primalac,
    // BrojObveznika, VrstaUplate, VrstaPrihoda, Opstina, Poziv, Budzetska,
    // PeriodOd, PeriodDo, DatumUplate, MjestoUplate
    std::array<QByteArray, 16> texts;
    double iznos = 0;
    quint8 hitno = 0;
    std::array<qint32, 16> stanja{};
    quint8 oznacena = 0;
    float procenat = 0;
    // Carried by the old state entries only; dropped by the reader.
    QByteArray oldStateText;
};

inline int LevelOf(const QByteArray &header)
{
    if (header == "Kordavina 1.0")
        return 10;
    if (header == "Kordavina 2.0")
        return 20;
    if (header == "Kordavina 2.2")
        return 22;
    if (header == "Kordavina 3.0")
        return 30;
    if (header == "Kordavina 3.1")
        return 31;
    if (header == "Kordavina 3.2")
        return 32;
    return 33;
}

inline void AppendSlip(ByteWriter &w, int level, const RawSlip &s)
{
    for (int i = 0; i < 6; ++i)
        w.Text(s.texts[i]);
    w.Double(s.iznos).Byte(s.hitno);
    for (int i = 6; i < 15; ++i)
        w.Text(s.texts[i]);
    if (level >= 33)
        w.Text(s.texts[15]);
    const int states = level >= 33 ? 16 : 15;
    for (int i = 0; i < states; ++i) {
        w.Int(s.stanja[i]);
        if (level < 30)
            w.Text(s.oldStateText).Int(1000 + i).Int(-i);
    }
    w.Byte(s.oznacena);
    if (level >= 22)
        w.Single(s.procenat);
}

inline QByteArray BuildFile(const QByteArray &header, const QByteArray &notes,
                            const QList<RawSlip> &slips, const QByteArray &twoBytes = "\xAB\xCD")
{
    const int level = LevelOf(header);
    ByteWriter w;
    w.Text(header).Text(notes);
    if (level < 30)
        w.Raw(twoBytes);
    w.Int(qint32(slips.size()));
    for (const RawSlip &s : slips)
        AppendSlip(w, level, s);
    return w.bytes;
}

inline const QList<QByteArray> &AllHeaders()
{
    static const QList<QByteArray> h = {
        "Kordavina 1.0", "Kordavina 2.0", "Kordavina 2.2",   "Kordavina 3.0",   "Kordavina 3.1",
        "Kordavina 3.2", "Kordavina 3.3", "Kordavina 3.3.1", "Kordavina 3.3.2",
    };
    return h;
}

// Two slips with every field set to something distinct, Windows-1250 letters
// included.
inline QList<RawSlip> SampleSlips()
{
    RawSlip a;
    a.texts = {"Porez \x8a"
               "ibenik",
               "1610000012345678",
               "Ivo Ivi\xe6, Zmaja od Bosne 1",
               "Uplata poreza",
               "3389002211223344",
               "Op\x9atina Centar \x8e"
               "epa",
               "4200000000001",
               "1",
               "722131",
               "077",
               "1234567890",
               "0101999",
               "010124",
               "311224",
               "150125",
               "Sarajevo \x9a\xe8\xe6"};
    a.iznos = 1234.56;
    a.hitno = 1;
    for (int i = 0; i < 16; ++i)
        a.stanja[i] = i % 3;
    a.stanja[0] = 7; // carried along unchanged
    a.oznacena = 1;
    a.procenat = 33.3f;
    a.oldStateText = "staro";

    RawSlip b;
    b.texts[0] = "Druga";
    b.texts[5] = "Primalac\r\nred 2";
    b.iznos = 0.1;
    b.stanja[15] = 2;
    b.stanja[14] = 1;
    b.procenat = 0.1f;
    return {a, b};
}

} // namespace UplBytes
