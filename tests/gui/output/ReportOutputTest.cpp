// The Output dock: console text from any thread, coloured by kind, its switches and
// colours from the preferences, its context menu (also in German) and saving.

#include <core/qPelmoraApplication.h>
#include <support/HangGuard.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/LongLineText.h>
#include <mainwindow/MainWindow.h>
#include <mainwindow/ReportOutput.h>
#include <mainwindow/ReportView.h>
#include <mainwindow/Translator.h>

#include <support/SmallDisk.h>
#include <support/ModalCloser.h>
#include <support/TestEnvironment.h>
#include <support/CostLimits.h>
#include <support/WorkCount.h>

#include <cstdio>

#include <obj/Application.h>
#include <vexil/MsgConsole.h>
#include <vexil/PreferenceManager.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <thread>

using Gui::DockWindow::ReportOutput;

namespace {

template <typename Pred>
bool waitFor(Pred done, int timeoutMs = PelmoraTest::HangGuardMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(5);
    }
    return true;
}

// The colour the highlighter gave the character at `position`.
QColor colourAt(const QTextDocument* doc, int position)
{
    const QTextBlock block = doc->findBlock(position);
    const int offset = position - block.position();
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (offset >= range.start && offset < range.start + range.length)
            return range.format.foreground().color();
    }
    return QColor();
}

void writeFromWorker(const std::function<void(Vexil::MsgConsoleSingleton&)>& write)
{
    std::thread worker([&write] { write(Vexil::MsgConsoleSingleton::Instance()); });
    worker.join();
}

// The entries of a popup menu, "-" for separators, submenus as "Title>".
QStringList entries(const QMenu* menu)
{
    QStringList list;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator())
            list << QStringLiteral("-");
        else if (a->menu())
            list << a->text() + QLatin1Char('>');
        else
            list << a->text();
    }
    return list;
}

// Opens the context menu, lets `inspect` look at it while it runs, then closes it.
void withContextMenu(ReportOutput& output, const std::function<void(QMenu*)>& inspect)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu) {
            seen = true;
            inspect(menu);
            menu->close();
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), output.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(output.viewport(), &event);
    EXPECT_TRUE(seen);
}

QAction* find(QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

class OutputDock : public ::testing::Test
{
protected:
    void SetUp() override
    {
        prefs = logic.app().getPrefMgr();
        ASSERT_NE(prefs, nullptr);
    }
    void TearDown() override { Gui::FileDialog::setBackend(Gui::FileDialog::Backend()); }

    // Answers the save dialog with `name`, remembering the caption and filter asked for.
    void answerSaveWith(const QString& name)
    {
        Gui::FileDialog::Backend backend;
        backend.saveFileName = [this, name](QWidget*, const QString& caption, const QString&,
                                            const QString& filter, QString*, QFileDialog::Options) {
            askedCaption = caption;
            askedFilter = filter;
            return name;
        };
        Gui::FileDialog::setBackend(backend);
    }
    static QByteArray read(const QString& name)
    {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }

    PelmoraTest::ScopedLogic logic;
    Vexil::PreferenceManager* prefs = nullptr;
    QString askedCaption;
    QString askedFilter;
};

} // namespace

TEST_F(OutputDock, WorkerTextArrivesThroughEventsColouredByKind)
{
    ReportOutput output;
    writeFromWorker([](Vexil::MsgConsoleSingleton& c) {
        c.Message("abc");
        c.Error("def\n");
        c.Warning("careful\n");
        c.Log("trace\n");
        c.Message("");
        c.Message("done\n");
    });
    // Nothing was touched on the worker: the text waits for the GUI thread.
    EXPECT_TRUE(output.document()->isEmpty());
    ASSERT_TRUE(waitFor([&] { return output.toPlainText().endsWith(QStringLiteral("done\n")); }));
    EXPECT_EQ(output.toPlainText(), QStringLiteral("abcdef\ncareful\ntrace\ndone\n"));

    const QTextDocument* doc = output.document();
    const QColor text(0, 0, 0), error(255, 0, 0), warning(255, 170, 0), log(0, 0, 255);
    // One line of six letters: the message part keeps its colour beside the error.
    EXPECT_EQ(colourAt(doc, 0), text);
    EXPECT_EQ(colourAt(doc, 2), text);
    EXPECT_EQ(colourAt(doc, 3), error);
    EXPECT_EQ(colourAt(doc, 5), error);
    EXPECT_EQ(colourAt(doc, 7), warning);
    EXPECT_EQ(colourAt(doc, 15), log);
    EXPECT_EQ(colourAt(doc, 21), text);

    // A posted report event of its own is shown the same way.
    QCoreApplication::postEvent(&output, new Gui::CustomReportEvent(1, QStringLiteral("posted\n")));
    QCoreApplication::processEvents();
    EXPECT_TRUE(output.toPlainText().endsWith(QStringLiteral("posted\n")));
    EXPECT_EQ(colourAt(doc, output.toPlainText().length() - 3), warning);
}

