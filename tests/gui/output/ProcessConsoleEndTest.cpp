// The process console at the end of a run and in what it gives back: Close decides by
// the whole output of a talkative run even while its end is still being shown, and the
// text copied or saved is what the program wrote, carriage returns included, however its
// output was split between reads.

#include <dialogs/DlgIPCImp.h>
#include <support/HangGuard.h>
#include <mainwindow/LongLineText.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <support/ProcessConsoleRun.h>
#include <gtest/gtest.h>

namespace {

using PelmoraTest::SavingConsole;
using PelmoraTest::endReported;
using PelmoraTest::shell;

QPushButton* button(QWidget* dialog, const char* name)
{
    return dialog->findChild<QPushButton*>(QString::fromLatin1(name));
}

// What a user gets from the console: the copy button's clipboard and the save button's
// file, both as bytes.
struct Taken
{
    QByteArray copied;
    QByteArray saved;
};

Taken takeOutput(SavingConsole& console, const QString& file)
{
    Taken taken;
    QApplication::clipboard()->clear();
    QTest::mouseClick(button(&console, "pb_copy"), Qt::LeftButton);
    taken.copied = QApplication::clipboard()->text().toUtf8();
    console.answer = file;
    QTest::mouseClick(button(&console, "pb_save"), Qt::LeftButton);
    QFile saved(file);
    if (saved.open(QIODevice::ReadOnly))
        taken.saved = saved.readAll();
    return taken;
}

// Everything in one document, as the pieces `text` is cut into at `cuts` arrive.
QString throughPieces(const QString& text, const std::vector<int>& cuts, int* blocks = nullptr)
{
    QTextDocument doc;
    QTextCursor cursor(&doc);
    int from = 0;
    for (int cut : cuts) {
        Gui::LongLineText::insertAtEnd(cursor, text.mid(from, cut - from), Gui::LongLineText::Pieces::OneStream);
        from = cut;
    }
    Gui::LongLineText::insertAtEnd(cursor, text.mid(from), Gui::LongLineText::Pieces::OneStream);
    if (blocks)
        *blocks = doc.blockCount();
    return Gui::LongLineText::writtenText(&doc, 0, doc.characterCount() - 1);
}

} // namespace

// A run that exited with 0 but said "error" on the way, with more output than is shown
// at once: the Close button, clicked while the end is still shown, rejects.  The error
// comes first in one run and last in the other; a clean run of the same size accepts.
TEST(ProcessConsoleEnd, CloseWhileTheEndIsStillShownGoesByTheWholeOutput)
{
    const struct
    {
        const char* script;
        QDialog::DialogCode expected;
    } runs[] = {
        {"printf 'error: disk full\\n'; head -c 3000000 /dev/zero | tr '\\0' a; exit 0", QDialog::Rejected},
        {"seq 1 300000 | sed 's/^/step /'; echo 'error: solver diverged'; exit 0", QDialog::Rejected},
        {"head -c 3000000 /dev/zero | tr '\\0' a; exit 0", QDialog::Accepted},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.script);
        PelmoraTest::KillWaitingConsole console(QStringLiteral("Solver"), true);
        // Nothing is shown before the click: the end is still to be shown then, however
        // fast the program and the window run.
        PelmoraTest::holdShowing(console);
        PelmoraTest::ConsoleIntake intake(console);
        ASSERT_TRUE(console.startRunning(shell(), {QStringLiteral("-c"), QString::fromLatin1(run.script)}));
        intake.watchReads();
        // Clicked as soon as the program has ended, while the bar still says busy.
        bool clickedWhileShowing = false;
        bool errorsAtClick = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (console.isRunning() || !console.isVisible())
                return;
            poll.stop();
            clickedWhileShowing = console.progressBar()->maximum() == 0;
            errorsAtClick = console.hasErrors();
            QTest::mouseClick(button(&console, "pb_close"), Qt::LeftButton);
        });
        poll.start(2);
        // Only a guard against a hang, while the console takes nothing in.
        PelmoraTest::StallGuard guard([&] { return intake.count(); }, [&] { console.done(-1); });
        guard.start();
        const int result = console.exec();
        ASSERT_TRUE(clickedWhileShowing) << "the end was told before its output was shown";
        EXPECT_EQ(result, run.expected);
        EXPECT_EQ(errorsAtClick, run.expected == QDialog::Rejected);
    }
}

