#include "ViewFeeder.h"

#include "commands/Command.h"
#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"
#include "mainwindow/MDIWindow.h"
#include "mainwindow/PictureFactory.h"
#include "visualization/qPelmoraThreeDWidget.h"
#include "visualization/qView3DMRML.h"

#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <pmfwm/EntitySelectionData.h>
#include <qmrml/qMRMLThreeDView.h>
#include <vexil/TypeInfo.h>
#include <vexil/UtilityBox.h>

#include <QApplication>
#include <QPointer>
#include <QScopeGuard>
#include <QStyle>

#include <vtkMatrix4x4.h>
#include <vtkTransform.h>

#include <cstring>

using namespace Gui;

VEXIL_TYPESYSTEM_SOURCE_ABSTRACT(Gui::ViewFeeder, Obj::PropertyContainer)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederExtern, Gui::ViewFeeder)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederProject, Gui::ViewFeeder)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederProjectObject, Gui::ViewFeeder)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederFeature, Gui::ViewFeederProjectObject)
VEXIL_TYPESYSTEM_SOURCE(Gui::ViewFeederProjectObjectGroup, Gui::ViewFeederProjectObject)

OBJ_PROPERTY_SOURCE(Gui::ViewFeeder, Obj::PropertyContainer)
OBJ_PROPERTY_SOURCE(Gui::ViewFeederExtern, Gui::ViewFeeder)
OBJ_PROPERTY_SOURCE(Gui::ViewFeederProject, Gui::ViewFeeder)
OBJ_PROPERTY_SOURCE(Gui::ViewFeederProjectObject, Gui::ViewFeeder)
OBJ_PROPERTY_SOURCE(Gui::ViewFeederFeature, Gui::ViewFeederProjectObject)
OBJ_PROPERTY_SOURCE(Gui::ViewFeederProjectObjectGroup, Gui::ViewFeederProjectObject)

namespace {

// Runs `action` with the "in progress" bit of `visibility` set, unless it is set
// already: a visibility change and the show or hide it causes must not re-enter.
template <typename Action>
void guarded(Obj::PropertyBoolean* visibility, Action action)
{
    if (!visibility || visibility->test_object_status(ViewFeeder::VisibilityInProgress))
        return;
    visibility->set_object_status(ViewFeeder::VisibilityInProgress, true);
    const auto done = qScopeGuard([visibility] {
        visibility->set_object_status(ViewFeeder::VisibilityInProgress, false);
    });
    action();
}

// The 3D view that is the active view of `project`'s GUI project, or null.
qView3DMRML* activeThreeDView(const Obj::Project* project)
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    if (!app || !project || !app->has_project(project))
        return nullptr;
    GuiProject* gui = app->get_project(project);
    if (!gui)
        return nullptr;
    MDIWindow* view = gui->getActiveView();
    if (!view || !view->is_inherited_from(qView3DMRML::getClassTypeId()))
        return nullptr;
    return static_cast<qView3DMRML*>(view);
}

std::vector<pmFwm::pmShapeEntityType> entityTypes(const std::vector<int>& types)
{
    std::vector<pmFwm::pmShapeEntityType> result;
    result.reserve(types.size());
    for (int type : types)
        result.push_back(static_cast<pmFwm::pmShapeEntityType>(type));
    return result;
}

} // namespace

// ---------------------------------------------------------------------------------------
// ViewFeeder

ViewFeeder::ViewFeeder() = default;

ViewFeeder::~ViewFeeder()
{
    if (transform)
        transform->Delete();
}

vtkTransform* ViewFeeder::getTransform() const
{
    if (!transform)
        transform = vtkTransform::New();
    return transform;
}

const std::vector<int>& ViewFeeder::getSelectableEntityTypes() const
{
    // Every feeder selects vertices, edges, faces and solids.
    static const std::vector<int> types{1, 2, 3, 4};
    return types;
}

void ViewFeeder::on_changed(const Obj::Property* property)
{
    if (!property)
        return;
    if (qPelmoraApplication* app = qPelmoraApplication::application())
        app->signal_change_object(*this, *property);
}

