#include "DialogTestHelpers.h"

#include <dialogs/MainWindowAccess.h>
#include <dialogs/SelectModule.h>
#include <mainwindow/MainWindow.h>

#include <obj/Application.h>
#include <support/TestEnvironment.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using Gui::SelectModule;

namespace {

class SelectModuleTest : public ::testing::Test
{
protected:
    PelmoraTest::ScopedLogic logic;

    void SetUp() override
    {
        auto& app = logic.app();
        app.add_import_type("STEP (*.step *.stp)", "PartGui");
        app.add_import_type("Mesh files (*.msh *.mesh)", "MeshToolsGui");
        app.add_import_type("Gmsh mesh (*.msh)", "GmshGui");
        app.add_import_type("Abaqus input (*.inp)", "AbaqusGui");
        app.add_import_type("Calculix input (*.inp)", "CalculixGui");
        app.add_import_type("Packed (*.gz)", "ArchiveGui");
    }
};

// Answers the module dialogs in turn: each pick names the module to choose, an empty
// pick checks the last choice and then rejects.
struct Answerer
{
    QStringList picks;
    QStringList titles;
    QList<QStringList> choices;
    int shown = 0;

    explicit Answerer(QStringList p) : picks(std::move(p)) { arm(); }

    void arm()
    {
        if (shown >= picks.size())
            return;
        DialogTest::answerNextModal([this](QWidget* w) {
            auto* dlg = qobject_cast<SelectModule*>(w);
            if (!dlg) {
                w->close();
                return;
            }
            const QString pick = picks.value(shown++);
            titles << dlg->findChild<QGroupBox*>()->title();
            QStringList labels;
            const auto radios = dlg->findChildren<QRadioButton*>();
            for (QRadioButton* r : radios)
                labels << r->text();
            choices << labels;
            auto* ok = dlg->findChild<QPushButton*>(QStringLiteral("okButton"));
            // Nothing checked yet: neither "Select" nor Escape closes the dialog.
            EXPECT_FALSE(ok->isEnabled());
            dlg->reject();
            EXPECT_TRUE(dlg->isVisible());
            arm();
            if (pick.isEmpty()) {
                radios.back()->click();
                dlg->reject();
            } else {
                QRadioButton* r = dlg->findChild<QRadioButton*>(pick);
                ASSERT_NE(r, nullptr);
                r->click();
                EXPECT_TRUE(ok->isEnabled());
                ok->click();
            }
        });
    }
};

} // namespace

TEST_F(SelectModuleTest, ResolvedWithoutAQuestion)
{
    // A known filter maps every file, whatever its suffix.
    const QStringList any{QStringLiteral("/a/x.inp"), QStringLiteral("/a/y.weird")};
    const auto byFilter = SelectModule::importHandler(any, QStringLiteral("STEP (*.step *.stp)"));
    EXPECT_EQ(byFilter.size(), 2);
    EXPECT_EQ(byFilter.value(any[1]), QStringLiteral("PartGui"));

    // An unknown filter text behaves as none; upper-case suffixes are looked up in lower case.
    const QStringList files{QStringLiteral("/a/PART.STP"), QStringLiteral("/a/notes.txt"),
                            QStringLiteral("/a/mesh.tar.gz")};
    const auto result = SelectModule::importHandler(files, QStringLiteral("Nothing (*.none)"));
    EXPECT_EQ(result.size(), 2);
    EXPECT_EQ(result.value(files[0]), QStringLiteral("PartGui"));
    EXPECT_EQ(result.value(files[2]), QStringLiteral("ArchiveGui"));

    // Each family has its own table: the logic registers its project format for opening
    // and importing, and STEP for export.
    EXPECT_EQ(SelectModule::openProjectDBHandler(QStringLiteral("/p/r.pmdb")).value(QStringLiteral("/p/r.pmdb")),
              QStringLiteral("Pelmora"));
    EXPECT_TRUE(SelectModule::openProjectDBHandler(QStringLiteral("/p/run.step")).isEmpty());
    EXPECT_EQ(SelectModule::exportHandler(QStringLiteral("/p/out.stp")).value(QStringLiteral("/p/out.stp")),
              QStringLiteral("Import"));
    EXPECT_TRUE(SelectModule::exportHandler(QStringLiteral("/p/out.msh")).isEmpty());
}

TEST_F(SelectModuleTest, OneQuestionPerAmbiguousExtensionInAscendingOrder)
{
    Answerer answer({QStringLiteral("CalculixGui"), QStringLiteral("GmshGui")});
    const QStringList files{QStringLiteral("/m/one.msh"), QStringLiteral("/m/a.inp"), QStringLiteral("/m/two.MSH"),
                            QStringLiteral("/m/three.msh"), QStringLiteral("/m/b.inp"), QStringLiteral("/m/c.step")};
    const auto result = SelectModule::importHandler(files, QString());

    ASSERT_EQ(answer.shown, 2);
    EXPECT_EQ(answer.titles, (QStringList{QStringLiteral("Open inp as"), QStringLiteral("Open msh as")}));
    // Choices in filter order, without pattern lists and without the "Gui" ending.
    EXPECT_EQ(answer.choices.value(1),
              (QStringList{QStringLiteral("Gmsh mesh (Gmsh)"), QStringLiteral("Mesh files (MeshTools)")}));
    const QStringList expected{"GmshGui", "CalculixGui", "GmshGui", "GmshGui", "CalculixGui", "PartGui"};
    ASSERT_EQ(result.size(), 6);
    for (int i = 0; i < files.size(); ++i)
        EXPECT_EQ(result.value(files[i]), expected[i]) << files[i].toStdString();
}

TEST_F(SelectModuleTest, RejectedQuestionKeepsTheSmallestFilter)
{
    Answerer answer({QString()});
    const QStringList files{QStringLiteral("/m/x.inp"), QStringLiteral("/m/y.inp")};
    const auto result = SelectModule::importHandler(files);
    EXPECT_EQ(answer.shown, 1);
    EXPECT_EQ(result.values(), (QStringList{"AbaqusGui", "AbaqusGui"}));
}

TEST_F(SelectModuleTest, QuestionIsParentedToTheMainWindow)
{
    // The real main window, not a top-level widget that merely looks like one.
    QWidget* parentSeen = nullptr;
    {
        Gui::MainWindow mw;
        EXPECT_EQ(Gui::DialogsDetail::mainWindow(), &mw);
        DialogTest::answerNextModal([&](QWidget* w) {
            parentSeen = w->parentWidget();
            if (auto* r = w->findChild<QRadioButton*>())
                r->click();
            if (auto* ok = w->findChild<QPushButton*>(QStringLiteral("okButton")))
                ok->click();
        });
        SelectModule::importHandler(QStringLiteral("/m/x.inp"));
        EXPECT_EQ(parentSeen, &mw);
    }
    EXPECT_EQ(Gui::DialogsDetail::mainWindow(), nullptr);
}