// The splitter itself: a text with lone carriage returns, CR LF pairs, line feeds, a
// progress counter and a line long enough to be shown in pieces, cut into two pieces at
// every place and into single characters, gives back what went in, with as many lines
// as when it came whole.
TEST(ProcessConsoleEnd, TheSplitterKeepsLineEndsWhereverTheReadsFall)
{
    QString progress;
    for (int i = 0; i <= 100; ++i)
        progress += QStringLiteral("%1%\r").arg(i);
    const QString text = QStringLiteral("first\r\nsecond\rthird\n\r\n\r\r\n") + progress + QStringLiteral("\n")
                         + QString(Gui::LongLineText::MaxBlockChars + 3, QLatin1Char('x')) + QStringLiteral("\r\nend\r");
    int wholeBlocks = 0;
    ASSERT_EQ(throughPieces(text, {}, &wholeBlocks).toStdString(), text.toStdString());
    for (int cut = 1; cut < text.size(); ++cut) {
        int blocks = 0;
        const QString back = throughPieces(text, {cut}, &blocks);
        ASSERT_EQ(back.toStdString(), text.toStdString()) << "cut at " << cut;
        ASSERT_EQ(blocks, wholeBlocks) << "cut at " << cut;
    }
    std::vector<int> everyCharacter;
    for (int cut = 1; cut < text.size(); ++cut)
        everyCharacter.push_back(cut);
    int blocks = 0;
    EXPECT_EQ(throughPieces(text, everyCharacter, &blocks).toStdString(), text.toStdString());
    EXPECT_EQ(blocks, wholeBlocks);
}

// Real programs whose output arrives in several reads: a CR LF split between two reads,
// a progress counter and a lone carriage return.  Copy and Save give the program's bytes
// after the two lines that name it.
TEST(ProcessConsoleEnd, CopyAndSaveGiveWhatTheProgramWrote)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SavingConsole console(QStringLiteral("Mesher"), true);
    console.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&console, PelmoraTest::HangGuardMs));
    const auto finished = [&] { return endReported(console); };

    QString counter;
    for (int i = 0; i <= 100; ++i)
        counter += QStringLiteral("%1%\r").arg(i);
    // Each part is written once the one before has been shown: a CR LF split between two
    // reads, a counter after a line and a line feed after the counter's last CR.
    const PelmoraTest::ScriptSteps steps;
    const QString script = QStringLiteral("printf 'meshing\\r'; ") + steps.waitFor(1)
                           + QStringLiteral("printf '\\nblocks\\r\\n'; ") + steps.waitFor(2)
                           + QStringLiteral("i=0; while [ $i -le 100 ]; do printf '%s%%\\r' $i; i=$((i+1)); done; ")
                           + steps.waitFor(3) + QStringLiteral("printf '\\ndone\\rnext\\n'");
    const QString written = QStringLiteral("meshing\r\nblocks\r\n") + counter + QStringLiteral("\ndone\rnext\n");
    ASSERT_TRUE(console.startRunning(shell(), {QStringLiteral("-c"), script}));
    ASSERT_TRUE(steps.goOnceShown(console, QStringLiteral("meshing"), 1));
    ASSERT_TRUE(steps.goOnceShown(console, QStringLiteral("blocks"), 2));
    ASSERT_TRUE(steps.goOnceShown(console, QStringLiteral("100%"), 3));
    ASSERT_TRUE(QTest::qWaitFor(finished, PelmoraTest::HangGuardMs));
    const QByteArray expected =
        (QStringLiteral("Executable: %1\nArguments: -c %2\n").arg(shell(), script) + written).toUtf8();
    const Taken taken = takeOutput(console, dir.filePath(QStringLiteral("mesher run.log")));
    EXPECT_EQ(taken.copied.toStdString(), expected.toStdString());
    EXPECT_EQ(taken.saved.toStdString(), expected.toStdString());
    EXPECT_FALSE(console.hasErrors());

    // A long run of CR LF lines, of which the view keeps the last: the lines kept, the
    // first among them too, still end as written; the note above them is the console's.
    console.slot_btnClear_clicked();
    PelmoraTest::ConsoleIntake intake(console);
    ASSERT_TRUE(console.startRunning(shell(), {QStringLiteral("-c"), QStringLiteral("seq 1 30000 | sed 's/$/\r/'")}));
    intake.watchReads();
    ASSERT_TRUE(PelmoraTest::waitWhileMoving(finished, [&] { return intake.count(); }));
    const Taken trimmed = takeOutput(console, dir.filePath(QStringLiteral("long.run.txt")));
    EXPECT_EQ(trimmed.copied, trimmed.saved);
    ASSERT_TRUE(trimmed.copied.startsWith("[")) << trimmed.copied.left(200).toStdString();
    const QByteArray kept = trimmed.copied.mid(trimmed.copied.indexOf('\n') + 1);
    EXPECT_TRUE(kept.endsWith("\n29999\r\n30000\r\n"));
    EXPECT_EQ(kept.count('\n'), kept.count("\r\n"));
    EXPECT_GE(kept.count('\n'), Gui::DlgIPCImp::MaxKeptLines - 1);
    EXPECT_TRUE(kept.startsWith(QByteArray::number(30001 - kept.count('\n')) + "\r\n"));
}
