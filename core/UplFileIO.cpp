#include "core/UplFileIO.h"

#include "core/SafeFile.h"
#include "core/Win1250.h"

#include <QFile>
#include <QHashFunctions>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

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

// Texts recur from slip to slip (the same sender, recipient, codes, dates).
// Equal texts are decoded once and share one implicitly shared QString, which
// saves an allocation and memory per repeat. Direct-mapped and fixed in size,
// so a file of all-different texts costs little more than without it.
class TTextCache
{
public:
    explicit TTextCache(qsizetype slotCount)
        : m_slots(size_t(slotCount)), m_mask(size_t(slotCount) - 1)
    {
        Q_ASSERT((slotCount & (slotCount - 1)) == 0);
    }

    QString Get(const char *data, qsizetype size)
    {
        QString &slot = m_slots[Hash(data, size) & m_mask];
        if (!Win1250::DecodesTo(data, size, slot))
            slot = Win1250::Decode(data, size);
        return slot;
    }

private:
    // FNV-1a: cheap for the short texts of a slip, and good enough to spread them.
    static size_t Hash(const char *data, qsizetype size)
    {
        quint64 h = 14695981039346656037ULL;
        for (qsizetype i = 0; i < size; ++i)
            h = (h ^ static_cast<unsigned char>(data[i])) * 1099511628211ULL;
        return size_t(h ^ (h >> 29));
    }

    std::vector<QString> m_slots;
    size_t m_mask;
};

// Bounds-checked cursor over the input: bytes in memory, or a file read in
// chunks into one reused buffer (so a large file is never held twice).
// Every read checks what remains, so a damaged file can neither read past its
// end nor ask for more memory than its own size.
class TCursor
{
public:
    TCursor(const char *data, qsizetype size) : m_p(data), m_end(data + size) {}
    TCursor(QIODevice *device, qint64 size, qsizetype chunk)
        : m_device(device), m_unread(size), m_chunk(std::max<qsizetype>(chunk, 1))
    {
        m_p = m_end = m_buffer.constData();
    }

    // Bytes left in the input, read from the file or not.
    qint64 Left() const { return (m_end - m_p) + m_unread; }
    bool IoFailed() const { return m_ioFailed; }

    bool Int(qint32 &v)
    {
        if (!Need(4))
            return false;
        v = qFromLittleEndian<qint32>(m_p);
        m_p += 4;
        return true;
    }
    bool Double(double &v)
    {
        if (!Need(8))
            return false;
        const quint64 bits = qFromLittleEndian<quint64>(m_p);
        std::memcpy(&v, &bits, 8);
        m_p += 8;
        return true;
    }
    bool Single(float &v)
    {
        if (!Need(4))
            return false;
        const quint32 bits = qFromLittleEndian<quint32>(m_p);
        std::memcpy(&v, &bits, 4);
        m_p += 4;
        return true;
    }
    bool Flag(bool &v)
    {
        if (!Need(1))
            return false;
        v = *m_p++ != 0;
        return true;
    }
    bool Skip(qsizetype n)
    {
        if (!Need(n))
            return false;
        m_p += n;
        return true;
    }
    // A text's raw bytes; valid until the next read.
    bool RawText(const char *&data, qsizetype &size, qint32 maxSize = 0x7fffffff)
    {
        qint32 n = 0;
        if (!Int(n) || n < 0 || n > maxSize || n > Left() || !Need(n))
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
            out = m_cache ? m_cache->Get(data, size) : Win1250::Decode(data, size);
        return true;
    }

    void SetCache(TTextCache *cache) { m_cache = cache; }

private:
    bool Need(qsizetype n) { return m_end - m_p >= n || Refill(n); }

