// The GUI project beside each logic project: its scene, its feeders, and the order in
// which object events travel from the logic through the GUI project to the application.

#include "ProjectTestTypes.h"

#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/BaseView.h>
#include <mainwindow/MDIWindow.h>
#include <visualization/ViewFeeder.h>
#include <visualization/qView3DMRML.h>

#include <support/ConsoleCapture.h>
#include <support/ModalCloser.h>
#include <support/TestEnvironment.h>

#include <mrml/vtkMRMLClipModelsNode.h>
#include <mrml/vtkMRMLCrosshairNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLSelectionNode.h>
#include <mrml/vtkMRMLViewNode.h>
#include <mrml/vtkVizApplicationLogic.h>
#include <obj/Application.h>
#include <pmmsg/Message.h>
#include <vexil/PreferenceManager.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <vtkCallbackCommand.h>
#include <vtkWeakPointer.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

using namespace ProjectTest;
using PelmoraTest::ConsoleCapture;

namespace {

std::vector<std::string>& J() { return journal(); }

std::string describe(const Gui::ViewFeeder* f)
{
    auto* feeder = dynamic_cast<const Gui::ViewFeederProjectObject*>(f);
    return " " + (feeder && feeder->get_object() ? std::string(feeder->get_object()->get_name()) : "?");
}
std::string describe(const Obj::Property* p) { return std::string(" ") + p->get_name(); }
std::string describe(const void*) { return ""; }   // projects and windows: the tag says it all

// A slot that journals "tag" followed by the object and property names among its arguments.
auto rec(const std::string& tag)
{
    return [tag](const auto&... args) {
        std::string line = tag;
        for (const std::string& part : {describe(&args)...})
            line += part;
        J().push_back(line);
    };
}

// Writes every application and GUI project signal into the journal.  The GUI project's
// listeners go in front of the application's relay, so the journal shows which of the
// two raised first.
void listen(Gui::qPelmoraApplication& app, std::vector<boost::signals2::scoped_connection>& keep)
{
    keep.emplace_back(app.signal_new_project.connect([&keep](const Gui::GuiProject& p, Gui::ViewFeederProject& f) {
        J().push_back(std::string("app:new_project ") + f.getTypeId().get_name());
        auto& gp = const_cast<Gui::GuiProject&>(p);
        keep.emplace_back(gp.signal_new_object.connect(rec("gui:new"), boost::signals2::at_front));
        keep.emplace_back(gp.signal_delete_object.connect(rec("gui:delete"), boost::signals2::at_front));
        keep.emplace_back(gp.signal_change_object.connect(rec("gui:change"), boost::signals2::at_front));
        keep.emplace_back(gp.signal_relabel_object.connect(rec("gui:relabel"), boost::signals2::at_front));
        keep.emplace_back(gp.signal_activate_object.connect(rec("gui:activate"), boost::signals2::at_front));
    }));
    keep.emplace_back(app.signal_remove_project.connect(rec("app:remove_project")));
    keep.emplace_back(app.signal_relabel_project.connect(rec("app:relabel_project")));
    keep.emplace_back(app.signal_rename_project.connect(rec("app:rename_project")));
    keep.emplace_back(app.signal_current_project.connect(rec("app:current_project")));
    keep.emplace_back(app.signal_create_object.connect(rec("app:create")));
    keep.emplace_back(app.signal_remove_object.connect(rec("app:remove")));
    keep.emplace_back(app.signal_change_object.connect(rec("app:change")));
    keep.emplace_back(app.signal_rename_object.connect(rec("app:rename")));
    keep.emplace_back(app.signal_activate_object.connect(rec("app:activate")));
    keep.emplace_back(app.signal_activate_view.connect(rec("app:activate_view")));
}

class GuiProjectTest : public ::testing::Test
{
protected:
    GuiProjectTest()
    {
        registerTypes();
        J().clear();
        RecordingFeeder::throwOnUpdate = false;
    }
    void TearDown() override
    {
        // Views closed by a GUI project go with the next deferred deletion.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static Obj::Project* newProject()
    {
        pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
        return Obj::Application::instance().get_current_project();
    }
};

// A logic followed by the application object, every signal journaled, one project open.
class SessionTest : public GuiProjectTest
{
protected:
    PelmoraTest::ScopedLogic logic;
    Gui::qPelmoraApplication app{true};
    std::vector<boost::signals2::scoped_connection> keep;
    Obj::Project* project = nullptr;
    Gui::GuiProject* gui = nullptr;

