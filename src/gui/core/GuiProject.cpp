#include "GuiProject.h"

#include "core/CloseProjectQuestion.h"
#include "core/OpenHashMap.h"
#include "core/OwnedValues.h"
#include "core/PrintableText.h"
#include "core/qPelmoraApplication.h"
#include "mainwindow/BaseView.h"
#include "mainwindow/MDIWindow.h"
#include "mainwindow/MainWindow.h"
#include "visualization/ViewFeeder.h"
#include "visualization/qView3DMRML.h"

#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>
#include <counted/CountedSteps.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <mrml/vtkMRMLClipModelsNode.h>
#include <mrml/vtkMRMLCrosshairNode.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkMRMLTransformNode.h>
#include <mrml/vtkMRMLViewNode.h>
#include <vtkNew.h>
#include <vtkSmartPointer.h>

#include <boost/signals2/shared_connection_block.hpp>

#include <algorithm>
#include <set>

using namespace Gui;

namespace {

using Scoped = boost::signals2::scoped_connection;

// Taken only when there is something to report: the console's instance is guarded by a
// lock, which every object created or changed would otherwise pay for.
Vexil::MsgConsoleSingleton& console()
{
    return Vexil::MsgConsoleSingleton::Instance();
}

const ViewFeederProjectObject* asObjectFeeder(const ViewFeeder* feeder)
{
    if (feeder && feeder->is_inherited_from(ViewFeederProjectObject::getClassTypeId()))
        return static_cast<const ViewFeederProjectObject*>(feeder);
    return nullptr;
}

} // namespace

int GuiProject::_iDocCount = 0;

std::uint64_t GuiProject::feederEntriesVisited()
{
    return feederSteps();
}

std::uint64_t& GuiProject::feederSteps()
{
    return Counted::tally<struct GuiProjectFeederSteps>();
}

struct GuiProject::Private
{
    std::uint32_t reserved = 1;
    int documentNumber = 0;
    bool destroying = false;
    bool dirty = false;
    ViewFeeder* inEdit = nullptr;
    qPelmoraApplication* app = nullptr;
    Obj::Project* project = nullptr;
    std::list<BaseView*> views;
    std::list<BaseView*> passiveViews;
    // Only object feeders are filed here (others are turned away on creation).  Every
    // entry reached is counted in feederEntriesVisited(), however the table is walked.
    OpenHashMap<const Obj::ProjectObject*, ViewFeederProjectObject*, &GuiProject::feederSteps> feeders;
    // Counts the changes to `feeders`, so that an entry found before a signal is known
    // to stand where it was after it without a second look-up.
    unsigned long feederEdits = 0;
    std::map<unsigned int, ViewFeeder*> annotationFeeders;
    vtkSmartPointer<vtkMRMLViewNode> viewNode;
    vtkSmartPointer<vtkMRMLScene> scene;
    std::vector<Scoped> connections;
    boost::signals2::connection activateConnection;
    std::unique_ptr<boost::signals2::shared_connection_block> activationBlock;
    // Expires with the project: tells a loop over views that one of them closed it.
    std::shared_ptr<char> alive = std::make_shared<char>();

    ViewFeederProjectObject* feederOf(const Obj::ProjectObject* object) const { return feeders.value(object); }
};

