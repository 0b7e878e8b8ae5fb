#include "Application.h"

#include "GeometryObject.h"
#include "LoadObject.h"
#include "ProjectFile.h"
#include "ProjectFileLimits.h"
#include "PropertyCouple.h"
#include "PropertyDecimalVector.h"
#include "PropertyPath.h"
#include "PropertyStringList.h"
#include "PropertyVector.h"
#include "PropertyAdvEnum2.h"
#include "PropertySelection.h"

#include <vexil/DocumentInfo.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>
#include <vexil/PreferenceManager.h>
#include <vexil/PrintableText.h>
#include <vexil/RootClass.h>
#include <vexil/UtilityBox.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <set>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Obj {

Application* Application::_pcSingleton = nullptr;
int Application::_argc = 0;
char** Application::_argv = nullptr;
std::map<std::string, std::string> Application::mConfig;

namespace {

std::string withSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::string configValue(const char* key)
{
    const auto it = Application::mConfig.find(key);
    return it == Application::mConfig.end() ? std::string() : it->second;
}

bool hasConfig(const char* key)
{
    return Application::mConfig.count(key) != 0;
}

// The running executable: argv[0] when it names an existing file, else /proc/self/exe.
QString executablePath(int argc, char** argv)
{
    if (argc > 0 && argv && argv[0]) {
        const QString arg = QString::fromLocal8Bit(argv[0]);
        if (arg.contains('/')) {
            QFileInfo info(arg);
            if (info.isFile())
                return info.canonicalFilePath();
        }
    }
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

// Project names are keys inside quoted script lines: keep them to identifier bytes.
std::string sanitizedName(const char* base)
{
    std::string name = (base && *base) ? base : "Unnamed";
    for (char& c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) && u < 0x80) && c != '_')
            c = '_';
    }
    return name;
}

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The extensions that a filter text names: "STEP (*.step *.stp)" gives step and stp.
std::vector<std::string> filterExtensions(const std::string& filter)
{
    std::vector<std::string> result;
    const auto open = filter.rfind('(');
    const auto close = filter.rfind(')');
    if (open == std::string::npos || close == std::string::npos || close < open)
        return result;
    const std::string patterns = filter.substr(open + 1, close - open - 1);
    std::size_t pos = 0;
    while (pos < patterns.size()) {
        const auto start = patterns.find_first_not_of(" \t;", pos);
        if (start == std::string::npos)
            break;
        auto end = patterns.find_first_of(" \t;", start);
        if (end == std::string::npos)
            end = patterns.size();
        const std::string pattern = patterns.substr(start, end - start);
        if (pattern.size() > 2 && pattern.compare(0, 2, "*.") == 0)
            result.push_back(lowered(pattern.substr(2)));
        pos = end;
    }
    return result;
}

Application::FilterTable filtersFor(const Application::FilterTable& table, const char* extension)
{
    Application::FilterTable result;
    if (!extension)
        return result;
    std::string wanted = lowered(extension);
    if (!wanted.empty() && wanted.front() == '.')
        wanted.erase(0, 1);
    for (const auto& entry : table) {
        const auto exts = filterExtensions(entry.first);
        if (std::find(exts.begin(), exts.end(), wanted) != exts.end())
            result.insert(entry);
    }
    return result;
}

std::vector<std::string> typesOf(const Application::FilterTable& table)
{
    std::set<std::string> types;
    for (const auto& entry : table) {
        for (auto& ext : filterExtensions(entry.first))
            types.insert(ext);
    }
    return {types.begin(), types.end()};
}


bool isRegularFile(const std::string& file)
{
#ifdef Q_OS_UNIX
    struct stat st;
    return ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode);
#else
    return QFileInfo(QFile::decodeName(file.c_str())).isFile();
#endif
}

