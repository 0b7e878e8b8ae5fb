// The application object's file operations: opening, resuming, importing, exporting and
// saving, each routed to the application logic through script lines, records and calls.

#include "qPelmoraApplication.h"
#include "core/PrintableText.h"

#include "core/CloseProjectQuestion.h"
#include "core/FolderSettings.h"
#include "core/GuiProject.h"
#include <annotations/AnnotationProjectFiles.h>
#include "dialogs/widgets/FileDialog.h"
#include "mainwindow/MDIWindow.h"
#include "mainwindow/MainWindow.h"
#include "propertyeditor/PendingEdits.h"
#include "selection/TreeSelectionSingleton.h"

#include <obj/Application.h>
#include <obj/ProjectFile.h>
#include <pmmsg/Message.h>
#include <vexil/AtomicSave.h>
#include <vexil/DocumentInfo.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>
#include <vexil/PreferenceManager.h>
#include <vexil/PrintableText.h>
#include <vexil/UtilityBox.h>

#include <counted/SeededQtHash.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextCodec>
#include <QLayout>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <set>
#include <unordered_set>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Gui;

namespace {

void runScript(const std::string& line)
{
    pmMsg::InterpreterSingleton::Instance().runString(line.c_str());
}

// Script lines quote the path, so it goes there escaped; records carry it as it is.
std::string quotedForScript(const std::string& text)
{
    return Vexil::UtilityBox::escaped_char_from_utf8(text.c_str());
}


// A Yes/No question over the main window that keeps its size. Only asked where the user
// can answer (qPelmoraApplication::may_ask_user).
bool askYesNo(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    MainWindow::get_main_window_inst());
    box.setDefaultButton(QMessageBox::No);
    box.layout()->setSizeConstraint(QLayout::SetFixedSize);
    showAsPlainText(box);
    return box.exec() == QMessageBox::Yes;
}

// Whether the user is in the group `group`.
bool inGroup(gid_t group)
{
    if (group == ::getegid())
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, group) != groups.begin() + got;
}

// The permission bits of the existing file `path` when they give this user no right to
// write it: a file the user made read-only.  Decided by the bits for the user (owner,
// group or others), not by a permission check, which the superuser always passes.  -1
// when the file may be written or is not there.
int readOnlyMode(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    const mode_t writeBit = st.st_uid == ::geteuid() ? S_IWUSR : inGroup(st.st_gid) ? S_IWGRP : S_IWOTH;
    return (st.st_mode & writeBit) ? -1 : static_cast<int>(st.st_mode & 07777);
}

QString modeText(int mode)
{
    return QStringLiteral("%1").arg(mode, 4, 8, QLatin1Char('0'));
}

// Creates the first free file of "<base>.pmdb", "<base>-1.pmdb", ... in `folder`, empty and
// private, so that no other save takes the name; its path, or empty with the reason.
// Made from the names' bytes: a name that is no UTF-8 would come back from a QString as
// another name.
std::string reserveFreeName(const std::string& folder, std::string base, std::string& error)
{
    // A name as long as a name may be keeps room for the number; a character of several
    // bytes goes whole.
    constexpr std::size_t NameMax = 255;
    while (!base.empty() && base.size() + 12 > NameMax) {
        while (base.size() > 1 && (static_cast<unsigned char>(base.back()) & 0xC0) == 0x80)
            base.pop_back();
        base.pop_back();
    }
    for (int n = 0; n < 100000; ++n) {
        const std::string name = n == 0 ? base + ".pmdb" : base + "-" + std::to_string(n) + ".pmdb";
        const std::string path = folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) {
            error = std::strerror(errno);
            return {};
        }
    }
    error = "no free file name";
    return {};
}

// A file name for a console line: nothing in it can act on a terminal or start a line.
std::string shown(const std::string& name)
{
    return Vexil::printableText(name);
}

std::string shown(const char* name)
{
    return Vexil::printableText(name ? name : "");
}

std::string shown(const QString& name)
{
    return Vexil::printableText(name.toUtf8().toStdString());
}

// Refusals shown in a box: whoever passes a file on knows that the user was told.
int refusalBoxes = 0;
bool refusalsOnConsoleOnly = false;