GuiProject::GuiProject(Obj::Project* project, qPelmoraApplication* app)
    : d(std::make_unique<Private>())
{
    d->documentNumber = ++_iDocCount;
    d->app = app;
    d->project = project;

    d->scene = vtkSmartPointer<vtkMRMLScene>::New();
    d->viewNode = vtkSmartPointer<vtkMRMLViewNode>::New();
    d->viewNode->SetLayoutName("1");
    d->viewNode->SetID("vtkMRMLViewNode1");
    d->viewNode->SetName("View1");
    d->viewNode->SetVisibility(1);
    // The 3D view takes the view node through getViewNode; it is not part of the scene.

    d->scene->SetRootDirectory(qPelmoraApplication::defaultScenePath().toUtf8().constData());

    vtkNew<vtkMRMLCrosshairNode> crosshair;
    crosshair->SetCrosshairName("default");
    d->scene->AddNode(crosshair);
    vtkNew<vtkMRMLTransformNode> transform;
    transform->SetID("vtkMRMLTransformNode1");
    d->scene->AddNode(transform);
    vtkNew<vtkMRMLClipModelsNode> clip;
    clip->SetID("vtkMRMLClipModelsNode1");
    d->scene->AddNode(clip);

    if (!project)
        return;
    auto& c = d->connections;
    c.emplace_back(project->signal_create_object.connect([this](const Obj::ProjectObject& o) { slot_create_object(o); }));
    c.emplace_back(project->signal_remove_object.connect([this](const Obj::ProjectObject& o) { slot_remove_object(o); }));
    c.emplace_back(project->signal_change_object.connect(
        [this](const Obj::ProjectObject& o, const Obj::Property& p) { slot_change_object(o, p); }));
    c.emplace_back(project->signal_rename_object.connect([this](const Obj::ProjectObject& o) { slot_rename_object(o); }));
    d->activateConnection =
        project->signal_activate_object.connect([this](const Obj::ProjectObject& o) { slot_activate_object(o); });
    c.emplace_back(d->activateConnection);
    d->activationBlock = std::make_unique<boost::signals2::shared_connection_block>(d->activateConnection, false);
    c.emplace_back(project->signal_save.connect(
        [this](Vexil::Hdf5FileWriter& w, const std::string& g) { save(w, g); }));
    c.emplace_back(project->signal_restore.connect(
        [this](Vexil::Hdf5FileReader& r, const std::string& g) { resume(r, g); }));
    c.emplace_back(project->signal_export_objects.connect(
        [this](const std::vector<Obj::ProjectObject*>& o, Vexil::Hdf5FileWriter& w) { export_objects(o, w); }));
    c.emplace_back(project->signal_import_objects.connect(
        [this](const std::vector<Obj::ProjectObject*>& o, Vexil::Hdf5FileReader& r,
               const std::map<std::string, std::string>& m) { import_objects(o, r, m); }));
}

GuiProject::~GuiProject()
{
    d->activationBlock.reset();
    d->connections.clear();   // scoped: disconnects
    d->destroying = true;

    const std::list<BaseView*> views = d->views;
    for (BaseView* view : views)
        view->remove_viewself();
    d->views.clear();
    // Panels following this project must not keep pointing at it.
    for (BaseView* view : std::list<BaseView*>(d->passiveViews))
        view->set_project(nullptr);

    deleteOwnedValues(d->feeders);
    deleteOwnedValues(d->annotationFeeders);
}

unsigned int GuiProject::get_memory_usage() const
{
    unsigned int sum = 0;
    for (const auto& entry : d->feeders)
        if (entry.second)
            sum += entry.second->get_memory_usage();
    return sum;
}

// ---------------------------------------------------------------------------------------
// Object events of the logic project

void GuiProject::slot_create_object(const Obj::ProjectObject& object)
{
    if (ViewFeederProjectObject* existing = d->feederOf(&object)) {
        signal_new_object(*existing);
        return;
    }
    const char* name = object.get_feeder_type_name();
    if (!name || !*name) {
        console().Log("%s has no view provider specified\n", object.getTypeId().get_name());
        return;
    }
    setDirty(true);

    // A registered type that is not an object feeder has no view component either.
    Vexil::RootClass* built = Vexil::TypeInfo::build_instance_by_name(name, true);
    if (built && !built->is_inherited_from(ViewFeederProjectObject::getClassTypeId())) {
        delete built;
        built = nullptr;
    }
    if (!built) {
        console().Error("Gui::GuiProject::slot_create_object() has no view component for the object %s found\n",
                      name);
        return;
    }
    auto* feeder = static_cast<ViewFeederProjectObject*>(built);
    if (!d->feeders.insert(&object, feeder).second) {
        delete feeder;   // a listener of the steps above made one already
        return;
    }
    ++d->feederEdits;

    auto* mutableObject = const_cast<Obj::ProjectObject*>(&object);
    try {
        feeder->attach(mutableObject);
        feeder->updateView();
    }
    catch (const Vexil::ExceptionMemoryIssue& e) {
        console().Error("Memory exception in object '%i' thrown: %s\n", int(object.getObjectId()), e.what());
    }
    catch (const Vexil::ExceptionHandler& e) {
        e.report_exception();
    }
    catch (...) {
        console().Error("[Debug] Obj::Project::_RecomputeFeature(): Unknown exception in object \"%i\" thrown\n",
                      int(object.getObjectId()));
    }
    signal_new_object(*feeder);
}

