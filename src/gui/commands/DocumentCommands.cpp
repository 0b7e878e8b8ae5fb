#include "DocumentCommands.h"
#include "core/PrintableText.h"

#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"
#include "dialogs/SelectModule.h"
#include "dialogs/widgets/FileDialog.h"
#include "mainwindow/MainWindow.h"
#include "selection/CSelectionType.h"
#include "selection/SelectionModification.h"
#include "selection/TreeSelectionSingleton.h"
#include "visualization/ViewFeeder.h"

#include <obj/Application.h>
#include <obj/PropertyCouple.h>
#include <pmmsg/Message.h>
#include <vexil/DocumentInfo.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>
#include <vexil/TypeInfo.h>

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QKeySequence>
#include <QMessageBox>
#include <QMimeData>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Gui {

namespace {

// Tool tip and status tip are one text for every command here.
void describe(Command& cmd, const char* menu, const char* tip, const char* whatsThis,
              const char* pixmap, const char* shortcut)
{
    cmd.set_texts(menu, tip, whatsThis, nullptr, pixmap);
    if (shortcut)
        cmd.set_shortcut(shortcut);
}

// The portable text of a standard key, as the commands keep it for the whole run.
QByteArray standardKey(QKeySequence::StandardKey key)
{
    return QKeySequence(key).toString(QKeySequence::PortableText).toLatin1();
}

qPelmoraApplication* application()
{
    return qPelmoraApplication::application();
}

// The filter text of the open dialogs: every type, the project type first; then the
// filter naming project files; then the others in order; then all files.
QString openFilter(std::vector<std::string> types, Obj::Application::FilterTable filters)
{
    QString filter = QObject::tr("Supported formats") + QLatin1String(" (");
    const auto pmdb = std::find(types.begin(), types.end(), "pmdb");
    if (pmdb != types.end())
        std::rotate(types.begin(), pmdb, pmdb + 1);
    for (const std::string& type : types)
        filter += QLatin1String(" *.") + QString::fromUtf8(type.c_str());
    filter += QLatin1String(");;");
    const auto project = std::find_if(filters.begin(), filters.end(), [](const auto& entry) {
        return entry.first.find("*.pmdb") != std::string::npos;
    });
    if (project != filters.end()) {
        filter += QString::fromUtf8(project->first.c_str()) + QLatin1String(";;");
        filters.erase(project);
    }
    for (const auto& entry : filters)
        filter += QString::fromUtf8(entry.first.c_str()) + QLatin1String(";;");
    filter += QObject::tr("All files (*.*)");
    return filter;
}

void cannotOpen(const char* context, const QString& file)
{
    plainMessageBox(MainWindow::get_main_window_inst(), QMessageBox::Critical,
                          QCoreApplication::translate(context, "Cannot open file"),
                          QCoreApplication::translate(context, "Loading the file %1 is not supported").arg(printableName(file)));
}

// Switches the main window's updates off and on again, whatever happens in between.
class UpdatesPaused
{
public:
    explicit UpdatesPaused(MainWindow* window) : mw(window)
    {
        if (mw)
            mw->setUpdatesEnabled(false);
    }
    ~UpdatesPaused()
    {
        if (mw) {
            mw->setUpdatesEnabled(true);
            mw->update();
        }
    }
    UpdatesPaused(const UpdatesPaused&) = delete;
    UpdatesPaused& operator=(const UpdatesPaused&) = delete;
private:
    MainWindow* mw;
};

// The selected objects, per project in selection order.
std::map<Obj::Project*, std::vector<Obj::ProjectObject*>> selectedByProject()
{
    std::map<Obj::Project*, std::vector<Obj::ProjectObject*>> lists;
    for (const SelObj& entry : TreeSelectionSingleton::instance().get_all_selections()) {
        if (entry.object && entry.object->get_project())
            lists[entry.object->get_project()].push_back(entry.object);
    }
    return lists;
}

} // namespace

// ---------------------------------------------------------------------------------------

StdCmdNew::StdCmdNew() : Command("Std_New")
{
    sGroup = "File";
    describe(*this, QT_TRANSLATE_NOOP("StdCmdNew", "&New"), QT_TRANSLATE_NOOP("StdCmdNew", "Create a new project"),
             "Std_New", "pelmora_gui_newdoc", "Ctrl+N");
}

void StdCmdNew::activated(int)
{
    pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
}

// ---------------------------------------------------------------------------------------

