#include "core/Settings.h"
#include "core/UplFileIO.h"
#include "ui/main/MainRules.h"
#include "ui/main/SlipListModel.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

class TestMainRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void enabling();
    void fieldStatesMerge();
    void companionsFollowTheAccounts();
    void rowTops();
    void leavingAField();
    void pageKeysWrap();
    void dates();
    void kindCaptions();
    void fileNames();
    void captionsAndTabs();
    void windowHeight();
    void win1250Text();
    void fieldsMapToDistinctSlipMembers();
    void changedOnDisk();
    void lookupsWriteOnlyWhatTheCatalogueHas();
};

void TestMainRules::enabling()
{
    TMainState none;
    none.SlipCount = 3; // left over from a closed file: no file means no slips
    none.MarkedCount = 1;
    QVERIFY(RuleHolds(EnableRuleOf(QStringLiteral("FileNewA")), none));
    QVERIFY(RuleHolds(EnableRuleOf(QStringLiteral("FileOpenA")), none));
    QVERIFY(!RuleHolds(EnableRuleOf(QStringLiteral("FileProcenatA")), none));
    QVERIFY(!RuleHolds(EnableRuleOf(QStringLiteral("FileSaveA")), none));
    QVERIFY(!RuleHolds(EnableRuleOf(QStringLiteral("FilePrintA")), none));
    QVERIFY(!RuleHolds(EnableRuleOf(QStringLiteral("UplDelA")), none));
    QVERIFY(!RuleHolds(EnableRuleOf(QStringLiteral("UplRenameA")), none));

    TMainState empty;
    empty.FileOpen = true;
    QVERIFY(RuleHolds(EnableRuleOf(QStringLiteral("UplAddA")), empty));
    QVERIFY(RuleHolds(EnableRuleOf(QStringLiteral("FilePrintA")), empty));
    for (const char *name : {"UplDelA", "UplPrintA", "UplCopyA", "UplPropertiesA"})
        QVERIFY2(!RuleHolds(EnableRuleOf(QLatin1String(name)), empty), name);

    TMainState two = empty;
    two.SlipCount = 5;
    two.MarkedCount = 2;
    QVERIFY(RuleHolds(EnableRuleOf(QStringLiteral("UplPrintA")), two));
    QVERIFY(!RuleHolds(EnableRuleOf(QStringLiteral("UplRenameA")), two));
    QVERIFY(!RuleHolds(EnableRuleOf(QStringLiteral("UplDefaultA")), two));
    two.MarkedCount = 1;
    QVERIFY(RuleHolds(EnableRuleOf(QStringLiteral("UplRenameA")), two));
    QVERIFY(RuleHolds(EnableRuleOf(QStringLiteral("UplDefaultA")), two));

    QVERIFY(!RuleHolds(EnableRuleOf(QStringLiteral("FileDefaultDelA")), two));
    QVERIFY(!RuleHolds(EnableRuleOf(QStringLiteral("UplDefaultDelA")), two));
    TMainState defaults;
    defaults.DefaultFileExists = true;
    QVERIFY(RuleHolds(EnableRuleOf(QStringLiteral("FileDefaultDelA")), defaults));
    QVERIFY(!RuleHolds(EnableRuleOf(QStringLiteral("UplDefaultDelA")), defaults));
}

namespace {

TUpl Marked(std::initializer_list<std::pair<int, int>> states, bool marked = true)
{
    TUpl slip = NewSlip();
    slip.Oznacena = marked;
    for (const auto &[index, state] : states)
        slip.Stanja[index] = state;
    return slip;
}

} // namespace

