// The format editor as the main window opens it: made once and kept, fed with
// the current slip, shown anew after the options, and asked about unsaved
// positions before the program ends.

#include "core/AppFolder.h"
#include "core/Settings.h"
#include "ui/formats/FormatsBoardU.h"
#include "ui/formats/FormatsFormU.h"
#include "ui/common/ConfirmFormU.h"
#include "ui/main/MainFormU.h"
#include "ui/common/ProgramData.h"

#include "DialogTest.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestMainFormFormats : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // Opens the editor from the menu command and closes it again at once.
    static void OpenEditor(TMainForm &main, const std::function<void()> &whileOpen = {})
    {
        bool seen = false;
        WhenShown<TFormatsForm>([&](TFormatsForm *w) {
            seen = true;
            if (whileOpen)
                whileOpen();
            w->reject();
        });
        main.SetFormatsAExecute();
        QVERIFY(seen);
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("KORDAVINA_HOME", m_dir.path().toLocal8Bit());
        SetSettingsFile(m_dir.filePath("settings.ini"));
        TMainForm::SetCommandLineFile(QString());
    }
    void cleanup() { TConfirmForm::ClearQueuedAnswers(); }

    void editorIsKeptAndFollowsTheMainWindow()
    {
        TProgramData data;
        LoadProgramData(data);
        data.Formats.WriteFormat("Standard", TFieldFormats());
        data.Formats.SetDefaultName("Standard");
        TMainForm main(data);
        QVERIFY(!main.FormatsForm);
        OpenEditor(main);
        TFormatsForm *editor = main.FormatsForm;
        QVERIFY(editor);
        QCOMPARE(editor->SelectedName(), QStringLiteral("Standard"));

        // The slip shown is the main window's current slip.
        TUplFile *file = main.CurrentFile();
        QVERIFY(file);
        QVERIFY(file->Count() > 0);
        file->SlipByIndex(0).Primalac = QStringLiteral("Elektroprivreda");
        QCOMPARE(main.FormatEditorSlip()->Primalac, QStringLiteral("Elektroprivreda"));
        OpenEditor(main, [&] { editor->mShowSlip->trigger(); });
        QVERIFY(editor->Board()->ShowsSlip());
        QCOMPARE(main.FormatsForm, editor); // the same window, kept

        // After the options: laid out anew for another InchMm.
        const int width = editor->Board()->UplPanel->width();
        SetInchMm(30);
        Q_EMIT main.SettingsChanged();
        QVERIFY(qAbs(editor->Board()->UplPanel->width() - width * 25.4 / 30) <= 1);
        SetInchMm(25.4);
        Q_EMIT main.SettingsChanged();

        // Unsaved positions hold the window open on "Odustani" and are
        // stored on "Da", before the slip files are asked about.
        editor->Document().MoveLine(piIznos, 100, 40);
        main.show();
        TConfirmForm::QueueAnswer(TConfirmResult::Cancel);
        QVERIFY(!main.close());
        QVERIFY(main.isVisible());
        QCOMPARE(data.Formats.ReadFormat("Standard")[piIznos].Left, 89.0f);
        TConfirmForm::QueueAnswer(TConfirmResult::Yes);
        QVERIFY(main.close()); // the new, unchanged slip file asks nothing
        QCOMPARE(TConfirmForm::QueuedAnswers(), 0);
        QCOMPARE(data.Formats.ReadFormat("Standard")[piIznos].Left, 100.0f);
        // And Formats.ini holds it once the program has written its data.
        QVERIFY(SaveProgramData(data));
        QFile ini(ProgramFile(QStringLiteral("Formats.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY2(text.contains("\r\nIznos=1000;400;520;Arial;10;\r\n"), text.constData());
        QVERIFY(text.contains("[]\r\nDefault=Standard\r\n"));
    }
};

QTEST_MAIN(TestMainFormFormats)
#include "tst_mainformformats.moc"
