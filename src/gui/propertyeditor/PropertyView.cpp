#include "PropertyView.h"

#include "PropertyModel.h"
#include "PropertyOperator.h"

#include "core/GuiProject.h"
#include "core/PrintableText.h"
#include "core/qPelmoraApplication.h"
#include "selection/SelectionModification.h"
#include "selection/TreeSelectionSingleton.h"
#include "visualization/ViewFeeder.h"

#include <obj/Application.h>
#include <obj/CDocObjProp.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <obj/Property.h>

#include <QDebug>
#include <QEvent>
#include <QGridLayout>
#include <QTabWidget>
#include <QTimer>

#include <string>
#include <unordered_map>

using Gui::PropertyOperator::PropertyList;

namespace Gui {

namespace {

// Gathers the properties of the selected entries: same name and same type make one
// entry, kept in order of first appearance.  Selected objects of one kind list their
// properties in the same order, so the entry after the last one matched is tried first
// and the hash look-up is left for the others.
class Collector
{
public:
    // Called before the properties of each selected entry.
    void nextEntry() { hint = 0; }
    void add(const char* name, Obj::Property* prop)
    {
        if (!name || !prop)
            return;
        const unsigned int type = prop->getTypeId().get_key();
        if (hint < list.size() && types[hint] == type && list[hint].first == name) {
            list[hint++].second.push_back(prop);
            return;
        }
        // The name, a separator no name holds, and the type number's bytes.
        key.assign(name);
        key.push_back('\0');
        key.append(reinterpret_cast<const char*>(&type), sizeof type);
        const auto found = index.find(key);
        if (found == index.end()) {
            index.emplace(key, list.size());
            list.push_back({name, {prop}});
            types.push_back(type);
            hint = list.size();
        } else {
            list[found->second].second.push_back(prop);
            hint = found->second + 1;
        }
    }
    // Hands over the entries that every one of `count` selected entries contributed to.
    PropertyList takeCommon(std::size_t count)
    {
        PropertyList out;
        for (auto& e : list) {
            if (e.second.size() == count)
                out.push_back(std::move(e));
        }
        return out;
    }

private:
    PropertyList list;
    std::vector<unsigned int> types;   // of each entry
    std::unordered_map<std::string, std::size_t, Counted::SeededHash<std::string>> index;
    std::string key;   // reused so that a look-up does not allocate
    std::size_t hint = 0;
};

void collectProject(Obj::Project* project, Collector& data)
{
    data.nextEntry();
    std::vector<Obj::Property*> props;
    project->get_property_array(props);
    for (Obj::Property* p : props) {
        if (!p->test_object_status(Obj::Property::Hidden))
            data.add(project->get_property_name(p), p);
    }
}

void collectObject(Obj::ProjectObject* object, Collector& data)
{
    data.nextEntry();
    std::vector<Obj::Property*> props;
    object->get_property_array(props);
    for (Obj::Property* p : props) {
        if (!object->is_hidden(p))
            data.add(object->get_property_name(p), p);
    }
}

void collectFeeder(ViewFeeder* feeder, Collector& view)
{
    view.nextEntry();
    Obj::PropertyContainer::PropertyMap map;
    feeder->get_property_dataset(map);
    for (const auto& entry : map) {
        if (!feeder->is_hidden(entry.second))
            view.add(entry.first.c_str(), entry.second);
    }
}

ViewFeeder* feederOf(Obj::ProjectObject* object)
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    if (!app || !object->get_project())
        return nullptr;
    GuiProject* gui = app->get_project(object->get_project());
    return gui ? gui->get_view_feeder(object) : nullptr;
}

bool handledKind(int kind)
{
    return kind >= SelectionModification::AddSelection && kind <= SelectionModification::ClearSelection;
}

} // namespace

PropertyView::PropertyView(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QGridLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("propertyTab"));
    tabs->setTabPosition(QTabWidget::South);
    tabs->setTabShape(QTabWidget::Triangular);
    layout->addWidget(tabs, 0, 0);
    propertyEditorData = new PropertyOperator::PropertyOperator(tabs);
    tabs->addTab(propertyEditorData, tr("Data"));
    propertyEditorView = new PropertyOperator::PropertyOperator(tabs);
    tabs->addTab(propertyEditorView, tr("3D View"));
    connect(tabs, &QTabWidget::currentChanged, this, &PropertyView::on_tab_changed);
    rebuildAfterRemoval = new QTimer(this);
    rebuildAfterRemoval->setSingleShot(true);
    rebuildAfterRemoval->setInterval(0);
    connect(rebuildAfterRemoval, &QTimer::timeout, this, [this] { rebuildFromSelection(true); });

    if (Obj::Application* logic = Obj::Application::_pcSingleton) {
        objectChanged = logic->signal_change_property.connect(
            [this](const Obj::ProjectObject&, const Obj::Property& prop) { propertyEditorData->updateProperty(prop); });
    }
    // The application's signal also relays the objects' own changes; those have no row in
    // the "3D View" tab, and the row look-up is a hash look-up.
    if (qPelmoraApplication* app = qPelmoraApplication::application()) {
        feederChanged = app->signal_change_object.connect(
            [this](const ViewFeeder&, const Obj::Property& prop) { propertyEditorView->updateProperty(prop); });
    }
    if (Obj::Application* logic = Obj::Application::_pcSingleton) {
        stateChanged = logic->signal_property_status.connect(
            [this](const Obj::Property& prop) { propertyStateChanged(prop); });
        // A project's own properties change without the objects' signal; its label (renamed
        // in the project tree) is the one changed from outside the panel.
        projectRelabelled = logic->signal_relabel_project.connect([this](const Obj::Project& project) {
            if (const Obj::Property* label = project.get_property_by_name("Label"))
                propertyEditorData->updateProperty(*label);
        });
    }
}

