#include "core/UplFileIO.h"

#include "core/Win1250.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <cstring>

namespace {

struct TLayout
{
    bool twoBytesAfterNotes = false; // below level 30
    bool oldStates = false;          // below 30: int, text, int, int per state
    int stateCount = 15;             // 16 from level 33
    bool place = false;              // MjestoUplate from level 33
    bool percent = false;            // Procenat from level 22

    // Size of a slip record whose texts are all empty: no real record is smaller.
    qsizetype MinRecordSize() const
    {
        const qsizetype texts = place ? 16 : 15;
        const qsizetype state = oldStates ? 4 + 4 + 4 + 4 : 4;
        return texts * 4 + 8 + 1 + stateCount * state + 1 + (percent ? 4 : 0);
    }
};

TLayout LayoutOf(int level)
{
    TLayout l;
    l.twoBytesAfterNotes = level < 30;
    l.oldStates = level < 30;
    l.stateCount = level >= 33 ? 16 : 15;
    l.place = level >= 33;
    l.percent = level >= 22;
    return l;
}

// Bounds-checked cursor over the file's bytes. Every read checks what remains,
// so a damaged file can neither read past its end nor ask for a huge buffer.
class TCursor
{
public:
    TCursor(const char *data, qsizetype size) : m_p(data), m_end(data + size) {}

    qsizetype Remaining() const { return m_end - m_p; }

    bool Int(qint32 &v)
    {
        if (Remaining() < 4)
            return false;
        v = qFromLittleEndian<qint32>(m_p);
        m_p += 4;
        return true;
    }
    bool Double(double &v)
    {
        if (Remaining() < 8)
            return false;
        const quint64 bits = qFromLittleEndian<quint64>(m_p);
        std::memcpy(&v, &bits, 8);
        m_p += 8;
        return true;
    }
    bool Single(float &v)
    {
        if (Remaining() < 4)
            return false;
        const quint32 bits = qFromLittleEndian<quint32>(m_p);
        std::memcpy(&v, &bits, 4);
        m_p += 4;
        return true;
    }
    bool Flag(bool &v)
    {
        if (Remaining() < 1)
            return false;
        v = *m_p++ != 0;
        return true;
    }
    bool Skip(qsizetype n)
    {
        if (Remaining() < n)
            return false;
        m_p += n;
        return true;
    }
    // A text's raw bytes, still in the buffer.
    bool RawText(const char *&data, qsizetype &size)
    {
        qint32 n = 0;
        if (!Int(n) || n < 0 || n > Remaining())
            return false;
        data = m_p;
        size = n;
        m_p += n;
        return true;
    }
    bool Text(QString &out)
    {
        const char *data = nullptr;
        qsizetype size = 0;
        if (!RawText(data, size))
            return false;
        if (size > 0)
            out = Win1250::Decode(data, size);
        return true;
    }

private:
    const char *m_p;
    const char *m_end;
};

bool ReadStates(TCursor &c, const TLayout &l, TUpl &u)
{
    for (int i = 0; i < l.stateCount; ++i) {
        if (!c.Int(u.Stanja[i]))
            return false;
        if (l.oldStates) {
            // A text and two ints nothing uses any more.
            const char *data = nullptr;
            qsizetype size = 0;
            if (!c.RawText(data, size) || !c.Skip(8))
                return false;
        }
    }
    return true;
}

bool ReadSlip(TCursor &c, const TLayout &l, TUpl &u)
{
    // clang-format off
    return c.Text(u.Opis) && c.Text(u.RacunPosiljaoca) && c.Text(u.Posiljalac) &&
           c.Text(u.Svrha) && c.Text(u.RacunPrimaoca) && c.Text(u.Primalac) &&
           c.Double(u.Iznos) && c.Flag(u.Hitno) &&
           c.Text(u.BrojObveznika) && c.Text(u.VrstaUplate) && c.Text(u.VrstaPrihoda) &&
           c.Text(u.Opstina) && c.Text(u.Poziv) && c.Text(u.Budzetska) &&
           c.Text(u.PeriodOd) && c.Text(u.PeriodDo) && c.Text(u.DatumUplate) &&
           (!l.place || c.Text(u.MjestoUplate)) &&
           ReadStates(c, l, u) &&
           c.Flag(u.Oznacena) &&
           (!l.percent || c.Single(u.Procenat));
    // clang-format on
}

TUplReadResult Refused()
{
    TUplReadResult r;
    r.Status = TUplReadResult::BadFormat;
    r.Error = UplBadFormatText();
    return r;
}

// Output buffer sized up front; every Put writes at the cursor.
class TWriter
{
public:
    explicit TWriter(qsizetype size) : m_bytes(size, Qt::Uninitialized), m_p(m_bytes.data()) {}

    void Int(qint32 v)
    {
        qToLittleEndian<qint32>(v, m_p);
        m_p += 4;
    }
    void Double(double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        qToLittleEndian<quint64>(bits, m_p);
        m_p += 8;
    }
    void Single(float v)
    {
        quint32 bits;
        std::memcpy(&bits, &v, 4);
        qToLittleEndian<quint32>(bits, m_p);
        m_p += 4;
    }
    void Flag(bool v) { *m_p++ = v ? 1 : 0; }
    void Text(const QString &s)
    {
        Int(qint32(s.size()));
        m_p = Win1250::EncodeTo(m_p, s);
    }
    void Bytes(const char *data, qsizetype n)
    {
        std::memcpy(m_p, data, size_t(n));
        m_p += n;
    }