    void SetUp() override
    {
        listen(app, keep);
        project = newProject();
        ASSERT_NE(project, nullptr);
        gui = app.get_project(project);
        ASSERT_NE(gui, nullptr);
    }
};

} // namespace

TEST_F(SessionTest, NewProjectGetsItsGuiProjectSceneFixedNodesAndA3DView)
{
    EXPECT_EQ(app.get_project(project->get_name()), gui);
    EXPECT_EQ(gui->get_project(), project);
    // The logic announces the project as current, which does not make it current here.
    EXPECT_EQ(J(), (std::vector<std::string>{"app:new_project FemGui::ViewFeederProjectFem", "app:current_project"}));
    EXPECT_EQ(app.get_current_project(), nullptr);

    vtkMRMLScene* scene = gui->mrmlScene();
    ASSERT_NE(scene, nullptr);
    auto* crosshair = vtkMRMLCrosshairNode::SafeDownCast(scene->GetFirstNodeByClass("vtkMRMLCrosshairNode"));
    ASSERT_NE(crosshair, nullptr);
    EXPECT_STREQ(crosshair->GetCrosshairName(), "default");
    EXPECT_NE(scene->GetNodeByID("vtkMRMLTransformNode1"), nullptr);
    EXPECT_NE(vtkMRMLClipModelsNode::SafeDownCast(scene->GetNodeByID("vtkMRMLClipModelsNode1")), nullptr);
    // The view node is handed to the 3D view, not kept in the scene.
    auto* viewNode = vtkMRMLViewNode::SafeDownCast(gui->getViewNode());
    ASSERT_NE(viewNode, nullptr);
    EXPECT_STREQ(viewNode->GetID(), "vtkMRMLViewNode1");
    EXPECT_STREQ(viewNode->GetName(), "View1");
    EXPECT_STREQ(viewNode->GetLayoutName(), "1");
    EXPECT_EQ(scene->GetNodeByID("vtkMRMLViewNode1"), nullptr);
    // The MRML logic works on the newest scene.
    EXPECT_EQ(app.applicationLogic()->GetMRMLScene(), scene);

    const auto views = gui->getMDIViews();
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views.front()->getTypeId(), Gui::qView3DMRML::getClassTypeId());
    EXPECT_EQ(views.front()->windowTitle(), QString("Unnamed Project"));
    EXPECT_EQ(static_cast<Gui::qView3DMRML*>(views.front())->mrmlScene(), scene);
    EXPECT_EQ(CountingProjectFeeder::alive, 1);
}

TEST_F(SessionTest, ObjectEventsReachFeederGuiProjectAndApplicationInOrder)
{
    gui->setDirty(false);
    J().clear();
    Obj::ProjectObject* object = project->add_object("ProjectTest::RecordedObject", "Box");
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(J(), (std::vector<std::string>{"feeder:updateView", "gui:new Box", "app:create Box"}));
    auto* feeder = dynamic_cast<RecordingFeeder*>(gui->get_view_feeder(object));
    ASSERT_NE(feeder, nullptr);
    EXPECT_EQ(feeder->get_object(), object);
    EXPECT_EQ(app.get_view_feeder(object), feeder);
    EXPECT_EQ(gui->getViewFeederById(object->getObjectId()), feeder);
    EXPECT_TRUE(gui->getDirty());

    // A relabel is a change of "Label" followed by a rename; the feeder is updated with its
    // shown flag down, before anyone hears of the change.
    J().clear();
    object->set_label("Big box");
    EXPECT_EQ(J(), (std::vector<std::string>{"feeder:update Label hidden", "gui:change Box Label",
                                             "app:change Box Label", "gui:relabel Box", "app:rename Box"}));
    EXPECT_TRUE(feeder->isShow());

    J().clear();
    project->activate_object(object->getObjectId());
    EXPECT_EQ(J(), (std::vector<std::string>{"gui:activate Box", "app:activate Box"}));

    // The feeder goes only after everyone heard of the deletion.
    J().clear();
    project->remove_object(object->getObjectId());
    EXPECT_EQ(J(), (std::vector<std::string>{"gui:delete Box", "app:remove Box", "feeder:deleted"}));
    EXPECT_EQ(gui->get_view_feeder(object), nullptr);
    EXPECT_EQ(RecordingFeeder::alive, 0);
}