void GuiProject::slot_remove_object(const Obj::ProjectObject& object)
{
    setDirty(true);
    const auto it = d->feeders.find(&object);
    if (it == d->feeders.end())
        return;
    ViewFeederProjectObject* feeder = it->second;
    const unsigned long editsBefore = d->feederEdits;
    signal_delete_object(*feeder);
    // A listener that changed the map may have taken the entry: then look again.
    auto again = it;
    if (d->feederEdits != editsBefore)
        again = d->feeders.find(&object);
    if (again != d->feeders.end() && again->second == feeder) {
        d->feeders.erase(again);
        ++d->feederEdits;
        delete feeder;
    }
}

void GuiProject::slot_change_object(const Obj::ProjectObject& object, const Obj::Property& property)
{
    if (ViewFeederProjectObject* feeder = d->feederOf(&object)) {
        const int id = int(object.getObjectId());
        try {
            feeder->update(&property);
        }
        catch (const Vexil::ExceptionMemoryIssue& e) {
            console().Error("Memory exception in object '%i' thrown: %s\n", id, e.what());
        }
        catch (const Vexil::ExceptionHandler& e) {
            e.report_exception();
        }
        catch (const std::exception& e) {
            console().Error("C++ exception in object '%i' thrown: %s\n", id, e.what());
        }
        catch (...) {
            console().Error("Cannot update representation for object '%i'.\n", id);
        }
        signal_change_object(*feeder, property);
    }
    setDirty(true);
}

void GuiProject::slot_rename_object(const Obj::ProjectObject& object)
{
    if (const ViewFeederProjectObject* f = d->feederOf(&object))
        signal_relabel_object(*f);
}

void GuiProject::slot_activate_object(const Obj::ProjectObject& object)
{
    if (const ViewFeederProjectObject* f = d->feederOf(&object))
        signal_activate_object(*f);
}

void GuiProject::slotStartRestoreDocument(const Obj::Project& project)
{
    if (&project != d->project || !d->activationBlock)
        return;
    d->activationBlock->block();
}

void GuiProject::slotFinishRestoreDocument(const Obj::Project& project)
{
    if (&project != d->project)
        return;
    if (d->activationBlock)
        d->activationBlock->unblock();
    if (const ViewFeederProjectObject* f = d->feederOf(project.get_current_object()))
        signal_activate_object(*f);
    for (auto& entry : d->feeders)
        entry.second->finishRestoring();
    setDirty(false);
}

// ---------------------------------------------------------------------------------------
// Feeders

ViewFeeder* GuiProject::get_view_feeder(const Obj::ProjectObject* object) const
{
    return d->feederOf(object);
}

ViewFeeder* GuiProject::getViewFeederById(unsigned int id) const
{
    if (d->project) {
        if (Obj::ProjectObject* object = d->project->get_object(id))
            return d->feederOf(object);
    }
    return getAnnotationViewFeeder(id);
}

std::vector<ViewFeeder*> GuiProject::getViewFeedersOfType(const Vexil::TypeInfo& type) const
{
    std::vector<ViewFeeder*> result;
    for (const auto& entry : d->feeders)
        if (entry.second && entry.second->is_inherited_from(type))
            result.push_back(entry.second);
    return result;
}

ViewFeeder* GuiProject::getAnnotationViewFeeder(unsigned int n) const
{
    const auto it = d->annotationFeeders.find(n);
    return it == d->annotationFeeders.end() ? nullptr : it->second;
}

void GuiProject::setAnnotationViewFeeder(unsigned int n, ViewFeeder* feeder)
{
    const auto it = d->annotationFeeders.find(n);
    if (it != d->annotationFeeders.end() && it->second == feeder)
        return;   // deleting it first would leave a dangling entry
    removeAnnotationViewFeeder(n);
    d->annotationFeeders[n] = feeder;
}

void GuiProject::removeAnnotationViewFeeder(unsigned int n)
{
    const auto it = d->annotationFeeders.find(n);
    if (it == d->annotationFeeders.end())
        return;
    ViewFeeder* feeder = it->second;
    d->annotationFeeders.erase(it);
    delete feeder;
}

bool GuiProject::isShow(unsigned int id) const
{
    ViewFeeder* feeder = getViewFeederById(id);
    return feeder && feeder->isShow();
}

void GuiProject::setShow(unsigned int id)
{
    if (auto* f = asObjectFeeder(getViewFeederById(id)))
        if (auto* p = dynamic_cast<Obj::PropertyBoolean*>(f->get_property_by_name("Visibility")))
            p->set_value(true);
}

void GuiProject::setHide(unsigned int id)
{
    if (auto* f = asObjectFeeder(getViewFeederById(id)))
        if (auto* p = dynamic_cast<Obj::PropertyBoolean*>(f->get_property_by_name("Visibility")))
            p->set_value(false);
}