StdCmdOpen::StdCmdOpen() : Command("Std_Open")
{
    sGroup = "File";
    describe(*this, QT_TRANSLATE_NOOP("StdCmdOpen", "&Open..."),
             QT_TRANSLATE_NOOP("StdCmdOpen", "Open a project or import files"), "Std_Open", nullptr,
             standardKey(QKeySequence::Open).constData());
}

void StdCmdOpen::activated(int)
{
    Obj::Application& logic = Obj::Application::instance();
    const QString filter = openFilter(logic.get_imported_types(), logic.get_import_filters());
    QString selected;
    const QStringList files = FileDialog::getOpenFileNames(MainWindow::get_main_window_inst(), QObject::tr("Open document"),
                                                           QString(), filter, &selected);
    if (files.isEmpty())
        return;
    const SelectModule::Dict modules = SelectModule::importHandler(files, selected);
    if (modules.isEmpty()) {
        cannotOpen("StdCmdOpen", files.front());
        return;
    }
    for (auto it = modules.constBegin(); it != modules.constEnd(); ++it) {
        const QByteArray file = QFile::encodeName(it.key());
        // A project file replaces the open projects, so it asks first, as Open Project does.
        if (Vexil::DocumentInfo(file.constData()).has_extension("pmdb"))
            application()->openPMDB(file.constData(), it.value().toLatin1().constData());
        else
            application()->open(file.constData(), it.value().toLatin1().constData());
    }
}

// ---------------------------------------------------------------------------------------

StdCmdOpenPMDB::StdCmdOpenPMDB() : Command("Std_OpenPMDB")
{
    sGroup = "File";
    describe(*this, QT_TRANSLATE_NOOP("StdCmdOpenPMDB", "&Open..."),
             QT_TRANSLATE_NOOP("StdCmdOpenPMDB", "Open an archived solution file"), "Std_OpenPMDB",
             "pelmora_gui_opendoc", standardKey(QKeySequence::Open).constData());
}

void StdCmdOpenPMDB::activated(int)
{
    Obj::Application& logic = Obj::Application::instance();
    const QString filter = openFilter(logic.get_projectDB_types(), logic.get_projectDB_filters());
    QString selected;
    const QStringList files = FileDialog::getOpenFileNames(MainWindow::get_main_window_inst(),
                                                           QObject::tr("Open PELMORA Project"), QString(), filter,
                                                           &selected);
    if (files.isEmpty())
        return;
    const SelectModule::Dict modules = SelectModule::openProjectDBHandler(files, selected);
    if (modules.isEmpty()) {
        cannotOpen("StdCmdOpenPMDB", files.front());
        return;
    }
    for (auto it = modules.constBegin(); it != modules.constEnd(); ++it) {
        const QByteArray file = QFile::encodeName(it.key());
        if (qPelmoraApplication::is_non_ascii_file_name(it.key())) {
            Vexil::MsgConsoleSingleton::Instance().Error(
                "Error: Non-ASCII file name (%s) is not supported. Please change the file name or path.\n",
                file.constData());
            return;
        }
        application()->openPMDB(file.constData(), it.value().toLatin1().constData());
    }
}

// ---------------------------------------------------------------------------------------

StdCmdSave::StdCmdSave() : Command("Std_Save")
{
    eType = 0;
    sGroup = "File";
    describe(*this, QT_TRANSLATE_NOOP("StdCmdSave", "&Save"),
             QT_TRANSLATE_NOOP("StdCmdSave", "Save the solution to an external file"), "Std_Save", "pelmora_save",
             standardKey(QKeySequence::Save).constData());
}

bool StdCmdSave::is_applicable()
{
    return application() && application()->test_msg_to_current_view("Save");
}

void StdCmdSave::activated(int)
{
    application()->save();
}

StdCmdSaveAs::StdCmdSaveAs() : Command("Std_SaveAs")
{
    sGroup = "File";
    describe(*this, QT_TRANSLATE_NOOP("StdCmdSaveAs", "Save As..."),
             QT_TRANSLATE_NOOP("StdCmdSaveAs", "Save the solution into a new file"), "Std_SaveAs", "pelmora_save",
             "Ctrl+Shift+S");
}

bool StdCmdSaveAs::is_applicable()
{
    return application() && application()->test_msg_to_current_view("SaveAs");
}

void StdCmdSaveAs::activated(int)
{
    application()->save_as();
}

// ---------------------------------------------------------------------------------------

StdCmdQuit::StdCmdQuit() : Command("Std_Quit")
{
    sGroup = "File";
    describe(*this, QT_TRANSLATE_NOOP("StdCmdQuit", "Quit"),
             QT_TRANSLATE_NOOP("StdCmdQuit", "Quit Pelmora application"), "Std_Quit", "pelmora_gui_exit", "Alt+F4");
}

