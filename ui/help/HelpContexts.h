#pragma once

#include <array>

// Help context numbers: each window (and the notes memo) carries one, and F1
// or "Sadržaj..." opens the topic qrc:/help/ctx<N>.html of that number. The
// contents page is qrc:/help/index.html.
enum THelpContext : int {
    hcMainForm = 10,           // main window and slip editor
    hcNapomene = 17,           // notes memo of the main window
    hcCopyUpl = 380,           // "Kopiranje"
    hcUplFiles = 400,          // slip-file open and save dialogs, default file
    hcUplSetup = 420,          // "Podešavanje uplatnice" (field states, share)
    hcCatalogues = 440,        // municipalities, accounts, revenue types, purposes, senders
    hcSetup = 620,             // "Podešavanje programa"
    hcFormats = 700,           // format editor
    hcAddFormat = 710,         // "Format": name and size of a new format
    hcPrinterCorrection = 720, // "Korekcija štampača"
    hcUplProc = 810,           // "Višestruki unos"
    hcPreview = 900,           // print preview window
    hcPrintDlg = 910,          // print options dialog
};

// Every context number in use; each has its topic (the tests hold that).
inline constexpr std::array<int, 13> kHelpContexts = {
    hcMainForm, hcNapomene,  hcCopyUpl,           hcUplFiles, hcUplSetup, hcCatalogues, hcSetup,
    hcFormats,  hcAddFormat, hcPrinterCorrection, hcUplProc,  hcPreview,  hcPrintDlg,
};