void TestMainRules::fieldStatesMerge()
{
    // No marked slip: every field free, whatever the unmarked slips hold.
    TFieldLooks looks = MergeFieldStates({Marked({{stSvrha, spNevidljivo}}, false)});
    for (const TFieldLook &look : looks)
        QVERIFY(look.Enabled && look.Visible);

    // The first marked slip decides; unmarked slips are not asked.
    looks = MergeFieldStates({Marked({{stSvrha, spNevidljivo}}, false),
                              Marked({{stSvrha, spZabranjeno}, {stIznos, spNevidljivo}})});
    QCOMPARE(looks[stSvrha], (TFieldLook{false, true}));
    QCOMPARE(looks[stIznos], (TFieldLook{false, false}));
    QCOMPARE(looks[stPoziv], (TFieldLook{true, true}));

    // Further marked slips only take away: free in one and read-only in
    // another is read-only; hidden in any is hidden; never shown again.
    looks = MergeFieldStates({Marked({{stSvrha, spSlobodno}, {stPoziv, spNevidljivo}}),
                              Marked({{stSvrha, spZabranjeno}, {stPeriod, spNevidljivo}}),
                              Marked({{stPoziv, spSlobodno}})});
    QCOMPARE(looks[stSvrha], (TFieldLook{false, true}));
    QCOMPARE(looks[stPeriod], (TFieldLook{false, false}));
    QCOMPARE(looks[stPoziv], (TFieldLook{false, false}));
    QCOMPARE(looks[stOpstina], (TFieldLook{true, true}));

    // States above 2 hide as well.
    looks = MergeFieldStates({Marked({{stOpstina, 7}})});
    QCOMPARE(looks[stOpstina], (TFieldLook{false, false}));
}

void TestMainRules::companionsFollowTheAccounts()
{
    TFieldLooks looks;
    QCOMPARE(CompanionsOf(looks).SpPosiljalac, false);
    QCOMPARE(CompanionsOf(looks).SpPrimalac, false);
    looks[stRacunPosiljaoca].Visible = false;
    QCOMPARE(CompanionsOf(looks).SpPosiljalac, true);
    looks[stPosiljalac].Visible = false;
    QCOMPARE(CompanionsOf(looks).SpPosiljalac, false);
    looks[stRacunPrimaoca].Visible = false;
    QCOMPARE(CompanionsOf(looks).SpPrimalac, true);
}

void TestMainRules::rowTops()
{
    std::array<bool, EditorRowCount> visible;
    visible.fill(true);
    auto tops = RowTops(visible, true);
    QCOMPARE(tops[0], 32);
    QCOMPARE(tops[14], 32 + 14 * 20);

    visible[RowOf(efSvrha)] = false;
    const auto aligned = RowTops(visible, true);
    const auto gaps = RowTops(visible, false);
    QCOMPARE(aligned[RowOf(efSvrha)], -1);
    QCOMPARE(gaps[RowOf(efSvrha)], 72);
    for (int r = RowOf(efRacunPrimaoca); r < EditorRowCount; ++r) {
        QCOMPARE(aligned[r], tops[r] - 20);
        QCOMPARE(gaps[r], tops[r]);
    }
    QCOMPARE(aligned[RowOf(efPosiljalac)], tops[RowOf(efPosiljalac)]);

    // The two dates and the amount with its mark share their rows.
    QCOMPARE(RowOf(efPeriodOd), RowOf(efPeriodDo));
    QCOMPARE(RowOf(efIznos), RowOf(efHitno));
    QCOMPARE(RowOf(efMjestoUplate), EditorRowCount - 1);

    // Rows follow the merged looks of their fields.
    TFieldLooks looks;
    looks[stPeriod].Visible = false;
    const auto rows = RowVisibility(looks);
    QCOMPARE(rows[RowOf(efPeriodDo)], false);
    QCOMPARE(rows[RowOf(efDatumUplate)], true);
}

