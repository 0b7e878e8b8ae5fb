#pragma once
// The application logic: the one Application of the process, its projects, its
// configuration, its preferences and the commands and records it executes.

#include "Project.h"

#include <vexil/Parameter.h>

#include <counted/CountedSteps.h>

#include "LogicSignal.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Vexil { class PreferenceManager; }

namespace Obj {

class Application
{
public:
    // Builds the application from the host's command line and configuration.  The
    // user's configuration lives below `userDataPath` (created when missing).
    Application(int argc, char** argv, std::map<std::string, std::string> config);
    ~Application();

    static Application& instance() { return *_pcSingleton; }
    static Application* _pcSingleton;
    // Detaches the console observers that the logic installed (used on fatal errors).
    static void detach_observer();
    // Registers the logic's types with the type registry; harmless to call again.
    static void init_types();
    // How many entries of the project maps (by name and by creation) the logic of this
    // thread has stepped over (probed, walked) since it started: a plain count of the
    // work, the same on every run, by which a test sees that one more project costs the
    // same however many are open.  The maps count every entry reached.
    static std::uint64_t projectEntriesVisited();

    // Host command line and configuration.
    static int _argc;
    static char** _argv;
    static std::map<std::string, std::string> mConfig;

    // Projects.
    Project* get_current_project() const { return currentProject; }
    Project* get_project(const char* name) const;
    std::vector<Project*> get_projects() const;
    // The projects whose kind code equals the document tag.
    std::vector<Project*> get_projects(int documentTag) const;
    const char* get_project_name(const Project* project) const;
    bool set_current_project(const char* name);
    Project* create_project(const char* name, const char* label = nullptr);
    bool close_project(const char* name);
    void close_all_projects();
    void rename_project(const char* name, const char* newName);
    void relabel_project(const char* name, const char* newLabel);
    std::string get_unique_project_name(const char* base) const;
    // The objects of every open project.
    std::size_t get_num_objects() const { return objectCount; }
    // Why `what` ("Cannot paste", say) may not make `projects` more projects and `objects`
    // more objects: a save writes every open project to one file, and what is open must
    // stay within what one file may hold (ProjectFileLimits).  Empty when it may.  Every
    // way of making projects and objects asks this first; create_project and
    // Project::add_object throw Vexil::ExceptionHandler with the answer, making nothing.
    std::string growth_error(const std::string& what, std::size_t projects, std::size_t objects) const;

    // Files and dirty state.
    std::vector<std::string> getCmdLineFiles() const;
    std::vector<std::string> processFiles(const std::vector<std::string>& files);
    // Why processFiles would refuse `file` before reading it (it is no regular file, or
    // of no kind this program opens), as the line it would say; empty when it would try.
    // Kinds the file opener takes are not known here.
    std::string open_refusal(const std::string& file) const;
    // What a file opener did with a file it was offered.
    enum class FileOpening { NotMine, Opened, Refused };
    // Offered every file processFiles is given first (the user interface opens the kinds
    // of file it reads itself); a file it opened or refused, having said why, goes no
    // further. Empty: none.
    void setFileOpener(std::function<FileOpening(const std::string&)> opener) { fileOpener = std::move(opener); }
    // Asked about the view type that each project of a project file names; a file with a
    // project it answers false for is refused as a whole. Empty: every type is taken.
    void setViewTypeCheck(std::function<bool(const std::string&)> check) { viewTypeCheck = std::move(check); }
    // Called when a project file was refused for a lack of memory and the projects made of
    // it were closed again, before the refusal is said: the user interface lets go at once
    // of what it kept of them (views waiting to be deleted), so that the memory they took
    // is free again before anything else takes room after it. Empty: nothing kept.
    void setMemoryRelease(std::function<void()> release) { memoryRelease = std::move(release); }
    void process_command_input_scripts();
    // Reads a surface model into a new project named after the file, holding one geometry
    // object; throws Vexil::ExceptionHandler, with nothing created, when it cannot be read.
    Project* open_model_file(const std::string& path);
    // Filter tables: filter text ("STEP (*.step *.stp)") -> module name.  The form with
    // an extension (lower case, no dot) returns the entries whose patterns name it.
    using FilterTable = std::map<std::string, std::string>;
    void add_import_type(const char* filter, const char* module);
    void add_export_type(const char* filter, const char* module);
    void add_projectDB_type(const char* filter, const char* module);
    FilterTable get_import_filters() const { return importFilters; }
    FilterTable get_import_filters(const char* extension) const;
    FilterTable get_export_filters() const { return exportFilters; }
    FilterTable get_export_filters(const char* extension) const;
    FilterTable get_projectDB_filters() const { return projectDBFilters; }
    FilterTable get_projectDB_filters(const char* extension) const;
    // Extensions (lower case) that some import filter handles.
    std::vector<std::string> get_imported_types() const;
    std::vector<std::string> get_projectDB_types() const;

