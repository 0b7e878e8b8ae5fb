#pragma once
// The one GUI application object: start-up and shutdown of the whole user interface,
// the simulation modules, and the routing of requests to the application logic.

#include "PelmoraGuiExport.h"

#include "core/GuiSignal.h"

#include <QPixmap>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

class QCloseEvent;
class QMessageLogContext;
template <typename T> class QFutureWatcher;
class vtkMRMLScene;
class qPelmoraLayoutManager;
class vtkVizApplicationLogic;
class qVizColorsModule;

namespace Obj { class Project; class ProjectObject; class Property; }
namespace Vexil { class TypeInfo; }

namespace Gui {

class BaseView;
class CommandController;
class GuiProject;
class MenuItem;
class MDIWindow;
class ViewFeeder;
class ViewFeederProject;
class ViewFeederProjectObject;

class PELMORAGUI_EXPORT qPelmoraApplication
{
public:
    // `connectLogic`: follow the application logic and build the commands.
    explicit qPelmoraApplication(bool connectLogic);
    ~qPelmoraApplication();
    qPelmoraApplication(const qPelmoraApplication&) = delete;
    qPelmoraApplication& operator=(const qPelmoraApplication&) = delete;

    static qPelmoraApplication* application() { return _pInstance; }

    // Project, object, module and view events, republished for the tree, the property
    // view and the module group.
    GuiSignal<void(const GuiProject&, ViewFeederProject&)> signal_new_project;
    GuiSignal<void(const GuiProject&)> signal_remove_project;
    GuiSignal<void(const GuiProject&)> signal_relabel_project;
    GuiSignal<void(const GuiProject&)> signal_rename_project;
    GuiSignal<void(const GuiProject&)> signal_current_project;
    GuiSignal<void(const ViewFeeder&)> signal_create_object;
    GuiSignal<void(const ViewFeeder&)> signal_remove_object;
    GuiSignal<void(const ViewFeeder&, const Obj::Property&)> signal_change_object;
    GuiSignal<void(const ViewFeeder&)> signal_rename_object;
    GuiSignal<void(const ViewFeeder&)> signal_activate_object;
    GuiSignal<void(const char*)> signal_activate_simmodule;
    GuiSignal<void(const char*)> signal_new_simmodule;
    GuiSignal<void(const char*)> signal_delete_simmodule;
    GuiSignal<void(const MDIWindow*)> signal_activate_view;
    GuiSignal<void(const ViewFeederProjectObject&)> signal_in_edit;
    GuiSignal<void(const ViewFeederProjectObject&)> signal_reset_edit;

    // Idle; for work without a result that outlives the caller.
    QFutureWatcher<void>& futureWatcher();

    // Entry points for the host.
    static void initialize_application();
    static void execute_application();
    static void initTypes();
    static void initGraphicsDatabase();
    static void destruct();
    static void setEnvironmentVariable(const QString& name, const QString& value);
    // True once initialize_application has registered the types.
    static bool types_initialized();

    // Simulation modules.
    bool activate_simmodule(const char* name);
    QStringList get_simmodules() const;
    QPixmap simmodule_icon(const QString& name) const;
    // Maps a module name to the class that implements it.
    static const char* simmodule_class(const char* name);
    // The active module's context menu named `recipient` ("View", "Tree"); nothing
    // without an active module.
    void build_context_menu(const char* recipient, MenuItem* item) const;

    // Start-up flag: while set, failures of module activation only reach the console.
    bool is_starting() const;
    void set_starting(bool on);

    CommandController& get_command_manager();

    // Projects.
    GuiProject* get_project(const char* name) const;
    GuiProject* get_project(const Obj::Project* project) const;
    bool has_project(const Obj::Project* project) const;
    GuiProject* get_current_project() const;
    void set_current_project(GuiProject* project);
    vtkMRMLScene* mrmlScene() const;
    void update_all();
    // Requires a current project.
    void update_current();
    // The folder where new scenes are kept (the "Default Folder for Permanent Files").
    static QString defaultScenePath();

    // View feeders of objects; null without one.
    ViewFeeder* get_view_feeder(const Obj::ProjectObject* object) const;
    void hide_view_feeder(const Obj::ProjectObject* object);
    void show_view_feeder(const Obj::ProjectObject* object);

    // Views.
    MDIWindow* activeView() const;
    void activateView(const Vexil::TypeInfo& type, bool create);
    void set_current_view(MDIWindow* view);
    // Views that belong to no project and follow the current one.
    void connect_view(BaseView* view);
    void disconnect_view(BaseView* view);
    bool send_msg_to_current_view(const char* msg, const char** result = nullptr);
    bool test_msg_to_current_view(const char* msg);

    vtkVizApplicationLogic* applicationLogic() const;
    // The colours module; it shows the scene of the current project of kind 1.
    qVizColorsModule* colorsModule() const;
    void setApplicationLogic(vtkVizApplicationLogic* logic);
    // Kept as a guarded pointer: null once the manager is gone.
    qPelmoraLayoutManager* layoutManager() const;
    void setLayoutManager(qPelmoraLayoutManager* manager);

    // Dirty state of the logic and of every GUI project.
    bool getDirty() const;
    void setDirty(bool on);

    // Asks about unsaved projects; accepts or ignores the event.
    void intend_to_close(QCloseEvent* event);
    bool is_ending_project() const;
    // Called by a GUI project whose last document view closed.
    void on_final_view_closed(GuiProject* project);