TEST_F(SessionTest, ObjectsWithoutUsableFeederGetNoneAndSayWhy)
{
    gui->setDirty(false);
    J().clear();
    ConsoleCapture console;
    Obj::ProjectObject* blind = project->add_object("ProjectTest::BlindObject", "Blind");
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Log, "ProjectTest::BlindObject has no view provider specified\n"));
    EXPECT_FALSE(gui->getDirty());

    Obj::ProjectObject* unknown = project->add_object("ProjectTest::UnknownFeederObject", "Unknown");
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error,
        "Gui::GuiProject::slot_create_object() has no view component for the object Nowhere::Feeder found\n"));
    EXPECT_TRUE(gui->getDirty());
    // A registered class that is no object feeder counts as no view component.
    Obj::ProjectObject* wrong = project->add_object("ProjectTest::WrongFeederObject", "Wrong");
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, "view component for the object Obj::PropertyString found"));
    for (auto* o : {blind, unknown, wrong})
        EXPECT_EQ(gui->get_view_feeder(o), nullptr);

    // A change without feeder still marks the project; rename and activate say nothing.
    gui->setDirty(false);
    blind->set_label("Still blind");
    project->activate_object(blind->getObjectId());
    EXPECT_TRUE(gui->getDirty());
    EXPECT_TRUE(J().empty());
}

TEST_F(SessionTest, RepeatedCreateReannouncesAndFailingUpdateIsReportedButAnnounced)
{
    Obj::ProjectObject* object = project->add_object("ProjectTest::RecordedObject", "Cone");
    Gui::ViewFeeder* feeder = gui->get_view_feeder(object);
    J().clear();
    project->signal_create_object(*object);
    EXPECT_EQ(gui->get_view_feeder(object), feeder);
    EXPECT_EQ(RecordingFeeder::alive, 1);
    EXPECT_EQ(J(), (std::vector<std::string>{"gui:new Cone", "app:create Cone"}));

    ConsoleCapture console;
    RecordingFeeder::throwOnUpdate = true;
    J().clear();
    object->set_label("Cone 2");
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Error, "C++ exception in object '" +
                                 std::to_string(object->getObjectId()) + "' thrown: broken representation\n"));
    EXPECT_EQ(std::count(J().begin(), J().end(), "gui:change Cone Label"), 1);
    EXPECT_TRUE(feeder->isShow());
}

