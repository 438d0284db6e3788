#pragma once

#include "catalogues/Catalogue.h"
#include "core/Upl.h"
#include "print/formats/FieldFormat.h"

#include <QString>

// The sample files a new user can start from (examples/): a month of
// payments, the catalogues its codes come from and a print format for the
// common form size. Made here, written by the program's own writers.
namespace Examples {

// Name of the sample print format (the default of the sample Formats.ini).
QString FormatName();
TFieldFormats Format();

TCatalogue Opstine();
TCatalogue Racuni();
TCatalogue Prihodi();
TCatalogue Svrhe();
TSenderCatalogue Posiljaoci();

// The tax of the month, split over the revenue accounts by share.
constexpr double kTaxBase = 300.0;
TUplFile Month();

// A 16-digit account number with its two check digits (ISO 7064 MOD 97-10
// over the first 14 digits), from a 3-digit bank code and an 11-digit number.
QString Account(const char *bank, const char *number);
// A 13-digit personal number with its check digit (mod 11, weights 7..2).
QString PersonalNumber(const char *first12);

// Writes Primjer.upl, Formats.ini, Kordavina.ini and Racuni.ini into folder
// (replacing them). False with the reason in error when a write fails.
bool WriteAll(const QString &folder, QString *error);

} // namespace Examples