TEST_F(OutputDock, ManyLinesFromSeveralWorkersKeepEachWritersOrder)
{
    ReportOutput output;
    constexpr int perWriter = 5000;
    auto write = [](char tag) {
        for (int i = 0; i < perWriter; ++i)
            Vexil::MsgConsoleSingleton::Instance().Warning("%c%d\n", tag, i);
    };
    std::thread a(write, 'a'), b(write, 'b');
    a.join();
    b.join();
    ASSERT_TRUE(waitFor([&] { return output.document()->blockCount() > 2 * perWriter; }));
    int nextA = 0, nextB = 0;
    for (const QString& line : output.toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        int& next = line.startsWith(QLatin1Char('a')) ? nextA : nextB;
        ASSERT_EQ(line.mid(1).toInt(), next) << line.toStdString();
        ++next;
    }
    EXPECT_EQ(nextA, perWriter);
    EXPECT_EQ(nextB, perWriter);
}

TEST_F(OutputDock, MixedKindsFromAWorkerKeepTheirColoursAndALongLogCostsLittle)
{
    PELMORA_SKIP_COST_LIMITS_WHEN_INSTRUMENTED();
    constexpr int lines = 30000;
    auto output = std::make_unique<ReportOutput>();
    output->resize(600, 300);
    output->show();
    // This thread's work (its allocations): what the window's insertion costs, not what
    // the worker adds.
    PelmoraTest::WorkMeter meter;
    writeFromWorker([](Vexil::MsgConsoleSingleton& c) {
        for (int i = 0; i < lines; ++i) {
            if (i % 3 == 0)
                c.Message("m%d\n", i);
            else if (i % 3 == 1)
                c.Warning("w%d\n", i);
            else
                c.Error("e%d\n", i);
        }
        // A line begun as a message and ended as an error; a line break in two parts.
        c.Message("half");
        c.Error("rest\r\n");
        c.Warning("cr\r");
        c.Message("\nlast\n");
    });
    ASSERT_TRUE(waitFor([&] { return output->toPlainText().endsWith(QStringLiteral("last\n")); }));
    const PelmoraTest::Work mixed = meter.elapsed();

    // The same lines appended one by one to a plain text edit, on the GUI thread.
    QPlainTextEdit plain;
    plain.resize(600, 300);
    plain.show();
    meter.start();
    for (int i = 0; i < lines; ++i)
        plain.appendPlainText(QStringLiteral("m%1").arg(i));
    QCoreApplication::processEvents();
    const PelmoraTest::Work plainWork = meter.elapsed();
    std::printf("%d lines of three kinds: %s, in a plain text edit %s\n", lines, PelmoraTest::describe(mixed).c_str(),
                PelmoraTest::describe(plainWork).c_str());
    // Inserted kind by kind, line by line, this was several times the plain edit's work.
    if (PelmoraTest::workCounted()) {
        EXPECT_LT(mixed.allocations, 2 * plainWork.allocations)
            << PelmoraTest::describe(mixed) << " against " << PelmoraTest::describe(plainWork);
    }

    const QTextDocument* doc = output->document();
    ASSERT_EQ(doc->blockCount(), lines + 5);   // the last one empty
    const QColor text(0, 0, 0), warning(255, 170, 0), error(255, 0, 0);
    const QColor byKind[] = {text, warning, error};
    for (int i = 0; i < lines; ++i) {
        const QTextBlock block = doc->findBlockByNumber(i);
        ASSERT_EQ(block.text().mid(1).toInt(), i);
        ASSERT_EQ(colourAt(doc, block.position() + block.length() - 2), byKind[i % 3]) << i;
    }
    const QTextBlock half = doc->findBlockByNumber(lines);
    EXPECT_EQ(half.text(), QStringLiteral("halfrest"));
    EXPECT_EQ(colourAt(doc, half.position() + 3), text);
    EXPECT_EQ(colourAt(doc, half.position() + 4), error);
    EXPECT_EQ(doc->findBlockByNumber(lines + 1).text(), QStringLiteral("cr"));
    EXPECT_EQ(colourAt(doc, doc->findBlockByNumber(lines + 1).position()), warning);
    EXPECT_EQ(doc->findBlockByNumber(lines + 2).text(), QString());
    EXPECT_EQ(doc->findBlockByNumber(lines + 3).text(), QStringLiteral("last"));

    // Closing with a long log does not lay all of it out again.
    for (int round = 0; round < 12; ++round) {
        writeFromWorker([](Vexil::MsgConsoleSingleton& c) {
            for (int i = 0; i < lines; ++i)
                c.Message("more %d\n", i);
        });
        ASSERT_TRUE(waitFor([&] { return output->document()->blockCount() > (round + 1) * lines; }));
    }
    meter.start();
    output.reset();
    const PelmoraTest::Work closing = meter.elapsed();
    std::printf("closing with %d lines: %s\n", 13 * lines, PelmoraTest::describe(closing).c_str());
    // Laying out each line again makes several allocations a line.
    if (PelmoraTest::workCounted()) {
        EXPECT_LT(closing.allocations, static_cast<std::uint64_t>(lines)) << PelmoraTest::describe(closing);
    }
}

