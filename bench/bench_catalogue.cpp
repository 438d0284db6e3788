// Catalogue figures for 100,000 entries: load, save, sort and a million
// look-ups, for the code catalogue in Kordavina.ini and the senders in
// Racuni.ini, and a write after one change (with and without another copy's
// write to merge). Run by hand: build/bench/bench_catalogue [entries]

#include "catalogues/CatalogueStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double Ms(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

void Report(const char *what, double ms)
{
    std::printf("  %-44s %10.1f ms\n", what, ms);
}

QString Account(quint64 n)
{
    return QStringLiteral("%1").arg(n, 16, 10, QLatin1Char('0'));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Bosnian, QLocale::BosniaAndHerzegovina));
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    const int lookups = 1000000;
    QTemporaryDir dir;
    const QString kordavina = dir.filePath("Kordavina.ini");
    const QString racuni = dir.filePath("Racuni.ini");

    QRandomGenerator rng(4711);
    const QStringList words = {"Općina", "Šipad", "Željezara",    "Čelik", "Đurđevak", "Banka",
                               "Zavod",  "Fond",  "Dom zdravlja", "Škola", "Pošta",    "Elektro"};
    QList<TCatalogueEntry> entries;
    QList<TSenderEntry> senders;
    QStringList codes;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString code =
            Account(1610000000000000ULL + rng.bounded(1000000000U) * 1000ULL + i % 1000);
        const QString name = words[rng.bounded(words.size())] + u' ' +
                             words[rng.bounded(words.size())] + u' ' + QString::number(i);
        entries.append({code, name});
        senders.append(
            {code, name, QString::number(4200000000000ULL + i), QString::number(i % 10000)});
        codes.append(code);
    }

    std::printf("Catalogue of %d entries (Bosnian collation), %d look-ups\n", count, lookups);
    QElapsedTimer t;

    TCatalogue c;
    t.start();
    c.Assign(entries);
    Report("sort on assign (by code)", Ms(t));
    std::printf("  (%lld distinct codes)\n", static_cast<long long>(c.Count()));

    t.start();
    if (!SaveCatalogue(kordavina, TCatalogueKind::Racuni, c))
        return 1;
    Report("SaveCatalogue (\"Računi\", Kordavina.ini)", Ms(t));
    std::printf("  (file %lld bytes)\n", static_cast<long long>(QFileInfo(kordavina).size()));

    TCatalogue loaded;
    t.start();
    if (!LoadCatalogue(kordavina, TCatalogueKind::Racuni, loaded))
        return 1;
    Report("LoadCatalogue (read, parse, sort)", Ms(t));

    t.start();
    loaded.ClickColumn(2);
    Report("sort by name", Ms(t));
    t.start();
    loaded.ClickColumn(2);
    Report("sort by name, descending", Ms(t));
    t.start();
    loaded.ClickColumn(1);
    Report("sort by code", Ms(t));

    // The first add grows the list and the index; later ones do not.
    qsizetype selected = 0;
    t.start();
    loaded.Add(QStringLiteral("1"), QStringLiteral("Novi"), &selected);
    Report("Add one entry (first: storage grows)", Ms(t));
    t.start();
    for (int i = 0; i < 1000; ++i)
        loaded.Add(QStringLiteral("N%1").arg(i), QStringLiteral("Novi %1").arg(i), &selected);
    Report("Add one entry, average of 1000", Ms(t) / 1000);
    t.start();
    for (int i = 0; i < 1000; ++i)
        loaded.Delete(rng.bounded(loaded.Count()), &selected);
    Report("Delete one entry, average of 1000", Ms(t) / 1000);
    t.start();
    for (int i = 0; i < 1000; ++i) {
        const qsizetype at = rng.bounded(loaded.Count());
        loaded.Change(at, loaded.At(at).Sifra, QStringLiteral("Izmijenjen %1").arg(i), &selected);
    }
    Report("Change a name, average of 1000", Ms(t) / 1000);

    // Half hits in another letter case, half misses.
    QStringList probes;
    for (int i = 0; i < 4096; ++i) {
        const QString code = codes[rng.bounded(codes.size())];
        probes.append(i % 2 ? code : code.left(15) + u'x');
    }
    qsizetype found = 0;
    t.start();
    for (int i = 0; i < lookups; ++i)
        found += loaded.FindNaziv(probes[i & 4095]).isEmpty() ? 0 : 1;
    Report("1,000,000 x FindNaziv", Ms(t));
    std::printf("  (%lld hits)\n", static_cast<long long>(found));

    TSenderCatalogue s;
    s.Assign(senders);
    t.start();
    if (!SaveSenders(racuni, s))
        return 1;
    Report("SaveSenders (Racuni.ini)", Ms(t));
    std::printf("  (file %lld bytes)\n", static_cast<long long>(QFileInfo(racuni).size()));
    TSenderCatalogue sl;
    t.start();
    if (!LoadSenders(racuni, sl))
        return 1;
    Report("LoadSenders (read, parse, sort)", Ms(t));
    // A write after one change: the file as last read (written as it is in
    // memory), then after another copy wrote it (read, merged, sorted).
    sl.Add({Account(1), QStringLiteral("Novi"), QString(), QString()});
    t.start();
    if (!SaveSenders(racuni, sl))
        return 1;
    Report("SaveSenders after one change", Ms(t));
    TSenderCatalogue other;
    LoadSenders(racuni, other);
    other.Add({Account(2), QStringLiteral("Druga kopija"), QString(), QString()});
    SaveSenders(racuni, other);
    sl.Add({Account(3), QStringLiteral("Treći"), QString(), QString()});
    t.start();
    if (!SaveSenders(racuni, sl))
        return 1;
    Report("SaveSenders after another copy wrote (merge)", Ms(t));
    t.start();
    sl.ClickColumn(3);
    Report("sort senders by taxpayer number", Ms(t));
    found = 0;
    t.start();
    for (int i = 0; i < lookups; ++i) {
        const QString &p = probes[i & 4095];
        found += sl.FindNaziv(p).size() + sl.FindBroj(p).size() + sl.FindPoziv(p).size() > 0;
    }
    Report("1,000,000 x (FindNaziv + FindBroj + FindPoziv)", Ms(t));
    std::printf("  (%lld hits)\n", static_cast<long long>(found));
    return 0;
}
