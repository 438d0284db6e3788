// The format editor driven as a user drives it: mouse drags on the guide
// lines and marks (offscreen), the tool bar commands, keys, undo, and the
// print correction dialog.

#include "core/Conversions.h"
#include "core/FontStyle.h"
#include "core/Settings.h"
#include "print/engine/ZorCanvas.h"
#include "print/formats/FormatEditMath.h"
#include "print/formats/FormatStore.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/common/ProgramData.h"
#include "ui/formats/AddEditPositionsFormU.h"
#include "ui/formats/FormatsBoardU.h"
#include "ui/formats/FormatsFormU.h"
#include "ui/formats/PrintCorrectionFormU.h"
#include "ui/formats/UplLineU.h"
#include "ui/print/SlipPrint.h"
#include "ui/print/ZorPrinters.h"

#include "DialogTest.h"

#include "controls/NumEdit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLabel>
#include <QPainter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <memory>

namespace {

// The answers of the next format dialogs, in order; after them, Cancel.
void QueueFormats(std::initializer_list<TFormatSize> answers)
{
    for (const TFormatSize &a : answers)
        FormatDialogSeam().QueueAnswer(a);
}

// The name each format dialog opened with.
QStringList AskedWithNames()
{
    QStringList names;
    for (const QStringList &asked : FormatDialogSeam().Asked())
        names << asked.value(1);
    return names;
}

// The positions of a new format of this width, moved once to the right as
// "Snimi promjene" then stores them in RunCopy.
TFieldFormats NewFormatMoved(double width)
{
    TFieldFormats f;
    f.Width = width;
    f.Height = 100;
    ScalePositions(f, width / BuiltInWidth);
    MoveAll(f, MoveStep(false), 0);
    return f;
}

// A second copy of the program in its own process, on the folder named by
// KORDAVINA_HOME: "--copy NAME [wait]" adds format NAME (180 mm wide) in the
// format editor, moves its positions to the right and saves them with
// "Snimi promjene", says "saved" and either ends without the program's
// end-of-run writing or, with "wait", waits to be killed.
int RunCopy(int argc, char **argv)
{
    QApplication app(argc, argv);
    TProgramData data;
    QStringList errors;
    LoadProgramData(data, &errors);
    ResetDialogSeams();
    FormatDialogSeam().AnswerAll(std::nullopt);
    // The wide command line: argv on Windows is in the ANSI code page.
    FormatDialogSeam().QueueAnswer(TFormatSize{QCoreApplication::arguments().at(2), 180, 100});
    TFormatsForm form(data.Formats, data.Settings);
    form.btnAdd->trigger();
    form.btnRight->trigger();
    form.btnSave->trigger();
    const bool wait = argc > 3 && QByteArray(argv[3]) == "wait";
    QTextStream out(stdout);
    out << (ShownMessages().isEmpty() && errors.isEmpty() ? "saved" : "failed: ")
        << ShownMessages().join(' ') << errors.join(' ') << Qt::endl;
    if (wait)
        for (;;)
            QThread::sleep(1);
    return 0;
}

// The positions as Formats.ini holds them (tenths of a millimetre).
QStringList AsStored(const TFieldFormats &format)
{
    QStringList lines{QString::number(format.Width), QString::number(format.Height)};
    for (const TFieldFormat &p : format.Positions)
        lines << PositionToText(p);
    return lines;
}

TFieldFormats Shifted(float dx)
{
    TFieldFormats f;
    MoveAll(f, dx, 0);
    return f;
}

} // namespace

