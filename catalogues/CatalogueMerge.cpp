#include "catalogues/CatalogueMerge.h"

#include <QSet>

QList<TCatalogueEntry> MergeByCode(QList<TCatalogueEntry> file,
                                   const TCatalogueChanges<TCatalogueEntry> &changes)
{
    QSet<QString> touched;
    for (const TCatalogueEntry &e : changes.Removed)
        touched.insert(e.Sifra.toCaseFolded());
    for (const TCatalogueEntry &e : changes.Added)
        touched.insert(e.Sifra.toCaseFolded());
    file.removeIf(
        [&](const TCatalogueEntry &e) { return touched.contains(e.Sifra.toCaseFolded()); });
    file.append(changes.Added);
    return file;
}
