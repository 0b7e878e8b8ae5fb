#pragma once
// View feeders: the display companions of projects and project objects.  A feeder holds
// the display settings of its object as ordinary properties, keeps the object's nodes in
// the project's scene in step with them, and gives the tree its icon and context menu.

#include "PelmoraGuiExport.h"

#include <obj/Property.h>
#include <vexil/Vector3D.h>

#include "core/GuiSignal.h"

#include <QIcon>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

QT_BEGIN_NAMESPACE
class QMenu;
class QObject;
QT_END_NAMESPACE
class SoNode;
class vtkMatrix4x4;
class vtkTransform;

namespace Obj { class Project; class ProjectObject; }

namespace Gui {

class MDIWindow;
class MenuItem;

// Orders an object's tree item among its siblings: 0 no order, smaller values first.
using eTreeOrderType = std::uint32_t;

class ViewFeeder;

// One of a feeder's own signals.  Raising it tells the watchers of every feeder (the
// relay) and then the feeder's own slots, so that a listener that follows thousands of
// feeders, like the project explorer, connects once instead of once per feeder.  The
// feeder's own signal is made on its first connection: most feeders never get one, and a
// project of thousands of objects should not pay for thousands of empty signals.
template <typename... Args>
class FeederSignal
{
public:
    using Signal = GuiSignal<void(Args...)>;
    using Relay = GuiSignal<void(const ViewFeeder&, Args...)>;

    FeederSignal(const ViewFeeder& feeder, Relay& everyFeeder) : owner(feeder), relay(everyFeeder) {}
    FeederSignal(const FeederSignal&) = delete;
    FeederSignal& operator=(const FeederSignal&) = delete;

    template <typename Slot>
    boost::signals2::connection connect(Slot&& slot)
    {
        if (!own)
            own = std::make_unique<Signal>();
        return own->connect(std::forward<Slot>(slot));
    }
    std::size_t num_slots() const { return own ? own->num_slots() : 0; }
    bool empty() const { return !own || own->empty(); }
    void disconnect_all_slots()
    {
        if (own)
            own->disconnect_all_slots();
    }
    void operator()(Args... args)
    {
        relay(owner, args...);
        if (own)
            (*own)(args...);
    }

private:
    const ViewFeeder& owner;
    Relay& relay;
    std::unique_ptr<Signal> own;
};

class PELMORAGUI_EXPORT ViewFeeder : public Obj::PropertyDS
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    // Status bits of a feeder's "Visibility": set while a visibility change is being
    // carried out (stops it re-entering), and while a group restores its properties.
    enum FeederStatusBit { VisibilityInProgress = 29, RestoringGroup = 30 };

    ViewFeeder();
    ~ViewFeeder() override;

    // Status overlay, tool tip and status tip of the object's tree item; the relays carry
    // the same signals of every feeder.
    static FeederSignal<>::Relay& signal_any_change_status();
    static FeederSignal<const QString&>::Relay& signal_any_change_tooltip();
    static FeederSignal<const QString&>::Relay& signal_any_change_statustip();
    FeederSignal<> signal_change_status{*this, signal_any_change_status()};
    FeederSignal<const QString&> signal_change_tooltip{*this, signal_any_change_tooltip()};
    FeederSignal<const QString&> signal_change_statustip{*this, signal_any_change_statustip()};

    // Passes a change of the feeder's own properties on to the application object.
    void on_changed(const Obj::Property* property) override;

    virtual std::vector<Obj::ProjectObject*> claimChildren3D() const;
    virtual bool useNewSelectionModel() const;
    virtual bool isSelectable() const;
    virtual std::string get_entity_detail(int entity) const;
    virtual int getDetail(const std::string& subElement) const;
    virtual std::vector<Vexil::Vector3<double>> getSelectionShape(const char* element) const;
    // Whether the object may be deleted (with these sub-elements selected).
    virtual bool onDelete(const std::vector<std::string>& subElements);
    virtual QIcon getIcon() const;
    virtual std::vector<Obj::ProjectObject*> claim_descendants() const;
    virtual bool canDragObjects() const;
    virtual void dragObject(Obj::ProjectObject* object);
    virtual bool canDropObjects() const;
    virtual void dropObject(Obj::ProjectObject* object);
    // Maps a changed property of the object onto the feeder's nodes; run through update.
    virtual void updateData(const Obj::Property* property) = 0;
    virtual void setDisplayMode(const char* mode);
    virtual const char* getDefaultDisplayMode() const = 0;
    virtual std::vector<std::string> getDisplayModes() const = 0;
    virtual void hide();
    virtual void show();
    virtual void show_and_hide();
    virtual void updateCanSelect();
    virtual bool isShow() const;
    // "As Is" drops the override; another name takes its mask index when known.
    virtual void set_override_show_mode(const std::string& mode);

protected:
    virtual bool setEdit(int mode);
    virtual void unsetEdit(int mode);

public:
    virtual bool keyPressed(bool pressed, int key);
    virtual bool on_double_clicked();
    virtual void build_context_menu(const char* receiver, MenuItem* item) const;
    virtual void build_context_menu(QMenu* menu, QObject* receiver, const char* member);
    // Resets the feeder's placement to identity and applies the matrix.
    virtual void setTransformation(const vtkMatrix4x4& matrix);
    virtual void setTransformation(const Vexil::Matrix4D& matrix);
    virtual bool check_input();