PropertyView::~PropertyView() = default;

void PropertyView::propertyStateChanged(const Obj::Property& prop)
{
    Obj::PropertyContainer* owner = prop.get_container();
    if (!owner)
        return;
    if (owner->is_inherited_from(Obj::ProjectObject::getClassTypeId()))
        propertyEditorData->updatePropertyState(prop);
    else if (dynamic_cast<ViewFeeder*>(owner))
        propertyEditorView->updatePropertyState(prop);
}

void PropertyView::on_selection_modified(const SelectionModification& change)
{
    if (!handledKind(change.kind))
        return;
    if (change.kind == SelectionModification::RemoveSelection) {
        // The removed entry may be an object on its way out, whose view feeder is gone
        // already: no row may stay bound to it.  Rebuilding for every one of many removals
        // would cost the square of the selection.  Nothing typed is written to it either
        // (commands write what was typed before they delete).
        propertyEditorData->buildUp({}, false);
        propertyEditorView->buildUp({}, false);
        rebuildAfterRemoval->start();
        return;
    }
    rebuildFromSelection(true);
}

void PropertyView::rebuildFromSelection(bool withFeeders)
{
    if (withFeeders)
        rebuildAfterRemoval->stop();   // this one shows the selection as it is now
    const std::vector<SelObj> selection = TreeSelectionSingleton::instance().get_all_selections();
    Collector data;
    Collector view;
    for (const SelObj& sel : selection) {
        if (!sel.object) {
            if (sel.project)
                collectProject(sel.project, data);
            continue;
        }
        ViewFeeder* feeder = feederOf(sel.object);
        if (!feeder)
            continue;
        collectObject(sel.object, data);
        if (withFeeders)
            collectFeeder(feeder, view);
    }
    propertyEditorData->buildUp(data.takeCommon(selection.size()));
    if (withFeeders)
        propertyEditorView->buildUp(view.takeCommon(selection.size()));
}

void PropertyView::on_property_modified(const Obj::CDocObjProp& record)
{
    if (!Obj::Application::_pcSingleton || !Obj::Application::instance().get_project(record.project_name.c_str()))
        return;
    // The rows stand for every selected entry: rebuilding from the changed object alone
    // would bind them to that object only (and to an object that may not be selected,
    // whose removal would then leave the rows behind).
    rebuildFromSelection(false);
}

void PropertyView::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange) {
        tabs->setTabText(0, tr("Data"));
        tabs->setTabText(1, tr("3D View"));
    }
    QWidget::changeEvent(e);
}

// ---------------------------------------------------------------------------------

namespace DockWindow {

PropertyDockingView::PropertyDockingView(GuiProject* project, QWidget* parent)
    : DockingWindow(project, parent)
{
    setWindowTitle(tr("Properties"));
    view = new PropertyView(this);
    auto* layout = new QGridLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view, 0, 0);
    resize(200, 400);
    // A rename keeps the selection as it is: the title follows it here.
    if (Obj::Application* logic = Obj::Application::_pcSingleton) {
        objectRenamed = logic->signal_object_renamed.connect([this](const Obj::ProjectObject& o) {
            if (titledObject && o.get_project() == titledProject && o.getObjectId() == titledObject)
                setTitleFor(titledProject, &o);
        });
        projectRelabelled = logic->signal_relabel_project.connect([this](const Obj::Project& p) {
            if (!titledObject && &p == titledProject)
                setTitleFor(titledProject, nullptr);
        });
        projectClosed = logic->signal_remove_project.connect([this](const Obj::Project& p) {
            if (&p == titledProject)
                setTitleFor(nullptr, nullptr);
        });
    }
}

PropertyDockingView::~PropertyDockingView() = default;

void PropertyDockingView::setTitleFor(const Obj::Project* project, const Obj::ProjectObject* object)
{
    titledProject = project;
    titledObject = object ? object->getObjectId() : 0;
    QString title = tr("Properties");
    if (object)
        title = tr("Properties of \"%1\"").arg(Gui::printableName(QByteArray(object->get_label())));
    else if (project)
        title = tr("Properties of \"%1\"").arg(Gui::printableName(QByteArray(project->getProjectName())));
    qDebug().noquote() << QStringLiteral("[Debug] ") + title;
    DockingWindowMediator::instance()->setDockingWindowTitle(QStringLiteral("Std_PropertyView"), title);
}

void PropertyDockingView::on_selection_modified(const SelectionModification& change)
{
    if (!handledKind(change.kind))
        return;
    const std::vector<SelObj> selection = TreeSelectionSingleton::instance().get_all_selections();
    if (selection.size() == 1) {
        const SelObj& sel = selection.front();
        if (sel.object || sel.project)
            setTitleFor(sel.object ? sel.object->get_project() : sel.project, sel.object);
        return;
    }
    if (!titledProject)
        return;
    // With several selected the title keeps naming the one among them; an entry deleted,
    // closed or no longer selected is named no more.
    for (const SelObj& sel : selection) {
        const Obj::Project* project = sel.object ? sel.object->get_project() : sel.project;
        const unsigned int id = sel.object ? sel.object->getObjectId() : 0;
        if (project == titledProject && id == titledObject)
            return;
    }
    setTitleFor(nullptr, nullptr);
}

} // namespace DockWindow
} // namespace Gui
