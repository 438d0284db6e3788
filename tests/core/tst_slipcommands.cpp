#include "core/SlipCommands.h"
#include "core/SlipUndo.h"
#include "core/UplFileIO.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

namespace {

// A slip whose every field tells it apart from the others.
TUpl Slip(const QString &opis, int n)
{
    TUpl u = NewSlip();
    u.Opis = opis;
    u.RacunPosiljaoca = QStringLiteral("1610000%1").arg(n);
    u.Posiljalac = QStringLiteral("Pošiljalac %1").arg(n);
    u.Svrha = QStringLiteral("Svrha %1").arg(n);
    u.Primalac = QStringLiteral("Primalac %1").arg(n);
    u.Iznos = n * 10.25;
    u.Hitno = n % 2;
    u.Opstina = QString::number(100 + n);
    u.PeriodOd = QStringLiteral("0101%1").arg(n, 2, 10, QLatin1Char('0'));
    u.Stanja[0] = 7 + n;
    u.Stanja[n % 16] = n % 3;
    u.Procenat = n * 1.5f;
    return u;
}

TUplFile FileOf(const QString &letters, const QString &marked = {})
{
    TUplFile f;
    f.FileName = QStringLiteral("Datoteka1");
    for (int i = 0; i < letters.size(); ++i) {
        TUpl u = Slip(letters.mid(i, 1), i);
        u.Oznacena = marked.contains(letters[i]);
        f.AddSlip(u);
    }
    return f;
}

QString Order(const TUplFile &f)
{
    QString s;
    for (const TUpl &u : f.Uplatnice)
        s += u.Opis;
    return s;
}

// Copying the slips at indices in front of before, one copy after another in
// source order, then deleting the sources from the last to the first: the
// plain way of a copy with deleting, to check MoveSlips against.
QString NaiveMove(const QString &order, const QList<qsizetype> &indices, qsizetype before)
{
    QList<QPair<QChar, bool>> slips; // letter, is a source
    for (QChar c : order)
        slips.append({c, false});
    QList<QPair<QChar, bool>> copies;
    for (qsizetype i : indices) {
        copies.append({order[i], false});
        slips[i].second = true;
    }
    for (qsizetype k = 0; k < copies.size(); ++k)
        slips.insert(before + k, copies[k]);
    QString out;
    for (const auto &s : slips)
        if (!s.second)
            out += s.first;
    return out;
}

} // namespace

class TestSlipCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void multipleEntryAmounts_data()
    {
        QTest::addColumn<double>("base");
        QTest::addColumn<float>("share");
        QTest::addColumn<double>("amount");
        QTest::newRow("1000 x 50") << 1000.0 << 50.0f << 500.0;
        QTest::newRow("1000 x 30") << 1000.0 << 30.0f << 300.0;
        QTest::newRow("1000 x 20") << 1000.0 << 20.0f << 200.0;
        QTest::newRow("100 x 33.3333") << 100.0 << 33.3333f << 33.33;
        QTest::newRow("10 x 12.345") << 10.0 << 12.345f << 1.23;
        QTest::newRow("0,05 x 50: half away from zero") << 0.05 << 50.0f << 0.03;
        // Binary doubles would put these just below the half.
        QTest::newRow("0,15 x 50") << 0.15 << 50.0f << 0.08;
        QTest::newRow("1,005 x 100") << 1.005 << 100.0f << 1.01;
        QTest::newRow("2,675 x 100") << 2.675 << 100.0f << 2.68;
        QTest::newRow("negative base rounds away from zero") << -0.05 << 50.0f << -0.03;
        QTest::newRow("negative share") << 10.0 << -12.345f << -1.23;
        QTest::newRow("just below the half") << 0.0249 << 100.0f << 0.02;
        QTest::newRow("share with seven digits") << 1234567.89 << 0.1234567f << 1524.16;
        QTest::newRow("large amount") << 123456789012.34 << 100.0f << 123456789012.34;
        QTest::newRow("tiny base") << 1e-300 << 50.0f << 0.0;
        QTest::newRow("zero share") << 1000.0 << 0.0f << 0.0;
    }
    void multipleEntryAmounts()
    {
        QFETCH(double, base);
        QFETCH(float, share);
        QFETCH(double, amount);
        // Equal as doubles: the same as reading the two-decimal text back.
        QCOMPARE(MultipleEntryAmount(base, share), amount);
        QCOMPARE(MultipleEntryAmount(base, share), QString::number(amount, 'f', 2).toDouble());
    }

    void multipleEntryRefusesWhatCannotBeAnAmount()
    {
        QVERIFY(!MultipleEntryCents(qQNaN(), 50.0f));
        QVERIFY(!MultipleEntryCents(1000.0, std::numeric_limits<float>::infinity()));
        QVERIFY(!MultipleEntryCents(1e300, 50.0f)); // no 64-bit cent count holds it
        QCOMPARE(MultipleEntryAmount(1e300, 50.0f), 0.0);
        QCOMPARE(MultipleEntryCents(9e16, 100.0f), std::optional<qint64>(9000000000000000000LL));
    }

    void planSkipsUntickedAndNonPositiveShares()
    {
        TUplFile f = FileOf(QStringLiteral("ABCDE"));
        const float shares[] = {50, 0, 25, -10, 25};
        for (int i = 0; i < 5; ++i) {
            f.Uplatnice[i].Procenat = shares[i];
            f.Uplatnice[i].Iznos = 7;
        }
        // C is unticked, B (share 0) and D (negative share) are ticked.
        const QList<TAmountChange> plan =
            PlanMultipleEntry(f, 1000, {true, true, false, true, true});
        QCOMPARE(plan, (QList<TAmountChange>{{0, 500.0}, {4, 250.0}}));
        // A short tick list leaves the rest unticked.
        QCOMPARE(PlanMultipleEntry(f, 1000, {true}).size(), 1);

        const TMultipleEntrySummary s = SummariseMultipleEntry(plan, 1000);
        QCOMPARE(s.SumCents, 75000);
        QCOMPARE(s.DifferenceCents, -25000);
    }

    void summaryShowsTheRoundingCent()
    {
        TUplFile f = FileOf(QStringLiteral("ABC"));
        for (TUpl &u : f.Uplatnice)
            u.Procenat = 33.3333f;
        const QList<TAmountChange> plan = PlanMultipleEntry(f, 100, {true, true, true});
        for (const TAmountChange &c : plan)
            QCOMPARE(c.Iznos, 33.33);
        const TMultipleEntrySummary s = SummariseMultipleEntry(plan, 100);
        QCOMPARE(s.SumCents, 9999);
        QCOMPARE(s.DifferenceCents, -1);
        // 0,1 + 0,2 summed as doubles is not 0,3; in cents it is.
        QCOMPARE(SummariseMultipleEntry({{0, 0.1}, {1, 0.2}}, 0.3).DifferenceCents, 0);
    }

    void insertCopiesKeepsTheirOrder()
    {
        TUplFile f = FileOf(QStringLiteral("ABCD"));
        const QList<TUpl> copies = SlipsAt(FileOf(QStringLiteral("XYZ")), {0, 1, 2});
        InsertSlipCopies(f, 1, copies);
        QCOMPARE(Order(f), QStringLiteral("AXYZBCD"));
        QCOMPARE(f.Uplatnice[2], copies[1]); // every field, not only the caption
        InsertSlipCopies(f, f.Count(), copies);
        QCOMPARE(Order(f), QStringLiteral("AXYZBCDXYZ"));
        QCOMPARE(Order(TUplFile{}), QString());
        TUplFile empty;
        InsertSlipCopies(empty, 0, copies);
        QCOMPARE(Order(empty), QStringLiteral("XYZ"));
        QCOMPARE(TakeSlipRange(f, 1, 3), copies);
        QCOMPARE(Order(f), QStringLiteral("ABCDXYZ"));
    }

    void copyWithinTheFileWithoutDeleting()
    {
        TUplFile f = FileOf(QStringLiteral("ABCD"), QStringLiteral("BD"));
        const QList<qsizetype> marked = MarkedIndices(f);
        QCOMPARE(marked, (QList<qsizetype>{1, 3}));
        InsertSlipCopies(f, 0, SlipsAt(f, marked));
        QCOMPARE(Order(f), QStringLiteral("BDABCD"));
        // The copies are marked as their sources are.
        QCOMPARE(MarkedIndices(f), (QList<qsizetype>{0, 1, 3, 5}));
    }

    void moveMatchesCopyThenDelete()
    {
        // Every set of marked slips of a five-slip file, moved in front of
        // every place including "after the others".
        const QString order = QStringLiteral("ABCDE");
        for (int mask = 1; mask < 32; ++mask) {
            QList<qsizetype> indices;
            for (int i = 0; i < 5; ++i)
                if (mask & (1 << i))
                    indices.append(i);
            for (qsizetype before = 0; before <= 5; ++before) {
                TUplFile f = FileOf(order);
                const TUplFile original = f;
                const qsizetype start = MoveSlips(f, indices, before);
                const QString expected = NaiveMove(order, indices, before);
                QVERIFY2(Order(f) == expected,
                         qPrintable(QStringLiteral("mask %1 before %2: %3, expected %4")
                                        .arg(mask)
                                        .arg(before)
                                        .arg(Order(f), expected)));
                QCOMPARE(f.Uplatnice.mid(start, indices.size()), SlipsAt(original, indices));
                UnmoveSlips(f, indices, start);
                QCOMPARE(f.Uplatnice, original.Uplatnice);
            }
        }
    }

    void bigFilesStayLinear()
    {
        // Half of 100,000 slips moved, deleted and put back, each in one pass
        // (bench/bench_slipcommands times them).
        TUplFile f;
        f.Uplatnice.reserve(100000);
        for (int i = 0; i < 100000; ++i) {
            TUpl u;
            u.Opis = QString::number(i);
            u.Oznacena = i % 2 == 0;
            f.Uplatnice.append(u);
        }
        const QList<qsizetype> marked = MarkedIndices(f);
        const qsizetype start = MoveSlips(f, marked, 10);
        QCOMPARE(start, 5);
        QCOMPARE(f.SlipByIndex(5).Opis, QStringLiteral("0"));
        QCOMPARE(f.SlipByIndex(4).Opis, QStringLiteral("9"));
        UnmoveSlips(f, marked, start);
        const QList<TUpl> removed = DeleteSlipsAt(f, marked);
        QCOMPARE(f.Count(), 50000);
        RestoreSlipsAt(f, marked, removed);
        QCOMPARE(f.SlipByIndex(99999).Opis, QStringLiteral("99999"));
        QCOMPARE(f.SlipByIndex(50000).Opis, QStringLiteral("50000"));
    }

    void deleteAndRestore()
    {
        TUplFile f = FileOf(QStringLiteral("ABCDE"));
        const TUplFile original = f;
        const QList<TUpl> removed = DeleteSlipsAt(f, {0, 2, 4});
        QCOMPARE(Order(f), QStringLiteral("BD"));
        QCOMPARE(removed.size(), 3);
        QCOMPARE(removed[1], original.Uplatnice[2]);
        RestoreSlipsAt(f, {0, 2, 4}, removed);
        QCOMPARE(f.Uplatnice, original.Uplatnice);
    }

    void deleteAllThenSaveAndReopen()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        TUplFile f = FileOf(QStringLiteral("ABC"), QStringLiteral("ABC"));
        f.FileName = dir.filePath(QStringLiteral("prazna.upl"));
        f.Napomene = QStringLiteral("Napomena\r\nostaje");
        QUndoStack stack;
        stack.push(new TUplDeleteCommand(f, MarkedIndices(f), true));
        QCOMPARE(f.Count(), 0);
        QVERIFY(!f.Snimljena);
        QString error;
        QVERIFY2(WriteUplFile(f, &error), qPrintable(error));
        const TUplReadResult r = ReadUplFile(f.FileName);
        QCOMPARE(r.Status, TUplReadResult::Ok);
        QCOMPARE(r.File->Count(), 0);
        QCOMPARE(r.File->Napomene, f.Napomene);
        QCOMPARE(r.File->CurrentSlipIndex(), -1);
    }

    void mergeKeepsDifferingStates()
    {
        TUplFile f = FileOf(QStringLiteral("AB"));
        TUpl &a = f.Uplatnice[0];
        TUpl &b = f.Uplatnice[1];
        a.Stanja = {};
        b.Stanja = {};
        a.Stanja[0] = 5; // never shown, carried along
        b.Stanja[0] = 6;
        a.Stanja[stIznos] = spNevidljivo;
        b.Stanja[stIznos] = spZabranjeno;
        a.Stanja[stSvrha] = b.Stanja[stSvrha] = spZabranjeno;
        a.Procenat = 25;
        b.Procenat = 50;

        TSlipProperties merged = MergeSlipProperties(f.Uplatnice);
        QCOMPARE(merged.Stanja[stPosiljalac], qint32(spSlobodno));
        QCOMPARE(merged.Stanja[stSvrha], qint32(spZabranjeno));
        QCOMPARE(merged.Stanja[stIznos], kStateDiffers);
        QCOMPARE(merged.Stanja[0], kStateDiffers);
        QCOMPARE(merged.Procenat, kProcenatDiffers);

        // Confirmed untouched: each slip keeps its own. A copy of each slip,
        // not of the list, which would share the slips a and b point into.
        const QList<TUpl> before(f.Uplatnice.cbegin(), f.Uplatnice.cend());
        ApplySlipProperties(a, merged);
        ApplySlipProperties(b, merged);
        QCOMPARE(f.Uplatnice, before);

        // Pošiljalac made read-only and 40 typed: both take them, the rest
        // of each stays.
        merged.Stanja[stPosiljalac] = spZabranjeno;
        merged.Procenat = 40;
        ApplySlipProperties(a, merged);
        ApplySlipProperties(b, merged);
        QCOMPARE(a.Stanja[stPosiljalac], qint32(spZabranjeno));
        QCOMPARE(b.Stanja[stPosiljalac], qint32(spZabranjeno));
        QCOMPARE(a.Stanja[stIznos], qint32(spNevidljivo));
        QCOMPARE(b.Stanja[stIznos], qint32(spZabranjeno));
        QCOMPARE(a.Stanja[0], 5);
        QCOMPARE(b.Stanja[0], 6);
        QCOMPARE(a.Procenat, 40.0f);
        QCOMPARE(b.Procenat, 40.0f);
    }

    void mergeOfOneOrNoSlip()
    {
        TUplFile f = FileOf(QStringLiteral("AB"));
        f.Uplatnice[0].Procenat = 33.3333f;
        f.Uplatnice[1].Procenat = 33.3333f;
        const TSlipProperties one = MergeSlipProperties({f.Uplatnice[0]});
        QCOMPARE(one, SlipPropertiesOf(f.Uplatnice[0]));
        // Equal singles are equal, though the double holding them is not
        // exactly 33.3333.
        QCOMPARE(MergeSlipProperties(f.Uplatnice).Procenat, double(33.3333f));
        TSlipProperties previous;
        previous.Stanja.fill(kStateDiffers);
        previous.Stanja[3] = 2;
        QCOMPARE(MergeSlipProperties({}, previous), previous);
    }

    void undoRedoOfAMoveRestoresTheFile()
    {
        TUplFile f = FileOf(QStringLiteral("ABCDEF"), QStringLiteral("BE"));
        f.SlipByIndex(3).Oznacena = true; // D
        const QByteArray saved = UplFileToBytes(f);
        QUndoStack stack;
        TrackSavedState(stack, f);
        stack.setClean();
        int notified = 0;
        stack.push(new TUplMoveCommand(f, MarkedIndices(f), f.Count(), [&](TUplFile &changed) {
            QCOMPARE(&changed, &f);
            ++notified;
        }));
        QCOMPARE(Order(f), QStringLiteral("ACFBDE"));
        const QByteArray moved = UplFileToBytes(f);
        QVERIFY(!f.Snimljena);
        QCOMPARE(notified, 1);

        stack.undo();
        QCOMPARE(UplFileToBytes(f), saved); // every field and mark, in order
        QVERIFY(f.Snimljena);               // back at the saved state
        stack.redo();
        QCOMPARE(UplFileToBytes(f), moved);
        QVERIFY(!f.Snimljena);
        QCOMPARE(notified, 3);
    }

    void undoOfEveryKind()
    {
        TUplFile f = FileOf(QStringLiteral("ABCD"), QStringLiteral("BC"));
        const QByteArray start = UplFileToBytes(f);
        QUndoStack stack;
        TrackSavedState(stack, f);

        TUpl added = Slip(QStringLiteral("N"), 9);
        added.Oznacena = false;
        stack.push(new TUplAddCommand(f, added));
        QCOMPARE(Order(f), QStringLiteral("ABCDN"));
        QCOMPARE(MarkedIndices(f), QList<qsizetype>{4}); // only the new one

        stack.push(new TUplRenameCommand(f, 0, QStringLiteral("Z")));
        TSlipProperties answer = MergeSlipProperties(SlipsAt(f, {1, 2}));
        answer.Stanja[stSvrha] = spNevidljivo;
        answer.Procenat = 12.5;
        stack.push(new TUplPropertiesCommand(f, {1, 2}, answer));
        stack.push(new TUplAmountsCommand(f, {{1, 6.25}, {2, 0.03}}));
        stack.push(new TUplInsertCopiesCommand(f, 1, SlipsAt(f, {3, 4})));
        QCOMPARE(Order(f), QStringLiteral("ZDNBCDN"));
        stack.push(new TUplDeleteCommand(f, {0, 1, 2, 3, 4, 5, 6}, true));
        QCOMPARE(f.Count(), 0);
        QVERIFY(!f.Snimljena);

        // Each undo takes back exactly one step.
        stack.undo();
        QCOMPARE(Order(f), QStringLiteral("ZDNBCDN"));
        stack.undo();
        QCOMPARE(Order(f), QStringLiteral("ZBCDN"));
        stack.undo();
        QCOMPARE(f.SlipByIndex(1).Iznos, Slip(QStringLiteral("B"), 1).Iznos);
        QCOMPARE(f.SlipByIndex(2).Iznos, Slip(QStringLiteral("C"), 2).Iznos);
        QCOMPARE(f.SlipByIndex(1).Procenat, 12.5f);
        stack.undo();
        QCOMPARE(f.SlipByIndex(1), Slip(QStringLiteral("B"), 1)); // its own states and share
        while (stack.canUndo())
            stack.undo();
        QCOMPARE(UplFileToBytes(f), start);
        QVERIFY(f.Snimljena); // a stack never saved is clean at its start
    }

    void copyWithinOneFile()
    {
        TUplFile f = FileOf(QStringLiteral("ABCD"), QStringLiteral("BD"));
        const TUplFile original = f;
        QUndoStack stack;
        QCOMPARE(PushSlipCopy(stack, f, stack, f, 0, false), 2);
        QCOMPARE(Order(f), QStringLiteral("BDABCD"));
        QVERIFY(!f.Snimljena);
        stack.undo();
        QCOMPARE(f.Uplatnice, original.Uplatnice);

        // Deleting the sources moves them; "<Poslije ostalih>" is the count.
        QCOMPARE(PushSlipCopy(stack, f, stack, f, f.Count(), true), 2);
        QCOMPARE(Order(f), QStringLiteral("ACBD"));
        QCOMPARE(stack.count(), 1);
        QCOMPARE(MarkedIndices(f), (QList<qsizetype>{2, 3}));
        stack.undo();
        QCOMPARE(f.Uplatnice, original.Uplatnice);
    }

    void copyIntoAnotherFileWithDeleting()
    {
        TUplFile source = FileOf(QStringLiteral("ABC"), QStringLiteral("AC"));
        TUplFile target = FileOf(QStringLiteral("XY"));
        const TUplFile sourceBefore = source;
        QUndoStack sourceStack, targetStack;
        TrackSavedState(sourceStack, source);
        TrackSavedState(targetStack, target);
        QList<TUplFile *> told;
        QCOMPARE(PushSlipCopy(sourceStack, source, targetStack, target, 1, true,
                              [&](TUplFile &f) { told.append(&f); }),
                 2);
        QCOMPARE(Order(target), QStringLiteral("XACY"));
        QCOMPARE(target.Uplatnice[1], sourceBefore.Uplatnice[0]); // deep copy, mark included
        QCOMPARE(Order(source), QStringLiteral("B"));
        QVERIFY(!source.Snimljena);
        QVERIFY(!target.Snimljena);
        QCOMPARE(told, (QList<TUplFile *>{&target, &source}));
        // Each file undoes only its own part.
        targetStack.undo();
        QCOMPARE(Order(target), QStringLiteral("XY"));
        QVERIFY(target.Snimljena);
        QCOMPARE(Order(source), QStringLiteral("B"));
        sourceStack.undo();
        QCOMPARE(source.Uplatnice, sourceBefore.Uplatnice);

        // Without deleting, the source stays as it was and unchanged.
        source.Snimljena = true;
        QCOMPARE(PushSlipCopy(sourceStack, source, targetStack, target, 0, false), 2);
        QVERIFY(source.Snimljena);
        QCOMPARE(Order(target), QStringLiteral("ACXY"));
        QCOMPARE(sourceStack.count(), 1); // the undone delete, now redo-able only
    }

    void copyWithoutMarkedSlipsDoesNothing()
    {
        TUplFile f = FileOf(QStringLiteral("AB"));
        QUndoStack stack;
        QCOMPARE(PushSlipCopy(stack, f, stack, f, 0, true), 0);
        QCOMPARE(stack.count(), 0);
        QVERIFY(f.Snimljena);
    }

    void newSlipsStartFromTheDefaultSlip()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        qputenv("KORDAVINA_HOME", home.path().toLocal8Bit());
        const auto restore = qScopeGuard([] { qunsetenv("KORDAVINA_HOME"); });
        QCOMPARE(DefaultSlipPath(), home.filePath(QStringLiteral("Default1.upl")));

        QVERIFY(!DefaultSlipExists());
        QCOMPARE(StartingSlip(), NewSlip());

        TUpl def = Slip(QStringLiteral("Standardna"), 5);
        def.Oznacena = true;
        def.Stanja[stIznos] = spZabranjeno;
        def.Procenat = 12.5f;
        QString error;
        QVERIFY2(WriteDefaultSlip(def, &error), qPrintable(error));
        QVERIFY(DefaultSlipExists());
        QCOMPARE(StartingSlip(), def);
        const TUplReadResult written = ReadUplFile(DefaultSlipPath());
        QCOMPARE(written.File->Count(), 1);
        QCOMPARE(written.File->Napomene, QString());

        // Only the first slip of a longer file counts.
        TUplFile two = FileOf(QStringLiteral("PQ"));
        two.FileName = DefaultSlipPath();
        QVERIFY(WriteUplFile(two));
        QCOMPARE(StartingSlip(), two.Uplatnice[0]);

        // A file without slips, or one the reader refuses, gives a new slip.
        TUplFile none;
        none.FileName = DefaultSlipPath();
        QVERIFY(WriteUplFile(none));
        QCOMPARE(StartingSlip(), NewSlip());
        QFile bad(DefaultSlipPath());
        QVERIFY(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
        const QByteArray unknown("Kordavina 9.9\0garbage", 21);
        QCOMPARE(bad.write(unknown), qint64(21));
        bad.close();
        QCOMPARE(StartingSlip(), NewSlip());

        QVERIFY(DeleteDefaultSlip(&error));
        QVERIFY(!DefaultSlipExists());
        QVERIFY(DeleteDefaultSlip(&error)); // already gone
    }

    void deleteMarksTheFirstRemainingSlip()
    {
        TUplFile f = FileOf(QStringLiteral("ABC"), QStringLiteral("AC"));
        QUndoStack stack;
        stack.push(new TUplDeleteCommand(f, MarkedIndices(f), true));
        QCOMPARE(Order(f), QStringLiteral("B"));
        QVERIFY(f.SlipByIndex(0).Oznacena);
        stack.undo();
        QCOMPARE(SlipMarks(f), (QList<bool>{true, false, true}));
        // Without markFirst the rest stays unmarked.
        stack.push(new TUplDeleteCommand(f, MarkedIndices(f), false));
        QVERIFY(!f.SlipByIndex(0).Oznacena);
    }

    void copiesAreTheTargetsOnlyMarkedSlips()
    {
        // The target had Y marked; after the copy only the copies are, so
        // that the next edit goes into them alone. Moving the slips out
        // leaves the source with its first remaining slip marked.
        TUplFile source = FileOf(QStringLiteral("ABCD"), QStringLiteral("BD"));
        TUplFile target = FileOf(QStringLiteral("XYZ"), QStringLiteral("Y"));
        const TUplFile sourceBefore = source;
        const TUplFile targetBefore = target;
        QUndoStack sourceStack, targetStack;
        QCOMPARE(PushSlipCopy(sourceStack, source, targetStack, target, 3, true), 2);
        QCOMPARE(Order(target), QStringLiteral("XYZBD"));
        QCOMPARE(MarkedIndices(target), (QList<qsizetype>{3, 4}));
        QCOMPARE(Order(source), QStringLiteral("AC"));
        QCOMPARE(MarkedIndices(source), QList<qsizetype>{0});
        // Undo gives both files their own marks back; redo does it again.
        targetStack.undo();
        sourceStack.undo();
        QCOMPARE(target.Uplatnice, targetBefore.Uplatnice);
        QCOMPARE(source.Uplatnice, sourceBefore.Uplatnice);
        targetStack.redo();
        sourceStack.redo();
        QCOMPARE(MarkedIndices(target), (QList<qsizetype>{3, 4}));
        QCOMPARE(MarkedIndices(source), QList<qsizetype>{0});

        // Copied within one file without deleting: the copies, not the
        // sources, are marked.
        TUplFile f = FileOf(QStringLiteral("ABC"), QStringLiteral("C"));
        QUndoStack stack;
        QCOMPARE(PushSlipCopy(stack, f, stack, f, 0, false), 1);
        QCOMPARE(Order(f), QStringLiteral("CABC"));
        QCOMPARE(MarkedIndices(f), QList<qsizetype>{0});
    }

    void editUndoGivesEachSlipItsOwnValue()
    {
        // Three marked slips with three different dates; the editor writes
        // one keystroke at a time, each pushed as the editor does.
        TUplFile f = FileOf(QStringLiteral("ABCD"), QStringLiteral("ABD"));
        for (qsizetype i = 0; i < f.Count(); ++i)
            f.Uplatnice[i].DatumUplate = QStringLiteral("0%1").arg(i + 1) + QStringLiteral("0126");
        const TUplFile start = f;
        QUndoStack stack;
        TrackSavedState(stack, f);
        int told = 0;
        const auto type = [&](const QString &date, quint64 visit, const QString &field) {
            const QList<qsizetype> marked = MarkedIndices(f);
            const QList<TUpl> before = SlipsAt(f, marked);
            for (qsizetype i : marked) {
                f.Uplatnice[i].DatumUplate = date;
                f.Uplatnice[i].Poziv = date; // what a look-up filled in
            }
            f.Snimljena = false;
            stack.push(new TUplEditCommand(f, marked, before, SlipsAt(f, marked), field, visit,
                                           [&](TUplFile &) { ++told; }));
        };
        const QString datum = QStringLiteral("Datum uplate");
        type(QStringLiteral("1"), 1, datum);
        type(QStringLiteral("15"), 1, datum);
        type(QStringLiteral("150"), 1, datum);
        QCOMPARE(stack.count(), 1); // one visit, one step
        QCOMPARE(stack.undoText(), datum);
        QCOMPARE(told, 0); // the push found it written
        QCOMPARE(f.Uplatnice[1].DatumUplate, QStringLiteral("150"));
        QCOMPARE(f.Uplatnice[2].DatumUplate, QStringLiteral("030126")); // not marked

        stack.undo();
        QCOMPARE(f.Uplatnice, start.Uplatnice);
        QVERIFY(f.Snimljena);
        QCOMPARE(told, 1);
        stack.redo();
        for (qsizetype i : {0, 1, 3})
            QCOMPARE(f.Uplatnice[i].Poziv, QStringLiteral("150"));
        QCOMPARE(f.Uplatnice[2].DatumUplate, QStringLiteral("030126"));

        // Another visit, or another field, is another step; undo takes them
        // back one at a time.
        type(QStringLiteral("2"), 2, datum);
        type(QStringLiteral("3"), 2, QStringLiteral("Poziv na broj"));
        QCOMPARE(stack.count(), 3);
        stack.undo();
        QCOMPARE(f.Uplatnice[0].DatumUplate, QStringLiteral("2"));
        stack.undo();
        QCOMPARE(f.Uplatnice[3].DatumUplate, QStringLiteral("150"));

        // Typed and deleted again in one visit: no step is left.
        const qsizetype steps = stack.index();
        type(QStringLiteral("9"), 3, datum);
        type(QStringLiteral("150"), 3, datum);
        QCOMPARE(stack.count(), steps);

        // Marks changed meanwhile do not merge, and undo touches only the
        // slips the edit went into, never their marks, states or share.
        type(QStringLiteral("8"), 3, datum);
        f.Uplatnice[2].Oznacena = true;
        type(QStringLiteral("7"), 3, datum);
        QCOMPARE(stack.count(), steps + 2);
        f.Uplatnice[0].Oznacena = false;
        f.Uplatnice[0].Procenat = 40;
        stack.undo();
        QCOMPARE(f.Uplatnice[2].DatumUplate, QStringLiteral("030126"));
        QCOMPARE(f.Uplatnice[0].DatumUplate, QStringLiteral("8"));
        QVERIFY(!f.Uplatnice[0].Oznacena);
        QCOMPARE(f.Uplatnice[0].Procenat, 40.0f);
    }
};

QTEST_GUILESS_MAIN(TestSlipCommands)
#include "tst_slipcommands.moc"
