#pragma once
// The user-interface side of one project of the application logic: its MRML scene, one
// view feeder per project object, its document views and its dirty state.  Object events
// of the logic project are re-published with the object's feeder in place of the object.

#include "PelmoraGuiExport.h"
#include "core/ObjectModes.h"

#include <vexil/Persistence.h>

#include "core/GuiSignal.h"

#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

class vtkMRMLAbstractViewNode;
class vtkMRMLScene;

namespace Obj { class Project; class ProjectObject; class ProjectObjectGroup; class Property; }
namespace Vexil { struct Matrix4D; }

namespace Gui {

class BaseView;
class MDIWindow;
class ViewFeeder;
class ViewFeederProjectObject;
class qPelmoraApplication;

class PELMORAGUI_EXPORT GuiProject : public Vexil::DataPersistence
{
public:
    GuiProject(Obj::Project* project, qPelmoraApplication* app);
    ~GuiProject() override;
    GuiProject(const GuiProject&) = delete;
    GuiProject& operator=(const GuiProject&) = delete;

    // Sum over the object feeders (wraps at 32 bits).
    unsigned int get_memory_usage() const override;
    // The GUI keeps nothing of its own in project files.
    void save(Vexil::Hdf5FileWriter&, const std::string&) override {}
    void resume(Vexil::Hdf5FileReader&, const std::string&) override {}
    void save_to_file(Vexil::Hdf5FileWriter&) const override {}
    void load_from_file(Vexil::Hdf5FileReader&) override {}
    void export_objects(const std::vector<Obj::ProjectObject*>&, Vexil::Hdf5FileWriter&) {}
    void import_objects(const std::vector<Obj::ProjectObject*>&, Vexil::Hdf5FileReader&,
                        const std::map<std::string, std::string>&) {}

    GuiSignal<void(const ViewFeederProjectObject&)> signal_new_object;
    GuiSignal<void(const ViewFeederProjectObject&)> signal_delete_object;
    GuiSignal<void(const ViewFeederProjectObject&, const Obj::Property&)> signal_change_object;
    GuiSignal<void(const ViewFeederProjectObject&)> signal_relabel_object;
    GuiSignal<void(const ViewFeederProjectObject&)> signal_activate_object;
    GuiSignal<void(const ViewFeederProjectObject&)> signal_in_edit;
    GuiSignal<void(const ViewFeederProjectObject&)> signal_reset_edit;
    GuiSignal<void(const ViewFeederProjectObject&, const HighlightMode&, bool)>
        signal_highlight_object;
    GuiSignal<void(const ViewFeederProjectObject&, const TreeItemMode&)> signal_expand_object;
    // Raised with true before copied objects are pasted into the project and with false
    // once they all are, links and member lists set: views may lay out what was pasted
    // once, rather than follow each object and each member list on the way.
    GuiSignal<void(bool)> signal_pasting;

    // Feeders.
    ViewFeeder* get_view_feeder(const Obj::ProjectObject* object) const;
    ViewFeeder* getViewFeederById(unsigned int id) const;
    std::vector<ViewFeeder*> getViewFeedersOfType(const Vexil::TypeInfo& type) const;
    ViewFeeder* getAnnotationViewFeeder(unsigned int n) const;
    // Takes ownership; a feeder already under `n` is deleted first.
    void setAnnotationViewFeeder(unsigned int n, ViewFeeder* feeder);
    void removeAnnotationViewFeeder(unsigned int n);
    MDIWindow* getViewOfViewFeeder(ViewFeeder*) const { return nullptr; }
    bool isShow(unsigned int id) const;
    void setShow(unsigned int id);
    void setHide(unsigned int id);
    void setPos(unsigned int id, const Vexil::Matrix4D& matrix);
    // Adds those of `objects` that no other listed object's feeder claims as descendant.
    void addRootObjectsToGroup(const std::vector<Obj::ProjectObject*>& objects,
                               Obj::ProjectObjectGroup* group);

    // Views.
    void attachView(BaseView* view, bool passive);
    void detachView(BaseView* view, bool passive);
    std::list<MDIWindow*> getMDIViews() const;
    std::list<MDIWindow*> getMDIViewsOfType(const Vexil::TypeInfo& type) const;
    bool isLastView() const;
    MDIWindow* getActiveView() const;
    void setActiveWindow(MDIWindow* view);
    MDIWindow* createView(const Vexil::TypeInfo& type);
    MDIWindow* cloneView(MDIWindow* view);
    void onUpdate();
    void on_label_changed();
    bool sendMsgToViews(const char* message);

    // State and scene.
    Obj::Project* get_project() const;
    vtkMRMLScene* mrmlScene() const;
    vtkMRMLAbstractViewNode* getViewNode() const;
    int getDocumentNumber() const;
    bool getDirty() const;
    void setDirty(bool on);
    bool canClose();
    bool setEdit(ViewFeeder* feeder, int mode);
    void resetEdit();
    ViewFeeder* getInEdit() const;

    // Around a restore of this project: activation events are dropped in between.
    void slotStartRestoreDocument(const Obj::Project& project);
    void slotFinishRestoreDocument(const Obj::Project& project);

    // How many entries of the object feeder tables this thread has reached (looked up,
    // inserted, erased, walked) since it started: a growth test's count of the work of
    // filing and finding the feeders.
    static std::uint64_t feederEntriesVisited();

protected:
    void slot_create_object(const Obj::ProjectObject& object);
    void slot_remove_object(const Obj::ProjectObject& object);
    void slot_change_object(const Obj::ProjectObject& object, const Obj::Property& property);
    void slot_rename_object(const Obj::ProjectObject& object);
    void slot_activate_object(const Obj::ProjectObject& object);

private:
    // Calls `call` on every document view, then every passive view, until it returns true;
    // returns whether one did.  A view may close other views or this whole project from
    // inside the call: each view is reached only while it and the project are still there.
    bool visitViews(const std::function<bool(BaseView*)>& call);

    // The count behind feederEntriesVisited(), kept by the feeder table itself.
    static std::uint64_t& feederSteps();

    struct Private;
    std::unique_ptr<Private> d;
    static int _iDocCount;
};

} // namespace Gui