TEST_F(OutputDock, TextThatComesFasterThanItCanBeShownIsCappedAndSaysSo)
{
    ReportOutput output;
    // 2,100 lines of 8,000 characters, more than the 16 Mi characters kept waiting; nothing
    // is taken in while they come.
    const std::string line = std::string(7999, 'x') + '\n';
    writeFromWorker([&line](Vexil::MsgConsoleSingleton& c) {
        for (int i = 0; i < 2100; ++i)
            c.Message("%s", line.c_str());
        c.Error("end\n");
    });
    const QTextDocument* doc = output.document();
    ASSERT_TRUE(waitFor([&] { return doc->lastBlock().previous().text() == QStringLiteral("end"); }));
    // The lines that did not fit are counted where they were left out; a short one after
    // them still fitted.  (A long line is shown in several blocks.)
    const QStringList lines = Gui::LongLineText::writtenText(doc, 0, doc->characterCount() - 1).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2097 + 3);
    EXPECT_EQ(lines[0].size(), 7999);
    EXPECT_EQ(lines[2096].size(), 7999);
    EXPECT_EQ(lines[2097], QStringLiteral(
        "[3 console messages are not shown here: they came faster than they could be shown]"));
    const QTextBlock notice = doc->lastBlock().previous().previous();
    EXPECT_EQ(notice.text(), lines[2097]);
    EXPECT_EQ(colourAt(doc, notice.position()), QColor(255, 170, 0));
    EXPECT_EQ(colourAt(doc, notice.next().position()), QColor(255, 0, 0));

    // Once taken in, there is room again.
    Vexil::MsgConsoleSingleton::Instance().Message("after\n");
    ASSERT_TRUE(waitFor([&] { return doc->lastBlock().previous().text() == QStringLiteral("after"); }));
}

