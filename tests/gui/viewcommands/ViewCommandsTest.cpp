// The view, selection and window-list commands on a main window with projects shown in
// 3D views: picking with the mouse, hide and show records, docking and undocking, the
// display switches, the exclusive entity modes and the list of open windows.

#include <commands/Command.h>
#include <commands/CommandAction.h>
#include <commands/SimModule.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <mainwindow/DocumentArea.h>
#include <mainwindow/MainWindow.h>
#include <selection/SelectionView.h>
#include <selection/TreeSelectionSingleton.h>
#include <selection/TreeWidget.h>
#include <visualization/qPelmoraThreeDWidget.h>
#include <visualization/qView3DMRML.h>

#include <support/SettleEvents.h>
#include <support/GuiSession.h>
#include <support/HangGuard.h>
#include <support/TestEnvironment.h>

#include <mrml/vtkMRML3DViewDisplayableManager.h>
#include <mrml/vtkMRMLInteractionNode.h>
#include <mrml/vtkMRMLScene.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmmsg/Message.h>
#include <qmrml/qMRMLThreeDView.h>

#include <QVTKOpenGLNativeWidget.h>
#include <vtkCollection.h>
#include <vtkNew.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

void flush()
{
    PelmoraTest::settleWithDisplay();
}

// "<code> <project> <id>" of every hide or show record sent since the journal was cleared.
std::vector<std::string> visibilityRecords()
{
    static const QRegularExpression record(QStringLiteral("^doCommand (12|13) .*text2=(\\S*) .*number=(\\d+) "));
    std::vector<std::string> found;
    for (const std::string& line : pmMsg::Journal::lines()) {
        const QRegularExpressionMatch m = record.match(QString::fromStdString(line));
        if (m.hasMatch())
            found.push_back((m.captured(1) + ' ' + m.captured(2) + ' ' + m.captured(3)).toStdString());
    }
    return found;
}

class ViewCommands : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PelmoraTest::vtkSurfaceFormatSet());
        PelmoraTest::registerFemGuiTypes();
        startApplication();
        // The display's own pointer starts in the middle of the screen, over the view: moved
        // off the window first, so only the test's own events hover over the model.
        QCursor::setPos(QGuiApplication::primaryScreen()->geometry().bottomRight());
        window = std::make_unique<Gui::MainWindow>();
        window->resize(1000, 800);
        window->move(0, 0);
        window->show();
        // Placed as a module would place them: the views read the selection entries.
        for (const auto& entry : app->get_command_manager().get_commands())
            entry.second->add_to(&menu);
    }

    void TearDown() override
    {
        flush();
        window.reset();
        flush();
        Gui::SimModuleController::destruct();
        app.reset();
        logic.reset();
    }

    // A project named `name` holding a sphere read from a model file, shown in its view.
    Obj::Project* open(const char* name)
    {
        const std::string file = QDir(dir.path()).filePath(QString::fromLatin1(name) + ".stl").toStdString();
        EXPECT_TRUE(PelmoraTest::writeSphereFile(file, 5.0, 24, 12));
        Obj::Project* project = logic->app().open_model_file(file);
        flush();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get(), PelmoraTest::HangGuardMs));
        return project;
    }

    QAction* action(const char* name) { return command(name)->get_action()->action(); }
    void check() { app->get_command_manager().check_activation(); }

    Gui::qView3DMRML* active3D() const { return qobject_cast<Gui::qView3DMRML*>(window->activeWindow()); }
    static QVTKOpenGLNativeWidget* glOf(Gui::qView3DMRML* view) { return view->getViewer()->threeDView()->VTKWidget(); }

    // The brightest pixel near the centre: the model's face colour between its dark edges.
    static QColor centre(Gui::qView3DMRML* view)
    {
        flush();
        const QImage image = view->getViewer()->threeDView()->VTKWidget()->grabFramebuffer();
        QColor best(0, 0, 0);
        for (int dy = -10; dy <= 10; ++dy)
            for (int dx = -10; dx <= 10; ++dx) {
                const QColor c = image.pixelColor(image.width() / 2 + dx, image.height() / 2 + dy);
                if (c.red() + c.green() + c.blue() > best.red() + best.green() + best.blue())
                    best = c;
            }
        return best;
    }

    static vtkMRML3DViewDisplayableManager* manager(Gui::qView3DMRML* view)
    {
        vtkNew<vtkCollection> all;
        view->getViewer()->getDisplayableManagers(all);
        for (int i = 0; i < all->GetNumberOfItems(); ++i)
            if (auto* m = vtkMRML3DViewDisplayableManager::SafeDownCast(all->GetItemAsObject(i)))
                return m;
        return nullptr;
    }

    static unsigned int firstObjectId(Obj::Project* project) { return project->get_objects().front()->getObjectId(); }

    QTemporaryDir dir;
};

