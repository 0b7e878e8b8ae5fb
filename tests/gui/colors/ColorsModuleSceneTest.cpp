// The colours module shows the scene of the current project: it follows the user from
// one project's tab to another's and lets go of a project's scene when the project closes.

#include <colors/qVizColorsModule.h>
#include <colors/qVizColorsModuleWidget.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/MDIWindow.h>
#include <mainwindow/MainWindow.h>

#include <support/GuiSession.h>

#include <colors/vtkVizScalarBarActor.h>
#include <ctk/ctkVTKScalarBarWidget.h>
#include <mrml/vtkMRMLColorLogic.h>
#include <mrml/vtkMRMLColorTableNode.h>
#include <mrml/vtkMRMLScene.h>
#include <qmrml/qMRMLColorTableView.h>
#include <obj/Application.h>
#include <pmmsg/Message.h>
#include <qmrml/qMRMLColorTableComboBox.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <vtkLookupTable.h>

#include <gtest/gtest.h>

namespace {

class ColorsModuleScene : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        PelmoraTest::registerFemGuiTypes();
        MainWindowSession::SetUp();
    }

    // A project made as the new-project command makes it, with its 3D view in a tab.
    Gui::GuiProject* newProject()
    {
        pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
        QApplication::processEvents();
        Obj::Project* project = Obj::Application::instance().get_current_project();
        return project ? app->get_project(project) : nullptr;
    }

    // Clicks the tab of `project`'s view, as a user changes projects.
    void clickTabOf(Gui::GuiProject* project)
    {
        auto* tabs = window->findChild<QTabBar*>();
        ASSERT_NE(tabs, nullptr);
        const QString title = project->getMDIViews().front()->windowTitle();
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->tabText(i).remove(QStringLiteral("[*]")) == QString(title).remove(QStringLiteral("[*]"))) {
                QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(i).center());
                QApplication::processEvents();
                return;
            }
        }
        ADD_FAILURE() << "no tab for " << title.toStdString();
    }
};

} // namespace

TEST_F(ColorsModuleScene, FollowsTheCurrentProjectAndLetsGoOfAClosedOne)
{
    qVizColorsModule* colors = app->colorsModule();
    ASSERT_NE(colors, nullptr);
    EXPECT_EQ(colors->mrmlScene(), nullptr);
    qVizColorsModuleWidget* panel = colors->widgetRepresentation();
    ASSERT_NE(panel, nullptr);
    auto* tables = panel->findChild<qMRMLColorTableComboBox*>(QStringLiteral("ColorTableComboBox"));
    ASSERT_NE(tables, nullptr);

    Gui::GuiProject* first = newProject();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(colors->mrmlScene(), first->mrmlScene());
    // Its colour logic gave the scene the default tables, which the panel offers.
    vtkMRMLNode* rainbow = first->mrmlScene()->GetNodeByID(vtkMRMLColorLogic::GetRainbowColorNodeID());
    ASSERT_NE(rainbow, nullptr);
    EXPECT_EQ(tables->currentNode(), rainbow);

    Gui::GuiProject* second = newProject();
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, first);
    EXPECT_EQ(colors->mrmlScene(), second->mrmlScene());
    EXPECT_EQ(tables->currentNode(), second->mrmlScene()->GetNodeByID(vtkMRMLColorLogic::GetRainbowColorNodeID()));

    clickTabOf(first);
    EXPECT_EQ(app->get_current_project(), first);
    EXPECT_EQ(colors->mrmlScene(), first->mrmlScene());
    EXPECT_EQ(tables->currentNode(), rainbow);

    // Closing the project whose scene it shows leaves the module without that scene.
    vtkMRMLScene* closed = first->mrmlScene();
    ASSERT_TRUE(Obj::Application::instance().close_project(first->get_project()->get_name()));
    QApplication::processEvents();
    EXPECT_NE(colors->mrmlScene(), closed);
    EXPECT_NE(tables->currentNode(), rainbow);
}