TEST_F(OutputDock, SwitchesAndColoursFollowThePreferences)
{
    prefs->set(Vexil::PM_DISPLAY_WARNINGS, false, false);
    prefs->set(Vexil::PM_COLOR_NORMAL_MESSAGE, 0xff102030u, false);
    ReportOutput output;
    EXPECT_FALSE(output.isWarning());
    EXPECT_TRUE(output.isError());
    EXPECT_TRUE(output.isLogging());

    auto& console = Vexil::MsgConsoleSingleton::Instance();
    console.Warning("hidden warning\n");
    console.Message("plain\n");
    console.Log("%s\n", std::string(998, 'x').c_str());    // 999 characters: shown
    console.Log("%s\n", std::string(999, 'y').c_str());    // 1000: dropped
    QCoreApplication::processEvents();
    EXPECT_EQ(output.toPlainText(), QStringLiteral("plain\n") + QString(998, QLatin1Char('x')) + QLatin1Char('\n'));
    EXPECT_EQ(colourAt(output.document(), 0), QColor(0x10, 0x20, 0x30));

    // A change announced by the preferences reaches the open text area.
    prefs->set(Vexil::PM_DISPLAY_WARNINGS, true, true);
    prefs->set(Vexil::PM_COLOR_WARNING, 0xff00ff00u, true);
    prefs->set(Vexil::PM_DISPLAY_ERRORS, false, true);
    console.Warning("shown\n");
    console.Error("hidden error\n");
    QCoreApplication::processEvents();
    EXPECT_TRUE(output.isWarning());
    EXPECT_FALSE(output.isError());
    EXPECT_TRUE(output.toPlainText().endsWith(QStringLiteral("shown\n")));
    EXPECT_FALSE(output.toPlainText().contains(QStringLiteral("hidden")));
    EXPECT_EQ(colourAt(output.document(), output.toPlainText().length() - 3), QColor(0, 255, 0));

    // The toggles write their setting back.
    output.onToggleLogging();
    EXPECT_FALSE(output.isLogging());
    EXPECT_EQ(prefs->getInt(Vexil::PM_DISPLAY_LOG), 0);
    console.Log("not shown\n");
    QCoreApplication::processEvents();
    EXPECT_FALSE(output.toPlainText().contains(QStringLiteral("not shown")));
    output.onToggleError();
    EXPECT_EQ(prefs->getInt(Vexil::PM_DISPLAY_ERRORS), 1);
}

TEST_F(OutputDock, AutoScrollFollowsTheEndOnlyWhenOn)
{
    prefs->set(Vexil::PM_AUTO_SCROLL, false, false);
    ReportOutput output;
    output.resize(400, 150);
    output.show();
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    for (int i = 0; i < 200; ++i)
        console.Message("line %d\n", i);
    QCoreApplication::processEvents();
    QScrollBar* bar = output.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), 0);

    prefs->set(Vexil::PM_AUTO_SCROLL, true, true);
    console.Message("more\n");
    QCoreApplication::processEvents();
    // The end is in view.
    EXPECT_GT(bar->value(), bar->maximum() / 2);
    EXPECT_TRUE(output.viewport()->rect().contains(output.cursorRect()));
    EXPECT_EQ(output.textCursor().position(), output.toPlainText().length());

    // Switched off from the context menu: the view stays where it is.
    withContextMenu(output, [](QMenu* menu) {
        QAction* options = find(menu, QStringLiteral("Options"));
        ASSERT_NE(options, nullptr);
        QAction* scroll = find(options->menu(), QStringLiteral("Auto Scroll Down"));
        ASSERT_NE(scroll, nullptr);
        EXPECT_TRUE(scroll->isChecked());
        scroll->trigger();
    });
    EXPECT_EQ(prefs->getInt(Vexil::PM_AUTO_SCROLL), 0);
    bar->setValue(10);
    for (int i = 0; i < 50; ++i)
        console.Message("even more %d\n", i);
    QCoreApplication::processEvents();
    EXPECT_EQ(bar->value(), 10);
}

TEST_F(OutputDock, ContextMenuInEnglishAndInGerman)
{
    ReportOutput output;
    output.show();
    output.onToggleWarning();
    withContextMenu(output, [](QMenu* menu) {
        const QStringList all = entries(menu);
        ASSERT_GE(all.size(), 6);
        EXPECT_EQ(all.mid(0, 2), (QStringList{"Options>", "-"}));
        EXPECT_EQ(all.mid(all.size() - 3), (QStringList{"Clear", "-", "Save As..."}));
        QMenu* options = find(menu, QStringLiteral("Options"))->menu();
        EXPECT_EQ(entries(options), (QStringList{"Logging", "Warning", "Error", "-", "Auto Scroll Down"}));
        EXPECT_TRUE(find(options, QStringLiteral("Logging"))->isChecked());
        EXPECT_FALSE(find(options, QStringLiteral("Warning"))->isChecked());
    });

    // Switched to German at run time, the next menu speaks German.
    Gui::Translator::instance()->activateLanguage("German");
    withContextMenu(output, [](QMenu* menu) {
        const QStringList all = entries(menu);
        EXPECT_EQ(all.value(0), QStringLiteral("Optionen>"));
        EXPECT_EQ(all.mid(all.size() - 3), (QStringList{"Leeren", "-", "Speichern unter..."}));
        QMenu* options = menu->actions().value(0)->menu();
        ASSERT_NE(options, nullptr);
        EXPECT_EQ(entries(options), (QStringList{"Protokoll", "Warnungen", "Fehler", "-",
                                                 QString::fromUtf8("Automatisch nach unten bl\u00e4ttern")}));
    });
    Gui::Translator::destruct();
    withContextMenu(output, [](QMenu* menu) { EXPECT_EQ(entries(menu).value(0), QStringLiteral("Options>")); });

    // "Clear" empties the text area.
    Vexil::MsgConsoleSingleton::Instance().Message("something\n");
    QCoreApplication::processEvents();
    withContextMenu(output, [](QMenu* menu) { find(menu, QStringLiteral("Clear"))->trigger(); });
    EXPECT_TRUE(output.toPlainText().isEmpty());
}

