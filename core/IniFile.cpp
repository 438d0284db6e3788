#include "core/IniFile.h"

#include "core/SafeFile.h"
#include "core/Win1250.h"

#include <QFileInfo>

namespace {

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

QStringView TrimBlanks(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

QString UnableToWriteText(const QString &path, const QString &reason)
{
    return QStringLiteral("Unable to write to %1: %2").arg(path, reason);
}

void TIniFile::Clear()
{
    m_preamble.clear();
    m_sections.clear();
    m_sectionIndex.clear();
}

bool TIniFile::Load(QString *error)
{
    Clear();
    // A missing file, but not a name in a folder that cannot be searched:
    // that fails below with its reason.
    const QFileInfo info(m_fileName);
    const QFileInfo folder(info.absolutePath());
    if (!info.exists() && !(folder.exists() && !folder.isExecutable()))
        return true;
    const std::optional<QByteArray> bytes = ReadRegularFile(m_fileName, error);
    if (!bytes)
        return false;
    LoadFromBytes(*bytes);
    return true;
}

void TIniFile::LoadFromBytes(const QByteArray &bytes)
{
    Clear();
    qsizetype pos = 0;
    const qsizetype n = bytes.size();
    while (pos < n) {
        qsizetype end = bytes.indexOf('\n', pos);
        end = end < 0 ? n : end + 1;
        const QByteArray raw = bytes.mid(pos, end - pos);
        pos = end;

        qsizetype len = raw.size();
        while (len > 0 && (raw[len - 1] == '\n' || raw[len - 1] == '\r'))
            --len;
        const QString text = Win1250::Decode(raw.constData(), len);
        const QStringView trimmed = TrimBlanks(text);

        if (trimmed.startsWith(u'[')) {
            qsizetype close = trimmed.indexOf(u']');
            const QString name = TrimBlanks(trimmed.mid(1, close < 0 ? -1 : close - 1)).toString();
            Section s;
            s.headerRaw = raw;
            s.name = name;
            // A later duplicate: the first wins below.
            m_sectionIndex.insert(Fold(name), m_sections.size());
            m_sections.append(std::move(s));
            continue;
        }

        Line line;
        line.raw = raw;
        const qsizetype eq = trimmed.indexOf(u'=');
        if (eq > 0 && !trimmed.startsWith(u';')) {
            line.isKey = true;
            line.key = TrimBlanks(trimmed.left(eq)).toString();
            line.value = TrimBlanks(trimmed.mid(eq + 1)).toString();
        }
        if (m_sections.isEmpty())
            m_preamble.append(std::move(line));
        else
            m_sections.last().lines.append(std::move(line));
    }
    // A section name that occurs twice: look-ups find the first one.
    m_sectionIndex.clear();
    for (qsizetype i = m_sections.size() - 1; i >= 0; --i)
        m_sectionIndex.insert(Fold(m_sections[i].name), i);
    for (Section &s : m_sections)
        Reindex(s);
}

void TIniFile::Reindex(Section &s)
{
    s.index.clear();
    for (qsizetype i = s.lines.size() - 1; i >= 0; --i)
        if (s.lines[i].isKey)
            s.index.insert(Fold(s.lines[i].key), i);
}

QByteArray TIniFile::ToBytes() const
{
    QByteArray out;
    auto writeLine = [&out](const Line &l) {
        if (!l.raw.isEmpty()) {
            out += l.raw;
            return;
        }
        Win1250::AppendEncoded(out, l.key);
        out += '=';
        Win1250::AppendEncoded(out, l.value);
        out += "\r\n";
    };
    // A file whose last line had no terminator gets one before more text follows.
    auto terminate = [&out]() {
        if (!out.isEmpty() && !out.endsWith('\n'))
            out += "\r\n";
    };
    for (const Line &l : m_preamble) {
        terminate();
        writeLine(l);
    }
    for (const Section &s : m_sections) {
        terminate();
        if (s.headerRaw.isEmpty()) {
            // Sections written by the program are set apart by an empty line.
            if (!out.isEmpty() && !out.endsWith("\n\r\n") && !out.endsWith("\n\n"))
                out += "\r\n";
            out += '[';
            Win1250::AppendEncoded(out, s.name);
            out += "]\r\n";
        } else {
            out += s.headerRaw;
        }
        for (const Line &l : s.lines) {
            terminate();
            writeLine(l);
        }
    }
    return out;
}

bool TIniFile::Save(QString *error) const
{
    QString reason;
    if (!WriteFileAtomically(m_fileName, ToBytes(), &reason)) {
        if (error)
            *error = UnableToWriteText(m_fileName, reason);
        return false;
    }
    return true;
}

qsizetype TIniFile::FindSection(const QString &name) const
{
    return m_sectionIndex.value(Fold(name), -1);
}

QStringList TIniFile::Sections() const
{
    QStringList names;
    QHash<QString, bool> seen;
    for (const Section &s : m_sections) {
        const QString f = Fold(s.name);
        if (seen.contains(f))
            continue;
        seen.insert(f, true);
        names.append(s.name);
    }
    return names;
}

bool TIniFile::SectionExists(const QString &section) const
{
    return FindSection(section) >= 0;
}

QStringList TIniFile::Keys(const QString &section) const
{
    const qsizetype si = FindSection(section);
    if (si < 0)
        return {};
    const Section &s = m_sections[si];
    QStringList keys;
    keys.reserve(s.index.size());
    for (qsizetype i = 0; i < s.lines.size(); ++i) {
        const Line &l = s.lines[i];
        if (l.isKey && s.index.value(Fold(l.key)) == i)
            keys.append(l.key);
    }
    return keys;
}

bool TIniFile::ValueExists(const QString &section, const QString &key) const
{
    const qsizetype si = FindSection(section);
    return si >= 0 && m_sections[si].index.contains(Fold(key));
}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &def) const
{
    const qsizetype si = FindSection(section);
    if (si < 0)
        return def;
    const Section &s = m_sections[si];
    const auto it = s.index.constFind(Fold(key));
    return it == s.index.cend() ? def : s.lines[*it].value;
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    qsizetype si = FindSection(section);
    if (si < 0) {
        Section s;
        s.name = section;
        si = m_sections.size();
        m_sections.append(std::move(s));
        m_sectionIndex.insert(Fold(section), si);
    }
    Section &s = m_sections[si];
    const QString folded = Fold(key);
    const auto it = s.index.constFind(folded);
    if (it != s.index.cend()) {
        Line &l = s.lines[*it];
        if (l.value == value && !l.raw.isEmpty())
            return; // unchanged: keep the line as it was read
        l.value = value;
        l.raw.clear();
        return;
    }
    Line l;
    l.isKey = true;
    l.key = key;
    l.value = value;
    // New keys go after the section's last key line, before its trailing
    // empty lines. Only non-key lines follow the insertion point, so no index
    // entry moves.
    qsizetype at = s.lines.size();
    while (at > 0 && !s.lines[at - 1].isKey && s.lines[at - 1].raw.trimmed().isEmpty())
        --at;
    s.index.insert(folded, at);
    s.lines.insert(at, std::move(l));
}

void TIniFile::DeleteKey(const QString &section, const QString &key)
{
    const qsizetype si = FindSection(section);
    if (si < 0)
        return;
    Section &s = m_sections[si];
    const QString folded = Fold(key);
    bool removed = false;
    for (qsizetype i = s.lines.size() - 1; i >= 0; --i)
        if (s.lines[i].isKey && Fold(s.lines[i].key) == folded) {
            s.lines.removeAt(i);
            removed = true;
        }
    if (removed)
        Reindex(s);
}

void TIniFile::EraseSection(const QString &section)
{
    const QString folded = Fold(section);
    bool removed = false;
    for (qsizetype i = m_sections.size() - 1; i >= 0; --i)
        if (Fold(m_sections[i].name) == folded) {
            m_sections.removeAt(i);
            removed = true;
        }
    if (!removed)
        return;
    m_sectionIndex.clear();
    for (qsizetype i = m_sections.size() - 1; i >= 0; --i)
        m_sectionIndex.insert(Fold(m_sections[i].name), i);
}

void TIniFile::EraseAllSections()
{
    m_sections.clear();
    m_sectionIndex.clear();
}