std::vector<Obj::ProjectObject*> ViewFeeder::claimChildren3D() const { return {}; }
bool ViewFeeder::useNewSelectionModel() const { return false; }
bool ViewFeeder::isSelectable() const { return true; }
std::string ViewFeeder::get_entity_detail(int) const { return {}; }
int ViewFeeder::getDetail(const std::string&) const { return 0; }
std::vector<Vexil::Vector3<double>> ViewFeeder::getSelectionShape(const char*) const { return {}; }
bool ViewFeeder::onDelete(const std::vector<std::string>&) { return true; }

FeederSignal<>::Relay& ViewFeeder::signal_any_change_status()
{
    static FeederSignal<>::Relay relay;
    return relay;
}

FeederSignal<const QString&>::Relay& ViewFeeder::signal_any_change_tooltip()
{
    static FeederSignal<const QString&>::Relay relay;
    return relay;
}

FeederSignal<const QString&>::Relay& ViewFeeder::signal_any_change_statustip()
{
    static FeederSignal<const QString&>::Relay relay;
    return relay;
}

QIcon ViewFeeder::getIcon() const
{
    // Without a name the factory's placeholder still gives the tree something to draw
    // status overlays on.  Feeders of one kind share one icon.
    return PictureFactory::instance().get_icon(get_pixmap_name());
}

std::vector<Obj::ProjectObject*> ViewFeeder::claim_descendants() const { return {}; }
bool ViewFeeder::canDragObjects() const { return false; }
void ViewFeeder::dragObject(Obj::ProjectObject*) {}
bool ViewFeeder::canDropObjects() const { return false; }
void ViewFeeder::dropObject(Obj::ProjectObject*) {}

void ViewFeeder::setDisplayMode(const char* mode)
{
    activeDisplayMode = mode ? mode : "";
}

void ViewFeeder::hide() { shown = false; }
void ViewFeeder::show() { shown = true; }
void ViewFeeder::show_and_hide() {}
void ViewFeeder::updateCanSelect() {}
bool ViewFeeder::isShow() const { return shown; }

void ViewFeeder::set_override_show_mode(const std::string& mode)
{
    if (mode == "As Is") {
        overrideMode = -1;
        return;
    }
    const auto it = maskModes.find(mode);
    if (it != maskModes.end())
        overrideMode = it->second;
}

bool ViewFeeder::setEdit(int) { return false; }
void ViewFeeder::unsetEdit(int) {}
bool ViewFeeder::keyPressed(bool, int) { return false; }
bool ViewFeeder::on_double_clicked() { return false; }
void ViewFeeder::build_context_menu(const char*, MenuItem*) const {}
void ViewFeeder::build_context_menu(QMenu*, QObject*, const char*) {}

void ViewFeeder::setTransformation(const vtkMatrix4x4& matrix)
{
    vtkNew<vtkMatrix4x4> copy;
    copy->DeepCopy(&matrix);
    vtkTransform* placement = getTransform();
    placement->Identity();
    placement->Concatenate(copy);
}

void ViewFeeder::setTransformation(const Vexil::Matrix4D& matrix)
{
    vtkMatrix4x4* converted = convert(matrix);
    vtkTransform* placement = getTransform();
    placement->Identity();
    placement->Concatenate(converted);
    converted->Delete();
}

bool ViewFeeder::check_input() { return false; }

vtkMatrix4x4* ViewFeeder::convert(const Vexil::Matrix4D& matrix)
{
    // OpenGL order runs column by column; VTK's element (r, c) is row r, column c.
    double gl[16];
    matrix.getGLMatrix(gl);
    vtkMatrix4x4* result = vtkMatrix4x4::New();
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            result->SetElement(r, c, gl[c * 4 + r]);
    return result;
}

void ViewFeeder::update(const Obj::Property* property)
{
    if (!updatesEnabled)
        return;
    const bool wasShown = shown;
    shown = false;
    try {
        updateData(property);
    }
    catch (...) {
        shown = wasShown && visible;
        throw;
    }
    shown = wasShown && visible;
}

bool ViewFeeder::startEditing(int mode)
{
    const bool accepted = setEdit(mode);
    if (accepted)
        editMode = mode;
    return accepted;
}

void ViewFeeder::finishEditing()
{
    unsetEdit(editMode);
    editMode = -1;
}