TEST_F(ColorsModuleScene, EveryColourFileIsListedForEveryProjectAndTheOneTypedIsMadeAndShown)
{
    // A colour folder under the home with files named as users name them.
    QTemporaryDir home;
    const QString folder = QDir(home.path()).filePath(QStringLiteral("share/Pelmora-2.1/ColorFiles"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QSet<QString> names;
    for (int i = 0; i < 40; ++i) {
        const QString name = QStringLiteral("Tafel-%1 w\u00e4rmer..v1").arg(i, 2, 10, QLatin1Char('0'));
        QFile out(QDir(folder).filePath(name + QStringLiteral(".txt")));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("0 warm" + QByteArray::number(i) + ' ' + QByteArray::number(i * 6) + " 128 255 255\n");
        names.insert(name);
    }
    const QByteArray oldHome = qgetenv("PELMORA_HOME");
    qputenv("PELMORA_HOME", QFile::encodeName(home.path()));
    struct Restore
    {
        QByteArray value;
        ~Restore() { qputenv("PELMORA_HOME", value); }
    } restore{oldHome};

    qVizColorsModuleWidget* panel = app->colorsModule()->widgetRepresentation();
    ASSERT_NE(panel, nullptr);
    auto* tables = panel->findChild<qMRMLColorTableComboBox*>(QStringLiteral("ColorTableComboBox"));
    ASSERT_NE(tables, nullptr);
    panel->show();
    const auto listed = [tables] {
        QSet<QString> texts;
        for (int i = 0; i < tables->count(); ++i)
            texts.insert(tables->itemText(i));
        return texts;
    };
    Gui::GuiProject* first = newProject();
    Gui::GuiProject* second = newProject();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    // The second project is current (both tabs bear one title, so it is not clicked).
    ASSERT_EQ(tables->mrmlScene(), second->mrmlScene());
    EXPECT_TRUE(listed().contains(names)) << "every file's node is offered";
    EXPECT_TRUE(listed().contains(QStringLiteral("PmRainbow")));
    EXPECT_EQ(tables->count(), names.size() + 3) << "and each once";

    // The user types a name into the list of the second project.
    tables->setFocus();
    QTest::keyClicks(tables, QStringLiteral("Tafel-17"));
    QApplication::processEvents();
    ASSERT_EQ(tables->currentText(), QStringLiteral("Tafel-17 w\u00e4rmer..v1"));
    const std::string id = vtkMRMLColorLogic::GetFileColorNodeID("Tafel-17 w\xc3\xa4rmer..v1.txt");
    auto* chosen = vtkMRMLColorTableNode::SafeDownCast(tables->currentNode());
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(chosen, second->mrmlScene()->GetNodeByID(id));
    EXPECT_EQ(tables->count(), names.size() + 3) << "made when chosen, it is not listed twice";
    // The scalar bar and the entry list show the file's colours.
    auto* bar = panel->findChild<ctkVTKScalarBarWidget*>(QStringLiteral("VTKScalarBar"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->title(), QStringLiteral("Tafel-17 w\u00e4rmer..v1 (mm)"));
    vtkLookupTable* shown = vtkLookupTable::SafeDownCast(panel->scalarBarActor()->GetLookupTable());
    ASSERT_NE(shown, nullptr);
    double rgba[4];
    shown->GetTableValue(0, rgba);
    EXPECT_DOUBLE_EQ(rgba[0], 102 / 255.0);
    EXPECT_DOUBLE_EQ(rgba[1], 128 / 255.0);
    auto* view = panel->findChild<qMRMLColorTableView*>(QStringLiteral("ColorView"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->mrmlColorNode(), chosen);
    EXPECT_STREQ(chosen->GetColorName(0), "warm17");

    // The first project still lists the file without a node of its own made for it.
    clickTabOf(first);
    ASSERT_EQ(tables->mrmlScene(), first->mrmlScene());
    EXPECT_TRUE(listed().contains(names));
    EXPECT_EQ(tables->count(), names.size() + 3);
    std::vector<vtkMRMLNode*> made;
    first->mrmlScene()->GetMadeNodesByClass("vtkMRMLColorNode", made);
    EXPECT_LE(made.size(), 4u) << "the built-in tables and no file's";
    // Asked for all its colour nodes, the scene makes them: every file's is there.
    std::vector<vtkMRMLNode*> all;
    first->mrmlScene()->GetNodesByClass("vtkMRMLColorNode", all);
    EXPECT_EQ(all.size(), size_t(names.size() + 3));
    EXPECT_EQ(tables->count(), names.size() + 3);
}