    // Moves what is left to the front of the buffer and reads the file on
    // until at least n bytes are at hand (false when the file has fewer).
    bool Refill(qsizetype n)
    {
        const qsizetype have = m_end - m_p;
        if (!m_device || n > have + m_unread)
            return false;
        const qsizetype capacity = std::max(m_chunk, n);
        if (m_buffer.size() < capacity) {
            QByteArray bigger(capacity, Qt::Uninitialized);
            std::memcpy(bigger.data(), m_p, size_t(have));
            m_buffer.swap(bigger);
        } else {
            std::memmove(m_buffer.data(), m_p, size_t(have));
        }
        char *const begin = m_buffer.data();
        char *end = begin + have;
        const qint64 want = std::min<qint64>(m_buffer.size() - have, m_unread);
        for (qint64 got = 0; got < want;) {
            const qint64 r = m_device->read(end, want - got);
            if (r <= 0) {
                m_ioFailed = r < 0;
                m_unread = 0; // the file is shorter than it was
                break;
            }
            end += r;
            got += r;
            m_unread -= r;
        }
        m_p = begin;
        m_end = end;
        return m_end - m_p >= n;
    }

    const char *m_p = nullptr;
    const char *m_end = nullptr;
    QIODevice *m_device = nullptr;
    qint64 m_unread = 0;
    qsizetype m_chunk = 0;
    QByteArray m_buffer;
    bool m_ioFailed = false;
    TTextCache *m_cache = nullptr;
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

// Output buffer handed to flush(data, size) whenever the next piece does not
// fit, so a large file is written in chunks instead of built whole first.
template <typename TFlush> class TWriter
{
public:
    TWriter(qsizetype capacity, TFlush flush)
        : m_bytes(capacity, Qt::Uninitialized), m_flush(std::move(flush))
    {
        m_p = m_bytes.data();
    }

    // Makes room for n more bytes.
    void Reserve(qsizetype n)
    {
        if (Room() >= n)
            return;
        Flush();
        if (m_bytes.size() < n) {
            m_bytes.resize(n);
            m_p = m_bytes.data();
        }
    }
    void Flush()
    {
        const qsizetype used = m_p - m_bytes.constData();
        if (used > 0 && m_ok)
            m_ok = m_flush(m_bytes.constData(), used);
        m_p = m_bytes.data();
    }
    bool Ok() const { return m_ok; }
    // The buffer itself, when everything fitted without a flush.
    QByteArray Take()
    {
        m_bytes.truncate(m_p - m_bytes.constData());
        return std::move(m_bytes);
    }

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
    // Hands a large piece straight on, after what the buffer holds.
    void Pass(const char *data, qsizetype n)
    {
        Flush();
        if (n > 0 && m_ok)
            m_ok = m_flush(data, n);
    }

private:
    qsizetype Room() const { return m_bytes.constData() + m_bytes.size() - m_p; }

    QByteArray m_bytes;
    TFlush m_flush;
    char *m_p = nullptr;
    bool m_ok = true;
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

namespace {

constexpr qint32 kLongestHeader = sizeof(kUplCurrentHeader) - 1;

TUplReadResult Parse(TCursor &c, const QString &path)
{
    const char *headerData = nullptr;
    qsizetype headerSize = 0;
    if (!c.RawText(headerData, headerSize, kLongestHeader))
        return Refused();
    const QByteArray header(headerData, headerSize);
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
    if (count < 0 || count > c.Left() / layout.MinRecordSize())
        return Refused();

    qsizetype slotCount = 64;
    while (slotCount < 4096 && slotCount < qsizetype(count) * 4)
        slotCount *= 2;
    TTextCache cache(slotCount);
    c.SetCache(&cache);

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

} // namespace

TUplReadResult ParseUplBytes(const QByteArray &bytes, const QString &path)
{
    TCursor c(bytes.constData(), bytes.size());
    return Parse(c, path);
}

TUplReadResult ReadUplFrom(QIODevice &device, const QString &path, qsizetype chunk)
{
    TUplReadResult r;
    if (device.isSequential()) { // a pipe: its size is not known beforehand
        const QByteArray bytes = device.readAll();
        const auto *file = qobject_cast<const QFileDevice *>(&device);
        if (file && file->error() != QFileDevice::NoError) {
            r.Status = TUplReadResult::IoError;
            r.Error = device.errorString();
            return r;
        }
        return ParseUplBytes(bytes, path);
    }
    TCursor c(&device, device.size() - device.pos(), chunk);
    r = Parse(c, path);
    if (c.IoFailed()) {
        r = TUplReadResult{};
        r.Status = TUplReadResult::IoError;
        r.Error = device.errorString();
    }
    return r;
}

TUplReadResult ReadUplFile(const QString &path)
{
    // Only a regular file, read no further than its size at opening: a FIFO
    // would block, /dev/zero would never end.
    QFile f;
    QString error;
    if (!OpenRegularFile(f, path, &error)) {
        TUplReadResult r;
        r.Status = TUplReadResult::IoError;
        r.Error = error;
        return r;
    }
    return ReadUplFrom(f, path);
}

namespace {

template <typename Flush> void SerialiseSlip(const TUpl &u, TWriter<Flush> &w)
{
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

template <typename Flush>
void Serialise(const TUplFile &file, TWriter<Flush> &w, const TUplRecords *more = nullptr)
{
    constexpr qsizetype headerSize = sizeof(kUplCurrentHeader) - 1;
    w.Reserve(4 + headerSize + 4 + file.Napomene.size() + 4);
    w.Int(qint32(headerSize));
    w.Bytes(kUplCurrentHeader, headerSize);
    w.Text(file.Napomene);
    w.Int(qint32(file.Uplatnice.size() + (more ? more->Count() : 0)));
    for (const TUpl &u : file.Uplatnice) {
        w.Reserve(kCurrentRecordFixed + TextBytes(u));
        if (!w.Ok())
            return; // the file could not take the last piece; no use going on
        SerialiseSlip(u, w);
    }
    if (more)
        w.Pass(more->Bytes().constData(), more->Bytes().size());
}

} // namespace

QByteArray UplFileToBytes(const TUplFile &file)
{
    qsizetype size = 4 + qsizetype(sizeof(kUplCurrentHeader) - 1) + 4 + file.Napomene.size() + 4;
    for (const TUpl &u : file.Uplatnice)
        size += kCurrentRecordFixed + TextBytes(u);
    // Sized exactly, so nothing is ever flushed.
    TWriter w(size, [](const char *, qsizetype) {
        Q_UNREACHABLE();
        return false;
    });
    Serialise(file, w);
    return w.Take();
}

void TUplRecords::Append(const TUpl &slip)
{
    const qsizetype size = kCurrentRecordFixed + TextBytes(slip);
    if (m_bytes.capacity() - m_bytes.size() < size)
        m_bytes.reserve(std::max(m_bytes.capacity() * 2, m_bytes.size() + size + 4096));
    TWriter w(size, [this](const char *data, qsizetype n) {
        m_bytes.append(data, n);
        return true;
    });
    SerialiseSlip(slip, w);
    w.Flush();
    ++m_count;
}

void TUplRecords::Clear()
{
    m_bytes = QByteArray();
    m_count = 0;
}

bool WriteUplFile(TUplFile &file, QString *error, const QStringList &inputs,
                  const TUplRecords *more)
{
    if (file.Uplatnice.size() + (more ? more->Count() : 0) > std::numeric_limits<qint32>::max()) {
        if (error)
            *error = QStringLiteral("previše uplatnica za jednu datoteku");
        return false;
    }
    // Truncating the old file first would lose it to a full disk or a crash;
    // a temporary file renamed over it keeps the old one until the new is whole.
    TAtomicWriter f(file.FileName);
    if (f.Open(inputs)) {
        TWriter w(qsizetype(1) << 20,
                  [&f](const char *data, qsizetype n) { return f.Write(data, n); });
        Serialise(file, w, more);
        w.Flush();
        if (w.Ok())
            f.Commit();
    }
    if (f.Failed()) {
        if (error)
            *error = f.ErrorText();
        return false; // the temporary file is gone, the old file untouched
    }
    file.Snimljena = true;
    return true;
}