void ViewFeeder::set_visible(bool on)
{
    if (on)
        show();
    else
        hide();
}

void ViewFeeder::setDisplayMaskMode(const char* mode)
{
    const auto it = mode ? maskModes.find(mode) : maskModes.end();
    maskMode = it == maskModes.end() ? -1 : it->second;
}

std::vector<std::string> ViewFeeder::getDisplayMaskModes() const
{
    std::vector<std::string> names;
    names.reserve(maskModes.size());
    for (const auto& entry : maskModes)
        names.push_back(entry.first);
    return names;
}

// ---------------------------------------------------------------------------------------
// ViewFeederExtern

const char* ViewFeederExtern::getDefaultDisplayMode() const
{
    return displayModes.empty() ? "" : displayModes.front().c_str();
}

// ---------------------------------------------------------------------------------------
// ViewFeederProject

ViewFeederProject::ViewFeederProject()
{
    auto& table = property_data_table();
    DisplayMode = static_cast<Obj::PropertyEnumType*>(table.add_property(this, new Obj::PropertyEnumType, "Display Mode"));
    auto* visibility = new Obj::PropertyBoolean;
    visibility->set_value(true);   // before it joins: no change to report
    Visibility = static_cast<Obj::PropertyBoolean*>(table.add_property(this, visibility, "Visibility"));
}

ViewFeederProject::~ViewFeederProject()
{
    // The table of names dies with this object; the property must not point into it.
    if (DisplayMode)
        DisplayMode->set_enums(nullptr);
}

void ViewFeederProject::attach(Obj::Project* p)
{
    project = p;
    modes = getDisplayModes();
    if (modes.empty())
        modes.emplace_back();
    modeNames.clear();
    modeNames.reserve(modes.size() + 1);
    for (const std::string& mode : modes)
        modeNames.push_back(mode.c_str());
    modeNames.push_back(nullptr);
    DisplayMode->set_enums(modeNames.data());
    if (const char* defaultMode = getDefaultDisplayMode())
        DisplayMode->set_value(defaultMode);
}

void ViewFeederProject::startRestoring()
{
    hide();
}

void ViewFeederProject::setActiveMode()
{
    if (DisplayMode->get_enums()) {
        if (const char* mode = DisplayMode->get_value_as_string())
            setDisplayMode(mode);
    }
    if (!Visibility->get_value())
        ViewFeeder::hide();
}

void ViewFeederProject::on_changed(const Obj::Property* property)
{
    if (property == DisplayMode) {
        setActiveMode();
    }
    else if (property == Visibility) {
        guarded(Visibility, [this] {
            if (Visibility->get_value())
                show();
            else
                hide();
        });
    }
    ViewFeeder::on_changed(property);
}

void ViewFeederProject::hide()
{
    guarded(Visibility, [this] { Visibility->set_value(false); });
    ViewFeeder::hide();
}

void ViewFeederProject::show()
{
    guarded(Visibility, [this] { Visibility->set_value(true); });
    ViewFeeder::show();
}

void ViewFeederProject::updateCanSelect()
{
    if (qView3DMRML* view = activeThreeDView(project))
        view->setCanSelect(entityTypes(getSelectableEntityTypes()));
}

void ViewFeederProject::updateView()
{
    if (!project)
        return;
    const bool wasShown = isShow();
    if (wasShown)
        setShownFlag(false);
    const Obj::PropertyList& properties = project->get_properties();
    const std::size_t count = properties.size();
    for (std::size_t i = 0; i < count && i < properties.size(); ++i)
        updateData(properties[i]);
    if (wasShown)
        setShownFlag(true);
}

// ---------------------------------------------------------------------------------------
// ViewFeederProjectObject

ViewFeederProjectObject::ViewFeederProjectObject()
{
    visibilityProperty.set_value(true);
    visibilityProperty.set_object_status(Obj::Property::Hidden, true);
    Visibility = static_cast<Obj::PropertyBoolean*>(property_data_table().add_member_property(
        this, visibilityProperty, "Visibility", "Definition", 8, "Display mode in the graphics window."));
}

ViewFeederProjectObject::~ViewFeederProjectObject() = default;

void ViewFeederProjectObject::attach(Obj::ProjectObject* o)
{
    object = o;
}

