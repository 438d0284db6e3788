#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// s without the blanks (spaces and tabs) at both ends, as profile files drop
// them around keys and values.
QStringView TrimBlanks(QStringView s);

// "Unable to write to <path>: <reason>", the message of every INI store that
// cannot be written.
QString UnableToWriteText(const QString &path, const QString &reason);

// A profile (INI) file held in memory: Windows-1250 text, sections and keys
// matched without regard to letter case, order of sections and keys kept,
// blanks around keys and values dropped on reading. Lines the program never
// changes (comments, lines without '=', odd spacing) are written back as they
// were read, so a file loaded and saved without change is reproduced byte for
// byte. New and changed lines end in CR LF.
class TIniFile
{
public:
    TIniFile() = default;
    explicit TIniFile(const QString &fileName) : m_fileName(fileName) {}

    const QString &FileName() const { return m_fileName; }
    void SetFileName(const QString &fileName) { m_fileName = fileName; }

    // Reads FileName(). A missing file gives an empty store and true; a file
    // that exists but cannot be read gives false and the reason (the system's,
    // or "nije obična datoteka (...)" for a FIFO, device or folder, which is
    // never read).
    bool Load(QString *error = nullptr);
    void LoadFromBytes(const QByteArray &bytes);
    QByteArray ToBytes() const;
    // Replaces FileName() atomically (TAtomicWriter). On failure the file on
    // disk is untouched and error holds UnableToWriteText.
    bool Save(QString *error = nullptr) const;

    QStringList Sections() const;
    bool SectionExists(const QString &section) const;
    // Keys of a section in file order; a key that occurs twice is listed once.
    QStringList Keys(const QString &section) const;
    bool ValueExists(const QString &section, const QString &key) const;
    // The first value stored under key; def when there is none.
    QString ReadString(const QString &section, const QString &key,
                       const QString &def = QString()) const;
    // Changes the key's first line in place, or appends the key to its
    // section, or appends the section at the end of the file.
    void WriteString(const QString &section, const QString &key, const QString &value);
    void DeleteKey(const QString &section, const QString &key);
    void EraseSection(const QString &section);
    // Removes every section at once; lines before the first section stay.
    void EraseAllSections();
    void Clear();

private:
    struct Line
    {
        QByteArray raw; // bytes as read, terminator included; empty for changed lines
        QString key;    // trimmed key; empty for lines that are no key line
        QString value;  // trimmed value
        bool isKey = false;
    };
    struct Section
    {
        QByteArray headerRaw; // "[name]" line as read; empty when written by us
        QString name;
        QList<Line> lines;
        QHash<QString, qsizetype> index; // folded key -> first line holding it
    };

    static QString Fold(const QString &s) { return s.toCaseFolded(); }
    qsizetype FindSection(const QString &name) const;
    static void Reindex(Section &s);

    QString m_fileName;
    QList<Line> m_preamble; // lines before the first section
    QList<Section> m_sections;
    QHash<QString, qsizetype> m_sectionIndex; // folded name -> first section
};
