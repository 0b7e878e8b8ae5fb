#pragma once
// Set-ups shared by the tests that run the GUI: type registration, a session with the
// main window, and a session with one project whose 3D view is on screen.

#include "support/TestEnvironment.h"

#include <QMenu>

#include <gtest/gtest.h>

#include <memory>
#include <string>

class QAction;
class QImage;
class qMRMLThreeDView;
class vtkMRMLScene;
namespace Obj { class Project; }
namespace Gui {
class Command;
class GuiProject;
class MainWindow;
class qPelmoraApplication;
class qView3DMRML;
} // namespace Gui

namespace PelmoraTest {

// True once the default surface format of VTK's OpenGL widgets is set; it is set before
// main() creates the application, as those widgets require.
bool vtkSurfaceFormatSet();

// Registers the types of the logic, the GUI and its graphics database.
void registerGuiTypes();
// The same and, once, the FEM module's.
void registerFemGuiTypes();

// Deletes what waits for deletion, and what that deletion posted.
void flushDeletes();

// Writes a sphere of `radius` around the origin to the model file `path` (any format the
// model storage node writes); false when it could not be written.
bool writeSphereFile(const std::string& path, double radius, int thetaResolution = 8, int phiResolution = 8);

// A fresh logic and GUI application with the main window shown.
class MainWindowSession : public ::testing::Test
{
protected:
    MainWindowSession();
    ~MainWindowSession() override;

    void SetUp() override;
    void TearDown() override;

    // The steps of SetUp and TearDown, for fixtures that add their own between them.
    void startApplication();
    void openMainWindow();
    void closeSession();
    // The product's project types, a fresh application and its main window with the FEM
    // module's menus, tool bars and docks, as a start lays them out (a SetUp of its own).
    void openProductWindow();

    Gui::Command* command(const char* name) const;
    // The command's action, placed in `menu`.
    QAction* placed(const char* name);
    // Runs the status bar's message-clearing timer now if it is waiting, and what follows
    // from it.  A console line on the status bar can take a second line there until that
    // timer clears it, and the views are that much shorter meanwhile: pictures compared
    // with each other are taken with the bar cleared, however long the test has run.
    void clearStatusMessage() const;

    QMenu menu;
    std::unique_ptr<ScopedLogic> logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
    std::unique_ptr<Gui::MainWindow> window;
};

// A fresh logic and GUI application, and on demand a new project with its 3D view.
class ProjectViewSession : public ::testing::Test
{
protected:
    ProjectViewSession();
    ~ProjectViewSession() override;

    void SetUp() override;
    void TearDown() override;

    // Makes a project with the new-project command and finds its one 3D view.
    void newProject();
    // Shows the view at 320 x 320 pixels and waits until it is on screen.
    void showView();
    qMRMLThreeDView* threeD() const;
    // What the view shows, after a few rounds of events.
    QImage picture();

    ScopedLogic logic;
    std::unique_ptr<Gui::qPelmoraApplication> app;
    Obj::Project* project = nullptr;
    Gui::GuiProject* gui = nullptr;
    vtkMRMLScene* scene = nullptr;
    Gui::qView3DMRML* view = nullptr;
};

} // namespace PelmoraTest
