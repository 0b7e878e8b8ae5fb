// The application object's file operations: opening, resuming, importing, exporting and
// saving, each routed to the application logic through script lines, records and calls.

#include "qPelmoraApplication.h"

#include "core/GuiProject.h"
#include "dialogs/widgets/FileDialog.h"
#include "mainwindow/MDIWindow.h"
#include "mainwindow/MainWindow.h"
#include "selection/TreeSelectionSingleton.h"

#include <obj/Application.h>
#include <pmmsg/Message.h>
#include <vexil/DocumentInfo.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>
#include <vexil/UtilityBox.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLayout>
#include <QMessageBox>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

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


// A Yes/No question over the main window that keeps its size.
bool askYesNo(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    MainWindow::get_main_window_inst());
    box.setDefaultButton(QMessageBox::No);
    box.layout()->setSizeConstraint(QLayout::SetFixedSize);
    return box.exec() == QMessageBox::Yes;
}


// Makes `folder` with no access for others, or takes it when this user made it before;
// one that another user made (anyone may name things in the temporary folder) is refused.
bool makePrivateFolder(const QString& folder, std::string& error)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        error = std::strerror(errno);
        return false;
    }
    struct stat info;
    if (::lstat(path.constData(), &info) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        error = "it exists and is not a folder of this user";
        return false;
    }
    if ((info.st_mode & 07777) != 0700 && ::chmod(path.constData(), 0700) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

// Creates the first free file of "<base>.pmdb", "<base>-1.pmdb", ... in `folder`, empty and
// private, so that no other save takes the name; its path, or empty with the reason.
QString reserveFreeName(const QString& folder, const QString& base, std::string& error)
{
    for (int n = 0; n < 100000; ++n) {
        const QString name = n == 0 ? base + QStringLiteral(".pmdb") : QStringLiteral("%1-%2.pmdb").arg(base).arg(n);
        const QString path = QDir(folder).filePath(name);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
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

void warnCannotOpenProjectFile(const char* fileName)
{
    QMessageBox::warning(MainWindow::get_main_window_inst(), QObject::tr("Failed to open"),
                         QObject::tr("Cannot open the project file: %1").arg(QString::fromUtf8(fileName)));
}

bool isNonAscii(const QString& name)
{
    static const QRegularExpression nonAscii(QStringLiteral("[^\\x{0000}-\\x{007F}]"));
    return nonAscii.match(name).hasMatch();
}

} // namespace

bool qPelmoraApplication::is_non_ascii_file_name(const QString& name)
{
    return isNonAscii(name);
}

void qPelmoraApplication::warn_unknown_filetype(const QString& text)
{
    QMessageBox::warning(MainWindow::get_main_window_inst(), QObject::tr("Unknown filetype"), text);
}

void qPelmoraApplication::send_view_extents(bool onlyWhenHandled)
{
    MainWindow* mw = MainWindow::get_main_window_inst();
    MDIWindow* view = mw ? mw->activeWindow() : nullptr;
    if (!view || (onlyWhenHandled && !view->has_message_handler("ViewExtents")))
        return;
    view->message_handler("ViewExtents", nullptr);
}

void qPelmoraApplication::openPMDB(const char* fileName, const char*)
{
    if (!fileName)
        return;
    const Vexil::DocumentInfo file(fileName);
    const std::string path = file.document_path();
    Obj::Application& logic = Obj::Application::instance();

    if (!logic.get_projects().empty()) {
        // A file that would be refused must not cost the user the projects open now.
        if (!logic.check_project_file(1, path.c_str())) {
            warnCannotOpenProjectFile(fileName);
            return;
        }
        if (!askYesNo(QObject::tr("Remove existing projects"),
                      QObject::tr("Resuming a PELMORA project will delete all existing projects, will you continue?")))
            return;
        if (MainWindow* mw = MainWindow::get_main_window_inst())
            mw->close_all_windows();
        // Projects without views are not closed with their last view.
        for (Obj::Project* project : logic.get_projects()) {
            if (project->kind == 2 || project->kind == 3)
                logic.close_project(project->get_name());
        }
        QCoreApplication::processEvents();
    }

    if (!logic.resume_from_file(1, path.c_str())) {
        warnCannotOpenProjectFile(fileName);
        return;
    }
    send_view_extents(false);
    logic.ExecuteAfterResume();
    mark_unchanged_projects_clean();
    GuiProject* current = get_current_project();
    if (current && current->get_project()) {
        logic.check_input();
        setDirty(false);
    }
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
            if (GuiProject* current = get_current_project())
                current->setDirty(false);
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
    const std::string name = Obj::Application::instance().getApplicationFile();
    return name.empty() ? save_as() : save_common(name);
}

bool qPelmoraApplication::save_as()
{
    const QDir folder(defaultScenePath());
    QString proposal = folder.filePath(QStringLiteral("Untitled.pmdb"));
    for (int n = 1; QFileInfo::exists(proposal); ++n)
        proposal = folder.filePath(QStringLiteral("Untitled-%1.pmdb").arg(n));

    const QString appName = QCoreApplication::applicationName();
    const QString name = FileDialog::getSaveFileName(MainWindow::get_main_window_inst(),
                                                     QObject::tr("Save %1").arg(appName), proposal,
                                                     QObject::tr("%1 project (*.pmdb)").arg(appName));
    if (name.isEmpty())
        return false;
    if (isNonAscii(name)) {
        Vexil::MsgConsoleSingleton::Instance().Error(
            "Error: Non-ASCII file name (%s) is not supported. Please change the file name or path.\n",
            name.toUtf8().constData());
        return false;
    }
    return save_common(name.toUtf8().toStdString());
}

bool qPelmoraApplication::saveToTmp()
{
    Obj::Application& logic = Obj::Application::instance();
    const QString temp = QString::fromUtf8(logic.get_sys_temp_directory().c_str());
    if (!QDir().mkpath(temp))
        Vexil::MsgConsoleSingleton::Instance().Warning("Temp folder cannot be created at %s!\n", temp.toUtf8().constData());
    const QString path = QDir(QString::fromUtf8(logic.getTempAppFolder().c_str()))
                             .filePath(QStringLiteral("unsaved_project.pmdb"));
    return save_common(path.toUtf8().toStdString());
}

bool qPelmoraApplication::save_common(const std::string& fileName)
{
    if (fileName.empty())
        return false;
    const QString folder = QFileInfo(QString::fromUtf8(fileName.c_str())).absolutePath();
    if (!QDir().mkpath(folder)) {
        Vexil::MsgConsoleSingleton::Instance().Error("Error: Cannot create directory at: %s.\n",
                                                     folder.toUtf8().constData());
        return false;
    }
    if (Obj::Application::instance().save_as_file(1, fileName.c_str())) {
        setDirty(false);
        return true;
    }
    if (!askYesNo(QObject::tr("Invalid path"),
                  QObject::tr("Failed to save the application file to your designated path. "
                              "Do you want to save projects to the system temporary path instead?")))
        return false;
    if (!save_as_sys_temp())
        return false;
    setDirty(false);
    return true;
}

bool qPelmoraApplication::save_as_sys_temp()
{
    const QString temp = QDir::tempPath();
    if (temp.isEmpty())
        return false;
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    // A folder of this user's own: the shared temporary folder lets everyone read and name
    // files there, and the projects are the user's work.
    const QString folder = QDir(temp).filePath(QStringLiteral("Pelmora21-%1").arg(::geteuid()));
    std::string error;
    if (!makePrivateFolder(folder, error)) {
        console.Error("Error: Cannot save to the temporary folder %s: %s\n", folder.toUtf8().constData(), error.c_str());
        return false;
    }
    // The project keeps its file name, with a number added when an earlier fallback save
    // holds that name already.
    const std::string appFile = Obj::Application::instance().getApplicationFile();
    QString base = appFile.empty()
        ? QStringLiteral("Untitled")
        : QFileInfo(QDir::fromNativeSeparators(QString::fromUtf8(appFile.c_str()))).fileName();
    if (base.endsWith(QLatin1String(".pmdb"), Qt::CaseInsensitive))
        base.chop(5);
    const QString path = reserveFreeName(folder, base, error);
    if (path.isEmpty()) {
        console.Error("Error: Cannot save to the temporary folder %s: %s\n", folder.toUtf8().constData(), error.c_str());
        return false;
    }
    const QByteArray file = path.toUtf8();
    if (!Obj::Application::instance().save_as_file(1, file.constData())) {
        QFile::remove(path);
        return false;
    }
    // Said on the console and so in the status bar: the user must know where the work went.
    console.Warning("The projects were saved to the temporary file %s\n", file.constData());
    return true;
}

void qPelmoraApplication::mark_unchanged_projects_clean()
{
    for (Obj::Project* project : Obj::Application::instance().get_projects()) {
        GuiProject* gui = get_project(project);
        if (gui && gui->getDirty() && !project->is_modified())
            gui->setDirty(false);
    }
}

void qPelmoraApplication::checkForPreviousCrashes()
{
    // Lock files of earlier runs of this program: listed, and left alone.
    Obj::Application& logic = Obj::Application::instance();
    const QString exe = QString::fromUtf8(logic.get_executable_file_name().c_str());
    const QString pid = QString::number(::getpid());
    QDir temp(QString::fromUtf8(logic.get_sys_temp_directory().c_str()));
    for (const QString& name : temp.entryList({QStringLiteral("*.pmloc")}, QDir::Files)) {
        if (QFileInfo(name).completeBaseName().startsWith(exe) && !name.contains(pid))
            Vexil::MsgConsoleSingleton::Instance().Log("Lock file of an earlier run: %s\n", name.toUtf8().constData());
    }
}