    QByteArray Take()
    {
        Q_ASSERT(m_p == m_bytes.constData() + m_bytes.size());
        return std::move(m_bytes);
    }

private:
    QByteArray m_bytes;
    char *m_p;
};

constexpr qsizetype kCurrentRecordFixed = 16 * 4 + 8 + 1 + 16 * 4 + 1 + 4;

qsizetype TextBytes(const TUpl &u)
{
    // One byte per UTF-16 unit: characters outside the code page become '?'.
    return u.Opis.size() + u.RacunPosiljaoca.size() + u.Posiljalac.size() + u.Svrha.size() +
           u.RacunPrimaoca.size() + u.Primalac.size() + u.BrojObveznika.size() +
           u.VrstaUplate.size() + u.VrstaPrihoda.size() + u.Opstina.size() + u.Poziv.size() +
           u.Budzetska.size() + u.PeriodOd.size() + u.PeriodDo.size() + u.DatumUplate.size() +
           u.MjestoUplate.size();
}

} // namespace

QString UplBadFormatText()
{
    return QStringLiteral("Neispravna datoteka!");
}

int UplHeaderLevel(const QByteArray &header)
{
    static const struct
    {
        const char *text;
        int level;
    } known[] = {
        {"Kordavina 1.0", 10}, {"Kordavina 2.0", 20},   {"Kordavina 2.2", 22},
        {"Kordavina 3.0", 30}, {"Kordavina 3.1", 31},   {"Kordavina 3.2", 32},
        {"Kordavina 3.3", 33}, {"Kordavina 3.3.1", 33}, {"Kordavina 3.3.2", 33},
    };
    for (const auto &k : known)
        if (header == k.text)
            return k.level;
    return 0;
}

TUplReadResult ParseUplBytes(const QByteArray &bytes, const QString &path)
{
    TCursor c(bytes.constData(), bytes.size());

    const char *headerData = nullptr;
    qsizetype headerSize = 0;
    if (!c.RawText(headerData, headerSize))
        return Refused();
    const QByteArray header = QByteArray::fromRawData(headerData, headerSize);
    const int level = UplHeaderLevel(header);
    if (level == 0)
        return Refused();
    const TLayout layout = LayoutOf(level);

    TUplFile file;
    file.FileName = path;
    qint32 count = 0;
    if (!c.Text(file.Napomene) || (layout.twoBytesAfterNotes && !c.Skip(2)) || !c.Int(count))
        return Refused();
    // Every record takes at least MinRecordSize() bytes, so a larger count
    // cannot be true; checking it first keeps the reservation bounded.
    if (count < 0 || count > c.Remaining() / layout.MinRecordSize())
        return Refused();

    file.Uplatnice.resize(count);
    for (TUpl &u : file.Uplatnice)
        if (!ReadSlip(c, layout, u))
            return Refused();
    // Bytes after the last record are ignored.

    file.Snimljena = true;
    TUplReadResult r;
    r.Status = TUplReadResult::Ok;
    r.Header = Win1250::Decode(header);
    r.File = std::move(file);
    return r;
}

TUplReadResult ReadUplFile(const QString &path)
{
    QFile f(path);
    TUplReadResult r;
    if (!f.open(QIODevice::ReadOnly)) {
        r.Status = TUplReadResult::IoError;
        r.Error = f.errorString();
        return r;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        r.Status = TUplReadResult::IoError;
        r.Error = f.errorString();
        return r;
    }
    return ParseUplBytes(bytes, path);
}

QByteArray UplFileToBytes(const TUplFile &file)
{
    constexpr qsizetype headerSize = sizeof(kUplCurrentHeader) - 1;
    qsizetype size = 4 + headerSize + 4 + file.Napomene.size() + 4;
    for (const TUpl &u : file.Uplatnice)
        size += kCurrentRecordFixed + TextBytes(u);

    TWriter w(size);
    w.Int(qint32(headerSize));
    w.Bytes(kUplCurrentHeader, headerSize);
    w.Text(file.Napomene);
    w.Int(qint32(file.Uplatnice.size()));
    for (const TUpl &u : file.Uplatnice) {
        w.Text(u.Opis);
        w.Text(u.RacunPosiljaoca);
        w.Text(u.Posiljalac);
        w.Text(u.Svrha);
        w.Text(u.RacunPrimaoca);
        w.Text(u.Primalac);
        w.Double(u.Iznos);
        w.Flag(u.Hitno);
        w.Text(u.BrojObveznika);
        w.Text(u.VrstaUplate);
        w.Text(u.VrstaPrihoda);
        w.Text(u.Opstina);
        w.Text(u.Poziv);
        w.Text(u.Budzetska);
        w.Text(u.PeriodOd);
        w.Text(u.PeriodDo);
        w.Text(u.DatumUplate);
        w.Text(u.MjestoUplate);
        for (qint32 s : u.Stanja)
            w.Int(s);
        w.Flag(u.Oznacena);
        w.Single(u.Procenat);
    }
    return w.Take();
}

bool WriteUplFile(TUplFile &file, QString *error)
{
    const QByteArray bytes = UplFileToBytes(file);
    // Truncating the old file first would lose it to a full disk or a crash;
    // a temporary file renamed over it keeps the old one until the new is whole.
    QSaveFile f(file.FileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        if (error)
            *error = f.errorString();
        return false; // commit() has removed the temporary file
    }
    file.Snimljena = true;
    return true;
}