void TestMainRules::leavingAField()
{
    TSettings s;
    QCOMPARE(CanLeaveField(efOpstina, QStringLiteral("999"), QString(), s),
             TLeaveBlock::Municipalities);
    QCOMPARE(CanLeaveField(efOpstina, QString(), QString(), s), TLeaveBlock::None);
    QCOMPARE(CanLeaveField(efOpstina, QStringLiteral("077"), QStringLiteral("Centar"), s),
             TLeaveBlock::None);
    QCOMPARE(CanLeaveField(efRacunPrimaoca, QStringLiteral("1"), QString(), s),
             TLeaveBlock::RecipientAccounts);
    QCOMPARE(CanLeaveField(efVrstaUplate, QStringLiteral("7"), QString(), s),
             TLeaveBlock::PaymentKindMenu);
    QCOMPARE(CanLeaveField(efVrstaPrihoda, QStringLiteral("7"), QString(), s),
             TLeaveBlock::RevenueTypes);
    // Fields without a catalogue never block.
    QCOMPARE(CanLeaveField(efRacunPosiljaoca, QStringLiteral("1"), QString(), s),
             TLeaveBlock::None);
    QCOMPARE(CanLeaveField(efPoziv, QStringLiteral("1"), QString(), s), TLeaveBlock::None);

    // Each switch lets only its own field go.
    s.ErrOpstina = true;
    QCOMPARE(CanLeaveField(efOpstina, QStringLiteral("999"), QString(), s), TLeaveBlock::None);
    QCOMPARE(CanLeaveField(efVrstaPrihoda, QStringLiteral("7"), QString(), s),
             TLeaveBlock::RevenueTypes);
    s.ErrRacunPrimaoca = s.ErrVrstaUplate = s.ErrVrstaPrihoda = true;
    QCOMPARE(CanLeaveField(efRacunPrimaoca, QStringLiteral("1"), QString(), s), TLeaveBlock::None);
    QCOMPARE(CanLeaveField(efVrstaUplate, QStringLiteral("7"), QString(), s), TLeaveBlock::None);
    QCOMPARE(CanLeaveField(efVrstaPrihoda, QStringLiteral("7"), QString(), s), TLeaveBlock::None);
}

void TestMainRules::pageKeysWrap()
{
    QCOMPARE(NextSlipLine(4, 5, true), 0);
    QCOMPARE(NextSlipLine(0, 5, false), 4);
    QCOMPARE(NextSlipLine(2, 5, true), 3);
    QCOMPARE(NextSlipLine(2, 5, false), 1);
    QCOMPARE(NextSlipLine(0, 1, true), 0);
    QCOMPARE(NextSlipLine(0, 1, false), 0);
    QCOMPARE(NextSlipLine(-1, 3, true), 0);
    QCOMPARE(NextSlipLine(-1, 3, false), 2);
    QCOMPARE(NextSlipLine(0, 0, true), -1);
}

void TestMainRules::dates()
{
    QCOMPARE(DateToMasked(QStringLiteral("010124")), QStringLiteral("01.01.24"));
    QCOMPARE(DateToMasked(QString()), QStringLiteral("  .  .  "));
    QCOMPARE(DateToMasked(QStringLiteral("0101")), QStringLiteral("01.01.  "));
    // Only six characters fit the mask.
    QCOMPARE(DateToMasked(QStringLiteral("01012024")), QStringLiteral("01.01.20"));

    QCOMPARE(MaskedToDate(QStringLiteral("31.12.99")), QStringLiteral("311299"));
    QCOMPARE(MaskedToDate(QStringLiteral("  .  .  ")), QString());
    QCOMPARE(MaskedToDate(QStringLiteral(" 1.  .24")), QStringLiteral(" 1  24"));
    // What the masked edit shows without its trailing blanks.
    QCOMPARE(MaskedToDate(QStringLiteral("01.0")), QStringLiteral("010   "));
    for (const QString &stored :
         {QStringLiteral("010124"), QStringLiteral(" 1  24"), QStringLiteral("    99")})
        QCOMPARE(MaskedToDate(DateToMasked(stored)), stored);
}

void TestMainRules::kindCaptions()
{
    QCOMPARE(KindCodeOfCaption(QStringLiteral("1 - Prinudna")), QStringLiteral("1"));
    QCOMPARE(KindNameOfCaption(QStringLiteral("1 - Prinudna")), QStringLiteral("Prinudna"));
    QCOMPARE(KindNameOfCaption(QStringLiteral("2 - A name far longer than twenty")),
             QStringLiteral("A name far longer th"));
    QCOMPARE(VrstaUplateName(QStringLiteral("0")), QStringLiteral("Redovna"));
    QCOMPARE(VrstaUplateName(QStringLiteral("2")), QStringLiteral("Povrat"));
    QCOMPARE(VrstaUplateName(QStringLiteral("3")), QString());
    QCOMPARE(VrstaUplateName(QStringLiteral(" 0")), QString());
}