// Why `file`, which is not a regular file, cannot be opened.
const char* notRegularReason(const std::string& file)
{
#ifndef Q_OS_UNIX
    const QFileInfo info(QFile::decodeName(file.c_str()));
    return info.isDir() ? "it is a folder" : info.exists() ? "it is not a regular file" : "it does not exist";
#else
    struct stat st;
    if (::stat(file.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
    if (errno == ENOENT || errno == ENOTDIR)
        return ::lstat(file.c_str(), &st) == 0 ? "it is a link to a file that does not exist" : "it does not exist";
    return std::strerror(errno);
#endif
}

// A file name for one console line: see Vexil::printableText.
std::string printableName(const std::string& file)
{
    return Vexil::printableText(file);
}

// Runs one step on a project file of `fileType`; false, with the reason in `fileError`
// and on the console, when the step or the type is refused.
template <class Step>
bool projectFileStep(std::string& fileError, int fileType, Step step)
{
    fileError.clear();
    try {
        if (fileType != 1)
            throw ProjectFile::Error("Unknown project file type " + std::to_string(fileType));
        step();
    }
    catch (const ProjectFile::Error& e) {
        fileError = e.what();
        Vexil::MsgConsoleSingleton::Instance().Error("%s\n", fileError.c_str());
        return false;
    }
    return true;
}

} // namespace

void Application::init_types()
{
    Vexil::RootClass::init();
    Property::init();
    PropertyString::init();
    PropertyBoolean::init();
    PropertyInteger::init();
    PropertyRangeSlider::init();
    PropertyEnumType::init();
    PropertyDecimal::init();
    PropertyColor::init();
    PropertyColorArray::init();
    PropertySpaceLocation::init();
    PropertyAdvancedTopoData::init();
    PropertyVector::init();
    PropertyFloatScientific::init();
    PropertyDecimalVector::init();
    PropertyPath::init();
    PropertyDirectory::init();
    PropertyDocIncluded::init();
    PropertyDocument::init();
    PropertyCouple::init();
    PropertyCoupleArray::init();
    PropertyStringList::init();
    PropertyDecimalList::init();
    PropertyIntegerList::init();
    PropertySelection::init();
    PropertyAdvEnum::init();
    PropertyAdvEnum2::init();
    PropertyQuantity::init();
    PropertyQuantityConstraint::init();
    PropertyBCQuantity::init();
    PropertyBCQuantityConstraint::init();
    PropertyInputBC::init();
    PropertyQuantityVector::init();
    PropertyVector3D::init();
    PropertyBCQuantityVector::init();
    PropertyIntegerRange::init();
    PropertyDecimalRange::init();
    PropertyVectorRange::init();
    PropertyVectorBool::init();
    PropertyContainer::init();
    ProjectObject::init();
    GeometryObject::init();
    LoadObject::init();
    ProjectObjectGroup::init();
    AnnotationsGroup::init();
    AnnotationObject::init();
    AnnotationFiducial::init();
    AnnotationRuler::init();
    AnnotationROI::init();
    Project::init();
}

Application::Application(int argc, char** argv, std::map<std::string, std::string> config)
{
    init_types();
    _pcSingleton = this;
    _argc = argc;
    _argv = argv;
    mConfig = std::move(config);

    if (hasConfig("AppHomePath")) {
        homePath = withSlash(configValue("AppHomePath"));
    } else {
        QDir dir = QFileInfo(executablePath(argc, argv)).absoluteDir();
        dir.cdUp();
        homePath = withSlash(dir.absolutePath().toStdString());
    }

    if (hasConfig("UserAppData")) {
        userDataPath = withSlash(configValue("UserAppData"));
    } else {
        std::string base;
        if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
            base = xdg;
        else
            base = QDir::homePath().toStdString() + "/.config";
        userDataPath = withSlash(base) + "Pelmora/";
    }
    QDir().mkpath(QString::fromStdString(userDataPath));

    if (hasConfig("ExeName"))
        exeName = configValue("ExeName");
    else if (argc > 0 && argv && argv[0])
        exeName = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName().toStdString();
    else
        exeName = "pelmora";

    prefMgr = std::make_unique<Vexil::PreferenceManager>(
        QString::fromStdString(userDataPath + "preferences.ini"));
    // create() reads the files (a second read would repeat its warnings).
    userParameters = Vexil::ParameterManager::create(userDataPath + "user.cfg");
    systemParameters = Vexil::ParameterManager::create(userDataPath + "system.cfg");
    Vexil::MsgConsoleSingleton::Instance().setPrefMgr(prefMgr.get());

    // The modules that this logic stands in for register their file types.
    add_import_type("STEP (*.step *.stp)", "Import");
    add_import_type("IGES (*.iges *.igs)", "Import");
    add_import_type("Pelmora project (*.pmdb)", "Pelmora");
    // Read by the user interface itself, into the current project.
    add_import_type("Pelmora annotation lists (*.acsv *.fcsv)", "Pelmora");
    add_import_type("Surface models (*.stl *.vtk *.vtp *.ply *.obj)", "Geometry");
    add_export_type("STEP (*.step *.stp)", "Import");
    add_projectDB_type("Pelmora project (*.pmdb)", "Pelmora");
}

Application::~Application()
{
    close_all_projects();
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    if (console.getPrefMgr() == prefMgr.get())
        console.setPrefMgr(nullptr);
    if (_pcSingleton == this)
        _pcSingleton = nullptr;
}

void Application::detach_observer()
{
    // The stand-in installs no console observer of its own.
}

// Out of line: a child process's test looks the reader up by its symbol.
std::uint64_t Application::projectEntriesVisited()
{
    return projectSteps();
}

// Per thread, so no lock and no race: the project maps count each entry they reach.
std::uint64_t& Application::projectSteps()
{
    return Counted::tally<struct ProjectEntrySteps>();
}

Project* Application::get_project(const char* name) const
{
    if (!name)
        return nullptr;
    const auto it = projects.find(name);
    return it == projects.end() ? nullptr : it->second.get();
}

std::vector<Project*> Application::get_projects() const
{
    std::vector<Project*> result;
    result.reserve(projectsById.size());
    for (const auto& entry : projectsById)
        result.push_back(entry.second);
    return result;
}

std::vector<Project*> Application::get_projects(int documentTag) const
{
    std::vector<Project*> result;
    for (const auto& entry : projectsById)
        if (entry.second->kind == documentTag)
            result.push_back(entry.second);
    return result;
}

const char* Application::get_project_name(const Project* project) const
{
    return project ? project->get_name() : nullptr;
}

bool Application::set_current_project(const char* name)
{
    Project* project = get_project(name);
    if (!project)
        return false;
    if (project != currentProject) {
        currentProject = project;
        signal_current_project(*project);
    }
    return true;
}

std::string Application::get_unique_project_name(const char* base) const
{
    std::string stem = sanitizedName(base);
    if (!projects.count(stem))
        return stem;
    // A numbered name stays one that a project file takes.
    ProjectFile::fitForNumber(stem);
    unsigned int n = 1;
    return Vexil::UtilityBox::numbered_name(stem, n, [this](const std::string& c) { return projects.count(c) != 0; });
}

Project* Application::create_project(const char* name, const char* label)
{
    return adopt_project(std::make_unique<Project>(), name, label);
}

std::string Application::growth_error(const std::string& what, std::size_t newProjects, std::size_t newObjects) const
{
    return ProjectFileLimits::growthRefusal(what, projectsById.size(), objectCount, newProjects, newObjects);
}

Project* Application::adopt_project(std::unique_ptr<Project> project, const char* name, const char* label)
{
    const std::string refusal = growth_error("Cannot create the project " + Vexil::printableText(name ? name : "Unnamed"),
                                             1, project->get_num_objects());
    if (!refusal.empty())
        throw Vexil::ExceptionHandler(refusal);
    project->name = get_unique_project_name(name);
    project->projectId = nextProjectId++;
    project->OnUpdateLabel((label && *label) ? label : project->name.c_str());
    Project* raw = project.get();
    connect_project(raw);
    projectsById.emplace(raw->projectId, raw);
    objectCount += raw->get_num_objects();
    projects.emplace(raw->name, std::move(project));
    signal_new_project(*raw);
    currentProject = raw;
    signal_current_project(*raw);
    return raw;
}

void Application::connect_project(Project* project)
{
    project->owner = this;
}

bool Application::close_project(const char* name)
{
    const auto it = name ? projects.find(name) : projects.end();
    if (it == projects.end())
        return false;
    Project* project = it->second.get();
    signal_remove_project(*project);

    // A slot may have closed it already.
    const auto again = projects.find(name);
    if (again == projects.end() || again->second.get() != project)
        return true;
    const bool wasCurrent = currentProject == project;
    std::unique_ptr<Project> doomed = std::move(again->second);
    projects.erase(again);
    projectsById.erase(project->projectId);
    objectCount -= std::min<std::size_t>(objectCount, doomed->get_num_objects());
    doomed->owner = nullptr;
    if (wasCurrent)
        currentProject = projectsById.empty() ? nullptr : std::prev(projectsById.end())->second;
    doomed.reset();
    if (wasCurrent && currentProject)
        signal_current_project(*currentProject);
    return true;
}

void Application::close_all_projects()
{
    std::vector<std::string> names;
    names.reserve(projects.size());
    for (const auto& entry : projectsById)
        names.push_back(entry.second->get_name());
    for (const auto& name : names)
        close_project(name.c_str());
}

void Application::rename_project(const char* name, const char* newName)
{
    const auto it = name ? projects.find(name) : projects.end();
    if (it == projects.end())
        throw Vexil::ExceptionHandler(std::string("Unknown project: ") + (name ? name : ""));
    if (newName && it->first == newName)
        return;
    std::unique_ptr<Project> project = std::move(it->second);
    projects.erase(it);
    project->name = get_unique_project_name(newName);
    Project* raw = project.get();
    projects.emplace(raw->name, std::move(project));
    signal_rename_project(*raw);
}

void Application::relabel_project(const char* name, const char* newLabel)
{
    Project* project = get_project(name);
    if (!project)
        throw Vexil::ExceptionHandler(std::string("Unknown project: ") + (name ? name : ""));
    project->OnUpdateLabel(newLabel);   // raises signal_relabel_project
}

std::vector<std::string> Application::getCmdLineFiles() const
{
    std::vector<std::string> files;
    for (int i = 1; i < _argc && _argv; ++i) {
        if (_argv[i] && _argv[i][0] && _argv[i][0] != '-')
            files.emplace_back(_argv[i]);
    }
    return files;
}

std::vector<std::string> Application::processFiles(const std::vector<std::string>& files)
{
    Counted::Vector<std::string, &Application::projectSteps> processed;
    for (const auto& file : files) {
        // File names are the local 8-bit bytes they were given as: a name that is not
        // valid UTF-8 still names its file.
        if (!isRegularFile(file)) {
            Vexil::MsgConsoleSingleton::Instance().Error("Cannot open file %s: %s\n", printableName(file).c_str(),
                                                         notRegularReason(file));
            continue;
        }
        const FileOpening opening = fileOpener ? fileOpener(file) : FileOpening::NotMine;
        if (opening == FileOpening::Opened)
            processed.push_back(file);
        if (opening != FileOpening::NotMine)
            continue;
        // A project file gives back the projects it holds; a refused one was reported.
        if (Vexil::DocumentInfo(file).has_extension("pmdb")) {
            if (!resume_from_file(1, file.c_str()))
                continue;
            ExecuteAfterResume();
            processed.push_back(file);
            continue;
        }
        if (GeometryObject::is_model_file(file)) {
            try {
                open_model_file(file);
            }
            catch (const Vexil::ExceptionHandler& e) {
                Vexil::MsgConsoleSingleton::Instance().Error("%s\n", e.what());
                continue;
            }
            processed.push_back(file);
            continue;
        }
        // Files of a kind a module registered open as a project; any other file (a text
        // file, a model without its extension) was not read and makes none.
        const QFileInfo info(QFile::decodeName(file.c_str()));
        if (!registeredKind(file)) {
            Vexil::MsgConsoleSingleton::Instance().Error("%s\n", unknownKindRefusal(file).c_str());
            continue;
        }
        const std::string label = info.completeBaseName().toStdString();
        try {
            create_project(label.c_str(), label.c_str());
        }
        catch (const Vexil::ExceptionHandler& e) {
            Vexil::MsgConsoleSingleton::Instance().Error("%s\n", e.what());
            continue;
        }
        processed.push_back(file);
    }
    return {processed.begin(), processed.end()};
}

bool Application::registeredKind(const std::string& file) const
{
    const QFileInfo info(QFile::decodeName(file.c_str()));
    auto registered = [this](const QString& suffix) {
        const QByteArray ext = suffix.toUtf8();
        return !ext.isEmpty() &&
               (!get_import_filters(ext.constData()).empty() || !get_projectDB_filters(ext.constData()).empty());
    };
    return registered(info.suffix()) || registered(info.completeSuffix());
}

std::string Application::unknownKindRefusal(const std::string& file)
{
    return "Cannot open unknown file type: " + printableName(file);
}

std::string Application::open_refusal(const std::string& file) const
{
    if (!isRegularFile(file))
        return "Cannot open file " + printableName(file) + ": " + notRegularReason(file);
    if (Vexil::DocumentInfo(file).has_extension("pmdb") || GeometryObject::is_model_file(file) || registeredKind(file))
        return {};
    return unknownKindRefusal(file);
}

Project* Application::open_model_file(const std::string& path)
{
    // Room first, then read: a file that cannot be taken leaves no project and no object.
    const std::string refusal = growth_error("Cannot open model file " + printableName(path), 1, 1);
    if (!refusal.empty())
        throw Vexil::ExceptionHandler(refusal);
    auto geometry = std::make_unique<GeometryObject>();
    std::string error;
    if (!geometry->read_model_file(path, error))
        throw Vexil::ExceptionHandler("Cannot open model file: " + error);
    // Named by the file's name without its last extension, taken from its bytes: a name
    // that is not UTF-8 is shown with those bytes escaped, not replaced.
    const std::string base = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    const std::string label = Vexil::printableText(base.substr(0, base.rfind('.')));
    Project* project = create_project(label.c_str(), label.c_str());
    if (!project)
        throw Vexil::ExceptionHandler("Cannot create a project for " + printableName(path));
    project->add_object(std::move(geometry), label.c_str());
    project->set_modified(false);
    return project;
}

Application::FileStamp Application::stampOf(const std::string& path)
{
    FileStamp stamp;
    struct stat info;
    // Only a file can be replaced with the projects; a save over anything else fails.
    if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return stamp;
    stamp.known = true;
    stamp.device = static_cast<unsigned long long>(info.st_dev);
    stamp.inode = static_cast<unsigned long long>(info.st_ino);
    stamp.size = static_cast<long long>(info.st_size);
    stamp.modifiedSeconds = static_cast<long long>(info.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = static_cast<long long>(info.st_mtim.tv_nsec);
    return stamp;
}

bool Application::writeProjectFile(int fileType, const std::string& file)
{
    contentError = false;
    return projectFileStep(fileError, fileType, [&] {
        try {
            ProjectFile::save(file, get_projects(), currentProject);
        }
        catch (const ProjectFile::ContentError&) {
            contentError = true;
            throw;
        }
    });
}

bool Application::save_copy_to_file(int fileType, const char* path)
{
    return writeProjectFile(fileType, path ? path : "");
}

void Application::set_application_file(const std::string& path)
{
    applicationFile = path;
    applicationFileStamp = stampOf(path);
}

bool Application::application_file_changed_on_disk() const
{
    const FileStamp now = stampOf(applicationFile);
    // A file that appeared where none was (a save that went to the temporary folder instead)
    // was written by someone else: replacing it unasked would lose it.
    if (!applicationFileStamp.known)
        return now.known;
    return now.known && !(now == applicationFileStamp);
}

bool Application::save_as_file(int fileType, const char* path)
{
    const std::string file = path ? path : "";
    if (!writeProjectFile(fileType, file))
        return false;
    applicationFile = file;
    applicationFileStamp = stampOf(file);
    for (Project* project : get_projects())
        project->set_modified(false);
    dirty = false;
    return true;
}

bool Application::resume_from_file(int fileType, const char* path)
{
    const std::string file = path ? path : "";
    std::vector<Project*> resumed;
    // Taken before the file is read: a change made while it is read counts as a change.
    const FileStamp stamp = stampOf(file);
    if (!projectFileStep(fileError, fileType, [&] { resumed = ProjectFile::resume(*this, file); }))
        return false;
    applicationFile = file;
    applicationFileStamp = stamp;
    resumedProjects.clear();
    for (Project* project : resumed)
        resumedProjects.push_back(project->get_name());
    dirty = false;
    return true;
}

bool Application::check_project_file(int fileType, const char* path)
{
    return projectFileStep(fileError, fileType, [this, path] { ProjectFile::check(*this, path ? path : ""); });
}

void Application::ExecuteAfterResume()
{
    decltype(resumedProjects) names;
    names.swap(resumedProjects);
    for (const std::string& name : names) {
        if (Project* project = get_project(name.c_str()))
            project->refresh();
    }
}

void Application::check_input()
{
}

void Application::process_command_input_scripts()
{
    // No script files are passed to the stand-in.
}

void Application::add_import_type(const char* filter, const char* module)
{
    if (filter && module)
        importFilters[filter] = module;
}

void Application::add_export_type(const char* filter, const char* module)
{
    if (filter && module)
        exportFilters[filter] = module;
}

void Application::add_projectDB_type(const char* filter, const char* module)
{
    if (filter && module)
        projectDBFilters[filter] = module;
}

Application::FilterTable Application::get_import_filters(const char* extension) const
{
    return filtersFor(importFilters, extension);
}

Application::FilterTable Application::get_export_filters(const char* extension) const
{
    return filtersFor(exportFilters, extension);
}

Application::FilterTable Application::get_projectDB_filters(const char* extension) const
{
    return filtersFor(projectDBFilters, extension);
}

std::vector<std::string> Application::get_imported_types() const
{
    return typesOf(importFilters);
}

std::vector<std::string> Application::get_projectDB_types() const
{
    return typesOf(projectDBFilters);
}

std::string Application::get_home_directory() const
{
    return homePath;
}

std::string Application::get_executable_file_name() const
{
    return exeName;
}

std::string Application::get_sys_temp_directory() const
{
    // Qt answers an empty path for a TMPDIR that is no folder; the folder asked for is
    // kept, so that what is made in it fails there instead of landing in the root.
    const QByteArray configured = qgetenv("TMPDIR");
    if (!configured.isEmpty())
        return QDir::cleanPath(QFile::decodeName(configured)).toStdString();
    return QDir::tempPath().toStdString();
}

std::string Application::getTempAppFolder() const
{
    // A folder of this user's own, readable by no one else: the shared temporary folder
    // lets every user name and read files there.  When the usual name is taken by
    // something that is not this user's folder, a fresh private one serves instead.
    const std::string temp = get_sys_temp_directory();
    const std::string folder = temp + "/Pelmora21-" + std::to_string(::geteuid());
    if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) {
        struct stat info;
        if (::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid()
            && ((info.st_mode & 077) == 0 || ::chmod(folder.c_str(), 0700) == 0))
            return folder + "/";
    }
    // One private folder per process and temporary folder, made on first need and kept
    // while it is still this user's: every fallback save would otherwise leave one more.
    static std::mutex madeMutex;
    static std::map<std::string, std::string> made;
    const std::lock_guard<std::mutex> lock(madeMutex);
    const auto earlier = made.find(temp);
    if (earlier != made.end()) {
        struct stat info;
        if (::lstat(earlier->second.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid()
            && (info.st_mode & 077) == 0)
            return earlier->second + "/";
        made.erase(earlier);
    }
    std::string pattern = folder + "-XXXXXX";
    if (::mkdtemp(pattern.data())) {
        made[temp] = pattern;
        return pattern + "/";
    }
    return folder + "/";
}

std::string Application::get_user_appdata_path() const
{
    return userDataPath;
}

std::string Application::get_resource_path() const
{
    return homePath + "share/Pelmora-2.1/";
}

Vexil::ParameterGroup::Handle Application::get_preference_group_by_path(const char* path)
{
    if (!path)
        return {};
    const std::string text(path);
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        return {};
    const std::string manager = text.substr(0, colon);
    const std::string groupPath = text.substr(colon + 1);
    Vexil::ParameterManager* root = nullptr;
    if (manager == "User parameter")
        root = userParameters.get();
    else if (manager == "System parameter")
        root = systemParameters.get();
    if (!root)
        return {};
    if (groupPath.empty())
        return Vexil::ParameterGroup::Handle(root);
    return root->get_parameter_group(groupPath.c_str());
}

} // namespace Obj