bool near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) < 30 && std::abs(a.green() - b.green()) < 30 && std::abs(a.blue() - b.blue()) < 30;
}

} // namespace

TEST_F(ViewCommands, AClickOnTheModelSelectsItInTheTreeTheSelectionViewAndTheView)
{
    Obj::Project* project = open("ball");
    Gui::qView3DMRML* view = active3D();
    ASSERT_NE(view, nullptr);
    QWidget* gl = glOf(view);
    const QPoint middle(gl->width() / 2, gl->height() / 2);
    const QColor own = centre(view);

    // Hovering marks the model in the preferences' pre-selection colour (yellow).
    QMouseEvent move(QEvent::MouseMove, middle, gl->mapToGlobal(middle), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(gl, &move);
    // The mark is made when the view's loop next turns: waited for, not timed.
    auto* preSelect = view->getViewer()->threeDView()->findChild<QTimer*>(QStringLiteral("preSelect"));
    ASSERT_NE(preSelect, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([preSelect] { return !preSelect->isActive(); }, PelmoraTest::HangGuardMs));
    const QColor hovered = centre(view);
    EXPECT_FALSE(near(hovered, own));
    EXPECT_GT(hovered.red(), 150);
    EXPECT_LT(hovered.blue(), 100);

    QTest::mouseClick(gl, Qt::LeftButton, Qt::NoModifier, middle);
    flush();
    const unsigned int id = firstObjectId(project);
    Gui::TreeSelectionSingleton& tree = Gui::TreeSelectionSingleton::instance();
    EXPECT_TRUE(tree.is_selected(project->get_name(), id));
    EXPECT_EQ(tree.size(), 1u);

    auto* treeWidget = window->findChild<Gui::TreeWidget*>();
    ASSERT_NE(treeWidget, nullptr);
    const QList<QTreeWidgetItem*> selected = treeWidget->selectedItems();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.front()->text(0), QString::fromUtf8(project->get_objects().front()->get_label()));

    auto* picks = window->findChild<Gui::DockWindow::SelectionView3*>();
    ASSERT_NE(picks, nullptr);
    ASSERT_EQ(picks->list()->count(), 1);
    EXPECT_TRUE(picks->list()->item(0)->text().contains(QStringLiteral("Face"))) << picks->list()->item(0)->text().toStdString();

    // The picked model shows the preferences' selection colour (green).
    const QColor picked = centre(view);
    EXPECT_GT(picked.green(), 120);
    EXPECT_LT(picked.red(), 80);

    // A click beside the model changes nothing.
    QTest::mouseClick(gl, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_EQ(tree.size(), 1u);
}

TEST_F(ViewCommands, VisibilityRecordsFollowTheSelectionAcrossProjectsAndLeaveGroupsToMembers)
{
    Obj::Project* one = open("one");
    Obj::Project* two = open("two");
    const unsigned int a = firstObjectId(one);
    const unsigned int b = firstObjectId(two);
    auto* group = dynamic_cast<Obj::ProjectObjectGroup*>(one->add_object("Obj::ProjectObjectGroup", "Group"));
    ASSERT_NE(group, nullptr);
    group->add_object(one->get_object(a));
    const unsigned int g = group->getObjectId();

    Gui::TreeSelectionSingleton& tree = Gui::TreeSelectionSingleton::instance();
    tree.clear_all_selections();
    check();
    for (const char* name : {"Std_Visibility", "Std_ShowSelected", "Std_HideSelected"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;

    tree.add_selection("one", g, nullptr);
    tree.add_selection("one", a, nullptr);
    tree.add_selection("two", b, nullptr);
    check();
    EXPECT_TRUE(action("Std_Visibility")->isEnabled());

    // Both models are shown: the toggle hides them, and the group is left to its member.
    Gui::GuiProject* guiOne = app->get_project(one);
    ASSERT_TRUE(guiOne->isShow(a));
    pmMsg::Journal::clear();
    action("Std_Visibility")->trigger();
    const std::string ids = " " + std::to_string(a);
    EXPECT_EQ(visibilityRecords(), (std::vector<std::string>{"12 one" + ids, "12 two " + std::to_string(b)}));
    EXPECT_FALSE(guiOne->isShow(a));
    pmMsg::Journal::clear();
    action("Std_Visibility")->trigger();
    EXPECT_EQ(visibilityRecords(), (std::vector<std::string>{"13 one" + ids, "13 two " + std::to_string(b)}));
    EXPECT_TRUE(guiOne->isShow(a)) << "shown again, so the next toggle hides it again";

    // Show and hide send one record per entry, the group's too, in selection order.
    pmMsg::Journal::clear();
    action("Std_HideSelected")->trigger();
    EXPECT_EQ(visibilityRecords(), (std::vector<std::string>{"12 one " + std::to_string(g), "12 one" + ids,
                                                            "12 two " + std::to_string(b)}));
    pmMsg::Journal::clear();
    action("Std_ShowSelected")->trigger();
    EXPECT_EQ(visibilityRecords(), (std::vector<std::string>{"13 one " + std::to_string(g), "13 one" + ids,
                                                            "13 two " + std::to_string(b)}));
}

TEST_F(ViewCommands, UndockingAndDockingAgainKeepTheRenderedModel)
{
    open("ball");
    Gui::qView3DMRML* view = active3D();
    ASSERT_NE(view, nullptr);
    const QColor own = centre(view);
    const QImage image = glOf(view)->grabFramebuffer();
    const QColor background = image.pixelColor(2, 2);
    ASSERT_FALSE(near(own, background));

    auto* group = qobject_cast<Gui::CmdActionGroup*>(command("Std_ViewWindowDocking")->get_action());
    ASSERT_NE(group, nullptr);
    const QList<QAction*> modes = group->get_actions();
    ASSERT_EQ(modes.size(), 3);
    EXPECT_EQ(modes[0]->text(), "Docked");
    EXPECT_EQ(modes[1]->shortcut(), QKeySequence(QStringLiteral("U")));
    EXPECT_EQ(modes[2]->shortcut(), QKeySequence(QStringLiteral("F11")));

    // Docked while docked: no copy.
    modes[0]->trigger();
    flush();
    EXPECT_EQ(active3D(), view);

    modes[1]->trigger();
    flush();
    Gui::qView3DMRML* undocked = active3D();
    ASSERT_NE(undocked, nullptr);
    EXPECT_NE(undocked, view);
    EXPECT_EQ(undocked->currentViewMode(), Gui::MDIWindow::TopLevel);
    EXPECT_TRUE(undocked->isWindow());
    EXPECT_EQ(window->mdiArea()->subWindowCount(), 0);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(undocked, PelmoraTest::HangGuardMs));
    EXPECT_TRUE(near(centre(undocked), own)) << "the copy shows the model";
    check();
    EXPECT_EQ(group->get_checked_action(), 1);

    // "Undocked" again docks a copy back into the document area.
    modes[1]->trigger();
    flush();
    Gui::qView3DMRML* docked = active3D();
    ASSERT_NE(docked, nullptr);
    EXPECT_EQ(docked->currentViewMode(), Gui::MDIWindow::Child);
    EXPECT_EQ(window->mdiArea()->subWindowCount(), 1);
    EXPECT_TRUE(near(centre(docked), own));
    check();
    EXPECT_EQ(group->get_checked_action(), 0);
}

TEST_F(ViewCommands, DisplaySwitchesReachTheViewAndTheFixedEntriesStayDisabled)
{
    check();
    EXPECT_FALSE(action("Std_ShowWireframe")->isEnabled()) << "no 3D view yet";
    EXPECT_FALSE(action("Std_ViewExtents")->isEnabled());
    open("ball");
    Gui::qView3DMRML* view = active3D();
    ASSERT_NE(view, nullptr);
    check();
    for (const char* name : {"Std_ViewScreenCapture", "Std_OrthographicView", "Std_PerspectiveView",
                             "Std_ViewZoomIn", "Std_ViewZoomOut", "Std_ShowCoordSys"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;
    for (const char* name : {"Std_MeasureDistance", "Std_ViewExtents", "Std_ShowWireframe", "Std_ShowVertices",
                             "Std_ShowMesh"})
        EXPECT_TRUE(action(name)->isEnabled()) << name;
    EXPECT_EQ(action("Std_OrthographicView")->shortcut(), QKeySequence(QStringLiteral("O")));
    EXPECT_EQ(action("Std_ViewZoomIn")->whatsThis(), action("Std_ViewZoomOut")->whatsThis());

    vtkMRML3DViewDisplayableManager* m = manager(view);
    ASSERT_NE(m, nullptr);
    action("Std_ShowWireframe")->trigger();
    EXPECT_EQ(m->GetDisplayMode(), DM_Wireframe);
    action("Std_ShowWireframe")->trigger();
    EXPECT_EQ(m->GetDisplayMode(), DM_ShadingWithEdges);

    EXPECT_FALSE(action("Std_ShowMesh")->isChecked());
    EXPECT_FALSE(m->GetShowMesh()) << "starting unchecked ran nothing";
    action("Std_ShowMesh")->trigger();
    EXPECT_TRUE(m->GetShowMesh());
    action("Std_ShowVertices")->trigger();
    EXPECT_TRUE(m->GetRenderPointsVisible());

    action("Std_ShowVertices")->trigger();
    EXPECT_FALSE(m->GetRenderPointsVisible());
}

TEST_F(ViewCommands, EntityModesAreExclusiveAndTheFiltersSetTheGroupType)
{
    open("ball");
    Gui::qView3DMRML* view = active3D();
    ASSERT_NE(view, nullptr);
    vtkMRML3DViewDisplayableManager* m = manager(view);
    ASSERT_NE(m, nullptr);
    const auto modesOn = [m] {
        std::vector<int> on;
        for (int mode : {0, 1, 2, 4})
            if (m->GetSelectionMode(mode))
                on.push_back(mode);
        return on;
    };
    // The view starts with the checked entry's mode: faces.
    EXPECT_TRUE(action("Std_SelectFace")->isChecked());
    EXPECT_EQ(modesOn(), std::vector<int>{4});

    check();
    action("Std_SelectEdge")->trigger();
    EXPECT_EQ(modesOn(), std::vector<int>{2});
    for (const char* name : {"Std_SelectVolumeOrElem", "Std_SelectFace", "Std_SelectVertexOrNode"})
        EXPECT_FALSE(action(name)->isChecked()) << name;
    EXPECT_TRUE(action("Std_SelectEdge")->isChecked());
    action("Std_SelectEdge")->trigger();
    EXPECT_TRUE(modesOn().empty()) << "unchecking switches only its own mode off";
    for (const char* name : {"Std_SelectVolumeOrElem", "Std_SelectFace", "Std_SelectEdge", "Std_SelectVertexOrNode"})
        EXPECT_FALSE(action(name)->isChecked()) << name;

    // A view that picks whole shapes only offers the volume entry.
    view->setCanSelect({pmFwm::ENTITY_BODY});
    check();
    EXPECT_TRUE(action("Std_SelectVolumeOrElem")->isEnabled());
    for (const char* name : {"Std_SelectFace", "Std_SelectEdge", "Std_SelectVertexOrNode"})
        EXPECT_FALSE(action(name)->isEnabled()) << name;

    const auto groupTypes = [this] {
        std::vector<int> types;
        for (Gui::Command* c : app->get_command_manager().get_group_commands("Select-Controller"))
            types.push_back(c->getSelGrpType());
        return types;
    };
    view->StartPlaceMode("vtkMRMLAnnotationFiducialNode", true);
    action("Std_SelectNone")->trigger();
    EXPECT_EQ(groupTypes(), std::vector<int>(9, 1));
    auto* interaction = vtkMRMLInteractionNode::SafeDownCast(
        view->mrmlScene()->GetNodeByID("vtkMRMLInteractionNodeSingleton"));
    EXPECT_EQ(interaction->GetCurrentInteractionMode(), vtkMRMLInteractionNode::ViewTransform);
    action("Std_SelectShape")->trigger();
    EXPECT_EQ(groupTypes(), std::vector<int>(9, 2));

    // Choosing mesh in the drop-down shows its icon and runs nothing.
    auto* tools = qobject_cast<Gui::CmdActionGroup*>(command("Part_SelectionTools")->get_action());
    ASSERT_NE(tools, nullptr);
    action("Std_SelectNone")->trigger();
    EXPECT_FALSE(action("Std_SelectMesh")->isEnabled());
    tools->get_actions().at(1)->trigger();
    EXPECT_EQ(tools->action()->icon().cacheKey(), tools->get_actions().at(1)->icon().cacheKey());
    EXPECT_EQ(groupTypes(), std::vector<int>(9, 1));
    tools->get_actions().at(0)->trigger();
    EXPECT_EQ(groupTypes(), std::vector<int>(9, 2));

    // Pre-selection starts as the preferences say (on) and follows its entry.
    qMRMLThreeDView* threeD = view->getViewer()->threeDView();
    EXPECT_TRUE(action("Std_EnablePreSelect")->isChecked());
    EXPECT_TRUE(threeD->preSelectionEnabled());
    action("Std_EnablePreSelect")->trigger();
    EXPECT_FALSE(threeD->preSelectionEnabled());
}

TEST_F(ViewCommands, WindowMenuListsTheOpenWindowsAndActivatesTheChosenOne)
{
    open("one");
    open("two");
    ASSERT_EQ(window->mdiArea()->subWindowCount(), 2);
    QMenu windows;
    ASSERT_TRUE(app->get_command_manager().add_to("Std_WindowsMenu", &windows));
    Q_EMIT windows.aboutToShow();
    QStringList listed;
    QAction* first = nullptr;
    for (QAction* a : windows.actions())
        if (a->isVisible() && !a->isSeparator()) {
            listed << a->text();
            if (!first)
                first = a;
        }
    // Projects made from model files hold unsaved changes: the list marks them.
    EXPECT_EQ(listed, (QStringList{"&1 one*", "&2 two*"}));
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(windows.actions().last()->isVisible()) << "the closing separator shows below a list";
    first->trigger();
    flush();
    ASSERT_NE(window->activeWindow(), nullptr);
    EXPECT_EQ(window->activeWindow()->windowTitle(), "one[*]");
}
