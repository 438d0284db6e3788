#pragma once

#include "catalogues/Catalogue.h"

// A window's changes applied to the entries its file holds now (read afresh
// under the file's lock just before the write), so that what another copy of
// the program wrote in the meantime stays.

// Municipalities, recipient accounts, revenue types: the code names the
// entry. Every entry of the file whose code (letter case ignored) was taken
// out or put in by the changes goes; the entries put in follow. An edit of an
// entry that the other copy deleted brings it back with the edit; of two
// copies that changed one code, the later write wins.
QList<TCatalogueEntry> MergeByCode(QList<TCatalogueEntry> file,
                                   const TCatalogueChanges<TCatalogueEntry> &changes);

// Purposes and senders, which may repeat: an entry is named by all its
// texts. Each entry taken out removes one equal entry of the file, if the
// file still holds one; the entries put in follow.
template <class TEntry>
QList<TEntry> MergeByRecord(QList<TEntry> file, const TCatalogueChanges<TEntry> &changes)
{
    for (const TEntry &gone : changes.Removed)
        if (const qsizetype i = file.indexOf(gone); i >= 0)
            file.removeAt(i);
    file.append(changes.Added);
    return file;
}
