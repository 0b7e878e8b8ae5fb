// The colours module shows the scene of the current project: it follows the user from
// one project's tab to another's and lets go of a project's scene when the project closes.

#include <colors/qVizColorsModule.h>
#include <colors/qVizColorsModuleWidget.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/MDIWindow.h>
#include <mainwindow/MainWindow.h>

#include <support/GuiSession.h>

#include <mrml/vtkMRMLColorLogic.h>
#include <mrml/vtkMRMLScene.h>
#include <obj/Application.h>
#include <pmmsg/Message.h>
#include <qmrml/qMRMLColorTableComboBox.h>

#include <QApplication>
#include <QTabBar>
#include <QTest>

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