TEST_F(SessionTest, RemovedProjectLeavesNothingBehind)
{
    project->add_object("ProjectTest::RecordedObject", "Part");
    vtkWeakPointer<vtkMRMLScene> scene = gui->mrmlScene();
    app.set_current_view(gui->getMDIViews().front());
    ASSERT_EQ(app.get_current_project(), gui);
    J().clear();

    const std::string projectName = project->get_name();
    EXPECT_TRUE(logic.app().close_project(projectName.c_str()));
    EXPECT_EQ(J().front(), "app:remove_project");
    EXPECT_EQ(app.get_current_project(), nullptr);
    EXPECT_EQ(app.mrmlScene(), nullptr);
    EXPECT_EQ(app.get_project(projectName.c_str()), nullptr);
    EXPECT_EQ(RecordingFeeder::alive, 0);
    // The project feeder goes with its GUI project.
    EXPECT_EQ(CountingProjectFeeder::alive, 0);
    EXPECT_EQ(app.applicationLogic()->GetMRMLScene(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(scene.GetPointer(), nullptr);

    // A later project gets a fresh feeder; a second removal of it is only logged.
    Obj::Project* next = newProject();
    ASSERT_NE(app.get_project(next), nullptr);
    EXPECT_EQ(CountingProjectFeeder::alive, 1);
    ConsoleCapture console;
    logic.app().signal_remove_project(*next);
    logic.app().signal_remove_project(*next);
    EXPECT_EQ(console.count(ConsoleCapture::Level::Log, "is already deleted, no removal action.\n"), 1);
    EXPECT_EQ(CountingProjectFeeder::alive, 0);
}

TEST_F(GuiProjectTest, ApplicationAndGuiProjectLetGoOfTheLogicSignals)
{
    PelmoraTest::ScopedLogic logic;
    Obj::Project* project = nullptr;
    {
        Gui::qPelmoraApplication app(true);
        project = newProject();
        ASSERT_NE(app.get_project(project), nullptr);
    }
    // Gone with the application object: no signal reaches freed memory.
    for (auto* signal : {&logic.app().signal_new_project, &logic.app().signal_remove_project,
                         &logic.app().signal_rename_project, &logic.app().signal_current_project,
                         &logic.app().signal_relabel_project})
        EXPECT_EQ(signal->num_slots(), 0u);
    EXPECT_EQ(CountingProjectFeeder::alive, 0);
    project->add_object("ProjectTest::RecordedObject");
    EXPECT_EQ(RecordingFeeder::alive, 0);

    auto* gui = new Gui::GuiProject(project, nullptr);
    EXPECT_EQ(project->signal_create_object.num_slots(), 1u);
    delete gui;
    EXPECT_EQ(project->signal_create_object.num_slots() + project->signal_remove_object.num_slots() +
                  project->signal_change_object.num_slots() + project->signal_rename_object.num_slots() +
                  project->signal_activate_object.num_slots() + project->signal_save.num_slots() +
                  project->signal_restore.num_slots() + project->signal_export_objects.num_slots() +
                  project->signal_import_objects.num_slots(),
              0u);
}

TEST_F(SessionTest, CurrentViewMakesItsProjectCurrentAndRegistersPlaceClassesInOneBatch)
{
    ASSERT_NE(app.get_project(newProject()), nullptr);
    vtkMRMLScene* scene = gui->mrmlScene();
    int batches = 0;
    vtkNew<vtkCallbackCommand> counter;
    counter->SetClientData(&batches);
    counter->SetCallback([](vtkObject*, unsigned long, void* data, void*) { ++*static_cast<int*>(data); });
    scene->AddObserver(vtkMRMLScene::StartBatchProcessEvent, counter);
    J().clear();

    app.set_current_view(gui->getMDIViews().front());
    EXPECT_EQ(J().front(), "app:activate_view");
    EXPECT_EQ(app.get_current_project(), gui);
    EXPECT_EQ(app.mrmlScene(), scene);
    EXPECT_EQ(logic.app().get_current_project(), project);
    EXPECT_EQ(app.applicationLogic()->GetMRMLScene(), scene);
    EXPECT_EQ(batches, 1);
    auto* selection = vtkMRMLSelectionNode::SafeDownCast(scene->GetNodeByID("vtkMRMLSelectionNodeSingleton"));
    ASSERT_NE(selection, nullptr);
    ASSERT_EQ(selection->GetNumberOfPlaceNodeClassNamesInList(), 3);
    EXPECT_EQ(selection->GetPlaceNodeClassNameByIndex(0), "vtkMRMLAnnotationFiducialNode");
    EXPECT_EQ(selection->GetPlaceNodeIconNameByIndex(1), "Ruler");
    EXPECT_EQ(selection->GetPlaceNodeResourceByIndex(2), ":/Icons/AnnotationROI.png");
}

TEST_F(SessionTest, ClosingTheLastViewClosesTheProjectOnceUnlessTheApplicationIsEnding)
{
    const std::string projectName = project->get_name();
    pmMsg::Journal::clear();
    Gui::MDIWindow* view = gui->getMDIViews().front();
    Gui::MDIWindow* clone = gui->cloneView(view);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->windowTitle(), view->windowTitle());
    EXPECT_EQ(gui->createView(Gui::MDIWindow::getClassTypeId()), nullptr);
    delete clone;
    EXPECT_TRUE(pmMsg::Journal::lines().empty());
    delete view;
    EXPECT_EQ(pmMsg::Journal::lines(), std::vector<std::string>{"runCommand 22 " + projectName});
    EXPECT_EQ(logic.app().get_project(projectName.c_str()), nullptr);
    EXPECT_EQ(app.get_project(project), nullptr);

    // Once the application ends, closing views sends nothing more.
    Obj::Project* kept = newProject();
    pmMsg::Journal::clear();
    QCloseEvent close;
    app.intend_to_close(&close);   // nothing dirty: accepted without asking
    EXPECT_TRUE(close.isAccepted());
    EXPECT_TRUE(app.is_ending_project());
    EXPECT_EQ(logic.app().get_projects().size(), 0u);
    EXPECT_EQ(app.get_project(kept), nullptr);
    EXPECT_TRUE(pmMsg::Journal::lines().empty());
}

TEST_F(SessionTest, CancelOnUnsavedProjectsKeepsEverythingOpen)
{
    project->add_object("ProjectTest::RecordedObject");
    ASSERT_TRUE(gui->getDirty());
    PelmoraTest::ModalCloser closer(QMessageBox::Cancel);
    QCloseEvent close;
    app.intend_to_close(&close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_FALSE(app.is_ending_project());
    EXPECT_EQ(closer.titles(), QStringList{"Close Project"});
    EXPECT_NE(app.get_project(project), nullptr);

    // Closing discards the changes and every project.
    closer.setAnswer(QMessageBox::Close);
    QCloseEvent again;
    app.intend_to_close(&again);
    EXPECT_TRUE(again.isAccepted());
    EXPECT_EQ(app.get_project(project), nullptr);
}

TEST_F(SessionTest, FeedersByNumberVisibilityRestoreAndRootObjects)
{
    // Annotation feeders: replaced ones are deleted, unknown numbers change nothing.
    gui->setAnnotationViewFeeder(900, new RecordingFeeder);
    gui->setAnnotationViewFeeder(900, new RecordingFeeder);
    EXPECT_EQ(RecordingFeeder::alive, 1);
    gui->removeAnnotationViewFeeder(901);
    EXPECT_EQ(gui->getViewFeederById(900), gui->getAnnotationViewFeeder(900));
    gui->removeAnnotationViewFeeder(900);
    EXPECT_EQ(RecordingFeeder::alive, 0);
    // Registering the same feeder again keeps it alive and registered.
    auto* same = new RecordingFeeder;
    gui->setAnnotationViewFeeder(902, same);
    gui->setAnnotationViewFeeder(902, same);
    EXPECT_EQ(RecordingFeeder::alive, 1);
    EXPECT_EQ(gui->getAnnotationViewFeeder(902), same);
    gui->removeAnnotationViewFeeder(902);
    EXPECT_EQ(RecordingFeeder::alive, 0);

    // Visibility through the feeder's property; the application hears of it.
    Obj::ProjectObject* a = project->add_object("ProjectTest::RecordedObject", "A");
    J().clear();
    gui->setHide(a->getObjectId());
    EXPECT_FALSE(gui->isShow(a->getObjectId()));
    EXPECT_EQ(J(), std::vector<std::string>{"app:change A Visibility"});
    gui->setShow(a->getObjectId());
    EXPECT_TRUE(gui->isShow(a->getObjectId()));

    // Activations during a restore are dropped; the end announces the current object once.
    project->activate_object(a->getObjectId());
    J().clear();
    gui->slotStartRestoreDocument(*project);
    project->activate_object(a->getObjectId());
    EXPECT_TRUE(J().empty());
    gui->slotFinishRestoreDocument(*project);
    EXPECT_EQ(J(), (std::vector<std::string>{"gui:activate A", "app:activate A"}));
    EXPECT_FALSE(gui->getDirty());

    // Objects a listed group claims are not roots; duplicates are added once.
    auto* group = static_cast<Obj::ProjectObjectGroup*>(project->add_object("Obj::ProjectObjectGroup", "G"));
    Obj::ProjectObject* b = project->add_object("ProjectTest::RecordedObject", "B");
    group->add_object(a);
    auto* target = static_cast<Obj::ProjectObjectGroup*>(project->add_object("Obj::ProjectObjectGroup", "T"));
    gui->addRootObjectsToGroup({a, group, b, b}, target);
    const auto& listed = target->get_objects();
    std::vector<Obj::ProjectObject*> members(listed.begin(), listed.end());
    std::vector<Obj::ProjectObject*> expected{group, b};
    std::sort(members.begin(), members.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(members, expected);
    EXPECT_FALSE(gui->setEdit(gui->get_view_feeder(a), 0));
}

TEST_F(GuiProjectTest, DocumentNumbersCountUpAndAreNeverReused)
{
    PelmoraTest::ScopedLogic logic;
    Gui::GuiProject first(nullptr, nullptr);
    delete new Gui::GuiProject(nullptr, nullptr);
    Gui::GuiProject third(nullptr, nullptr);
    EXPECT_EQ(third.getDocumentNumber(), first.getDocumentNumber() + 2);
}

TEST_F(SessionTest, PassiveViewsFollowTheCurrentProjectAndLoseItOnRemoval)
{
    struct PassiveView : Gui::BaseView
    {
        int updates = 0;
        void update_view() override { ++updates; }
    } passive;
    // A view built without a project joins the application's passive views by itself.
    ASSERT_TRUE(passive.is_passive());
    app.set_current_view(gui->getMDIViews().front());
    EXPECT_EQ(passive.get_project(), gui);
    app.update_current();   // through the project it follows
    EXPECT_EQ(passive.updates, 1);

    EXPECT_TRUE(logic.app().close_project(project->get_name()));
    EXPECT_EQ(passive.get_project(), nullptr);
    app.update_all();       // still one of the application's views
    EXPECT_EQ(passive.updates, 2);
    passive.onClose();
    app.update_all();
    EXPECT_EQ(passive.updates, 2);
}

TEST_F(SessionTest, AProjectClosedByAListenerOfItsCreationOrActivationLeavesNothingDangling)
{
    struct PassiveView : Gui::BaseView
    {
    } passive;
    const auto closeIt = [this](const Gui::GuiProject& closing) {
        const std::string name = closing.get_project()->get_name();
        logic.app().close_project(name.c_str());
    };
    {
        boost::signals2::scoped_connection closer =
            app.signal_new_project.connect([&](const Gui::GuiProject& p, Gui::ViewFeederProject&) { closeIt(p); });
        newProject();
    }
    ASSERT_EQ(logic.app().get_projects().size(), 1u);
    EXPECT_EQ(app.get_project(project), gui);

    Obj::Project* second = newProject();
    Gui::GuiProject* secondGui = app.get_project(second);
    ASSERT_NE(secondGui, nullptr);
    app.set_current_view(gui->getMDIViews().front());
    ASSERT_EQ(passive.get_project(), gui);
    {
        boost::signals2::scoped_connection closer = app.signal_current_project.connect(
            [&](const Gui::GuiProject& p) { if (&p == secondGui) closeIt(p); });
        app.set_current_view(secondGui->getMDIViews().front());
    }
    EXPECT_EQ(app.get_project(second), nullptr);
    EXPECT_EQ(app.get_current_project(), nullptr);
    EXPECT_EQ(passive.get_project(), nullptr);
    EXPECT_EQ(gui->getMDIViews().size(), 1u);
}

TEST_F(SessionTest, AViewMayCloseItsProjectWhileTheViewsAreUpdatedOrAsked)
{
    // Deleted with its project, like the document views.
    struct ClosingView : Gui::BaseView
    {
        using Gui::BaseView::BaseView;
        std::function<void()> closeProject;
        int updates = 0;
        void update_view() override
        {
            ++updates;
            if (const auto f = std::exchange(closeProject, nullptr))
                f();
        }
        bool message_handler(const char*, const char**) override
        {
            if (const auto f = std::exchange(closeProject, nullptr))
                f();
            return false;
        }
    };
    const auto closer = [this](Obj::Project* doomed) {
        return [this, name = std::string(doomed->get_name())]() { logic.app().close_project(name.c_str()); };
    };
    Obj::Project* second = newProject();
    Obj::Project* third = newProject();
    auto* closing = new ClosingView(app.get_project(second));
    closing->closeProject = closer(second);
    auto* later = new ClosingView(app.get_project(third));
    app.update_all();
    EXPECT_EQ(app.get_project(second), nullptr);
    EXPECT_EQ(later->updates, 1);

    later->closeProject = closer(third);
    EXPECT_FALSE(app.get_project(third)->sendMsgToViews("Fit"));
    EXPECT_EQ(app.get_project(third), nullptr);
    EXPECT_NE(app.get_project(project), nullptr);
}

TEST_F(SessionTest, LabelChangesAndMessagesReachPassiveViewsToo)
{
    struct PassiveView : Gui::BaseView
    {
        std::vector<Gui::GuiProject*> relabelled;
        std::vector<std::string> messages;
        void on_label_changed(Gui::GuiProject* p) override { relabelled.push_back(p); }
        bool message_handler(const char* message, const char**) override
        {
            messages.emplace_back(message);
            return std::string(message) == "TakenByPanel";
        }
    } passive;
    // How a panel following the current project is listed by it.
    gui->attachView(&passive, true);

    logic.app().relabel_project(project->get_name(), "Bracket");
    EXPECT_EQ(passive.relabelled, std::vector<Gui::GuiProject*>{gui});
    // A new name is a change: the tab shows it as unsaved.
    EXPECT_EQ(gui->getMDIViews().front()->windowTitle(), QString("Bracket[*]"));
    EXPECT_TRUE(gui->getMDIViews().front()->isWindowModified());

    // Document views are asked first; the panel takes what they leave.
    EXPECT_TRUE(gui->sendMsgToViews("TakenByPanel"));
    EXPECT_FALSE(gui->sendMsgToViews("Nobody"));
    EXPECT_EQ(passive.messages, (std::vector<std::string>{"TakenByPanel", "Nobody"}));
    gui->detachView(&passive, true);
}

TEST_F(SessionTest, SceneRootIsTheHomeFolderUntilADefaultFolderIsChosen)
{
    Vexil::PreferenceManager* prefs = logic.app().getPrefMgr();
    ASSERT_NE(prefs, nullptr);
    ASSERT_EQ(prefs->getString(Vexil::PM_DEFAULT_FOLDER), QString("Undefined"));
    const QString home = QString::fromUtf8(logic.app().get_home_directory().c_str());
    ASSERT_FALSE(home.isEmpty());
    EXPECT_EQ(QString::fromUtf8(gui->mrmlScene()->GetRootDirectory()), home);
    // The fallback is used, not stored.
    EXPECT_EQ(prefs->getString(Vexil::PM_DEFAULT_FOLDER), QString("Undefined"));

    prefs->set(Vexil::PM_DEFAULT_FOLDER, "", false);
    EXPECT_EQ(QString::fromUtf8(app.get_project(newProject())->mrmlScene()->GetRootDirectory()), home);

    const QString chosen = PelmoraTest::homeDir() + "/models";
    prefs->set(Vexil::PM_DEFAULT_FOLDER, chosen, false);
    EXPECT_EQ(QString::fromUtf8(app.get_project(newProject())->mrmlScene()->GetRootDirectory()), chosen);
}

TEST_F(SessionTest, SaveInTheCloseQuestionsSavesAndCancelKeepsTheProjectsOpen)
{
    project->add_object("ProjectTest::RecordedObject");
    ASSERT_TRUE(gui->getDirty());
    QTemporaryDir dir;
    QString answer;   // what the save dialog answers; empty: the user cancels it
    Gui::FileDialog::Backend backend;
    backend.saveFileName = [&answer](QWidget*, const QString&, const QString&, const QString&, QString*,
                                     QFileDialog::Options) { return answer; };
    const Gui::FileDialog::Backend previous = Gui::FileDialog::setBackend(backend);

    // The project's own question: Cancel keeps it without a word.
    PelmoraTest::ModalCloser closer(QMessageBox::Cancel);
    EXPECT_FALSE(gui->canClose());
    EXPECT_EQ(closer.titles(), QStringList{"Close Project"});

    // Save, then no file chosen: nothing is saved and the project stays open.
    closer.setAnswer(QMessageBox::Save);
    EXPECT_FALSE(gui->canClose());
    EXPECT_TRUE(gui->getDirty());

    // The application's question on leaving, with no file chosen: nothing closes.
    QCloseEvent close;
    app.intend_to_close(&close);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_FALSE(app.is_ending_project());
    EXPECT_NE(app.get_project(project), nullptr);

    // A label that looks like markup is shown as typed.
    logic.app().relabel_project(project->get_name(), "<b>Bracket</b> <img src=\"x.png\">");
    answer = dir.filePath("closing.pmdb");
    EXPECT_TRUE(gui->canClose());
    EXPECT_TRUE(closer.texts().back().contains("<b>Bracket</b> <img src=\"x.png\">"));
    EXPECT_EQ(closer.formats().count(Qt::PlainText), closer.formats().size());
    EXPECT_EQ(closer.titles(), (QStringList{"Close Project", "Close Project", "Close Project", "Close Project"}));
    // Saved: the file holds the project and nothing is left unsaved.
    EXPECT_TRUE(QFileInfo::exists(answer));
    EXPECT_FALSE(gui->getDirty());
    EXPECT_FALSE(project->is_modified());
    EXPECT_EQ(QFile::encodeName(answer).toStdString(), logic.app().getApplicationFile());
    Gui::FileDialog::setBackend(previous);
}

TEST_F(SessionTest, CanCloseAsksOnlyAboutUnsavedChangesOfAnOrdinaryProject)
{
    PelmoraTest::ModalCloser closer(QMessageBox::Cancel);
    gui->setDirty(false);
    EXPECT_TRUE(gui->canClose());
    // Kinds 2 and 3 close without a question, whatever their state.
    gui->setDirty(true);
    for (int kind : {2, 3}) {
        project->kind = kind;
        EXPECT_TRUE(gui->canClose());
    }
    EXPECT_EQ(closer.count(), 0);

    project->kind = 1;
    EXPECT_FALSE(gui->canClose());
    ASSERT_EQ(closer.count(), 1);
    EXPECT_EQ(closer.titles().front(), QString("Close Project"));
    EXPECT_EQ(closer.texts().front(),
              QString("Do you want to save the projects? If you close without saving project, the data in %1 will be lost.")
                  .arg(QString::fromUtf8(project->getProjectName())));
    closer.setAnswer(QMessageBox::Close);
    EXPECT_TRUE(gui->canClose());

    // The last view of a project of kind 2 or 3 closes without closing the project.
    pmMsg::Journal::clear();
    project->kind = 3;
    app.on_final_view_closed(gui);
    EXPECT_TRUE(pmMsg::Journal::lines().empty());
    project->kind = 1;
    app.on_final_view_closed(gui);
    EXPECT_EQ(pmMsg::Journal::lines().size(), 1u);
}

TEST_F(SessionTest, ProjectFeederTypeDecidesRelaysAndTheFirstView)
{
    ConsoleCapture console;
    J().clear();
    // No feeder type: a GUI project without feeder, relays or announcement.
    Obj::Project bare;
    bare.set_feeder_type_name("");
    logic.app().signal_new_project(bare);
    EXPECT_TRUE(console.contains(ConsoleCapture::Level::Log, "Obj::Project has no view provider specified\n"));
    ASSERT_NE(app.get_project(&bare), nullptr);
    EXPECT_TRUE(app.get_project(&bare)->getMDIViews().empty());
    bare.add_object("ProjectTest::RecordedObject", "Lonely");
    EXPECT_EQ(J(), (std::vector<std::string>{"feeder:updateView"}));

    // Another feeder type: announced and relayed, but no 3D view of its own.
    Obj::Project plain;
    plain.set_feeder_type_name("Gui::ViewFeederProject");
    J().clear();
    logic.app().signal_new_project(plain);
    EXPECT_EQ(J(), (std::vector<std::string>{"app:new_project Gui::ViewFeederProject"}));
    ASSERT_NE(app.get_project(&plain), nullptr);
    EXPECT_TRUE(app.get_project(&plain)->getMDIViews().empty());
    J().clear();
    plain.add_object("ProjectTest::RecordedObject", "Relayed");
    EXPECT_EQ(J(), (std::vector<std::string>{"feeder:updateView", "gui:new Relayed", "app:create Relayed"}));

    for (Obj::Project* p : {&bare, &plain})
        logic.app().signal_remove_project(*p);
    EXPECT_EQ(app.get_project(&bare), nullptr);
    EXPECT_EQ(RecordingFeeder::alive, 0);
}