void TestMainRules::fileNames()
{
    QCOMPARE(NewFileName(3), QStringLiteral("Datoteka3"));
    QVERIFY(NeverSaved(QString()));
    QVERIFY(NeverSaved(QStringLiteral("Datoteka12")));
    QVERIFY(!NeverSaved(QStringLiteral("/home/a/Datoteka1.upl")));
    QVERIFY(!NeverSaved(QStringLiteral("datoteka1")));

    QCOMPARE(ShownName(QStringLiteral("/home/a/Plate.2024.upl")), QStringLiteral("Plate.2024"));
    QCOMPARE(ShownName(QStringLiteral("Datoteka4")), QStringLiteral("Datoteka4"));
    QCOMPARE(ShownName(QStringLiteral("/home/a/.upl")), QStringLiteral(".upl"));
    QCOMPARE(SaveChangesQuestion(QStringLiteral("/home/a/Plate.upl")),
             QStringLiteral("Želite li snimiti promjene u Plate.upl?"));
    QCOMPARE(SaveChangesQuestion(QStringLiteral("Datoteka2")),
             QStringLiteral("Želite li snimiti promjene u Datoteka2?"));
}

void TestMainRules::captionsAndTabs()
{
    const QStringList captions{QStringLiteral("Plate"), QStringLiteral("Struja"),
                               QStringLiteral("plate")};
    QCOMPARE(FindCaption(captions, QStringLiteral("PLATE")), 0);
    QCOMPARE(FindCaption(captions, QStringLiteral("struja")), 1);
    QCOMPARE(FindCaption(captions, QStringLiteral("Voda")), -1);

    QCOMPARE(TabAfterClose(1, 3), 1); // the middle one: the next takes its place
    QCOMPARE(TabAfterClose(2, 3), 1); // the last one: the one before it
    QCOMPARE(TabAfterClose(0, 3), 0);
    QCOMPARE(TabAfterClose(0, 1), -1);
}

void TestMainRules::windowHeight()
{
    QCOMPARE(FittedWindowHeight(true, 30, 22, 28, 340, 22), 30 + 22 + 28 + 340 + 22);
    QCOMPARE(FittedWindowHeight(false, 30, 22, 28, 340, 22), 30 + 22 + 28 + 1 + 22);
}

void TestMainRules::win1250Text()
{
    const QString bosnian = QStringLiteral("čćžšđ ČĆŽŠĐ €„“ §");
    int dropped = -1;
    QCOMPARE(KeepWin1250(bosnian, &dropped), bosnian);
    QCOMPARE(dropped, 0);
    QCOMPARE(KeepWin1250(QStringLiteral("a→bжc😀"), &dropped), QStringLiteral("abc"));
    QCOMPARE(dropped, 4); // the emoji is two UTF-16 units
    QVERIFY(IsWin1250(QChar(u'?')));
    QVERIFY(IsWin1250(QChar(0x0151)));  // Hungarian o with double acute
    QVERIFY(!IsWin1250(QChar(0x0416))); // Cyrillic Zhe
    // Everything kept survives the slip file unchanged.
    TUplFile file;
    TUpl slip = NewSlip();
    slip.Svrha = KeepWin1250(QStringLiteral("Plaćanje → račun ж №5"));
    file.AddSlip(slip);
    const TUplReadResult back = ParseUplBytes(UplFileToBytes(file));
    QCOMPARE(back.Status, TUplReadResult::Ok);
    QCOMPARE(back.File->Uplatnice.at(0).Svrha, slip.Svrha);
}

void TestMainRules::fieldsMapToDistinctSlipMembers()
{
    TUpl slip = NewSlip();
    QSet<QString> names;
    for (int f = 0; f < EditorFieldCount; ++f) {
        const auto field = TEditorField(f);
        names.insert(ControlName(field));
        if (QString *text = SlipText(slip, field))
            *text = ControlName(field);
    }
    QCOMPARE(names.size(), EditorFieldCount);
    QCOMPARE(slip.RacunPosiljaoca, QStringLiteral("mRacunPosiljaoca"));
    QCOMPARE(slip.PeriodDo, QStringLiteral("mPeriodDo"));
    QCOMPARE(slip.MjestoUplate, QStringLiteral("mMjestoUplate"));
    QCOMPARE(slip.Opis, QString());
    QVERIFY(!SlipText(slip, efIznos) && !SlipText(slip, efHitno));
    QCOMPARE(StateIndexOf(efHitno), int(stIznos));
    QCOMPARE(StateIndexOf(efPeriodDo), int(stPeriod));
    QCOMPARE(StateIndexOf(efMjestoUplate), int(stMjestoUplate));
}