    // Hands a changed property of the shown object to updateData, with the shown flag
    // cleared meanwhile; the flag comes back when it was set and the feeder is visible.
    void update(const Obj::Property* property);
    void setUpdatesEnabled(bool on) { updatesEnabled = on; }
    bool isUpdatesEnabled() const { return updatesEnabled; }

    // Edit mode: startEditing enters it when setEdit accepts the mode; finishEditing
    // always leaves it.
    bool startEditing(int mode = 0);
    void finishEditing();
    bool isEditing() const { return editMode >= 0; }

    bool isVisible() const { return isShow(); }
    void set_visible(bool on);
    std::string getActiveDisplayMode() const { return activeDisplayMode; }
    std::string toString() const { return {}; }

    // A new matrix (owned by the caller) with the placement's values.
    static vtkMatrix4x4* convert(const Vexil::Matrix4D& matrix);

    // The feeder's placement in the scene, made on first use: most feeders are never
    // moved, and a project of thousands of objects should not pay for their transforms.
    vtkTransform* getTransform() const;
    const std::vector<int>& getSelectableEntityTypes() const;
    int getOverrideMode() const { return overrideMode; }
    int getDisplayMaskMode() const { return maskMode; }
    const char* get_pixmap_name() const { return iconName ? iconName : ""; }

protected:
    int getEditingMode() const { return editMode; }
    void setDefaultMode(int index) { maskMode = index; }
    void setDisplayMaskMode(const char* mode);
    std::vector<std::string> getDisplayMaskModes() const;

    // Plain flag changes for subclasses that take over show and hide.
    void setShownFlag(bool on) { shown = on; }
    void setVisibleFlag(bool on) { visible = on; }
    bool visibleFlag() const { return visible; }

    const char* iconName = nullptr;
    std::map<std::string, int> maskModes;

private:
    void setModeSwitch() {}

    mutable vtkTransform* transform = nullptr;
    int maskMode = -1;
    int editMode = -1;
    int overrideMode = -1;
    std::string activeDisplayMode;
    bool updatesEnabled = true;
    bool visible = true;
    bool shown = true;
};

// Feeder of something outside the project tree, with its own display modes.
class PELMORAGUI_EXPORT ViewFeederExtern : public ViewFeeder
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    void updateData(const Obj::Property*) override {}
    const char* getDefaultDisplayMode() const override;
    std::vector<std::string> getDisplayModes() const override { return displayModes; }
    void setModeByFile(const char*, const char*) {}
    void setModeByString(const char*, const char*) {}
    void adjustDocumentName(const char*) {}

protected:
    std::vector<std::string> displayModes;
};

// Feeder of a whole project: its "Display Mode" and "Visibility" act on the project.
class PELMORAGUI_EXPORT ViewFeederProject : public ViewFeeder
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    ViewFeederProject();
    ~ViewFeederProject() override;

    void on_changed(const Obj::Property* property) override;
    void updateData(const Obj::Property*) override {}
    const char* getDefaultDisplayMode() const override { return nullptr; }
    std::vector<std::string> getDisplayModes() const override { return {}; }
    void hide() override;
    void show() override;
    void show_and_hide() override {}
    void updateCanSelect() override;

    virtual void attach(Obj::Project* project);
    virtual void startRestoring();
    virtual void finishRestoring() {}
    // Runs updateData for every property of the project, the feeder hidden meanwhile.
    virtual void updateView();

    Obj::Project* get_project() const { return project; }
    void setActiveMode();

    Obj::PropertyEnumType* DisplayMode = nullptr;
    Obj::PropertyBoolean* Visibility = nullptr;