void GuiProject::setPos(unsigned int id, const Vexil::Matrix4D& matrix)
{
    if (ViewFeeder* feeder = getViewFeederById(id))
        feeder->setTransformation(matrix);
}

void GuiProject::addRootObjectsToGroup(const std::vector<Obj::ProjectObject*>& objects,
                                       Obj::ProjectObjectGroup* group)
{
    if (!group)
        return;
    std::map<Obj::ProjectObject*, bool> isRoot;
    for (Obj::ProjectObject* object : objects)
        if (object)
            isRoot[object] = true;
    for (const auto& entry : isRoot) {
        ViewFeeder* feeder = d->feederOf(entry.first);
        if (!feeder)
            continue;
        for (Obj::ProjectObject* child : feeder->claim_descendants()) {
            const auto it = isRoot.find(child);
            if (it != isRoot.end() && child != entry.first)
                it->second = false;
        }
    }
    for (const auto& entry : isRoot)
        if (entry.second)
            group->add_object(entry.first);
}

// ---------------------------------------------------------------------------------------
// Views

void GuiProject::attachView(BaseView* view, bool passive)
{
    if (!view)
        return;
    (passive ? d->passiveViews : d->views).push_back(view);
}

void GuiProject::detachView(BaseView* view, bool passive)
{
    if (passive) {
        d->passiveViews.remove(view);
        return;
    }
    const auto before = d->views.size();
    d->views.remove(view);
    // Only a view that was here can be the last one to leave.
    if (d->views.size() == before || !d->views.empty())
        return;
    const std::list<BaseView*> passives = d->passiveViews;
    for (BaseView* p : passives) {
        p->set_project(nullptr);
        d->passiveViews.remove(p);
    }
    if (!d->destroying && d->app)
        d->app->on_final_view_closed(this);
}

std::list<MDIWindow*> GuiProject::getMDIViews() const
{
    std::list<MDIWindow*> result;
    for (BaseView* view : d->views)
        if (auto* window = dynamic_cast<MDIWindow*>(view))
            result.push_back(window);
    return result;
}

std::list<MDIWindow*> GuiProject::getMDIViewsOfType(const Vexil::TypeInfo& type) const
{
    std::list<MDIWindow*> result;
    for (MDIWindow* window : getMDIViews())
        if (window->is_inherited_from(type))
            result.push_back(window);
    return result;
}

bool GuiProject::isLastView() const
{
    return d->views.size() < 2;
}

MDIWindow* GuiProject::getActiveView() const
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    MDIWindow* active = mw ? mw->activeWindow() : nullptr;
    const std::list<MDIWindow*> mine = getMDIViews();
    if (mine.empty())
        return active;
    if (active && std::find(mine.begin(), mine.end(), active) != mine.end())
        return active;
    return mine.back();
}

void GuiProject::setActiveWindow(MDIWindow* view)
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    MDIWindow* active = mw ? mw->activeWindow() : nullptr;
    if (!view || view == active)
        return;
    const std::list<MDIWindow*> mine = getMDIViews();
    const auto has = [&](MDIWindow* w) { return std::find(mine.begin(), mine.end(), w) != mine.end(); };
    if (!has(active) || !has(view))
        return;
    mw->setActiveWindow(view);
}

MDIWindow* GuiProject::createView(const Vexil::TypeInfo& type)
{
    if (!type.is_inherited_from(MDIWindow::getClassTypeId()) || type != qView3DMRML::getClassTypeId())
        return nullptr;
    QOpenGLWidget* shared = nullptr;
    const std::list<MDIWindow*> existing = getMDIViewsOfType(type);
    if (!existing.empty())
        shared = static_cast<qView3DMRML*>(existing.front())->sharedGLWidget();

    MainWindow* mw = MainWindow::get_main_window_inst();
    auto* view = new qView3DMRML(this, mw, shared);
    view->setMRMLScene(d->scene);
    view->createThreeDWidget();

    // The label comes from a file or the user: its tab and the Window menu show it printable.
    const QString label = printableName(QByteArray(d->project ? d->project->getProjectName() : ""));
    const bool modified = d->dirty || (d->project && d->project->is_modified());
    view->setWindowTitle(QString::fromLatin1(modified ? "%1[*]" : "%1").arg(label));
    view->setWindowModified(d->dirty);
    view->setWindowIcon(QApplication::windowIcon());
    if (mw)
        mw->addWindow(view);
    return view;
}