    // The standard command families (help, document and edit, object and annotation,
    // view, window, selection), each added by its own part of the command set.
    void build_basic_commands();

    // Opens a file with the module that handles it; an empty, unchanged current project
    // is closed first.
    void open(const char* fileName, const char* module);
    // Resumes a project file in place of every open project (after asking). Nothing
    // changes when the user keeps the projects or cancels the question about saving them.
    // True when the file's projects were opened.
    bool openPMDB(const char* fileName, const char* module);
    // The files named together (on one command line, or handed over at once by a second
    // start) in the order that opens them all without one discarding another; files that
    // cannot be opened with the others are left out and the console says why.
    static std::vector<std::string> files_to_open_together(const std::vector<std::string>& files);
    // Notes which of the files named on the command line the start opened; the host's
    // exit status tells a script whether any was not (missing, refused, or left out).
    static void note_command_line_files(const std::vector<std::string>& named,
                                        const std::vector<std::string>& opened);
    static std::size_t command_line_files_not_opened();
    // Notes how many of a second start's files were refused, by itself or by the running
    // instance it handed them to; they count as not opened, and a refusal is a failure
    // whether or not the start has a window.
    static void note_handed_over_files_refused(std::size_t refused);
    static std::size_t handed_over_files_refused();
    // Why a file would be refused before it is read (it is no regular file, or of no kind
    // this program opens), as the line that says so; empty when it would be tried.
    static std::string refusal_before_opening(const std::string& file);
    // How many refusals of a file were shown in a box so far.
    static int refusal_boxes_shown();
    // While set, a refused file is said on the console only, not in a box: for a file that
    // a start without anyone at it handed over (it says the refusal itself).  Returns the
    // setting before.
    static bool set_refusals_on_console_only(bool onConsoleOnly);
    // Whether a refused file is shown in a box: a user can answer, and it is not one of those.
    static bool may_show_refusal();
    // True while a save runs, with the questions and dialogs it shows.
    static bool is_saving();
    // True while a question about closing projects is open: the questions asked before a
    // project file replaces the open projects, and the "Close Project" question wherever it
    // is asked (a project tab closing, say).
    static bool is_asking_about_closing();
    // Held while such a question is open.
    class ClosingQuestionOpen
    {
    public:
        ClosingQuestionOpen();
        ~ClosingQuestionOpen();
        ClosingQuestionOpen(const ClosingQuestionOpen&) = delete;
        ClosingQuestionOpen& operator=(const ClosingQuestionOpen&) = delete;
    };
    // Whether questions and messages may be shown in boxes: not in a start without a
    // window, where nobody could answer them (see qPelmoraApplicationFiles.cpp).
    static bool may_ask_user();
    void import_from(const char* fileName, const char* projectName, const char* module);
    void import_geom_from(const char* fileName, const char* projectName, const char* module, unsigned option);
    void exportStepFile(const char* fileName, const char* projectName, const char* fileType,
                        const std::vector<unsigned>& ids);
    void exportStepFile(const char* fileName, const char* projectName, const char* fileType, unsigned id);
    // Exports the objects of the project that are selected in the tree.
    void save_to(const char* fileName, const char* projectName, const char* fileType);
    // Saves every project to the application file (asking for one when there is none);
    // false when nothing was saved.
    bool save();
    bool save_as();
    bool saveToTmp();
    // A project read from a file and not changed since is not modified, though reading
    // it created its objects: their GUI projects are marked clean.
    void mark_unchanged_projects_clean();
    // Looks for lock files of earlier runs.
    void checkForPreviousCrashes();
    // Whether a file name holds a character outside ASCII, which project files refuse.
    static bool is_non_ascii_file_name(const QString& name);

    // Relays of every GUI project's object signals.
    void slot_create_object(const ViewFeeder& feeder);
    void slot_remove_object(const ViewFeeder& feeder);
    void slot_change_object(const ViewFeeder& feeder, const Obj::Property& property);
    void slot_rename_object(const ViewFeeder& feeder);
    void slot_activate_object(const ViewFeeder& feeder);
    void slotInEdit(const ViewFeederProjectObject& feeder);
    void slotResetEdit(const ViewFeederProjectObject& feeder);

protected:
    // The application logic's project signals.
    void slot_new_project(const Obj::Project& project);
    void slot_remove_project(const Obj::Project& project);
    void slot_rename_project(const Obj::Project& project);
    void slot_current_project(const Obj::Project& project);
    // Brings the logic's current project's window to the front (queued by slot_current_project).
    void bringCurrentToFront();
    void slot_relabel_project(const Obj::Project& project);

private:
    bool save_common(const std::string& fileName);
    bool close_projects_for_resume(const char* fileName);
    // Saves a copy to the temporary folder under the name of `intended`, the file the save
    // could not reach.
    bool save_as_sys_temp(const std::string& intended);
    void import_geom_from(const char* fileName, const char* projectName, const char* module, unsigned option,
                          bool geometry);
    void sendExport(const char* fileName, const char* projectName, const char* fileType,
                    const std::vector<unsigned>& ids);
    static void warn_unknown_filetype(const QString& text);
    static void send_view_extents(bool onlyWhenHandled);

    struct Private;
    std::unique_ptr<QFutureWatcher<void>> watcher;
    std::unique_ptr<Private> d;
    static qPelmoraApplication* _pInstance;
};

} // namespace Gui
