#pragma once

#include <QString>
#include <QStringList>

// What the preview panel of the slip-file dialogs shows for the entry the
// user selected: the file's notes and the descriptions of its slips.
struct TUplPreview
{
    enum class TKind {
        Empty,   // nothing to show: a folder, a missing file, another extension
        Shown,   // a slip file the reader accepted
        Refused, // the reader did not recognise the file; Message is its text
        Failed,  // the file could not be read; Message is the system's error
    };
    TKind Kind = TKind::Empty;
    QString Napomene;
    QStringList Opisi; // one per slip, in file order
    QString Message;
};

// An existing file (not a folder) whose extension is exactly ".upl". The
// comparison is case-sensitive, as the slip files' own name is: "A.UPL" is
// not previewed.
bool IsUplPreviewCandidate(const QString &path);

// Reads path with the slip-file reader when it is a candidate.
TUplPreview LoadUplPreview(const QString &path);
