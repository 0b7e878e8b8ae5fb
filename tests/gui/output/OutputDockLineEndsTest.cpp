// How lines end in what leaves the text areas: the Output dock saves and copies its text
// as it shows it (a carriage return that starts a new line there becomes a line feed),
// while the process console gives back the program's bytes.

#include <dialogs/DlgIPCImp.h>
#include <support/HangGuard.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/LongLineText.h>
#include <mainwindow/ReportOutput.h>
#include <mainwindow/ReportView.h>

#include <support/ProcessConsoleRun.h>
#include <support/TestEnvironment.h>

#include <vexil/MsgConsole.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Gui::DockWindow::ReportOutput;
using Gui::DockWindow::ReportView;

QByteArray readAll(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// The save dialog answered with `name`.
void answerSaveWith(const QString& name)
{
    Gui::FileDialog::Backend backend;
    backend.saveFileName = [name](QWidget*, const QString&, const QString&, const QString&, QString*,
                                  QFileDialog::Options) { return name; };
    Gui::FileDialog::setBackend(backend);
}

// Opens the text area's context menu and triggers its entry `text`.
void chooseFromContextMenu(ReportOutput& output, const QString& text)
{
    bool chosen = false;
    QTimer::singleShot(0, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions())
                if (action->text() == text) {
                    menu->close();
                    action->trigger();
                    chosen = true;
                    return;
                }
            menu->close();
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), output.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(output.viewport(), &event);
    EXPECT_TRUE(chosen) << text.toStdString();
}

} // namespace

// Every kind of line end the console may carry x every way text leaves the dock (the
// panel's save button, the context menu's "Save As...", Ctrl+A and Ctrl+C): each gives
// the lines as the dock shows them, each ended by a line feed.
TEST(OutputDockLineEnds, SavedAndCopiedAsShown)
{
    PelmoraTest::ScopedLogic logic;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray longLine(3000, 'x');
    const struct
    {
        const char* what;
        std::vector<QByteArray> messages;
        int linesShown;
        QByteArray shown;
    } inputs[] = {
        {"CR LF", {"windows line\r\n"}, 1, "windows line\n"},
        {"lone CR", {"lone cr\rafter cr\n"}, 2, "lone cr\nafter cr\n"},
        {"CR ending a message, LF starting the next", {"ends with cr\r", "\nnext\n"}, 3, "ends with cr\n\nnext\n"},
        {"CR before CR LF", {"twice\r\r\n"}, 2, "twice\n\n"},
        {"a long line ended by CR LF", {longLine + "\r\n", "after\n"}, 2, longLine + "\nafter\n"},
        {"plain line feeds", {"plain\n", "unended"}, 2, "plain\nunended"},
    };
    ReportView view;
    view.resize(600, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view, PelmoraTest::HangGuardMs));
    auto* output = view.findChild<ReportOutput*>();
    ASSERT_NE(output, nullptr);
    int file = 0;
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.what);
        output->clear();
        for (const QByteArray& message : input.messages)
            Vexil::MsgConsoleSingleton::Instance().Message("%s", message.constData());
        ASSERT_TRUE(QTest::qWaitFor([&] { return output->document()->characterCount() - 1 >= input.shown.size(); }, PelmoraTest::HangGuardMs));
        // The lines the dock shows: a long line is laid out in several blocks, and one
        // ended line leaves an empty block after it.
        int lines = 0;
        for (QTextBlock block = output->document()->begin(); block.isValid(); block = block.next())
            lines += Gui::LongLineText::continuesLine(block) ? 0 : 1;
        EXPECT_EQ(lines - (input.shown.endsWith('\n') ? 1 : 0), input.linesShown) << output->toPlainText().toStdString();

        const QString panelFile = dir.filePath(QStringLiteral("panel %1.log").arg(file++));
        answerSaveWith(panelFile);
        QTest::mouseClick(view.findChild<QPushButton*>(QStringLiteral("btn_saveTo")), Qt::LeftButton);
        EXPECT_EQ(readAll(panelFile).toStdString(), input.shown.toStdString()) << "panel's save button";

        const QString menuFile = dir.filePath(QStringLiteral("menu %1.txt").arg(file++));
        answerSaveWith(menuFile);
        chooseFromContextMenu(*output, QStringLiteral("Save As..."));
        EXPECT_EQ(readAll(menuFile).toStdString(), input.shown.toStdString()) << "context menu's Save As";

        QApplication::clipboard()->clear();
        output->setFocus();
        QTest::keyClick(output, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(output, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text().toUtf8().toStdString(), input.shown.toStdString()) << "Ctrl+C";
    }
    Gui::FileDialog::setBackend(Gui::FileDialog::Backend());
}

// The same line ends written by a program into the process console are copied and saved
// as the program wrote them.
TEST(OutputDockLineEnds, TheProcessConsoleKeepsTheProgramsBytes)
{
    QTemporaryDir dir;
    PelmoraTest::SavingConsole console(QStringLiteral("Mesher"), true);
    const QString script = QStringLiteral("printf 'windows line\\r\\nlone cr\\rafter cr\\ntwice\\r\\r\\n'");
    ASSERT_TRUE(PelmoraTest::runScript(console, script));
    const QByteArray written = "windows line\r\nlone cr\rafter cr\ntwice\r\r\n";
    QApplication::clipboard()->clear();
    QTest::mouseClick(console.findChild<QPushButton*>(QStringLiteral("pb_copy")), Qt::LeftButton);
    EXPECT_TRUE(QApplication::clipboard()->text().toUtf8().endsWith(written));
    console.answer = dir.filePath(QStringLiteral("run.log"));
    QTest::mouseClick(console.findChild<QPushButton*>(QStringLiteral("pb_save")), Qt::LeftButton);
    EXPECT_TRUE(readAll(console.answer).endsWith(written)) << readAll(console.answer).toStdString();
}