void StdCmdQuit::activated(int)
{
    if (MainWindow* mw = MainWindow::get_main_window_inst())
        mw->close();
}

// ---------------------------------------------------------------------------------------

StdCmdCopy::StdCmdCopy() : Command("Std_Copy")
{
    sGroup = "Edit";
    describe(*this, QT_TRANSLATE_NOOP("StdCmdCopy", "Copy"), QT_TRANSLATE_NOOP("StdCmdCopy", "Copy operation"),
             "Std_Copy", "pelmora_copy", standardKey(QKeySequence::Copy).constData());
}

bool StdCmdCopy::is_applicable()
{
    if (application() && application()->test_msg_to_current_view("Copy"))
        return true;
    return TreeSelectionSingleton::instance().has_selection();
}

void StdCmdCopy::activated(int)
{
    if (application()->send_msg_to_current_view("Copy"))
        return;
    MainWindow* mw = MainWindow::get_main_window_inst();
    if (!mw)
        return;
    if (QMimeData* mime = mw->createMimeDataFromSelection())
        QApplication::clipboard()->setMimeData(mime, QClipboard::Clipboard);
}

StdCmdPaste::StdCmdPaste() : Command("Std_Paste")
{
    sGroup = "Edit";
    describe(*this, QT_TRANSLATE_NOOP("StdCmdPaste", "&Paste"),
             QT_TRANSLATE_NOOP("StdCmdPaste", "Paste operation"), "Std_Paste", "pelmora_paste",
             standardKey(QKeySequence::Paste).constData());
}

bool StdCmdPaste::is_applicable()
{
    if (application() && application()->test_msg_to_current_view("Paste"))
        return true;
    MainWindow* mw = MainWindow::get_main_window_inst();
    const QMimeData* mime = QApplication::clipboard()->mimeData(QClipboard::Clipboard);
    return mw && mime && mw->canInsertFromMimeData(mime);
}

void StdCmdPaste::activated(int)
{
    if (application()->send_msg_to_current_view("Paste"))
        return;
    MainWindow* mw = MainWindow::get_main_window_inst();
    const QMimeData* mime = QApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (mw && mime)
        mw->insertFromMimeData(mime);
}

// ---------------------------------------------------------------------------------------

StdCmdDuplicateSelection::StdCmdDuplicateSelection() : Command("Std_DuplicateSelection")
{
    sAppModule = "Edit";
    const char* tip = QT_TRANSLATE_NOOP("StdCmdDuplicateSelection", "Duplicate the selected objects to current project");
    sGroup = "Edit";
    describe(*this, QT_TRANSLATE_NOOP("StdCmdDuplicateSelection", "Duplicate"), tip, tip, "pelmora_duplicate",
             nullptr);
}

bool StdCmdDuplicateSelection::is_applicable()
{
    return TreeSelectionSingleton::instance().has_selection();
}

void StdCmdDuplicateSelection::activated(int)
{
    // Taken first: the copies' creation may change the selection.
    struct Source
    {
        Obj::Project* project;
        unsigned int id;
        std::string type;
    };
    std::vector<Source> sources;
    for (const SelObj& entry : TreeSelectionSingleton::instance().get_all_selections()) {
        if (entry.project && entry.object && entry.object_id == entry.object->getObjectId())
            sources.push_back({entry.project, entry.object_id, entry.type_name ? entry.type_name : ""});
    }
    // All the copies or none.
    const std::string refusal =
        Obj::Application::instance().growth_error("Cannot duplicate the selection", 0, sources.size());
    if (!refusal.empty())
        throw Vexil::ExceptionHandler(refusal);
    // Filled before they join the project, as a pasted object is: its feeder is made when
    // it joins and draws what the object holds then (a copied shape that arrived later
    // would stay undrawn until the project was read back).  All are filled first, so that
    // an amount a copy refuses leaves no copy made.
    std::vector<std::pair<const Source*, std::unique_ptr<Obj::ProjectObject>>> copies;
    copies.reserve(sources.size());
    for (const Source& source : sources) {
        Obj::ProjectObject* original = source.project->get_object(source.id);
        if (!original)
            continue;
        std::unique_ptr<Obj::ProjectObject> filled;
        if (Vexil::RootClass* built = Vexil::TypeInfo::build_instance_by_name(source.type.c_str())) {
            if (built->is_inherited_from(Obj::ProjectObject::getClassTypeId()))
                filled.reset(static_cast<Obj::ProjectObject*>(built));
            else
                delete built;
        }
        if (filled)
            filled->copy_content(*original);
        copies.emplace_back(&source, std::move(filled));
    }
    for (auto& [source, filled] : copies) {
        Obj::ProjectObject* original = source->project->get_object(source->id);
        if (!original)
            continue;
        Obj::ProjectObject* copy =
            filled ? source->project->add_object(std::move(filled), original->get_label()) : nullptr;
        if (!copy) {
            // Stop at the first refusal: what follows would repeat it.
            throw Vexil::ExceptionHandler(std::string("Cannot duplicate ") + original->get_label() + ": the project "
                                          + source->project->get_name() + " cannot create an object of type "
                                          + source->type);
        }
        if (Obj::ProjectObjectGroup* group = original->get_group()) {
            if (auto* members = dynamic_cast<Obj::PropertyCoupleArray*>(group->get_property_by_name("Member")))
                members->add_value(copy);
        }
    }
}