unsigned int ViewFeederProjectObject::getObjectId() const
{
    return object ? object->getObjectId() : 0;
}

void ViewFeederProjectObject::show()
{
    if (object && object->isSuppressed())
        return;
    ViewFeeder::show();
}

void ViewFeederProjectObject::startRestoring()
{
    hide();
}

void ViewFeederProjectObject::updateView()
{
    if (!object)
        return;
    const bool wasShown = isShow();
    if (wasShown)
        setShownFlag(false);
    Obj::Project* owner = object->get_project();
    if (!owner)
        return;
    if (!owner->isRestoring()) {
        // The properties there now; indexed, since an update may add to the list.
        const Obj::PropertyList& properties = object->get_properties();
        const std::size_t count = properties.size();
        for (std::size_t i = 0; i < count && i < properties.size(); ++i)
            updateData(properties[i]);
    }
    if (wasShown)
        setShownFlag(true);
}

bool ViewFeederProjectObject::followVisibility()
{
    if (Visibility->test_object_status(VisibilityInProgress))
        return false;
    setVisibleFlag(Visibility->get_value());
    guarded(Visibility, [this] {
        if (Visibility->get_value())
            show();
        else
            hide();
    });
    return true;
}

MDIWindow* ViewFeederProjectObject::getActiveView() const
{
    qPelmoraApplication* app = qPelmoraApplication::application();
    Obj::Project* owner = object ? object->get_project() : nullptr;
    if (!app || !owner)
        return nullptr;
    GuiProject* gui = app->get_project(owner);
    return gui ? gui->getActiveView() : nullptr;
}

void ViewFeederProjectObject::updateCanSelect()
{
    if (qView3DMRML* view = activeThreeDView(object ? object->get_project() : nullptr))
        view->setCanSelect(entityTypes(getSelectableEntityTypes()));
}

void ViewFeederProjectObject::ResetSelection()
{
    if (qView3DMRML* view = activeThreeDView(object ? object->get_project() : nullptr))
        view->ResetSelection();
}

void ViewFeederProjectObject::scheduleRender()
{
    // A view not yet built has nothing to render (and is not built for the asking).
    if (qView3DMRML* view = activeThreeDView(object ? object->get_project() : nullptr))
        if (qPelmoraThreeDWidget* viewer = view->hasViewer() ? view->getViewer() : nullptr)
            if (qMRMLThreeDView* threeD = viewer->threeDView())
                threeD->scheduleRender();
}

// ---------------------------------------------------------------------------------------
// ViewFeederFeature

ViewFeederFeature::ViewFeederFeature()
{
    auto* colors = new Obj::PropertyColorArray;
    colors->set_values({Obj::Color(0.0f, 0.0f, 0.0f, 0.0f)});
    ColorList = static_cast<Obj::PropertyColorArray*>(property_data_table().add_property(this, colors, "Color List"));
}

// ---------------------------------------------------------------------------------------
// ViewFeederProjectObjectGroup

std::vector<Obj::ProjectObject*> Gui::groupMembers(const Obj::ProjectObject* object)
{
    if (!object || !object->is_inherited_from(Obj::ProjectObjectGroup::getClassTypeId()))
        return {};
    const auto& members = static_cast<const Obj::ProjectObjectGroup*>(object)->get_objects();
    return {members.begin(), members.end()};
}

std::vector<Obj::ProjectObject*> ViewFeederProjectObjectGroup::claim_descendants() const
{
    return groupMembers(object);
}

void ViewFeederProjectObjectGroup::dragObject(Obj::ProjectObject* member)
{
    if (object && object->is_inherited_from(Obj::ProjectObjectGroup::getClassTypeId()))
        static_cast<Obj::ProjectObjectGroup*>(object)->remove_member(member);
}

void ViewFeederProjectObjectGroup::dropObject(Obj::ProjectObject* member)
{
    if (object && object->is_inherited_from(Obj::ProjectObjectGroup::getClassTypeId()))
        static_cast<Obj::ProjectObjectGroup*>(object)->add_object(member);
}