protected:
    Obj::Project* project = nullptr;

private:
    std::vector<const char*> modeNames;
    std::vector<std::string> modes;
};

// Feeder of one project object.  Its "Visibility" property shows or hides it.
class PELMORAGUI_EXPORT ViewFeederProjectObject : public ViewFeeder
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    ViewFeederProjectObject();
    ~ViewFeederProjectObject() override;

    void updateData(const Obj::Property*) override {}
    const char* getDefaultDisplayMode() const override { return nullptr; }
    std::vector<std::string> getDisplayModes() const override { return {}; }
    void show() override;
    void updateCanSelect() override;

    virtual void attach(Obj::ProjectObject* o);
    virtual void hideDisplayMode() {}
    virtual void showDisplayMode() {}
    using ViewFeeder::show_and_hide;
    virtual void show_and_hide(const std::vector<Obj::ProjectObject*>&) {}
    virtual void startRestoring();
    virtual void finishRestoring() {}
    // Runs updateData for every property of the object, the feeder hidden meanwhile.
    virtual void updateView();

    Obj::ProjectObject* get_object() const { return object; }
    // 0 without an attached object.
    unsigned int getObjectId() const;
    virtual eTreeOrderType getTreeOrder() const { return treeOrder; }
    void setTreeOrder(eTreeOrderType order) { treeOrder = order; }

    // Reach the 3D view of the object's project, when there is one.
    void ResetSelection();
    void scheduleRender();

    // Points at the feeder's own visibility property below.
    Obj::PropertyBoolean* Visibility = nullptr;

protected:
    MDIWindow* getActiveView() const;
    // Carries out a change of "Visibility": the visible flag follows it and the feeder is
    // shown or hidden, without re-entering when that changes the property again.  False
    // (and nothing done) while a change is already being carried out.
    bool followVisibility();

    Obj::ProjectObject* object = nullptr;
    eTreeOrderType treeOrder = 0;

private:
    // Every feeder has one: held in place rather than on the heap.
    Obj::PropertyBoolean visibilityProperty;
};

// Feeder of a colour-per-face feature.
class PELMORAGUI_EXPORT ViewFeederFeature : public ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    ViewFeederFeature();
    Obj::PropertyColorArray* ColorList = nullptr;
};

// Feeder of an object group: shows and hides its members' feeders with itself, and
// takes objects dragged onto it.
class PELMORAGUI_EXPORT ViewFeederProjectObjectGroup : public ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
    OBJ_PROPERTY_HEADER()
public:
    bool canDragObjects() const override { return true; }
    bool canDropObjects() const override { return true; }
    std::vector<Obj::ProjectObject*> claim_descendants() const override;
    void dragObject(Obj::ProjectObject* object) override;
    void dropObject(Obj::ProjectObject* object) override;
    QIcon getIcon() const override;
    void hide() override;
    void show() override;
    bool isShow() const override;
    bool onDelete(const std::vector<std::string>& subElements) override;
    void resume(Vexil::Hdf5FileReader& reader, const std::string& group) override;
    std::vector<std::string> getDisplayModes() const override { return {}; }

protected:
    void get_viewfeeders(std::vector<ViewFeederProjectObject*>& feeders) const;

private:
    bool groupShown = false;
};

// Maps a property type to the feeder type that shows it.  Kept for the product's other
// GUI libraries; this library registers nothing here.
class PELMORAGUI_EXPORT ViewFeederBuilder
{
public:
    virtual ~ViewFeederBuilder();
    virtual void buildNodes(const Obj::Property* property, std::vector<SoNode*>& nodes) const = 0;

    static void add(const Vexil::TypeInfo& key, const Vexil::TypeInfo& feeder);
    // A new feeder of the type entered for `key`; null when none is.
    static ViewFeeder* create(const Vexil::TypeInfo& key);

private:
    static std::map<Vexil::TypeInfo, Vexil::TypeInfo>& table();
};

class PELMORAGUI_EXPORT ViewFeederColorBuilder : public ViewFeederBuilder
{
public:
    void buildNodes(const Obj::Property*, std::vector<SoNode*>&) const override {}
};

// The members of `object` when it is an object group, else nothing.
std::vector<Obj::ProjectObject*> groupMembers(const Obj::ProjectObject* object);

} // namespace Gui