// ---------------------------------------------------------------------------------------

StdCmdDelete::StdCmdDelete() : Command("Std_Delete")
{
    eType = 8;
    sGroup = "Edit";
    describe(*this, QT_TRANSLATE_NOOP("StdCmdDelete", "&Delete"),
             QT_TRANSLATE_NOOP("StdCmdDelete", "Deletes the selected objects"), "Std_Delete", "pelmora_gui_delete",
             nullptr);
}

bool StdCmdDelete::is_applicable()
{
    return !TreeSelectionSingleton::instance().get_selection(nullptr).empty();
}

void StdCmdDelete::activated(int)
{
    qPelmoraApplication* app = application();
    for (Obj::Project* project : Obj::Application::instance().get_projects()) {
        const std::string name = project->get_name();
        GuiProject* gui = app->get_project(project);
        const std::vector<CSelectionType> entries = TreeSelectionSingleton::instance().get_selection2(
            name.c_str(), Obj::ProjectObject::getClassTypeId());
        UpdatesPaused paused(MainWindow::get_main_window_inst());
        for (const CSelectionType& entry : entries) {
            if (isPrimaryFemObject(entry.get_type_name()))
                continue;
            Obj::ProjectObject* object = entry.get_object();
            ViewFeeder* feeder = gui && object ? gui->get_view_feeder(object) : nullptr;
            if (!feeder || !feeder->onDelete(entry.get_subnames()))
                continue;
            pmMsg::MessageData record;
            record.code = pmMsg::REC_DELETE;
            record.text2 = name;
            record.number = entry.get_object_id();
            record.real = 0.0;
            pmMsg::doCommand(record);
        }
    }
}

// ---------------------------------------------------------------------------------------

StdCmdSuppress::StdCmdSuppress() : Command("Std_Suppress")
{
    eType = 8;
    sGroup = "Edit";
    describe(*this, QT_TRANSLATE_NOOP("StdCmdSuppress", "Suppress"),
             QT_TRANSLATE_NOOP("StdCmdSuppress", "Suppress an object"), "Std_Suppress", "pelmora_gui_suppress", nullptr);
}

void StdCmdSuppress::activated(int)
{
    for (const auto& entry : selectedByProject())
        for (Obj::ProjectObject* object : entry.second)
            object->suppress();
}

StdCmdUnsuppress::StdCmdUnsuppress() : Command("Std_Unsuppress")
{
    eType = 8;
    sGroup = "Edit";
    describe(*this, QT_TRANSLATE_NOOP("StdCmdUnsuppress", "Unsuppress"),
             QT_TRANSLATE_NOOP("StdCmdUnsuppress", "Unsuppress an object"), "Std_Unsuppress", "pelmora_gui_unsuppress",
             nullptr);
}

void StdCmdUnsuppress::activated(int)
{
    for (const auto& entry : selectedByProject())
        for (Obj::ProjectObject* object : entry.second)
            object->unsuppress();
}

// ---------------------------------------------------------------------------------------

void register_document_commands(CommandController& controller)
{
    controller.new_command(new StdCmdNew());
    controller.new_command(new StdCmdOpen());
    controller.new_command(new StdCmdOpenPMDB());
    controller.new_command(new StdCmdSave());
    controller.new_command(new StdCmdSaveAs());
    controller.new_command(new StdCmdQuit());
    controller.new_command(new StdCmdCopy());
    controller.new_command(new StdCmdPaste());
    controller.new_command(new StdCmdDuplicateSelection());
    controller.new_command(new StdCmdDelete());
    controller.new_command(new StdCmdSuppress());
    controller.new_command(new StdCmdUnsuppress());
}

} // namespace Gui