MDIWindow* GuiProject::cloneView(MDIWindow* view)
{
    if (!view || view->getTypeId() != qView3DMRML::getClassTypeId())
        return nullptr;
    auto* clone = new qView3DMRML(this, MainWindow::get_main_window_inst(), nullptr);
    clone->setWindowTitle(view->windowTitle());
    clone->setWindowModified(view->isWindowModified());
    clone->setWindowIcon(view->windowIcon());
    clone->resize(view->size());
    return clone;
}

bool GuiProject::visitViews(const std::function<bool(BaseView*)>& call)
{
    const std::weak_ptr<char> alive = d->alive;
    for (const bool passive : {false, true}) {
        const std::list<BaseView*> views = passive ? d->passiveViews : d->views;
        for (BaseView* view : views) {
            const std::list<BaseView*>& now = passive ? d->passiveViews : d->views;
            if (std::find(now.begin(), now.end(), view) == now.end())
                continue;   // closed by an earlier one
            if (call(view))
                return true;
            if (alive.expired())
                return false;
        }
    }
    return false;
}

void GuiProject::onUpdate()
{
    visitViews([](BaseView* view) {
        view->update_view();
        return false;
    });
}

void GuiProject::on_label_changed()
{
    // A new name is an edit like any other: the views show the project as modified.
    if (d->project && d->project->is_modified())
        setDirty(true);
    visitViews([this](BaseView* view) {
        view->on_label_changed(this);
        return false;
    });
}

bool GuiProject::sendMsgToViews(const char* message)
{
    return visitViews([message](BaseView* view) { return view->message_handler(message, nullptr); });
}

// ---------------------------------------------------------------------------------------
// State

Obj::Project* GuiProject::get_project() const
{
    return d->project;
}

vtkMRMLScene* GuiProject::mrmlScene() const
{
    return d->scene;
}

vtkMRMLAbstractViewNode* GuiProject::getViewNode() const
{
    return d->viewNode;
}

int GuiProject::getDocumentNumber() const
{
    return d->documentNumber;
}

bool GuiProject::getDirty() const
{
    return d->dirty;
}

void GuiProject::setDirty(bool on)
{
    d->dirty = on;
    // Called for every object made or removed: only windows not yet in that state hear of it.
    std::vector<MDIWindow*> changed;
    for (BaseView* view : d->views) {
        auto* window = dynamic_cast<MDIWindow*>(view);
        if (window && window->isWindowModified() != on)
            changed.push_back(window);
    }
    for (MDIWindow* window : changed) {
        // The mark shows where the title has a place for it; a title given without one
        // (the project was unchanged then) gets it now.
        if (on && !window->windowTitle().contains(QLatin1String("[*]")))
            window->setWindowTitle(window->windowTitle() + QLatin1String("[*]"));
        window->setWindowModified(on);
    }
    if (!on && d->project)
        d->project->set_modified(false);
}

bool GuiProject::canClose()
{
    if (!d->project)
        return true;
    if (!d->project->can_close()) {
        QMessageBox::warning(getActiveView(), QObject::tr("Project not closable"),
                             QObject::tr("The document is not closable for the moment."), QMessageBox::Ok);
        return false;
    }
    if (d->project->kind == 2 || d->project->kind == 3)
        return true;
    if (!d->dirty && !d->project->is_modified())
        return true;
    const QString text =
        QObject::tr("Do you want to save the projects? If you close without saving project, the data in %1 will be lost.")
            .arg(printableName(QByteArray(d->project->getProjectName())));
    switch (askCloseProject(MainWindow::get_main_window_inst(), text, QMessageBox::Save)) {
    case QMessageBox::Save:
        return qPelmoraApplication::application() && qPelmoraApplication::application()->save();
    case QMessageBox::Close:
        return true;
    case QMessageBox::Cancel:
        return false;
    default:
        return true;
    }
}

bool GuiProject::setEdit(ViewFeeder*, int)
{
    if (d->inEdit)
        resetEdit();
    return false;
}

void GuiProject::resetEdit()
{
    if (!d->inEdit)
        return;
    ViewFeeder* feeder = d->inEdit;
    feeder->finishEditing();
    if (const ViewFeederProjectObject* f = asObjectFeeder(feeder))
        signal_reset_edit(*f);
    d->inEdit = nullptr;
}

ViewFeeder* GuiProject::getInEdit() const
{
    return d->inEdit;
}
