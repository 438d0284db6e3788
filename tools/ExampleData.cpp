#include "tools/ExampleData.h"

#include "catalogues/CatalogueStore.h"
#include "core/UplFileIO.h"
#include "print/formats/FormatStore.h"

#include <QDir>
#include <QFile>

#include <cmath>

namespace Examples {

namespace {

TCatalogue Codes(std::initializer_list<std::pair<const char *, const char *>> entries)
{
    QList<TCatalogueEntry> list;
    for (const auto &[code, name] : entries)
        list.append({QString::fromUtf8(code), QString::fromUtf8(name)});
    TCatalogue c;
    c.Assign(list);
    return c;
}

// Fields of public revenues, hidden on ordinary slips.
constexpr int kPublicRevenueStates[] = {stBrojObveznika, stVrstaUplate, stVrstaPrihoda,
                                        stOpstina,       stBudzetska,   stPeriod};

const QString kSenderAccount = Account("161", "00000123456");

TUpl Ordinary(const char *opis, const QString &racunPrimaoca, const char *primalac,
              const char *svrha, double iznos, const char *poziv)
{
    TUpl u = NewSlip();
    u.Opis = QString::fromUtf8(opis);
    u.RacunPosiljaoca = kSenderAccount;
    u.Posiljalac = QStringLiteral("Amra Hodžić, Maršala Tita 12, Sarajevo");
    u.Svrha = QString::fromUtf8(svrha);
    u.RacunPrimaoca = racunPrimaoca;
    u.Primalac = QString::fromUtf8(primalac);
    u.Iznos = iznos;
    u.Poziv = QString::fromUtf8(poziv);
    u.DatumUplate = QStringLiteral("151226");
    u.MjestoUplate = QStringLiteral("Sarajevo");
    for (int s : kPublicRevenueStates)
        u.Stanja[s] = spNevidljivo;
    // The recipient of a regular bill does not change.
    u.Stanja[stRacunPrimaoca] = spZabranjeno;
    return u;
}

TUpl TaxPart(const char *opis, const QString &racunPrimaoca, const char *primalac,
             const char *vrstaPrihoda, float share)
{
    TUpl u = NewSlip();
    u.Opis = QString::fromUtf8(opis);
    u.RacunPosiljaoca = kSenderAccount;
    u.Posiljalac = QStringLiteral("Amra Hodžić, Maršala Tita 12, Sarajevo");
    u.Svrha = QStringLiteral("Porez na dohodak od samostalne djelatnosti za 11/2026");
    u.RacunPrimaoca = racunPrimaoca;
    u.Primalac = QString::fromUtf8(primalac);
    u.BrojObveznika = PersonalNumber("150398017500");
    u.VrstaUplate = QStringLiteral("0");
    u.VrstaPrihoda = QString::fromUtf8(vrstaPrihoda);
    u.Opstina = QStringLiteral("077");
    u.Poziv = QStringLiteral("0000000000");
    u.Budzetska = QStringLiteral("0000000");
    u.PeriodOd = QStringLiteral("011126");
    u.PeriodDo = QStringLiteral("301126");
    u.DatumUplate = QStringLiteral("151226");
    u.MjestoUplate = QStringLiteral("Sarajevo");
    u.Procenat = share;
    // What multiple entry writes for the month's base: share of it, in cents.
    u.Iznos = std::round(double(share) * kTaxBase) / 100.0;
    return u;
}

} // namespace

QString Account(const char *bank, const char *number)
{
    const QString first14 = QLatin1String(bank) + QLatin1String(number);
    int rest = 0;
    for (QChar c : first14 + QStringLiteral("00"))
        rest = (rest * 10 + c.digitValue()) % 97;
    return first14 + QStringLiteral("%1").arg(98 - rest, 2, 10, QLatin1Char('0'));
}

QString PersonalNumber(const char *first12)
{
    static const int weights[] = {7, 6, 5, 4, 3, 2, 7, 6, 5, 4, 3, 2};
    const QString digits = QLatin1String(first12);
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += weights[i] * digits[i].digitValue();
    int check = 11 - sum % 11;
    if (check > 9)
        check = 0;
    return digits + QString::number(check);
}

QString FormatName()
{
    return QStringLiteral("Uplatnica 176 x 100");
}

TFieldFormats Format()
{
    // The built-in positions are those of the common 176 x 100 mm form.
    return TFieldFormats();
}

TCatalogue Opstine()
{
    return Codes({{"077", "Centar Sarajevo"},
                  {"078", "Novi Grad Sarajevo"},
                  {"079", "Novo Sarajevo"},
                  {"080", "Stari Grad Sarajevo"},
                  {"068", "Ilidža"},
                  {"003", "Banja Luka"},
                  {"131", "Tuzla"},
                  {"095", "Zenica"},
                  {"062", "Mostar"}});
}

TCatalogue Racuni()
{
    return Codes({{Account("154", "00000011111").toUtf8(), "Elektroprivreda d.d."},
                  {Account("134", "00000022222").toUtf8(), "Vodovod i kanalizacija d.o.o."},
                  {Account("141", "00000033333").toUtf8(), "Komunalno preduzeće d.o.o."},
                  {Account("338", "00000044444").toUtf8(), "Telekom d.d."},
                  {Account("338", "00000055555").toUtf8(), "Budžet Kantona Sarajevo"},
                  {Account("338", "00000066666").toUtf8(), "Budžet Općine Centar"},
                  {Account("338", "00000077777").toUtf8(), "Budžet Federacije BiH"},
                  {Account("161", "00000987654").toUtf8(), "Kenan Hodžić"}});
}

TCatalogue Prihodi()
{
    return Codes({{"716111", "Porez na dohodak od nesamostalne djelatnosti"},
                  {"716112", "Porez na dohodak od samostalne djelatnosti"},
                  {"722521", "Komunalna naknada"},
                  {"722131", "Administrativna taksa"}});
}

TCatalogue Svrhe()
{
    QList<TCatalogueEntry> list;
    for (const char *text :
         {"Električna energija", "Voda i kanalizacija", "Odvoz smeća", "Telefon i internet",
          "Porez na dohodak", "Kirija", "Prenos na štednju"})
        list.append({QString::fromUtf8(text), QString()});
    TCatalogue c;
    c.Assign(list);
    return c;
}

TSenderCatalogue Posiljaoci()
{
    TSenderCatalogue s;
    s.Assign({{kSenderAccount, QStringLiteral("Amra Hodžić, Maršala Tita 12, Sarajevo"),
               PersonalNumber("150398017500"), QString()},
              {Account("161", "00000987654"), QStringLiteral("Kenan Hodžić, Sarajevo"),
               PersonalNumber("020797717001"), QString()}});
    return s;
}

TUplFile Month()
{
    const TCatalogue racuni = Racuni();
    auto account = [&](const char *name) {
        for (const TCatalogueEntry &e : racuni.Entries())
            if (e.Naziv == QString::fromUtf8(name))
                return e.Sifra;
        return QString();
    };
    TUplFile f;
    f.Napomene =
        QStringLiteral("Plaćanja za decembar 2026. (primjer)\n"
                       "Porez: Višestruki unos, osnovni iznos 300,00 KM (50 % kanton, 30 % općina, "
                       "20 % federacija).");
    f.Uplatnice = {
        Ordinary("Struja", account("Elektroprivreda d.d."), "Elektroprivreda d.d.",
                 "Električna energija za 11/2026", 84.60, "1234567890"),
        Ordinary("Voda", account("Vodovod i kanalizacija d.o.o."), "Vodovod i kanalizacija d.o.o.",
                 "Voda i kanalizacija za 11/2026", 23.15, "7700112233"),
        Ordinary("Odvoz smeća", account("Komunalno preduzeće d.o.o."), "Komunalno preduzeće d.o.o.",
                 "Odvoz smeća za 11/2026", 12.40, "5511"),
        Ordinary("Telefon", account("Telekom d.d."), "Telekom d.d.",
                 "Telefon i internet za 11/2026", 49.90, "033123456"),
        TaxPart("Porez - kanton", account("Budžet Kantona Sarajevo"), "Budžet Kantona Sarajevo",
                "716112", 50),
        TaxPart("Porez - općina", account("Budžet Općine Centar"), "Budžet Općine Centar", "716112",
                30),
        TaxPart("Porez - federacija", account("Budžet Federacije BiH"), "Budžet Federacije BiH",
                "716112", 20),
    };
    TUpl transfer = Ordinary("Štednja", account("Kenan Hodžić"), "Kenan Hodžić",
                             "Prenos na štednju", 200.00, "");
    transfer.Stanja[stRacunPrimaoca] = spSlobodno;
    f.Uplatnice.append(transfer);
    f.Uplatnice.first().Oznacena = true;
    return f;
}

bool WriteAll(const QString &folder, QString *error)
{
    QDir().mkpath(folder);
    const QDir dir(folder);

    TUplFile month = Month();
    month.FileName = dir.filePath(QStringLiteral("Primjer.upl"));
    if (!WriteUplFile(month, error))
        return false;

    // Whole new files, not merged into old ones.
    for (const char *name : {"Formats.ini", "Kordavina.ini", "Racuni.ini"})
        QFile::remove(dir.filePath(QLatin1String(name)));

    TFormatStore formats;
    if (!formats.Open(dir.filePath(QStringLiteral("Formats.ini")), error))
        return false;
    formats.WriteFormat(FormatName(), Format());
    formats.SetDefaultName(FormatName());
    if (!formats.Flush(error))
        return false;

    const QString ini = dir.filePath(QStringLiteral("Kordavina.ini"));
    return SaveCatalogue(ini, TCatalogueKind::Opstine, Opstine(), error) &&
           SaveCatalogue(ini, TCatalogueKind::Racuni, Racuni(), error) &&
           SaveCatalogue(ini, TCatalogueKind::Prihodi, Prihodi(), error) &&
           SaveCatalogue(ini, TCatalogueKind::Svrhe, Svrhe(), error) &&
           SaveSenders(dir.filePath(QStringLiteral("Racuni.ini")), Posiljaoci(), error);
}

} // namespace Examples