// A save under way, held while it asks (changed on disk, replace, the temporary folder, the
// Save As dialog): the projects it asks about must stay those it then writes.
int savesUnderWay = 0;
struct SaveUnderWay
{
    SaveUnderWay() { ++savesUnderWay; }
    ~SaveUnderWay() { --savesUnderWay; }
    SaveUnderWay(const SaveUnderWay&) = delete;
    SaveUnderWay& operator=(const SaveUnderWay&) = delete;
};

// A question about closing projects is open (before a project file is resumed in place of
// the open projects, or before a project closes): a file taken now would be saved or closed
// by the answer the user gives unseeing.
int closingQuestionsOpen = 0;

// The application file that a save could not reach (it went to the temporary folder), and
// the projects open then: they stay unsaved, whatever is opened beside them, until a save
// reaches that file or another application file takes its place.
std::string fileBehind;
std::set<std::string> projectsBehind;

Vexil::MsgConsoleSingleton& console()
{
    return Vexil::MsgConsoleSingleton::Instance();
}

// The folder `path` and those above it, made from the name's own bytes: a name that is no
// UTF-8 would come back from a QString as another name, and another folder would be made.
bool makeFolders(const std::string& path)
{
    struct stat info;
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string part = path.substr(0, end);
        if (!part.empty() && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        if (end == std::string::npos)
            break;
    }
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// A refused project file: the box (or, without a window, the console) names the file and
// the reason the logic gave.
void warnCannotOpenProjectFile(const char* fileName, const std::string& reason)
{
    if (!qPelmoraApplication::may_show_refusal()) {
        // The logic has said why on the console already.
        if (reason.empty())
            console().Error("Cannot open the project file %s: it was refused\n", shown(fileName).c_str());
        return;
    }
    QMessageBox box(QMessageBox::Warning, QObject::tr("Failed to open"),
                    QObject::tr("Cannot open the project file: %1").arg(QString::fromUtf8(shown(fileName).c_str())),
                    QMessageBox::Ok, MainWindow::get_main_window_inst());
    box.setInformativeText(printableName(QByteArray::fromStdString(reason)));
    showAsPlainText(box);
    ++refusalBoxes;
    box.exec();
}

// The same file, however it was named; a missing file is known by its absolute name.
QString sameFileKey(const std::string& file)
{
    const QFileInfo info(QFile::decodeName(file.c_str()));
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

bool isNonAscii(const QString& name)
{
    static const QRegularExpression nonAscii(QStringLiteral("[^\\x{0000}-\\x{007F}]"));
    return nonAscii.match(name).hasMatch();
}

// Where Save As starts: the default folder the user set; else beside the file the projects
// came from or were saved to; else the user's documents (or home), never the program's own
// folder or the working folder it was started in.
QString saveAsFolder()
{
    Obj::Application* logic = Obj::Application::_pcSingleton;
    Vexil::PreferenceManager* prefs = logic ? logic->getPrefMgr() : nullptr;
    // A default folder that is relative (to whatever folder the program was started in) or
    // gone counts as unset: a save must not land somewhere the user never chose.
    if (prefs && !FolderSettings::isUnset(prefs->getString(Vexil::PM_DEFAULT_FOLDER))) {
        const QString folder = qPelmoraApplication::defaultScenePath();
        if (QDir::isAbsolutePath(folder) && QFileInfo(folder).isDir())
            return folder;
    }
    const std::string file = logic ? logic->getApplicationFile() : std::string();
    if (!file.empty()) {
        const QFileInfo info(QFile::decodeName(file.c_str()));
        if (info.absoluteDir().exists())
            return info.absolutePath();
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// The window may be about to go (a quit that saved): the user is told before, in a box, and
// on standard error unless the console copies its warnings there already.
void tellWhereSaved(const std::string& path, const std::string& intended)
{
    const std::string place = shown(path);
    if (!console().get_observer("StandardError"))
        std::fprintf(stderr, "pelmora: The projects were saved to the temporary file %s\n", place.c_str());
    if (!qPelmoraApplication::may_ask_user())
        return;
    QMessageBox box(QMessageBox::Information, QObject::tr("Saved to the temporary folder"),
                    QObject::tr("The projects were saved to the temporary file\n%1")
                        .arg(QString::fromUtf8(place.c_str())),
                    QMessageBox::Ok, MainWindow::get_main_window_inst());
    box.setInformativeText(QObject::tr("%1 was not saved; the projects stay unsaved until a save reaches it.")
                               .arg(QString::fromUtf8(shown(intended).c_str())));
    showAsPlainText(box);
    box.exec();
}

} // namespace

bool qPelmoraApplication::is_non_ascii_file_name(const QString& name)
{
    return isNonAscii(name);
}

void qPelmoraApplication::warn_unknown_filetype(const QString& text)
{
    if (!may_show_refusal()) {
        // The text names a file (or its extension).
        console().Error("%s\n", shown(text).c_str());
        return;
    }
    ++refusalBoxes;
    plainMessageBox(MainWindow::get_main_window_inst(), QMessageBox::Warning, QObject::tr("Unknown filetype"),
                    printableName(text));
}

void qPelmoraApplication::send_view_extents(bool onlyWhenHandled)
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    MDIWindow* view = mw ? mw->activeWindow() : nullptr;
    if (!view || (onlyWhenHandled && !view->has_message_handler("ViewExtents")))
        return;
    view->message_handler("ViewExtents", nullptr);
}

// Files named together: one command line, or the files a second start hands over at once.
//
// They are opened together, none of them discarding another:
// - A project file is resumed in place of every open project. So project files are
//   opened before the other files named with them, which then open beside the projects
//   the project file brought back, instead of being closed by it.
// - Only one project file of them can be opened: the first one named that is a file.
//   Each project file named after it, another one or the same one again, is left out,
//   and the console says which and why. (Other files named twice open twice: neither
//   discards the other.)
// - The other files keep the order they were named in.
//
// Answers in a start without a window ("StartHidden"), where nobody can answer a box:
// no box is shown. A question takes the answer that keeps what is open and changes no
// file ("Remove existing projects": No, so the project file is not opened; "Close
// Project": Cancel; "Invalid path": No), and says on the console what was not done and
// why. A refusal or warning goes to the console with its reason instead of a box.
std::vector<std::string> qPelmoraApplication::files_to_open_together(const std::vector<std::string>& files)
{
    std::vector<std::string> projectFiles;
    std::vector<std::string> others;
    QString first;
    std::string firstName;
    for (const std::string& file : files) {
        if (!Vexil::DocumentInfo(file).has_extension("pmdb")) {
            others.push_back(file);
            continue;
        }
        const QString key = sameFileKey(file);
        // A name that is no file is reported when it is opened; it takes nobody's place.
        if (!QFileInfo(QFile::decodeName(file.c_str())).isFile()) {
            projectFiles.push_back(file);
        }
        else if (firstName.empty()) {
            first = key;
            firstName = file;
            projectFiles.push_back(file);
        }
        else if (key == first) {
            console().Warning("Not opened again: %s: the same project file was named twice\n", shown(file).c_str());
        }
        else {
            console().Warning("Not opened: %s: a project file replaces every open project, so only one "
                              "is opened at a time, and %s was named first\n",
                              shown(file).c_str(), shown(firstName).c_str());
        }
    }
    projectFiles.insert(projectFiles.end(), others.begin(), others.end());
    return projectFiles;
}

namespace {
std::size_t commandLineFilesNotOpened = 0;
std::size_t handedOverFilesRefused = 0;
}

void qPelmoraApplication::note_handed_over_files_refused(std::size_t refused)
{
    handedOverFilesRefused = refused;
}

std::size_t qPelmoraApplication::handed_over_files_refused()
{
    return handedOverFilesRefused;
}

std::string qPelmoraApplication::refusal_before_opening(const std::string& file)
{
    if (!Obj::Application::_pcSingleton)
        return {};
    const std::string refusal = Obj::Application::instance().open_refusal(file);
    // Annotation lists are read here, not by the logic.
    if (refusal.rfind("Cannot open unknown file type", 0) == 0 && isAnnotationListFile(file))
        return {};
    return refusal;
}

int qPelmoraApplication::refusal_boxes_shown()
{
    return refusalBoxes;
}

bool qPelmoraApplication::set_refusals_on_console_only(bool onConsoleOnly)
{
    const bool before = refusalsOnConsoleOnly;
    refusalsOnConsoleOnly = onConsoleOnly;
    return before;
}

bool qPelmoraApplication::may_show_refusal()
{
    return may_ask_user() && !refusalsOnConsoleOnly;
}

bool qPelmoraApplication::is_saving()
{
    return savesUnderWay > 0;
}

bool qPelmoraApplication::is_asking_about_closing()
{
    return closingQuestionsOpen > 0;
}

qPelmoraApplication::ClosingQuestionOpen::ClosingQuestionOpen()
{
    ++closingQuestionsOpen;
}

qPelmoraApplication::ClosingQuestionOpen::~ClosingQuestionOpen()
{
    --closingQuestionsOpen;
}

void qPelmoraApplication::note_command_line_files(const std::vector<std::string>& named,
                                                  const std::vector<std::string>& opened)
{
    // A file named twice and opened once was opened.
    // The names come from the command line or a hand-over message: hashed under the
    // process's seed.
    std::unordered_set<QString, Counted::SeededHash<QString>> done;
    for (const std::string& file : opened)
        done.insert(sameFileKey(file));
    commandLineFilesNotOpened = 0;
    for (const std::string& file : named)
        if (!done.count(sameFileKey(file)))
            ++commandLineFilesNotOpened;
}

std::size_t qPelmoraApplication::command_line_files_not_opened()
{
    return commandLineFilesNotOpened + handedOverFilesRefused;
}

bool qPelmoraApplication::close_projects_for_resume(const char* fileName)
{
    Obj::Application& logic = Obj::Application::instance();
    if (!may_ask_user()) {
        console().Warning("Not opened: %s: resuming a project file closes every open project, "
                          "which a start without a window does not do unasked\n", shown(fileName).c_str());
        return false;
    }
    const ClosingQuestionOpen asking;
    if (!askYesNo(QObject::tr("Remove existing projects"),
                  QObject::tr("Resuming a PELMORA project will delete all existing projects, will you continue?")))
        return false;

    // Unsaved changes are asked about once, before anything closes: Cancel, or a save
    // that did not go through, leaves every project as it is, still unsaved.  A value
    // typed into a row and not confirmed is one too (a file handed over or dropped leaves
    // it a draft): Save writes it, Close drops it, Cancel leaves it in its editor as typed.
    bool unsaved = hasPendingDrafts();
    for (Obj::Project* project : logic.get_projects()) {
        const GuiProject* gui = get_project(project);
        unsaved = unsaved || project->is_modified() || (gui && gui->getDirty());
    }
    if (unsaved) {
        const QString text = QObject::tr("Do you want to save the projects? If you close without saving "
                                         "project, the data will be lost.");
        switch (askCloseProject(MainWindow::get_main_window_inst(), text, QMessageBox::Cancel)) {
        case QMessageBox::Save:
            // A draft that cannot be read whole stays in its editor, with its reason.
            if (!finishPendingEdits() || !save())
                return false;
            break;
        case QMessageBox::Close:
            // Given up: closing their views asks nothing more, and the keyboard they take
            // from a row editor on their way out writes no draft.
            dropPendingDrafts();
            setDirty(false);
            break;
        default:
            return false;
        }
    }

    if (MainWindow* mw = MainWindow::get_main_window_inst())
        mw->close_all_windows();
    QCoreApplication::processEvents();
    // Projects without views are not closed with their last view; a project whose view
    // refused to close is kept, and the file is not opened beside it.
    for (Obj::Project* project : logic.get_projects()) {
        GuiProject* gui = get_project(project);
        const bool viewless = project->kind == 2 || project->kind == 3 || !gui || gui->getMDIViews().empty();
        if (viewless)
            logic.close_project(project->get_name());
    }
    QCoreApplication::processEvents();
    if (!logic.get_projects().empty()) {
        console().Warning("Not opened: %s: not every open project could be closed\n", shown(fileName).c_str());
        return false;
    }
    return true;
}

bool qPelmoraApplication::openPMDB(const char* fileName, const char*)
{
    if (!fileName)
        return false;
    const Vexil::DocumentInfo file(fileName);
    const std::string path = file.document_path();
    Obj::Application& logic = Obj::Application::instance();

    if (!logic.get_projects().empty()) {
        // A file that would be refused must not cost the user the projects open now.
        if (!logic.check_project_file(1, path.c_str())) {
            warnCannotOpenProjectFile(fileName, logic.last_file_error());
            return false;
        }
        if (!close_projects_for_resume(fileName))
            return false;
    }

    if (!logic.resume_from_file(1, path.c_str())) {
        warnCannotOpenProjectFile(fileName, logic.last_file_error());
        return false;
    }
    // The file resumed is the application file now: the one a save did not reach is no more.
    fileBehind.clear();
    projectsBehind.clear();
    send_view_extents(false);
    logic.ExecuteAfterResume();
    mark_unchanged_projects_clean();
    GuiProject* current = get_current_project();
    if (current && current->get_project()) {
        logic.check_input();
        setDirty(false);
    }
    return true;
}

void qPelmoraApplication::import_from(const char* fileName, const char* projectName, const char* module)
{
    import_geom_from(fileName, projectName, module, 0, false);
}

void qPelmoraApplication::import_geom_from(const char* fileName, const char* projectName, const char* module,
                                           unsigned option)
{
    import_geom_from(fileName, projectName, module, option, true);
}

void qPelmoraApplication::import_geom_from(const char* fileName, const char* projectName, const char* module,
                                           unsigned option, bool geometry)
{
    if (!fileName)
        return;
    const Vexil::DocumentInfo file(fileName);
    if (!module || !*module) {
        warn_unknown_filetype(QObject::tr("Cannot open unknown filetype: %1").arg(QString::fromUtf8(file.extension().c_str())));
        return;
    }
    const std::string path = file.document_path();
    const std::string project = projectName ? projectName : "";
    try {
        if (geometry)
            runScript("import " + std::string(module));
        if (file.has_extension("pmdb")) {
            runScript(std::string(module) + ".open(u\"" + quotedForScript(path) + "\")");
            // The file's projects come in beside the open ones: they are unchanged, and the
            // project the user imported into keeps its unsaved changes.
            mark_unchanged_projects_clean();
            return;
        }
        pmMsg::MessageData record;
        record.code = pmMsg::REC_IMPORT;
        record.text1 = path;
        record.text2 = project;
        if (!geometry) {
            record.text5 = module;
        } else if (option == 0) {
            record.text3 = module;
        } else {
            record.code = pmMsg::REC_IMPORT_GEOMETRY_OPTION;
            record.number = option;
            record.text5 = module;
        }
        pmMsg::doCommand(record);
        send_view_extents(false);
        if (GuiProject* gui = get_project(project.c_str()))
            gui->setDirty(true);
    }
    catch (const Vexil::ExceptionHandler& e) {
        Vexil::MsgConsoleSingleton::Instance().Error("%s\n", e.what());
    }
}

void qPelmoraApplication::exportStepFile(const char* fileName, const char* projectName, const char* fileType,
                                         const std::vector<unsigned>& ids)
{
    if (ids.empty() || !fileName)
        return;
    if (!fileType || !*fileType) {
        warn_unknown_filetype(QObject::tr("Warning: Cannot save file: %1").arg(QString::fromUtf8(fileName)));
        return;
    }
    sendExport(fileName, projectName, fileType, ids);
}

void qPelmoraApplication::exportStepFile(const char* fileName, const char* projectName, const char* fileType,
                                         unsigned id)
{
    if (!fileName)
        return;
    if (!fileType || !*fileType) {
        warn_unknown_filetype(QObject::tr("Warning: Cannot save to unknown filetype: %1").arg(QStringLiteral("STEP")));
        return;
    }
    sendExport(fileName, projectName, fileType, {id});
}

void qPelmoraApplication::sendExport(const char* fileName, const char* projectName, const char* fileType,
                                     const std::vector<unsigned>& ids)
{
    pmMsg::MessageData record;
    record.code = pmMsg::REC_EXPORT;
    record.text1 = Vexil::DocumentInfo(fileName).document_path();
    record.text2 = projectName ? projectName : "";
    record.text3 = fileType;
    record.ids = ids;
    try {
        pmMsg::doCommand(record);
    }
    catch (const Vexil::ExceptionHandler& e) {
        Vexil::MsgConsoleSingleton::Instance().Error("%s\n", e.what());
    }
}

void qPelmoraApplication::save_to(const char* fileName, const char* projectName, const char* fileType)
{
    if (!fileName)
        return;
    if (!fileType || !*fileType) {
        warn_unknown_filetype(QObject::tr("Warning: Cannot save to unknown filetype: %1")
                                .arg(QString::fromUtf8(Vexil::DocumentInfo(fileName).extension().c_str())));
        return;
    }
    std::vector<unsigned> ids;
    for (Obj::ProjectObject* object : TreeSelectionSingleton::instance().get_objects_of_type(
             Obj::ProjectObject::getClassTypeId(), projectName))
        ids.push_back(object->getObjectId());
    if (!ids.empty())
        sendExport(fileName, projectName, fileType, ids);
}

bool qPelmoraApplication::save()
{
    const SaveUnderWay saving;
    Obj::Application& logic = Obj::Application::instance();
    const std::string name = logic.getApplicationFile();
    if (name.empty())
        return save_as();
    // A file the user made read-only is not replaced unasked: the projects go under
    // another name, or nowhere.
    const int readOnly = readOnlyMode(name);
    if (readOnly >= 0) {
        console().Error("Not saved: %s is read-only (mode %s)\n", shown(name).c_str(),
                        modeText(readOnly).toUtf8().constData());
        if (!may_ask_user())
            return false;
        if (!askYesNo(QObject::tr("Read-only file"),
                      QObject::tr("%1 is read-only (mode %2): it is not replaced.\nDo you want to save the "
                                  "projects under another name?")
                          .arg(printableName(QByteArray::fromStdString(name)), modeText(readOnly))))
            return false;
        return save_as();
    }
    // Another window (or program) saved the file since this one read or wrote it: replacing
    // it unasked would lose that work.
    if (logic.application_file_changed_on_disk()) {
        if (!may_ask_user()) {
            console().Error("Not saved: %s was changed on disk since this window read or saved it, and a start "
                            "without a window does not replace it unasked\n", shown(name).c_str());
            return false;
        }
        if (!askYesNo(QObject::tr("File changed on disk"),
                      QObject::tr("%1 was changed on disk since this window read or last saved it. Saving replaces "
                                  "those changes with the projects open here. Save anyway?")
                          .arg(printableName(QByteArray::fromStdString(name)))))
            return false;
    }
    return save_common(name);
}

bool qPelmoraApplication::save_as()
{
    const SaveUnderWay saving;
    const QDir folder(saveAsFolder());
    QString proposal = folder.filePath(QStringLiteral("Untitled.pmdb"));
    for (int n = 1; QFileInfo::exists(proposal); ++n)
        proposal = folder.filePath(QStringLiteral("Untitled-%1.pmdb").arg(n));

    const QString appName = QCoreApplication::applicationName();
    const QString name = FileDialog::getSaveFileName(MainWindow::get_main_window_inst(),
                                                     QObject::tr("Save %1").arg(appName), proposal,
                                                     QObject::tr("%1 project (*.pmdb)").arg(appName), nullptr,
                                                     // Asked below, about the name the save writes.
                                                     QFileDialog::DontConfirmOverwrite);
    if (name.isEmpty())
        return false;
    if (isNonAscii(name)) {
        Vexil::MsgConsoleSingleton::Instance().Error(
            "Error: Non-ASCII file name (%s) is not supported. Please change the file name or path.\n",
            shown(name).c_str());
        return false;
    }
    // The file is named by the bytes of the name in the system's encoding: a name those
    // bytes do not give back would be saved under another name than the one chosen.
    if (QFile::decodeName(QFile::encodeName(name)) != name) {
        const QString why = QObject::tr("The name %1 cannot be written in the file names of this system "
                                        "(its encoding is %2).")
                                .arg(printableName(name), QString::fromLatin1(QTextCodec::codecForLocale()->name()));
        console().Error("Not saved: %s\n", why.toUtf8().constData());
        if (may_ask_user()) {
            QMessageBox box(QMessageBox::Warning, QObject::tr("Invalid path"), QObject::tr("The projects were not saved."),
                            QMessageBox::Ok, MainWindow::get_main_window_inst());
            box.setInformativeText(why);
            showAsPlainText(box);
            box.exec();
        }
        return false;
    }
    // Every file a save writes is one the program opens: a name without the project
    // file's extension gets it, as a file dialog's default suffix would give it.
    QString file = name;
    if (!file.endsWith(QLatin1String(".pmdb"), Qt::CaseInsensitive)) {
        file += QStringLiteral(".pmdb");
        // A name the file system takes only without the extension: said now, before the
        // save writes elsewhere and keeps a name no later save can reach.
        if (QFile::encodeName(QFileInfo(file).fileName()).size() > NAME_MAX) {
            const QString fileName = QFileInfo(file).fileName();
            const QString why = QObject::tr("The name %1 is too long once \".pmdb\" is added (%2 bytes, at most %3).");
            const int bytes = QFile::encodeName(fileName).size();
            console().Error("Not saved: %s\n", why.arg(fileName).arg(bytes).arg(NAME_MAX).toUtf8().constData());
            if (may_ask_user()) {
                QMessageBox box(QMessageBox::Warning, QObject::tr("Invalid path"),
                                QObject::tr("The projects were not saved."), QMessageBox::Ok,
                                MainWindow::get_main_window_inst());
                // A name of one word this long would run past the box's edge: its middle is
                // left out there (the console has it whole).
                const QString inBox = fileName.size() > 60 ? fileName.left(28) + QChar(0x2026) + fileName.right(28)
                                                           : fileName;
                box.setInformativeText(why.arg(printableName(inBox)).arg(bytes).arg(NAME_MAX));
                showAsPlainText(box);
                box.exec();
            }
            return false;
        }
    }
    // The dialog does not ask: it would ask about the name typed, not the one written.  A
    // folder there is not replaced (the save fails and offers the temporary folder).
    const QFileInfo there(file);
    if ((there.exists() || there.isSymLink()) && !there.isDir()) {
        if (!may_ask_user())
            return false;
        const int readOnly = readOnlyMode(QFile::encodeName(file).toStdString());
        const QString question = readOnly >= 0
            ? QObject::tr("%1 already exists and is read-only (mode %2).\nDo you want to replace it?")
                  .arg(printableName(file), modeText(readOnly))
            : QObject::tr("%1 already exists.\nDo you want to replace it?").arg(printableName(file));
        if (!askYesNo(QObject::tr("Save %1").arg(appName), question))
            return false;
    }
    return save_common(QFile::encodeName(file).toStdString());
}

bool qPelmoraApplication::saveToTmp()
{
    Obj::Application& logic = Obj::Application::instance();
    const std::string temp = logic.get_sys_temp_directory();
    if (!makeFolders(temp))
        Vexil::MsgConsoleSingleton::Instance().Warning("Temp folder cannot be created at %s!\n", shown(temp.c_str()).c_str());
    std::string path = logic.getTempAppFolder();
    if (!path.empty() && path.back() != '/')
        path += '/';
    return save_common(path + "unsaved_project.pmdb");
}

bool qPelmoraApplication::save_common(const std::string& fileName)
{
    const SaveUnderWay saving;
    if (fileName.empty())
        return false;
    const std::string folder = folderOf(fileName);
    // Nothing is made through a link the save will not follow: the save refuses it below.
    std::string linked = fileName, linkRefusal;
    if (Vexil::resolveSymbolicLinks(linked, linkRefusal) && !makeFolders(folder)) {
        Vexil::MsgConsoleSingleton::Instance().Error("Error: Cannot create directory at: %s: %s.\n",
                                                     shown(folder.c_str()).c_str(), std::strerror(errno));
        return false;
    }
    Obj::Application& logic = Obj::Application::instance();
    if (logic.save_as_file(1, fileName.c_str())) {
        fileBehind.clear();
        projectsBehind.clear();
        setDirty(false);
        return true;
    }
    const QString reason = QString::fromUtf8(logic.last_file_error().c_str());
    // What the projects hold fails wherever they go: another folder would not help.
    if (logic.last_save_failed_for_content()) {
        const std::string content = Obj::ProjectFile::content_error(logic.get_projects());
        if (may_ask_user()) {
            QMessageBox box(QMessageBox::Warning, QObject::tr("Failed to save"),
                            content.empty() ? QObject::tr("The projects were not saved.")
                                            : QObject::tr("The projects were not saved: %1")
                                                  .arg(printableName(QByteArray::fromStdString(content))),
                            QMessageBox::Ok, MainWindow::get_main_window_inst());
            if (content.empty())
                box.setInformativeText(printableName(reason));
            showAsPlainText(box);
            box.exec();
        }
        return false;
    }
    if (!may_ask_user()) {
        console().Error("The projects were not saved: a start without a window does not save them "
                        "to the system temporary path unasked\n");
        return false;
    }
    {
        QMessageBox box(QMessageBox::Question, QObject::tr("Invalid path"),
                        QObject::tr("Failed to save the application file to your designated path. "
                                    "Do you want to save projects to the system temporary path instead?"),
                        QMessageBox::Yes | QMessageBox::No, MainWindow::get_main_window_inst());
        box.setDefaultButton(QMessageBox::No);
        box.setInformativeText(printableName(reason));
        box.layout()->setSizeConstraint(QLayout::SetFixedSize);
        showAsPlainText(box);
        if (box.exec() != QMessageBox::Yes)
            return false;
    }
    if (!save_as_sys_temp(fileName))
        return false;
    // The file the user chose was not written: the next save tries it again, and until one
    // reaches it the projects count as unsaved, so that closing asks.
    logic.set_application_file(fileName);
    fileBehind = fileName;
    projectsBehind.clear();
    for (Obj::Project* project : logic.get_projects())
        projectsBehind.insert(project->get_name());
    setDirty(true);
    return true;
}

bool qPelmoraApplication::save_as_sys_temp(const std::string& intended)
{
    Obj::Application& logic = Obj::Application::instance();
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    // The logic's own folder of this user: the shared temporary folder lets everyone read
    // and name files there, and the projects are the user's work.  Where another user
    // took its usual name, the logic makes a fresh private folder instead.
    const QString usual = QDir(QFile::decodeName(logic.get_sys_temp_directory().c_str()))
                              .filePath(QStringLiteral("Pelmora21-%1").arg(::geteuid()));
    const QString folder = QDir::cleanPath(QFile::decodeName(logic.getTempAppFolder().c_str()));
    // The copy keeps the name of the file the user chose, with a number added when an
    // earlier fallback save holds that name already.
    std::string base = intended.substr(intended.find_last_of('/') == std::string::npos
                                           ? 0
                                           : intended.find_last_of('/') + 1);
    if (base.size() >= 5 && QByteArray::fromStdString(base.substr(base.size() - 5)).toLower() == ".pmdb")
        base.resize(base.size() - 5);
    if (base.empty())
        base = "Untitled";
    std::string error;
    const std::string path = reserveFreeName(QFile::encodeName(folder).toStdString(), base, error);
    if (path.empty()) {
        console.Error("Error: Cannot save to the temporary folder %s: %s\n", shown(folder).c_str(), error.c_str());
        return false;
    }
    if (!logic.save_copy_to_file(1, path.c_str())) {
        ::unlink(path.c_str());
        return false;
    }
    // Said on the console and so in the status bar: the user must know where the work went.
    if (folder != usual)
        console.Warning("The projects were saved to the temporary file %s: %s is not a folder of this user, so "
                        "they went to the private folder %s\n",
                        shown(path).c_str(), shown(usual).c_str(), shown(folder).c_str());
    else
        console.Warning("The projects were saved to the temporary file %s\n", shown(path).c_str());
    console.Warning("%s was not saved: its projects stay unsaved until a save reaches it\n",
                    shown(intended).c_str());
    tellWhereSaved(path, intended);
    return true;
}

void qPelmoraApplication::mark_unchanged_projects_clean()
{
    Obj::Application& logic = Obj::Application::instance();
    const bool behind = !fileBehind.empty() && fileBehind == logic.getApplicationFile();
    for (Obj::Project* project : logic.get_projects()) {
        GuiProject* gui = get_project(project);
        if (gui && gui->getDirty() && !project->is_modified()
            && !(behind && projectsBehind.count(project->get_name())))
            gui->setDirty(false);
    }
}

void qPelmoraApplication::checkForPreviousCrashes()
{
    // Lock files of earlier runs of this program: listed, and left alone.
    Obj::Application& logic = Obj::Application::instance();
    const QString exe = QString::fromUtf8(logic.get_executable_file_name().c_str());
    // This run's id as a whole number: run 12 does not take the lock file of run 1234 for its own.
    const QRegularExpression ownRun(QStringLiteral("(^|\\D)%1(\\D|$)").arg(::getpid()));
    QDir temp(QString::fromUtf8(logic.get_sys_temp_directory().c_str()));
    for (const QString& name : temp.entryList({QStringLiteral("*.pmloc")}, QDir::Files)) {
        const QString base = QFileInfo(name).completeBaseName();
        if (base.startsWith(exe) && !ownRun.match(base.mid(exe.size())).hasMatch())
            Vexil::MsgConsoleSingleton::Instance().Log("Lock file of an earlier run: %s\n",
                                                     shown(QFile::encodeName(name).toStdString()).c_str());
    }
}