class TestFormatsForm : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TProgramData> m_data;
    std::unique_ptr<TFormatsForm> m_form;

    // Opens the editor over a store holding these formats (the first one
    // the default), shown at density dpi.
    void Open(const QList<std::pair<QString, TFieldFormats>> &formats, double dpi = 96)
    {
        m_form.reset();
        m_data = std::make_unique<TProgramData>();
        QVERIFY(m_data->Formats.Open(m_dir->filePath("Formats.ini")));
        for (const auto &[name, format] : formats)
            QVERIFY(m_data->Formats.WriteFormat(name, format));
        if (!formats.isEmpty())
            m_data->Formats.SetDefaultName(formats.first().first);
        m_form = std::make_unique<TFormatsForm>(m_data->Formats, m_data->Settings);
        m_form->SetScreenDensity(dpi);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    TFormatsBoard *Board() const { return m_form->Board(); }
    TUplLine *Line(int i) const { return Board()->Line(i); }
    QRect Panel() const { return Board()->UplPanel->geometry(); }

    // A drag of a widget that moves under the pointer, as the platform does
    // it: every event goes to the widget pressed, in its own coordinates.
    // Points are in the board's coordinates.
    static void Drag(QWidget *w, QPoint from, const QList<QPoint> &to,
                     Qt::KeyboardModifiers mods = {})
    {
        QTest::mousePress(w, Qt::LeftButton, mods, from - w->pos());
        for (const QPoint &p : to)
            QTest::mouseMove(w, p - w->pos());
        QTest::mouseRelease(w, Qt::LeftButton, mods, to.last() - w->pos());
    }
    static QPoint Grip(const TUplLine *line) { return line->geometry().topLeft() + QPoint(5, 1); }

    // Another copy of the program (a process) with its own program folder.
    QProcess *StartCopy(const QString &home, const QString &name, bool wait)
    {
        auto *copy = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KORDAVINA_HOME", home);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        copy->setProcessEnvironment(env);
        QStringList args{"--copy", name};
        if (wait)
            args << "wait";
        copy->start(QCoreApplication::applicationFilePath(), args);
        return copy;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        SetSettingsFile(m_dir->filePath("settings.ini"));
        SetInchMm(25.4);
        QLocale::setDefault(QLocale::c());
        TConfirmForm::ClearQueuedAnswers();
        // Every dialog answered without showing: the format dialog and the
        // font dialog with Cancel unless a test queued an answer.
        ResetDialogSeams();
        FormatDialogSeam().AnswerAll(std::nullopt);
    }
    void cleanup()
    {
        m_form.reset();
        m_data.reset();
        SetInchMm(25.4);
        SetSettingsFile(QString());
        QCOMPARE(TConfirmForm::QueuedAnswers(), 0); // every question was asked
        TConfirmForm::ClearQueuedAnswers();
        QCOMPARE(FormatDialogSeam().QueuedAnswers(), 0);
        QCOMPARE(FontDialogSeam().QueuedAnswers(), 0);
        ClearDialogSeams();
    }

    void twoCopiesOfTheProgramKeepBothNewFormats()
    {
        const QString home = m_dir->filePath("home");
        QVERIFY(QDir().mkpath(home));
        // This copy was started first and shows its editor before the other
        // copy adds its format.
        m_data = std::make_unique<TProgramData>();
        QVERIFY(m_data->Formats.Open(QDir(home).filePath("Formats.ini")));
        m_form = std::make_unique<TFormatsForm>(m_data->Formats, m_data->Settings);
        QProcess *copy = StartCopy(home, QStringLiteral("Druga kopija"), false);
        QVERIFY(copy->waitForFinished(60000));
        QCOMPARE(copy->readAllStandardOutput().trimmed(), QByteArray("saved"));
        QCOMPARE(copy->exitStatus(), QProcess::NormalExit);

        QueueFormats({{"Ova kopija", 200, 100}});
        m_form->btnAdd->trigger();
        QVERIFY2(ShownMessages().isEmpty(), qPrintable(ShownMessages().join('\n')));
        TFormatStore disk;
        QVERIFY(disk.Open(QDir(home).filePath("Formats.ini")));
        QCOMPARE(disk.FormatNames(), QStringList({"Druga kopija", "Ova kopija"}));
        QCOMPARE(AsStored(disk.ReadFormat("Druga kopija")), AsStored(NewFormatMoved(180)));
        // The other copy made the first format and so the default; this one
        // did not change that.
        QCOMPARE(disk.DefaultName(), QStringLiteral("Druga kopija"));

        // Shown again, the editor lists what the file holds now.
        copy = StartCopy(home, QStringLiteral("Treća"), false);
        QVERIFY(copy->waitForFinished(60000));
        QCOMPARE(copy->readAllStandardOutput().trimmed(), QByteArray("saved"));
        QTimer::singleShot(0, m_form.get(), &QDialog::reject);
        m_form->Execute();
        QStringList listed;
        for (int i = 0; i < m_form->mPositions->count(); ++i)
            listed << m_form->mPositions->itemText(i);
        QCOMPARE(listed, QStringList({"Druga kopija", "Ova kopija", "Treća"}));
        QCOMPARE(m_form->SelectedName(), QStringLiteral("Ova kopija"));
    }

    void savedFormatSurvivesAKill()
    {
        const QString home = m_dir->filePath("home");
        QVERIFY(QDir().mkpath(home));
        QProcess *copy = StartCopy(home, QStringLiteral("Snimljen"), true);
        QVERIFY(copy->waitForStarted(30000));
        QVERIFY(copy->waitForReadyRead(60000));
        QCOMPARE(copy->readAllStandardOutput().trimmed(), QByteArray("saved"));
        copy->kill(); // SIGKILL: no end-of-run writing
        QVERIFY(copy->waitForFinished(30000));
        QCOMPARE(copy->exitStatus(), QProcess::CrashExit);
        TFormatStore disk;
        QVERIFY(disk.Open(QDir(home).filePath("Formats.ini")));
        QCOMPARE(disk.FormatNames(), QStringList{"Snimljen"});
        // The positions as "Snimi promjene" stored them, not only as added.
        QCOMPARE(AsStored(disk.ReadFormat("Snimljen")), AsStored(NewFormatMoved(180)));
        QCOMPARE(disk.DefaultName(), QStringLiteral("Snimljen"));
    }

    // The font dialog opened and accepted without a change stores what was
    // stored, also for a family that is not installed; a family chosen in it
    // is stored by its name.
    void fontDialogAcceptedUnchangedKeepsTheFont()
    {
        TFieldFormats f;
        for (TFieldFormat &p : f.Positions) {
            p.FontName = QStringLiteral("Arial");
            p.FontSize = 11;
            p.FontStyle = TFontStyle::Bold;
        }
        Open({{"Standard", f}});
        FontDialogSeam().Clear(); // the window's own font dialog, driven by the test
        Board()->SelectLine(piIznos);
        QString openedOn;
        int openedSize = 0;
        bool openedBold = false;
        const auto accept = [&](const QString &choose) {
            WhenShown<QFontDialog>([&, choose](QFontDialog *dialog) {
                QCOMPARE(dialog->objectName(), QStringLiteral("FontDialog"));
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Vrsta slova"));
                openedOn = dialog->currentFont().family();
                openedSize = dialog->currentFont().pointSize();
                openedBold = dialog->currentFont().bold();
                if (!choose.isEmpty())
                    dialog->setCurrentFont(QFont(choose, 11));
                dialog->accept();
            });
        };
        accept({});
        m_form->btnFont->trigger();
        const TFieldFormat &p = m_form->Document().Position(piIznos);
        QCOMPARE(p.FontName, QStringLiteral("Arial"));
        QCOMPARE(p.FontSize, 11);
        QCOMPARE(p.FontStyle, TFontStyles(TFontStyle::Bold));
        QCOMPARE(openedSize, 11);
        QVERIFY(openedBold);
        if (!QFontDatabase::hasFamily("Arial") && QFontDatabase::hasFamily("Liberation Sans"))
            QCOMPARE(openedOn, QStringLiteral("Liberation Sans"));
        else
            QCOMPARE(openedOn, InstalledFamily("Arial"));
        QVERIFY(m_form->Saved()); // nothing changed, nothing to save

        // Another family chosen is stored under its own name.
        const QStringList families = QFontDatabase::families();
        const auto other = std::find_if(families.begin(), families.end(), [&](const QString &n) {
            return n != openedOn && !QFontDatabase::isPrivateFamily(n);
        });
        if (other == families.end())
            QSKIP("only one font family installed");
        accept(*other);
        m_form->btnFont->trigger();
        QCOMPARE(m_form->Document().Position(piIznos).FontName, *other);
        QCOMPARE(m_form->Document().Position(piIznos).FontSize, 11);
    }

    void firstStartWithoutFormats()
    {
        Open({});
        QCOMPARE(m_form->mPositions->count(), 0);
        QVERIFY(!m_form->mPositions->isEnabled());
        QVERIFY(!m_form->btnDel->isEnabled());
        QVERIFY(!m_form->btnGrid->isEnabled());
        QVERIFY(m_form->btnAdd->isEnabled());
        // The built-in positions on a 176 x 100 mm panel.
        QCOMPARE(Panel().size(), QSize(MmToPixels(0, 176, 96), MmToPixels(0, 100, 96)));
        QCOMPARE(Line(piRacunPosiljaoca)->x(), MmToPixels(Panel().x(), 98, 96));
        QCOMPARE(Line(piRacunPosiljaoca)->width(), MmToPixels(0, 65, 96));
        const QPoint at = Grip(Line(piIznos));
        Drag(Line(piIznos), at, {at + QPoint(20, 20)});
        // A note in the window's name, not an error.
        QCOMPARE(MessageBoxSeam().Asked(),
                 (QList<QStringList>{{QStringLiteral("Podešavanje formata uplatnica"),
                                      QStringLiteral("Morate kreirati novi format!"),
                                      QStringLiteral("information")}}));
        QCOMPARE(Board()->SelectedIndex(), -1);
        QCOMPARE(m_form->Document().Format(), TFieldFormats());
    }

    void firstNewFormatDoublesEveryPosition()
    {
        Open({});
        QueueFormats({{"Velik", 352, 200}});
        m_form->btnAdd->trigger();
        // Stored at once, the default, every position twice the built-in one.
        QCOMPARE(m_data->Formats.FormatNames(), QStringList{"Velik"});
        QCOMPARE(m_data->Formats.DefaultName(), QStringLiteral("Velik"));
        const TFieldFormats stored = m_data->Formats.ReadFormat("Velik");
        QCOMPARE(stored.Width, 352.0);
        QCOMPARE(stored.Height, 200.0);
        const TFieldFormats built;
        for (int i = 0; i < PositionCount; ++i) {
            QCOMPARE(stored.Positions[i].Left, built.Positions[i].Left * 2);
            QCOMPARE(stored.Positions[i].Top, built.Positions[i].Top * 2);
            QCOMPARE(stored.Positions[i].Width, built.Positions[i].Width * 2);
        }
        QCOMPARE(m_form->SelectedName(), QStringLiteral("Velik"));
        QVERIFY(m_form->Saved());
        QVERIFY(m_form->mPositions->isEnabled());
        QCOMPARE(Panel().width(), MmToPixels(0, 352, 96));
        QCOMPARE(Line(piHitno)->x(), MmToPixels(Panel().x(), 286, 96));
        // A second format does not take the default.
        QueueFormats({{"Mali", 176, 100}});
        m_form->btnAdd->trigger();
        QCOMPARE(m_data->Formats.DefaultName(), QStringLiteral("Velik"));
    }

    void aSheetLargerThanTheScreenScrolls()
    {
        Open({});
        // Placed low and right, where the larger sheet grows past the edges.
        const QRect screen = m_form->screen()->availableGeometry();
        m_form->move(screen.right() - m_form->width() - 10,
                     screen.bottom() - m_form->height() - 10);
        const QSize small = m_form->size();
        QueueFormats({{"Plakat", 1000, 700}});
        m_form->btnAdd->trigger();
        QTRY_VERIFY(m_form->size() != small); // the layout grows the window later
        // True size still, in a window that fits on the screen and is on it.
        QCOMPARE(Panel().width(), MmToPixels(0, 1000, 96));
        QVERIFY(m_form->width() <= screen.width());
        QVERIFY(m_form->height() <= screen.height());
        QTRY_VERIFY2(screen.contains(m_form->frameGeometry()),
                     qPrintable(QStringLiteral("%1,%2 %3x%4")
                                    .arg(m_form->x())
                                    .arg(m_form->y())
                                    .arg(m_form->width())
                                    .arg(m_form->height())));
        // A line out of sight comes into view when selected.
        auto *scroll = m_form->findChild<QScrollArea *>("UplScroll");
        QVERIFY(scroll);
        Board()->SelectLine(piBudzetska); // 254 x 156 mm in: far right and down
        const QRect seen(-Board()->pos(), scroll->viewport()->size());
        QVERIFY(seen.contains(Line(piBudzetska)->geometry().topLeft()));
        // Back to a small sheet: no scrolling.
        QueueFormats({{"Mali", 176, 100}});
        m_form->btnAdd->trigger();
        QCOMPARE(scroll->size(), Board()->size());
    }

    void largeFormatOpensInsideTheScreen()
    {
        // Left last time on a screen that is gone now.
        {
            auto settings = OpenSettings();
            settings->setValue("Forms/FormatsForm/Left", 4000);
            settings->setValue("Forms/FormatsForm/Top", 3000);
        }
        TFieldFormats big;
        big.Width = 352;
        big.Height = 200;
        ScalePositions(big, 2);
        m_data = std::make_unique<TProgramData>();
        QVERIFY(m_data->Formats.Open(m_dir->filePath("Formats.ini")));
        m_data->Formats.WriteFormat("Velik", big);
        m_data->Formats.SetDefaultName("Velik");
        m_form = std::make_unique<TFormatsForm>(m_data->Formats, m_data->Settings);
        QRect shown;
        QTimer::singleShot(0, m_form.get(), [&] {
            shown = QRect(m_form->pos(), m_form->size());
            m_form->reject();
        });
        m_form->Execute();
        const QRect screen = m_form->screen()->availableGeometry();
        QVERIFY2(screen.contains(shown), qPrintable(QStringLiteral("%1,%2 %3x%4 on %5x%6")
                                                        .arg(shown.x())
                                                        .arg(shown.y())
                                                        .arg(shown.width())
                                                        .arg(shown.height())
                                                        .arg(screen.width())
                                                        .arg(screen.height())));
        QCOMPARE(m_form->SelectedName(), QStringLiteral("Velik"));
    }

    void duplicateNameIsAskedAgain()
    {
        Open({{"Standard", TFieldFormats()}});
        QueueFormats({{"STANDARD", 200, 100}, {"Drugi", 200, 100}});
        m_form->btnAdd->trigger();
        QCOMPARE(ShownMessages(), QStringList{"Već postoji format pod tim nazivom!"});
        // The dialog came back with what was typed.
        QCOMPARE(AskedWithNames(), (QStringList{"", "STANDARD"}));
        QCOMPARE(m_data->Formats.FormatNames(), (QStringList{"Standard", "Drugi"}));
        QCOMPARE(m_data->Formats.ReadFormat("Standard"), TFieldFormats()); // untouched
    }

    void newFormatDialogRefusesImpossibleSizes()
    {
        TAddEditPositionsForm dialog;
        dialog.SetValues("A", 176, 100);
        QVERIFY(dialog.btnOK->isEnabled());
        dialog.mWidth->SetValue(9.99);
        QVERIFY(!dialog.btnOK->isEnabled());
        dialog.mWidth->SetValue(1000);
        QVERIFY(dialog.btnOK->isEnabled());
        dialog.mHeight->SetValue(1000.5);
        QVERIFY(!dialog.btnOK->isEnabled());
        dialog.mHeight->SetValue(10);
        dialog.mName->setText("   ");
        QVERIFY(!dialog.btnOK->isEnabled());
    }

    void sizeChangeScalesOnRequestAndUndoes()
    {
        Open({{"Standard", TFieldFormats()}});
        // Only the height: nothing to ask, the positions stay.
        QueueFormats({{"Standard", 176, 120}});
        m_form->btnSize->trigger();
        QCOMPARE(AskedWithNames(), QStringList{"Standard"});
        QCOMPARE(m_form->Document().Format().Height, 120.0);
        QCOMPARE(m_form->Document().Position(piIznos), TFieldFormats()[piIznos]);
        QCOMPARE(Panel().height(), MmToPixels(0, 120, 96));
        // Twice as wide, positions scaled on "Da".
        QueueFormats({{"Standard", 352, 120}});
        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        m_form->btnSize->trigger();
        QCOMPARE(m_form->Document().Position(piIznos).Left, 178.0f);
        QCOMPARE(m_form->Document().Position(piIznos).Top, 85.0f);
        QVERIFY(!m_form->Saved());
        m_form->btnUndo->trigger();
        m_form->btnUndo->trigger();
        QCOMPARE(m_form->Document().Format(), TFieldFormats());
        QCOMPARE(Panel().size(), QSize(MmToPixels(0, 176, 96), MmToPixels(0, 100, 96)));
        QVERIFY(m_form->Saved());
    }

    void fineDragIsATenthPerPixel_data()
    {
        QTest::addColumn<double>("dpi");
        QTest::addColumn<double>("inchMm");
        QTest::newRow("96 dpi") << 96.0 << 25.4;
        QTest::newRow("144 dpi") << 144.0 << 25.4;
        QTest::newRow("96 dpi, InchMm 30") << 96.0 << 30.0;
    }
    void fineDragIsATenthPerPixel()
    {
        QFETCH(double, dpi);
        QFETCH(double, inchMm);
        SetInchMm(inchMm);
        Open({{"Standard", TFieldFormats()}}, dpi);
        m_form->mTenth->trigger();
        const QPoint at = Grip(Line(piIznos));
        Drag(Line(piIznos), at, {at + QPoint(3, 1), at + QPoint(7, 7)});
        QCOMPARE(PositionToText(m_form->Document().Position(piIznos)),
                 QStringLiteral("897;432;520;Arial;10;"));
        QVERIFY(!m_form->Saved());
        QVERIFY(m_form->btnSave->isEnabled());
        m_form->btnSave->trigger();
        QCOMPARE(m_data->Formats.ReadFormat("Standard")[piIznos].Left, 89.7f);
        QVERIFY(!m_form->btnSave->isEnabled());
    }

    void normalDragSnapsToWholeMillimetres()
    {
        Open({{"Standard", TFieldFormats()}}, 144);
        const QPoint at = Grip(Line(piSvrha1)); // Left 31, Top 27.5
        const double perMm = 144 / 25.4;
        Drag(Line(piSvrha1), at, {at + QPoint(qRound(10.4 * perMm), qRound(-2.2 * perMm))});
        const TFieldFormat &p = m_form->Document().Position(piSvrha1);
        QCOMPARE(p.Left, 41.0f);
        QCOMPARE(p.Top, 25.0f); // 27.5 - 2.2 = 25.3 -> 25
        QCOMPARE(Line(piSvrha1)->x(), MmToPixels(Panel().x(), 41, 144));
        // The marks and labels follow the selected line.
        QCOMPARE(Board()->SelectedIndex(), int(piSvrha1));
        QCOMPARE(Line(piSvrha1)->Pen().color(), QColor(Qt::red));
        QCOMPARE(Board()->shLeft->x(), Line(piSvrha1)->x());
        QCOMPARE(Board()->mLeft->text(), QStringLiteral(" 41.0 "));
        QCOMPARE(Board()->mTop->text(), QStringLiteral(" 25.0 "));
        QVERIFY(Board()->mFont->isVisible());
        // The caption is a handle too: dragging it moves its line.
        QLabel *caption = Line(piHitno)->CaptionLabel();
        const QPoint c = caption->geometry().center();
        Drag(caption, c, {c + QPoint(qRound(3 * perMm), 0)});
        QCOMPARE(Board()->SelectedIndex(), int(piHitno));
        QCOMPARE(m_form->Document().Position(piHitno).Left, 146.0f);
        QCOMPARE(caption->x(), Line(piHitno)->x()); // still above its line
        Board()->SelectLine(piSvrha1);
        // Clicking the empty paper lets go of it.
        QTest::mouseClick(Board()->UplPanel, Qt::LeftButton, {}, QPoint(3, Panel().height() - 3));
        QCOMPARE(Board()->SelectedIndex(), -1);
        QVERIFY(!Board()->shLeft->isVisible());
        QCOMPARE(Line(piSvrha1)->Pen().color(), QColor(Qt::black));
    }

    void rightMarkNeverReachesTheLeftEnd()
    {
        Open({{"Standard", TFieldFormats()}});
        Board()->SelectLine(piOpstina); // Left 93.3, Width 15
        QWidget *mark = Board()->shRight;
        const QPoint from = mark->geometry().center();
        const int leftEnd = MmToPixels(Panel().x(), 93.3f, 96);
        // Right to 120 mm, then back far beyond the left end.
        Drag(mark, from,
             {QPoint(MmToPixels(Panel().x(), 120, 96), from.y()), QPoint(leftEnd + 4, from.y()),
              QPoint(leftEnd, from.y()), QPoint(leftEnd - 40, from.y())});
        const TFieldFormat &p = m_form->Document().Position(piOpstina);
        QCOMPARE(p.Left, 93.3f);
        QVERIFY2(p.Width > 0, qPrintable(QString::number(p.Width)));
        QCOMPARE(p.Width, 94.0f - 93.3f); // the last whole millimetre right of the left end
        QCOMPARE(m_form->Document().UndoStack().count(), 1); // one drag, one step

        // The left mark moves the line and keeps its width.
        Drag(Board()->shLeft, Board()->shLeft->geometry().center(),
             {QPoint(MmToPixels(Panel().x(), 50, 96), from.y())});
        QCOMPARE(m_form->Document().Position(piOpstina).Left, 50.0f);
        QCOMPARE(m_form->Document().Position(piOpstina).Width, p.Width);
        QCOMPARE(Board()->shRight->x(), MmToPixels(Panel().x(), 50 + p.Width, 96));
    }

    void undoOfAMergedDrag()
    {
        Open({{"Standard", TFieldFormats()}});
        const QPoint at = Grip(Line(piPoziv));
        QList<QPoint> steps;
        for (int i = 1; i <= 8; ++i)
            steps.append(at + QPoint(i * 6, i * 2));
        Drag(Line(piPoziv), at, steps);
        const TFieldFormat moved = m_form->Document().Position(piPoziv);
        QVERIFY(moved.Left > 93.3f + 10);
        QCOMPARE(m_form->Document().UndoStack().count(), 1);
        // Ctrl+Z takes the whole drag back, the line with it.
        QTest::keyClick(m_form.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_form->Document().Format(), TFieldFormats());
        QCOMPARE(Line(piPoziv)->x(), MmToPixels(Panel().x(), 93.3f, 96));
        QVERIFY(m_form->Saved());
        QTest::keyClick(m_form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_form->Document().Position(piPoziv), moved);
        QVERIFY(!m_form->Saved());
    }

    void backToTheStoredPositionsCanBeUndone()
    {
        Open({{"Standard", Shifted(2)}});
        m_form->Document().MoveLine(piIznos, 120, 60);
        m_form->btnMoveClick(1, 0);
        QVERIFY(m_form->btnRefresh->isEnabled());
        m_form->btnRefresh->trigger();
        QCOMPARE(m_form->Document().Format(), Shifted(2));
        QVERIFY(m_form->Saved());
        QVERIFY(!m_form->btnRefresh->isEnabled());
        QCOMPARE(Line(piIznos)->x(), MmToPixels(Panel().x(), 91, 96));
        // A click too many on "Vrati na početno" loses nothing.
        m_form->btnUndo->trigger();
        QCOMPARE(m_form->Document().Position(piIznos).Left, 121.0f);
        QVERIFY(!m_form->Saved());
    }

    void keyboardMovesAndWalksTheLines()
    {
        Open({{"Standard", TFieldFormats()}});
        Board()->setFocus();
        QTest::keyClick(Board(), Qt::Key_Down); // the first key picks a line, moves none
        QCOMPARE(Board()->SelectedIndex(), 0);
        QCOMPARE(m_form->Document().Format(), TFieldFormats());
        Board()->SelectLine(piHitno); // 143, 44.2
        QTest::keyClick(Board(), Qt::Key_Right);
        QTest::keyClick(Board(), Qt::Key_Right);
        QTest::keyClick(Board(), Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(PositionToText(m_form->Document().Position(piHitno)).section(';', 0, 1),
                 QStringLiteral("1450;441"));
        m_form->mTenth->trigger();
        QTest::keyClick(Board(), Qt::Key_Left);
        QCOMPARE(m_form->Document().Position(piHitno).Left, 144.9f);
        QTest::keyClick(Board(), Qt::Key_Tab);
        QCOMPARE(Board()->SelectedIndex(), int(piBrojObveznika));
        QTest::keyClick(Board(), Qt::Key_Backtab);
        QTest::keyClick(Board(), Qt::Key_Backtab);
        QCOMPARE(Board()->SelectedIndex(), int(piIznos));
        QTest::keyClick(Board(), Qt::Key_Escape);
        QCOMPARE(Board()->SelectedIndex(), -1);
        QVERIFY(m_form->isVisible()); // Esc let go of the line, not of the window
    }

    void inchMm30DrawsSmallerWithoutChangingValues()
    {
        Open({{"Standard", TFieldFormats()}});
        const QSize panel = Panel().size();
        const int width = Line(piRacunPosiljaoca)->width();
        const int left = Line(piRacunPosiljaoca)->x() - Panel().x();
        SetInchMm(30);
        m_form->ShowDefaultFormat();
        const double f = 25.4 / 30;
        QVERIFY(qAbs(Panel().width() - panel.width() * f) <= 1);
        QVERIFY(qAbs(Panel().height() - panel.height() * f) <= 1);
        QVERIFY(qAbs(Line(piRacunPosiljaoca)->width() - width * f) <= 1);
        QVERIFY(qAbs((Line(piRacunPosiljaoca)->x() - Panel().x()) - left * f) <= 1);
        QCOMPARE(m_form->Document().Format(), TFieldFormats());
        QVERIFY(m_form->Saved());
        QCOMPARE(m_data->Formats.ReadFormat("Standard"), TFieldFormats());
    }

    void deletingTheDefault()
    {
        Open({{"A", Shifted(1)}, {"B", Shifted(2)}, {"C", Shifted(3)}});
        QCOMPARE(m_form->SelectedName(), QStringLiteral("A"));
        TConfirmForm::QueueAnswer(TConfirmResult::No);
        m_form->btnDel->trigger();
        QCOMPARE(m_data->Formats.FormatNames().size(), 3); // only "Da" deletes
        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        m_form->btnDel->trigger();
        QCOMPARE(TConfirmForm::LastQuestion(),
                 QStringLiteral("Sigurno želite obrisati format 'A'"));
        QCOMPARE(m_data->Formats.FormatNames(), (QStringList{"B", "C"}));
        QCOMPARE(m_data->Formats.DefaultName(), QStringLiteral("B"));
        QCOMPARE(m_form->SelectedName(), QStringLiteral("B"));
        QCOMPARE(m_form->Document().Position(piIznos).Left, 89.0f + 2);
        QVERIFY(m_form->mPositions->itemData(0, Qt::FontRole).value<QFont>().bold());
        // Deleting the rest leaves no default and the built-in positions.
        Board()->SelectLine(piIznos);
        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        m_form->btnDel->trigger();
        m_form->btnDel->trigger();
        QVERIFY(m_data->Formats.FormatNames().isEmpty());
        QVERIFY(m_data->Formats.DefaultName().isEmpty());
        QCOMPARE(m_form->Document().Format(), TFieldFormats());
        QCOMPARE(Board()->SelectedIndex(), -1);
        QVERIFY(!m_form->mPositions->isEnabled());
    }

    void unsavedPositionsAreNotLostSilently()
    {
        Open({{"A", TFieldFormats()}, {"B", Shifted(5)}});
        m_form->Document().MoveLine(piIznos, 100, 50);
        // Cancel: still on A with the change.
        TConfirmForm::QueueAnswer(TConfirmResult::Cancel);
        m_form->mPositions->setCurrentIndex(1);
        QVERIFY(TConfirmForm::LastQuestion().contains("\"A\""));
        QCOMPARE(m_form->SelectedName(), QStringLiteral("A"));
        QCOMPARE(m_form->Document().Position(piIznos).Left, 100.0f);
        // No: B is shown, A stays as stored.
        TConfirmForm::QueueAnswer(TConfirmResult::No);
        m_form->mPositions->setCurrentIndex(1);
        QCOMPARE(m_form->SelectedName(), QStringLiteral("B"));
        QCOMPARE(m_form->Document().Position(piIznos).Left, 89.0f + 5);
        QCOMPARE(m_data->Formats.ReadFormat("A"), TFieldFormats());
        // Yes at program end: stored.
        m_form->Document().MoveLine(piIznos, 120, 50);
        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        QVERIFY(m_form->QueryEnd());
        QCOMPARE(m_data->Formats.ReadFormat("B")[piIznos].Left, 120.0f);
        QVERIFY(m_form->QueryEnd()); // nothing unsaved: nothing asked
        m_form->Document().MoveLine(piIznos, 121, 50);
        TConfirmForm::QueueAnswer(TConfirmResult::Cancel);
        QVERIFY(!m_form->QueryEnd());
    }

    void formatOutOfRangeIsNotStored()
    {
        QFile f(m_dir->filePath("Formats.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[]\r\nDefault=Tiny\r\n\r\n[Tiny]\r\nWidth=5\r\nHeight=100\r\n");
        f.close();
        Open({});
        QCOMPARE(m_form->SelectedName(), QStringLiteral("Tiny"));
        m_form->Document().MoveLine(piIznos, 1, 2);
        m_form->btnSave->trigger();
        QCOMPARE(ShownMessages().size(), 1);
        QVERIFY(ShownMessages().first().contains("1000"));
        QCOMPARE(m_data->Formats.ReadFormat("Tiny")[piIznos].Left, 89.0f);
    }

    void fontOfAThreeLineField()
    {
        Open({{"Standard", TFieldFormats()}});
        Board()->SelectLine(piSvrha2);
        QFont courier(QStringLiteral("Courier New"));
        courier.setPointSize(12);
        courier.setBold(true);
        FontDialogSeam().QueueAnswer(courier);
        m_form->btnFont->trigger();
        for (int i : {piSvrha1, piSvrha2, piSvrha3}) {
            QCOMPARE(m_form->Document().Position(i).FontSize, 12);
            QCOMPARE(m_form->Document().Position(i).FontStyle, TFontStyles(TFontStyle::Bold));
        }
        QCOMPARE(m_form->Document().Position(piSvrha1).FontName, courier.family());
        QCOMPARE(Board()->mFont->text(), QStringLiteral(" %1, 12, bold ").arg(courier.family()));
        Board()->SelectLine(piIznos);
        courier.setBold(false);
        FontDialogSeam().QueueAnswer(courier);
        m_form->btnFont->trigger();
        // The dialog opened on the line's own font (the built-in Arial 10).
        QCOMPARE(FontDialogSeam().Asked().last(),
                 (QStringList{QStringLiteral("Vrsta slova"), InstalledFamily("Arial"), "10"}));
        QCOMPARE(m_form->Document().Position(piIznos).FontStyle, TFontStyles());
        QCOMPARE(m_form->Document().Position(piHitno).FontName, QStringLiteral("Arial"));
        QCOMPARE(m_form->Document().Position(piSvrha3).FontStyle, TFontStyles(TFontStyle::Bold));
        // For all lines, undone in one step.
        FontDialogSeam().QueueAnswer(courier);
        m_form->btnFontAll->trigger();
        for (const TFieldFormat &p : m_form->Document().Format().Positions)
            QCOMPARE(p.FontSize, 12);
        m_form->btnUndo->trigger();
        QCOMPARE(m_form->Document().Position(piHitno).FontSize, 10);
    }

    void moveAllAndTheSlipOnThePanel()
    {
        Open({{"Standard", TFieldFormats()}});
        m_form->btnRight->trigger();
        m_form->mTenth->trigger();
        m_form->btnUp->trigger();
        QCOMPARE(PositionToText(m_form->Document().Position(piIznos)).section(';', 0, 1),
                 QStringLiteral("900;424"));
        QCOMPARE(m_form->Document().UndoStack().count(), 2);

        const QImage bare = Board()->UplPanel->grab().toImage();
        TUpl slip = TFormatsForm::SampleSlip();
        int asked = 0;
        m_form->SetSlipSource([&]() -> std::optional<TUpl> {
            ++asked;
            return slip;
        });
        m_form->mShowSlip->trigger();
        QVERIFY(asked > 0);
        QVERIFY(Board()->ShowsSlip());
        QVERIFY(!Line(piIznos)->CaptionLabel()->isVisible()); // the slip's text instead
        const QImage withSlip = Board()->UplPanel->grab().toImage();
        // The amount drawn right-aligned on its line: ink left of its right end.
        const QRect amount(Line(piIznos)->x() - Panel().x() + Line(piIznos)->width() - 40,
                           Line(piIznos)->y() - Panel().y() - 12, 40, 12);
        int ink = 0;
        for (int y = amount.top(); y <= amount.bottom(); ++y)
            for (int x = amount.left(); x <= amount.right(); ++x)
                ink += withSlip.pixelColor(x, y) != bare.pixelColor(x, y);
        QVERIFY2(ink > 20, qPrintable(QString::number(ink)));
        m_form->mShowSlip->trigger();
        QVERIFY(!Board()->ShowsSlip());
        QVERIFY(Line(piIznos)->CaptionLabel()->isVisible());
    }

    void gridPrintedAfterTheQuestion()
    {
        Open({{"Standard", TFieldFormats()}});
        TZorPrinter printer;
        const QString pdf = m_dir->filePath("grid.pdf");
        printer.SetPdfOutput(pdf);
        TConfirmForm::QueueAnswer(TConfirmResult::No);
        m_form->btnGrid->trigger();
        QVERIFY(!QFile::exists(pdf));
        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        m_form->btnGrid->trigger();
        QCOMPARE(TConfirmForm::LastQuestion(),
                 QStringLiteral("Želite li štampati mrežu za podešavanje"));
        QVERIFY(ShownMessages().isEmpty());
        QVERIFY(QFileInfo(pdf).size() > 0);
        // A grid that cannot be printed is reported in the error box.
        printer.SetPdfOutput(m_dir->filePath("missing/grid.pdf"));
        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        m_form->btnGrid->trigger();
        QCOMPARE(ShownErrors().size(), 1);
        QCOMPARE(MessageBoxSeam().Asked().first().first(), QApplication::applicationDisplayName());
    }

    void correctionFollowsThePrinter()
    {
        const QStringList printers = QPrinterInfo::availablePrinterNames();
        if (printers.isEmpty())
            QSKIP("no printer installed");
        const QString name = printers.first();
        const TPrintCorrection c{0.7, -0.4, 99.5, 100.5};
        QVERIFY(WritePrintCorrection(name, c));
        TZorPrinter printer;
        QVERIFY(printer.SetPrinterName(name));
        QCOMPARE(JobCorrection(printer), c);
        // A page's millimetre canvas draws through it, on top of what the
        // page's painter already has.
        printer.BeginDoc();
        const QTransform before = printer.Canvas()->worldTransform();
        const TZorCanvas canvas = PageCanvas(printer);
        QCOMPARE(canvas.Canvas->worldTransform(),
                 CorrectionTransform(c, printer.PixelsPerMM(), printer.LeftOffset(),
                                     printer.TopOffset()) *
                     before);
        // Asked again for the same page, it is not applied twice; the next
        // page (a new painter) gets it once.
        const QTransform corrected = canvas.Canvas->worldTransform();
        QCOMPARE(PageCanvas(printer).Canvas->worldTransform(), corrected);
        printer.NewPage();
        QCOMPARE(PageCanvas(printer).Canvas->worldTransform(), corrected);
        // A PDF gets none, unless asked for by the printer's name.
        printer.SetPdfOutput(m_dir->filePath("x.pdf"));
        QCOMPARE(JobCorrection(printer), TPrintCorrection());
        SetCorrectionFor(printer, name);
        QCOMPARE(JobCorrection(printer), c);
    }

    void correctionWorkedOutAndStored()
    {
        TPrintCorrectionForm dialog(160, 80, QStringLiteral("Kancelarija"));
        // Measured: the 10 mm lines at 11.3 and 9.0, the last ones at 162.8 and 78.2.
        dialog.mMeasureX1->SetValue(11.3);
        dialog.mMeasureX2->SetValue(162.8);
        dialog.mMeasureY1->SetValue(9.0);
        dialog.mMeasureY2->SetValue(78.2);
        QVERIFY(dialog.Compute());
        const TPrintCorrection c = dialog.Correction();
        QCOMPARE(c.ShiftX, -1.2);
        QCOMPARE(c.ScaleX, 99.01);
        QCOMPARE(c.ScaleY, 101.16); // 70 / 69.2
        QCOMPARE(c.ShiftY, 0.9);    // the grid stood 0.886 mm high, at 98.86 %
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(ReadPrintCorrection(QStringLiteral("Kancelarija")), c);

        // Nonsense is refused with a word, nothing stored.
        TPrintCorrectionForm again(160, 80, QStringLiteral("Kancelarija"));
        QCOMPARE(again.Correction(), c); // the stored one comes back
        again.mMeasureX2->SetValue(5);
        QVERIFY(!again.Compute());
        again.mShiftRight->SetValue(35);
        again.accept();
        QCOMPARE(ShownMessages().size(), 2);
        for (const QStringList &asked : MessageBoxSeam().Asked())
            QCOMPARE(asked.first(), QStringLiteral("Korekcija štampača"));
        QCOMPARE(ReadPrintCorrection(QStringLiteral("Kancelarija")), c);
    }
};

int main(int argc, char **argv)
{
    if (argc > 2 && QByteArray(argv[1]) == "--copy")
        return RunCopy(argc, argv);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestFormatsForm test;
    QTest::setMainSourcePath(__FILE__);
    return QTest::qExec(&test, argc, argv);
}
#include "tst_formatsform.moc"