void TestMainRules::changedOnDisk()
{
    QTemporaryDir dir;
    TUplFile file;
    file.FileName = dir.filePath(QStringLiteral("a.upl"));
    TOpenFile never{TUplFile(file)};
    never.NoteDiskState();
    QVERIFY(!never.ChangedOnDisk()); // nothing on disk yet

    QVERIFY(WriteUplFile(file));
    TOpenFile open{TUplFile(file)};
    open.NoteDiskState();
    QVERIFY(!open.ChangedOnDisk());
    // Another program rewrites it: a different size, and a later time.
    QFile f(file.FileName);
    QVERIFY(f.open(QIODevice::Append));
    f.write("x");
    f.close();
    QVERIFY(open.ChangedOnDisk());
    open.NoteDiskState();
    QVERIFY(!open.ChangedOnDisk());
    // Same size, other time.
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(open.DiskTime.addSecs(5), QFileDevice::FileModificationTime));
    f.close();
    QVERIFY(open.ChangedOnDisk());
}

void TestMainRules::lookupsWriteOnlyWhatTheCatalogueHas()
{
    TSenderCatalogue senders;
    senders.Add({QStringLiteral("1011"), QStringLiteral("Firma"), QStringLiteral("42"), QString()});
    senders.Add({QStringLiteral("2022"), QString(), QString(), QStringLiteral("77")});
    // A known account writes what its entry holds, nothing for the empty
    // reference number; letter case of the code does not matter.
    QCOMPARE(SenderLookup(senders, QStringLiteral("1011")),
             (TLookupWrites{{efPosiljalac, QStringLiteral("Firma")},
                            {efBrojObveznika, QStringLiteral("42")}}));
    QCOMPARE(SenderLookup(senders, QStringLiteral("2022")),
             (TLookupWrites{{efPoziv, QStringLiteral("77")}}));
    // Unknown, partly typed or empty: nothing is written, nothing cleared.
    QVERIFY(SenderLookup(senders, QStringLiteral("101")).isEmpty());
    QVERIFY(SenderLookup(senders, QString()).isEmpty());

    TCatalogue accounts;
    accounts.Add(QStringLiteral("338A"), QStringLiteral("Elektroprivreda"));
    accounts.Add(QStringLiteral("339"), QString());
    QCOMPARE(RecipientLookup(accounts, QStringLiteral("338a")),
             (TLookupWrites{{efPrimalac, QStringLiteral("Elektroprivreda")}}));
    QVERIFY(RecipientLookup(accounts, QStringLiteral("339")).isEmpty());
    QVERIFY(RecipientLookup(accounts, QStringLiteral("3")).isEmpty());

    // Picks: the code always, the rest only where the entry has it.
    QCOMPARE(SenderPick({QStringLiteral("1"), QString(), QStringLiteral("B"), QString()}),
             (TLookupWrites{{efRacunPosiljaoca, QStringLiteral("1")},
                            {efBrojObveznika, QStringLiteral("B")}}));
    QCOMPARE(EntryPick(TCatalogueKind::Racuni, {QStringLiteral("338"), QString()}),
             (TLookupWrites{{efRacunPrimaoca, QStringLiteral("338")}}));
    QCOMPARE(EntryPick(TCatalogueKind::Opstine, {QStringLiteral("077"), QStringLiteral("C")}),
             (TLookupWrites{{efOpstina, QStringLiteral("077")}}));
    QCOMPARE(EntryPick(TCatalogueKind::Prihodi, {QStringLiteral("711"), QStringLiteral("P")}),
             (TLookupWrites{{efVrstaPrihoda, QStringLiteral("711")}}));
    QCOMPARE(EntryPick(TCatalogueKind::Svrhe, {QStringLiteral("Porez"), QString()}),
             (TLookupWrites{{efSvrha, QStringLiteral("Porez")}}));
    QVERIFY(EntryPick(TCatalogueKind::Svrhe, {QString(), QString()}).isEmpty());

    QCOMPARE(UndoCaption(QStringLiteral("Poništi"), FieldCaption(efDatumUplate)),
             QStringLiteral("Poništi: Datum uplate"));
    QCOMPARE(UndoCaption(QStringLiteral("Ponovi"), QString()), QStringLiteral("Ponovi"));
}

QTEST_GUILESS_MAIN(TestMainRules)
#include "tst_mainrules.moc"