TEST_F(OutputDock, SavedFileHoldsExactlyWhatIsShown)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ReportOutput output;
    writeFromWorker([](Vexil::MsgConsoleSingleton& c) {
        c.Message("first line\n");
        c.Warning("Warnung: \xc3\xbc\xc3\xa4\n");   // UTF-8 text stays UTF-8
        c.Error("partial");
    });
    ASSERT_TRUE(waitFor([&] { return output.toPlainText().endsWith(QStringLiteral("partial")); }));

    // A name without a suffix gets ".log".
    const QString base = dir.filePath(QStringLiteral("session"));
    answerSaveWith(base);
    output.onSaveAs();
    EXPECT_EQ(askedCaption, QStringLiteral("Save Output"));
    EXPECT_EQ(askedFilter, QStringLiteral("Plain Text Files (*.txt *.log)"));
    EXPECT_FALSE(QFile::exists(base));
    EXPECT_EQ(QString::fromUtf8(read(base + QStringLiteral(".log"))), output.toPlainText());

    // A name with a suffix is kept, and a longer old file is replaced as a whole.
    const QString named = dir.filePath(QStringLiteral("out.txt"));
    {
        QFile old(named);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(4096, 'o'));
    }
    answerSaveWith(named);
    output.onSaveAs();
    EXPECT_EQ(read(named), output.toPlainText().toUtf8());

    // Cancelling the dialog writes nothing.
    answerSaveWith(QString());
    output.onSaveAs();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

// A line of two million characters from console messages of two kinds (a progress bar
// written piece by piece, a long record): it arrives while the window keeps reacting,
// keeps the colour of each part, and is saved and copied as the one line it is.
TEST_F(OutputDock, AnUnbrokenLineOfTwoKindsArrivesColouredAndIsSavedAndCopiedWhole)
{
    ReportOutput output;
    output.resize(600, 300);
    output.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&output, PelmoraTest::HangGuardMs));
    const int pieces = 1000;
    const std::string piece(1000, 'x');
    writeFromWorker([&](Vexil::MsgConsoleSingleton& c) {
        for (int i = 0; i < pieces; ++i)
            c.Message("%s", piece.c_str());
        for (int i = 0; i < pieces; ++i)
            c.Warning("%s", piece.c_str());
        c.Error("!\n");
        c.Message("next\n");
    });
    // The generous limit only keeps a frozen window from holding the test for ever.
    int ticks = 0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&] { ++ticks; });
    clock.start(10);
    ASSERT_TRUE(waitFor([&] { return output.document()->blockCount() > 2 && output.toPlainText().endsWith(QStringLiteral("next\n")); },
                        PelmoraTest::HangGuardMs));
    clock.stop();
    EXPECT_GT(ticks, 0);
    const int length = 2 * pieces * static_cast<int>(piece.size());
    const QString written = QString(length, QLatin1Char('x')) + QStringLiteral("!\nnext\n");

    // Laid out in pieces of bounded length: one growing block is laid out whole again for
    // every piece that arrives.
    QTextDocument* doc = output.document();
    int longest = 0;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        longest = std::max(longest, block.length() - 1);
    EXPECT_LE(longest, Gui::LongLineText::MaxBlockChars);

    // The document position of a character of the text as written.
    const auto at = [doc](int index) {
        int seen = 0;
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
            if (index - seen < block.length() - 1)
                return block.position() + index - seen;
            seen += block.length() - 1;
            if (block.next().isValid() && !block.next().blockFormat().boolProperty(QTextFormat::UserProperty + 1))
                ++seen;
        }
        return -1;
    };
    const QColor text = output.palette().color(QPalette::WindowText);
    EXPECT_EQ(colourAt(doc, at(0)), text);
    EXPECT_EQ(colourAt(doc, at(length / 2 - 1)), text);
    EXPECT_EQ(colourAt(doc, at(length / 2)), QColor(255, 170, 0));
    EXPECT_EQ(colourAt(doc, at(length - 1)), QColor(255, 170, 0));
    EXPECT_EQ(colourAt(doc, at(length)), QColor(255, 0, 0));
    EXPECT_EQ(colourAt(doc, at(length + 2)), text);

    QTemporaryDir dir;
    const QString saved = dir.filePath(QStringLiteral("long line..log"));
    answerSaveWith(saved);
    output.onSaveAs();
    EXPECT_TRUE(read(saved) == written.toUtf8()) << "the saved line differs";

    QApplication::clipboard()->clear();
    output.setFocus();
    QTest::keyClick(&output, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&output, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QApplication::clipboard()->text() == written) << "the copied line differs";
}