QIcon ViewFeederProjectObjectGroup::getIcon() const
{
    // One icon for all groups while the style stays: the tree's status pass keeps one
    // overlaid form per icon, so a fresh icon per call made it read and merge the folder
    // pixmaps again for every group.  Kept for the program's life, past the application.
    static QPointer<QStyle> madeFor;
    static QIcon* icon = new QIcon;
    QStyle* style = QApplication::style();
    if (!style)
        return QIcon();
    if (madeFor != style || icon->isNull()) {
        *icon = QIcon();
        icon->addPixmap(style->standardPixmap(QStyle::SP_DirClosedIcon), QIcon::Normal, QIcon::Off);
        icon->addPixmap(style->standardPixmap(QStyle::SP_DirOpenIcon), QIcon::Normal, QIcon::On);
        madeFor = style;
    }
    return *icon;
}

void ViewFeederProjectObjectGroup::get_viewfeeders(std::vector<ViewFeederProjectObject*>& feeders) const
{
    if (!object || !object->is_inherited_from(Obj::ProjectObjectGroup::getClassTypeId()))
        return;
    qPelmoraApplication* app = qPelmoraApplication::application();
    Obj::Project* owner = object->get_project();
    GuiProject* gui = app && owner ? app->get_project(owner) : nullptr;
    if (!gui)
        return;
    for (Obj::ProjectObject* member : static_cast<Obj::ProjectObjectGroup*>(object)->get_objects()) {
        ViewFeeder* feeder = gui->get_view_feeder(member);
        if (feeder && feeder->is_inherited_from(ViewFeederProjectObject::getClassTypeId()))
            feeders.push_back(static_cast<ViewFeederProjectObject*>(feeder));
    }
}

void ViewFeederProjectObjectGroup::show()
{
    if (!Visibility->test_object_status(RestoringGroup) && !groupShown) {
        std::vector<ViewFeederProjectObject*> members;
        get_viewfeeders(members);
        for (ViewFeederProjectObject* member : members)
            member->show();
    }
    ViewFeederProjectObject::show();
    groupShown = true;
}

void ViewFeederProjectObjectGroup::hide()
{
    if (!Visibility->test_object_status(RestoringGroup) && groupShown) {
        std::vector<ViewFeederProjectObject*> members;
        get_viewfeeders(members);
        for (ViewFeederProjectObject* member : members)
            member->hide();
    }
    ViewFeederProjectObject::hide();
    groupShown = false;
}

bool ViewFeederProjectObjectGroup::isShow() const
{
    return Visibility->get_value();
}

bool ViewFeederProjectObjectGroup::onDelete(const std::vector<std::string>&)
{
    Obj::Project* owner = object ? object->get_project() : nullptr;
    if (owner) {
        // A name with quotes or backslashes must stay one string argument.
        const std::string name = Vexil::UtilityBox::escaped_char_from_utf8(owner->get_name());
        Command::do_command(Command::Doc,
                            "App.get_project(\"%s\").get_object(\"%u\").removeObjectsFromDocument()",
                            name.c_str(), object->getObjectId());
    }
    return true;
}

void ViewFeederProjectObjectGroup::resume(Vexil::Hdf5FileReader& reader, const std::string& group)
{
    Visibility->set_object_status(RestoringGroup, true);
    try {
        ViewFeederProjectObject::resume(reader, group);
    }
    catch (...) {
        Visibility->set_object_status(RestoringGroup, false);
        throw;
    }
    Visibility->set_object_status(RestoringGroup, false);
}

// ---------------------------------------------------------------------------------------
// ViewFeederBuilder

ViewFeederBuilder::~ViewFeederBuilder() = default;

std::map<Vexil::TypeInfo, Vexil::TypeInfo>& ViewFeederBuilder::table()
{
    static std::map<Vexil::TypeInfo, Vexil::TypeInfo> propToView;
    return propToView;
}

void ViewFeederBuilder::add(const Vexil::TypeInfo& key, const Vexil::TypeInfo& feeder)
{
    table()[key] = feeder;
}

ViewFeeder* ViewFeederBuilder::create(const Vexil::TypeInfo& key)
{
    const auto it = table().find(key);
    if (it == table().end())
        return nullptr;
    Vexil::RootClass* built = it->second.build_instance();
    if (built && built->is_inherited_from(ViewFeeder::getClassTypeId()))
        return static_cast<ViewFeeder*>(built);
    delete built;
    return nullptr;
}
