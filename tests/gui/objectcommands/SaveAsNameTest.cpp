// Save As through the real file dialog, typed as a user types: a name with a double quote
// (which the dialog would read as a list of names) is explained instead of ignored.

#include <core/qPelmoraApplication.h>
#include <support/HangGuard.h>
#include <mainwindow/MainWindow.h>

#include <support/GuiSession.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <vexil/PreferenceManager.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class SaveAsName : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        PelmoraTest::registerGuiTypes();
        startApplication();
        openMainWindow();
    }
};

} // namespace

TEST_F(SaveAsName, ANameWithADoubleQuoteIsExplainedAndNothingIsSaved)
{
    QTemporaryDir dir;
    logic->app().getPrefMgr()->set(Vexil::PM_DEFAULT_FOLDER, dir.path(), false);
    Obj::Project* project = logic->app().create_project("P", "P");
    project->add_object("Obj::ProjectObject", "Thing");
    const QString typed = QStringLiteral("report \"final\" v2.pmdb");

    // One timer types into the dialog; the other answers the message box that the typed
    // name raises (the first is blocked while the box is open) and then cancels.
    QString explained;
    bool typedIn = false;
    QElapsedTimer clock;   // started when the name is typed
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || typedIn)
            return;
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(edit);
        typedIn = true;
        clock.start();
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            explained = box->text();
            box->reject();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            // Still open after the Return, as it should be; cancelled once the box was
            // seen, or, as a guard against a hang only, a minute after the name was typed
            // without one.
            if (typedIn && (!explained.isEmpty() || clock.elapsed() > PelmoraTest::HangGuardMs))
                dialog->reject();
        }
    });
    typist.start(50);
    answerer.start(50);
    app->save_as();   // what Save As runs; the command itself needs a 3D view
    typist.stop();
    answerer.stop();

    EXPECT_TRUE(typedIn);
    EXPECT_EQ(explained, QStringLiteral("The name ") + typed
                             + QStringLiteral(" cannot be used: a file name must not contain the character \"."));
    EXPECT_TRUE(logic->app().getApplicationFile().empty());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    // A plain name typed the same way is saved.
    typedIn = false;
    const QString plain = QStringLiteral("report final..v2.pmdb");
    QObject::disconnect(&typist, nullptr, nullptr, nullptr);
    QObject::connect(&typist, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || typedIn)
            return;
        typedIn = true;
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        edit->selectAll();
        QTest::keyClicks(edit, plain);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    typist.start(50);
    app->save_as();   // what Save As runs; the command itself needs a 3D view
    typist.stop();
    EXPECT_EQ(logic->app().getApplicationFile(), QDir(dir.path()).filePath(plain).toStdString());
}