TEST_F(OutputDock, AFileThatCannotBeWrittenIsReported)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ReportOutput output;
    output.append(QStringLiteral("text"));

    // The target is a folder: the user is told, the folder is left alone.
    const QString folder = dir.filePath(QStringLiteral("taken.log"));
    ASSERT_TRUE(QDir().mkpath(QDir(folder).filePath(QStringLiteral("inside"))));
    answerSaveWith(folder);
    {
        PelmoraTest::ModalCloser closer;
        output.onSaveAs();
        ASSERT_EQ(closer.count(), 1);
        EXPECT_EQ(closer.titles().front(), QStringLiteral("Cannot save"));
        EXPECT_TRUE(closer.texts().front().contains(folder));
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QFileInfo::exists(QDir(folder).filePath(QStringLiteral("inside"))));

    // A folder that does not exist: reported too, nothing created.
    const QString missing = dir.filePath(QStringLiteral("no/such/folder/out.log"));
    answerSaveWith(missing);
    {
        PelmoraTest::ModalCloser closer;
        output.onSaveAs();
        EXPECT_EQ(closer.titles(), QStringList{"Cannot save"});
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("no"))));

    // A full disk: reported, and the old file is kept whole.
    PelmoraTest::SmallDisk disk(64);
    if (!disk.mounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    const QString full = disk.filePath(QStringLiteral("full.log"));
    {
        QFile old(full);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("previous session");
    }
    disk.fill();
    answerSaveWith(full);
    {
        PelmoraTest::ModalCloser closer;
        output.onSaveAs();
        ASSERT_EQ(closer.titles(), QStringList{"Cannot save"});
        EXPECT_TRUE(closer.texts().front().contains(QStringLiteral("No space left on device"))) << closer.texts().front().toStdString();
    }
    EXPECT_EQ(read(full), QByteArray("previous session"));
}

TEST_F(OutputDock, PanelButtonsAndTheMainWindowsOutputDock)
{
    Gui::DockWindow::ReportView panel;
    EXPECT_EQ(panel.objectName(), QStringLiteral("ReportOutput"));
    ReportOutput* output = panel.textArea();
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(output->objectName(), QStringLiteral("Output"));
    auto* clear = panel.findChild<QPushButton*>(QStringLiteral("btn_cleartext"));
    auto* save = panel.findChild<QPushButton*>(QStringLiteral("btn_saveTo"));
    ASSERT_NE(clear, nullptr);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->toolTip(), QStringLiteral("Save text to file"));

    Vexil::MsgConsoleSingleton::Instance().Message("for the panel\n");
    QCoreApplication::processEvents();
    QTemporaryDir dir;
    answerSaveWith(dir.filePath(QStringLiteral("panel.txt")));
    save->click();
    EXPECT_EQ(QString::fromUtf8(read(dir.filePath(QStringLiteral("panel.txt")))), QStringLiteral("for the panel\n"));
    clear->click();
    EXPECT_TRUE(output->toPlainText().isEmpty());

    // The main window's Output dock follows the console as well.
    Gui::qPelmoraApplication app(false);
    Gui::MainWindow mw;
    auto* dockOutput = mw.findChild<ReportOutput*>(QStringLiteral("Output"));
    ASSERT_NE(dockOutput, nullptr);
    std::thread([] { Vexil::MsgConsoleSingleton::Instance().Error("from a worker\n"); }).join();
    ASSERT_TRUE(waitFor([&] { return dockOutput->toPlainText().contains(QStringLiteral("from a worker")); }));
}