    // Project files (file type 1, ".pmdb"): every project with its objects.  Saving writes
    // through a temporary file, so a failed save keeps the earlier file; both answer false,
    // with the reason on the console and in last_file_error(), when they fail, and
    // resuming then adds nothing.  The file saved or resumed last is the application file.
    bool save_as_file(int fileType, const char* path);
    bool resume_from_file(int fileType, const char* path);
    // Whether resume_from_file would take the file, changing nothing; false with the
    // reason on the console and in last_file_error().
    bool check_project_file(int fileType, const char* path);
    std::string getApplicationFile() const { return applicationFile; }
    const std::string& last_file_error() const { return fileError; }
    // Whether the last save failed for what the projects hold (a value too long for a
    // project file, say), so that no other place would take them either.
    bool last_save_failed_for_content() const { return contentError; }
    // Writes the projects to `path` as save_as_file does, as a copy: the application file
    // and the projects' modified state stay as they were.
    bool save_copy_to_file(int fileType, const char* path);
    // Makes `path` the application file without writing it (a save that went elsewhere
    // keeps the name the user chose); the file there now counts as the one last seen.
    void set_application_file(const std::string& path);
    // Whether the application file was changed on disk (another file put in its place, or
    // its size or modification time changed) since this program last read or wrote it, or
    // a file appeared at the name where there was none; false when it is gone or is no file.
    bool application_file_changed_on_disk() const;
    // Runs what follows a resume: each project resumed is refreshed once.
    void ExecuteAfterResume();
    // Checks the current project's input before work on it; the stand-in has no solver
    // input and finds nothing to report.
    void check_input();

    bool getDirty() const { return dirty; }
    void setDirty(bool on) { dirty = on; }

    // Paths and preferences.
    std::string get_home_directory() const;
    std::string get_executable_file_name() const;
    std::string get_sys_temp_directory() const;
    std::string getTempAppFolder() const;
    std::string get_user_appdata_path() const;
    std::string get_resource_path() const;
    Vexil::PreferenceManager* getPrefMgr() const { return prefMgr.get(); }
    Vexil::ParameterManager& get_user_preference() { return *userParameters; }
    // "User parameter:BaseApp/Preferences/General"; an unknown manager gives a null handle.
    Vexil::ParameterGroup::Handle get_preference_group_by_path(const char* path);

    bool useOldSelectionView = false;

    // Signals about projects, raised synchronously.
    LogicSignal<void(const Project&)> signal_new_project;
    LogicSignal<void(const Project&)> signal_remove_project;
    LogicSignal<void(const Project&)> signal_rename_project;
    LogicSignal<void(const Project&)> signal_current_project;
    LogicSignal<void(const Project&)> signal_relabel_project;
    // Relayed from every project: an object was removed, or its label changed.
    LogicSignal<void(const ProjectObject&)> signal_object_removed;
    LogicSignal<void(const ProjectObject&)> signal_object_renamed;
    // Relayed from every project: a property of an object changed its value.
    LogicSignal<void(const ProjectObject&, const Property&)> signal_change_property;
    // The read-only or hidden state of any property changed.
    LogicSignal<void(const Property&)> signal_property_status;
    // Selection requests that reach the logic as records 5 (select) and 4 (deselect) and
    // as command 6 (clear a project's selection); the user interface's selections follow.
    LogicSignal<void(const ProjectObject&)> signal_select_object;
    LogicSignal<void(const ProjectObject&)> signal_deselect_object;
    LogicSignal<void(const Project&)> signal_clear_selection;

private:
    // Whether a module registered the kind of `file` (by its suffix), and the line that
    // refuses a file of no known kind.
    bool registeredKind(const std::string& file) const;
    static std::string unknownKindRefusal(const std::string& file);
    friend class ProjectFile;
    friend class Project;
    std::function<FileOpening(const std::string&)> fileOpener;
    std::function<bool(const std::string&)> viewTypeCheck;
    std::function<void()> memoryRelease;
    void connect_project(Project* project);
    // Takes in a project set up beforehand (kind, feeder type), names it after `name`
    // made unique and announces it complete.
    Project* adopt_project(std::unique_ptr<Project> project, const char* name, const char* label);
    // What the application file was when it was last read or written here.
    struct FileStamp
    {
        bool known = false;
        unsigned long long device = 0, inode = 0;
        long long size = 0, modifiedSeconds = 0, modifiedNanoseconds = 0;
        bool operator==(const FileStamp& o) const
        {
            return known == o.known && device == o.device && inode == o.inode && size == o.size
                && modifiedSeconds == o.modifiedSeconds && modifiedNanoseconds == o.modifiedNanoseconds;
        }
    };
    static FileStamp stampOf(const std::string& path);
    bool writeProjectFile(int fileType, const std::string& path);
    std::string applicationFile;
    FileStamp applicationFileStamp;
    std::string fileError;
    bool contentError = false;

    FilterTable importFilters, exportFilters, projectDBFilters;
    // The count behind projectEntriesVisited(), kept by the two maps below.
    static std::uint64_t& projectSteps();
    // By name, hashed: looked up only, never walked in order.
    Counted::HashMap<std::string, std::unique_ptr<Project>, &Application::projectSteps> projects;
    Counted::Map<unsigned int, Project*, &Application::projectSteps> projectsById;   // creation order
    // The projects the last file gave back, refreshed once the host has built their views.
    Counted::Vector<std::string, &Application::projectSteps> resumedProjects;
    std::string homePath, userDataPath, exeName;
    Project* currentProject = nullptr;
    unsigned int nextProjectId = 1;
    std::size_t objectCount = 0;   // of the projects listed above
    bool dirty = false;
    std::unique_ptr<Vexil::PreferenceManager> prefMgr;
    Vexil::ParameterManager::Handle userParameters;
    Vexil::ParameterManager::Handle systemParameters;
};

} // namespace Obj
