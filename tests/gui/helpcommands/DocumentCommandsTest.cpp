// The File and Edit commands in a running main window: their texts, when they are
// enabled, what they send, copy and paste through the clipboard, drops on the window and
// the window's settings.

#include <commands/Command.h>
#include <commands/CommandAction.h>
#include <core/GuiProject.h>
#include <core/qPelmoraApplication.h>
#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/MDIWindow.h>
#include <mainwindow/MainWindow.h>
#include <mainwindow/StatusBarObserver.h>
#include <dialogs/SpaceballEvent.h>
#include <selection/TreeSelectionSingleton.h>
#include <visualization/ViewFeeder.h>

#include <support/ConsoleCapture.h>
#include <support/GuiSession.h>
#include <support/ModalCloser.h>
#include <support/NamedPipe.h>
#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <obj/LoadObject.h>
#include <obj/PropertyCouple.h>
#include <pmmsg/Message.h>
#include <vexil/Exception.h>

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QWhatsThis>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace DocTest {

// Reports the size at which a copy stops travelling inside the clipboard.
class BulkyObject : public Obj::ProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    unsigned int get_memory_usage() const override { return 0xA00000 - 1000; }
};
VEXIL_TYPESYSTEM_SOURCE(DocTest::BulkyObject, Obj::ProjectObject)

// Cannot be built by name: a project refuses to create it.
class UnbuildableObject : public Obj::ProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
};
VEXIL_TYPESYSTEM_SOURCE_ABSTRACT(DocTest::UnbuildableObject, Obj::ProjectObject)

// A feeder whose delete step fails.
class ThrowingFeeder : public Gui::ViewFeederProjectObject
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    bool onDelete(const std::vector<std::string>&) override { throw Vexil::ExceptionHandler("feeder refused"); }
};
VEXIL_TYPESYSTEM_SOURCE(DocTest::ThrowingFeeder, Gui::ViewFeederProjectObject)

// A document view that answers the messages it is told to.
class AnsweringView : public Gui::MDIWindow
{
public:
    AnsweringView(Gui::GuiProject* project, QWidget* parent, std::vector<std::string> handled)
        : Gui::MDIWindow(project, parent), answers(std::move(handled)) {}
    bool message_handler(const char* message, const char**) override
    {
        received.push_back(message);
        return has_message_handler(message);
    }
    bool has_message_handler(const char* message) override
    {
        return std::find(answers.begin(), answers.end(), message) != answers.end();
    }
    std::vector<std::string> answers;
    std::vector<std::string> received;
};

} // namespace DocTest

namespace {

using PelmoraTest::flushDeletes;

std::vector<std::string> sent()
{
    std::vector<std::string> lines;
    for (const std::string& line : pmMsg::Journal::lines()) {
        if (line.rfind("doCommand", 0) == 0 || line.rfind("runCommand", 0) == 0)
            lines.push_back(line);
    }
    pmMsg::Journal::clear();
    return lines;
}

// Receives the links the desktop would open.
class LinkCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

class DocumentCommands : public PelmoraTest::MainWindowSession
{
protected:
    void SetUp() override
    {
        PelmoraTest::registerGuiTypes();
        DocTest::BulkyObject::init();
        DocTest::UnbuildableObject::init();
        DocTest::ThrowingFeeder::init();
        startApplication();
        openMainWindow();
        pmMsg::Journal::clear();
    }
    void TearDown() override
    {
        QApplication::clipboard()->clear();
        closeSession();
    }
    bool enabled(const char* name)
    {
        QAction* action = placed(name);
        command(name)->check_activation();
        return action->isEnabled();
    }
    void select(Obj::ProjectObject* object)
    {
        Gui::TreeSelectionSingleton::instance().add_selection(object->get_project()->get_name(),
                                                              object->getObjectId(), nullptr);
    }
    // Saves the open projects, as projects of a view this test program has, to `file`.
    bool saveProjectFile(const QString& file)
    {
        for (Obj::Project* each : logic->app().get_projects())
            each->set_feeder_type_name("Gui::ViewFeederProject");
        return logic->app().save_as_file(1, QFile::encodeName(file).constData());
    }
    Obj::Project* project(const char* name)
    {
        Obj::Project* p = logic->app().create_project(name, name);
        app->set_current_project(app->get_project(p));
        return p;
    }
};

} // namespace

TEST_F(DocumentCommands, TextsIconsAndShortcutsAsTheMenusShowThem)
{
    const struct { const char* name; const char* text; const char* tip; QKeySequence keys; bool icon; } expected[] = {
        {"Std_New", "&New", "Create a new project", QKeySequence("Ctrl+N"), true},
        {"Std_Open", "&Open...", "Open a project or import files", QKeySequence(QKeySequence::Open), false},
        {"Std_OpenPMDB", "&Open...", "Open an archived solution file", QKeySequence(QKeySequence::Open), true},
        {"Std_Save", "&Save", "Save the solution to an external file", QKeySequence(QKeySequence::Save), true},
        {"Std_SaveAs", "Save As...", "Save the solution into a new file", QKeySequence("Ctrl+Shift+S"), true},
        {"Std_Quit", "Quit", "Quit Pelmora application", QKeySequence("Alt+F4"), true},
        {"Std_Copy", "Copy", "Copy operation", QKeySequence(QKeySequence::Copy), true},
        {"Std_Paste", "&Paste", "Paste operation", QKeySequence(QKeySequence::Paste), true},
        {"Std_DuplicateSelection", "Duplicate", "Duplicate the selected objects to current project", QKeySequence(), true},
        {"Std_Delete", "&Delete", "Deletes the selected objects", QKeySequence(), true},
        {"Std_Suppress", "Suppress", "Suppress an object", QKeySequence(), true},
        {"Std_Unsuppress", "Unsuppress", "Unsuppress an object", QKeySequence(), true},
    };
    for (const auto& e : expected) {
        ASSERT_NE(command(e.name), nullptr) << e.name;
        QAction* action = placed(e.name);
        EXPECT_EQ(action->text(), e.text) << e.name;
        // The framework adds the shortcut to both tips.
        EXPECT_TRUE(action->toolTip().startsWith(e.tip)) << e.name;
        EXPECT_TRUE(action->statusTip().endsWith(e.tip)) << e.name;
        EXPECT_EQ(action->shortcut(), e.keys) << e.name;
        EXPECT_EQ(!action->icon().isNull(), e.icon) << e.name;
    }
    EXPECT_STREQ(command("Std_DuplicateSelection")->get_cmd_module_name(), "Edit");
    EXPECT_STREQ(command("Std_Delete")->get_group_name(), "Edit");
    EXPECT_STREQ(command("Std_SaveAs")->get_group_name(), "File");
}

TEST_F(DocumentCommands, NewAsksForAnUnnamedProjectAndQuitClosesTheWindow)
{
    command("Std_New")->invoke(0);
    command("Std_New")->invoke(0);
    EXPECT_EQ(sent(), (std::vector<std::string>{"runCommand 21 Unnamed Project", "runCommand 21 Unnamed Project"}));
    ASSERT_EQ(2u, logic->app().get_projects().size());
    for (Obj::Project* p : logic->app().get_projects())
        EXPECT_STREQ("Unnamed Project", p->getProjectName());

    bool closed = false;
    QObject::connect(window.get(), &Gui::MainWindow::mainWindowClosed, [&closed] { closed = true; });
    command("Std_Quit")->invoke(0);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(window->isVisible());
    // Closing asked the event loop to quit; a loop run to its end takes that back, so
    // that the modal boxes of later tests in this process still wait for an answer.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

TEST_F(DocumentCommands, SaveCopyAndPasteAskTheActiveViewFirst)
{
    EXPECT_FALSE(enabled("Std_Save"));
    EXPECT_FALSE(enabled("Std_SaveAs"));
    EXPECT_FALSE(enabled("Std_Copy"));
    EXPECT_FALSE(enabled("Std_Paste"));

    Obj::Project* p = project("Views");
    auto* view = new DocTest::AnsweringView(app->get_project(p), window.get(), {"Save", "Copy", "Paste"});
    window->addWindow(view);
    window->setActiveWindow(view);
    EXPECT_TRUE(enabled("Std_Save"));
    EXPECT_FALSE(enabled("Std_SaveAs"));
    EXPECT_TRUE(enabled("Std_Copy"));
    EXPECT_TRUE(enabled("Std_Paste"));

    // A view that takes Copy and Paste keeps the clipboard out of it.
    p->add_object("Obj::ProjectObject", "Kept");
    select(p->get_objects().front());
    command("Std_Copy")->invoke(0);
    command("Std_Paste")->invoke(0);
    EXPECT_EQ(view->received, (std::vector<std::string>{"Copy", "Paste"}));
    EXPECT_EQ(QApplication::clipboard()->mimeData()->formats().contains("application/x-documentobject"), false);
    EXPECT_EQ(1u, p->get_num_objects());
}

TEST_F(DocumentCommands, CopyPutsTheObjectsOnTheClipboardAndPasteMergesThemIntoAnotherProject)
{
    Obj::Project* source = project("Source");
    auto* group = static_cast<Obj::ProjectObjectGroup*>(source->add_object("Obj::ProjectObjectGroup", "Group"));
    Obj::ProjectObject* member = source->add_object("Obj::ProjectObject", "Member");
    group->add_object(member);
    member->set_label("Labelled member");
    select(group);
    ASSERT_EQ(2u, source->get_dependency_graph({group}).size());
    ASSERT_EQ(1u, Gui::TreeSelectionSingleton::instance().get_all_selections().size());
    ASSERT_EQ(group, Gui::TreeSelectionSingleton::instance().get_all_selections().front().object);

    // The group needs its member: asked, No copies the group alone.
    PelmoraTest::ModalCloser closer(QMessageBox::No);
    EXPECT_TRUE(enabled("Std_Copy"));
    command("Std_Copy")->invoke(0);
    EXPECT_EQ(closer.titles(), QStringList{"Object dependencies"});
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(mime && mime->hasFormat("application/x-documentobject"));

    Obj::Project* target = project("Target");
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    EXPECT_TRUE(enabled("Std_Paste"));
    command("Std_Paste")->invoke(0);
    ASSERT_EQ(1u, target->get_num_objects());
    EXPECT_TRUE(dynamic_cast<Obj::ProjectObjectGroup*>(target->get_object("Group")));

    // Yes: the member comes along, and pasted again the names stay unique.
    closer.setAnswer(QMessageBox::Yes);
    select(group);
    command("Std_Copy")->invoke(0);
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    command("Std_Paste")->invoke(0);
    ASSERT_EQ(3u, target->get_num_objects());
    auto* pasted = dynamic_cast<Obj::ProjectObjectGroup*>(target->get_objects().at(1));
    ASSERT_TRUE(pasted);
    ASSERT_EQ(1u, pasted->get_objects().size());
    EXPECT_STREQ("Labelled member", pasted->get_objects().front()->get_label());
    EXPECT_EQ(2u, source->get_num_objects());
}

TEST_F(DocumentCommands, ALargeCopyTravelsThroughAFileAndNothingSelectedCopiesNothing)
{
    EXPECT_EQ(window->createMimeDataFromSelection(), nullptr);
    Obj::Project* source = project("Big");
    select(source->add_object("DocTest::BulkyObject", "Bulk"));
    std::unique_ptr<QMimeData> mime(window->createMimeDataFromSelection());
    ASSERT_TRUE(mime);
    EXPECT_FALSE(mime->hasFormat("application/x-documentobject"));
    ASSERT_TRUE(mime->hasFormat("application/x-documentobject-file"));
    const QString file = QString::fromLocal8Bit(mime->data("application/x-documentobject-file"));
    EXPECT_TRUE(QFileInfo(file).isFile());
    // The same file serves the next large copy.
    std::unique_ptr<QMimeData> again(window->createMimeDataFromSelection());
    EXPECT_EQ(again->data("application/x-documentobject-file"), mime->data("application/x-documentobject-file"));

    // Pasted with no current project: a new project takes the objects.
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    logic->app().close_all_projects();
    window->insertFromMimeData(mime.get());
    ASSERT_EQ(1u, logic->app().get_projects().size());
    EXPECT_TRUE(logic->app().get_projects().front()->get_object("Bulk"));

    // Foreign data changes nothing.
    QMimeData foreign;
    foreign.setText("hello");
    EXPECT_FALSE(window->canInsertFromMimeData(&foreign));
    window->insertFromMimeData(&foreign);
    EXPECT_EQ(1u, logic->app().get_projects().front()->get_num_objects());
    QFile::remove(file);
}

TEST_F(DocumentCommands, APasteOfBadCopiedDataIsRefusedAndLeavesNoProject)
{
    logic->app().close_all_projects();
    PelmoraTest::NamedPipe pipe(QDir(QDir::tempPath()).filePath(
        QStringLiteral("pelmora-paste-pipe-%1").arg(QCoreApplication::applicationPid())));
    ASSERT_TRUE(pipe.created());

    QMimeData piped;
    piped.setData("application/x-documentobject-file", QFile::encodeName(pipe.path()));
    QMimeData garbage;
    garbage.setData("application/x-documentobject", QByteArray("PELMORA PROJECT FILE\nversion\t1\nproject\t"));
    QMimeData missing;
    missing.setData("application/x-documentobject-file", QFile::encodeName(pipe.path() + ".gone"));
    for (const QMimeData* mime : {&piped, &garbage, &missing}) {
        PelmoraTest::ConsoleCapture console;
        EXPECT_TRUE(pipe.runsWithoutWaiting([&] { window->insertFromMimeData(mime); }))
            << "the paste waited for a writer";
        EXPECT_EQ(1, console.count(PelmoraTest::ConsoleCapture::Level::Error, ""));
        EXPECT_TRUE(logic->app().get_projects().empty());
    }
}

TEST_F(DocumentCommands, DuplicateCopiesIntoTheSourceProjectAndStopsAtTheFirstRefusal)
{
    Obj::Project* p = project("Parts");
    auto* group = static_cast<Obj::ProjectObjectGroup*>(p->add_object("Obj::ProjectObjectGroup", "Group"));
    Obj::ProjectObject* part = p->add_object("Obj::ProjectObject", "Part");
    group->add_object(part);
    auto* thickness = static_cast<Obj::PropertyDecimal*>(part->add_property("Obj::PropertyDecimal", "Thickness"));
    thickness->set_value(2.5);
    EXPECT_FALSE(enabled("Std_DuplicateSelection"));
    select(part);
    EXPECT_TRUE(enabled("Std_DuplicateSelection"));
    command("Std_DuplicateSelection")->invoke(0);
    ASSERT_EQ(3u, p->get_num_objects());
    Obj::ProjectObject* copy = p->get_objects().back();
    EXPECT_STRNE(copy->get_name(), part->get_name());
    auto* copied = dynamic_cast<Obj::PropertyDecimal*>(copy->get_property_by_name("Thickness"));
    ASSERT_TRUE(copied);
    EXPECT_EQ(2.5, copied->get_value());
    ASSERT_EQ(2u, group->get_objects().size());
    EXPECT_EQ(copy, group->get_objects().back());
    EXPECT_TRUE(sent().empty());

    // The first object cannot be copied: the user is told and the second is left alone.
    auto odd = std::make_unique<DocTest::UnbuildableObject>();
    Obj::ProjectObject* unbuildable = p->add_object(std::move(odd), "Odd");
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    select(unbuildable);
    select(part);
    PelmoraTest::ConsoleCapture console;
    PelmoraTest::ModalCloser closer(QMessageBox::Ok);
    command("Std_DuplicateSelection")->invoke(0);
    EXPECT_EQ(4u, p->get_num_objects());
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error, "Cannot duplicate Odd"));
    EXPECT_EQ(closer.titles(), QStringList{"Pelmora Exception"});

    // An amount beyond its limits (set directly: no way in takes it) is not copied as
    // another: the duplicate is refused with the reason, before any copy is made.
    auto* load = static_cast<Obj::LoadObject*>(p->add_object("Obj::LoadObject", "Load"));
    load->PressureLimit->set_value(5e12);
    Gui::TreeSelectionSingleton::instance().clear_all_selections();
    select(part);
    select(load);
    command("Std_DuplicateSelection")->invoke(0);
    EXPECT_EQ(5u, p->get_num_objects());
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error,
                                 "Cannot copy Load: property 'Pressure Limit' holds '5e+12 Pa': "
                                 "'5e+12 Pa' lies outside 0 Pa to 1e+12 Pa"));
}

TEST_F(DocumentCommands, DeleteSendsRecordsForEveryProjectSparesPrimaryObjectsAndRestoresUpdates)
{
    Obj::Project* second = project("Second");
    Obj::ProjectObject* other = second->add_object("Obj::ProjectObject", "Other");
    Obj::Project* first = project("First");
    Obj::ProjectObject* annotations = first->add_object("Obj::AnnotationsGroup", "Annotations");
    Obj::ProjectObject* plain = first->add_object("Obj::ProjectObject", "Plain");
    // The delete frees the objects: their ids are taken before.
    const std::string otherId = std::to_string(other->getObjectId());
    const std::string plainId = std::to_string(plain->getObjectId());

    select(other);
    EXPECT_FALSE(enabled("Std_Delete")) << "only a selection in the current project enables it";
    select(annotations);
    select(plain);
    EXPECT_TRUE(enabled("Std_Delete"));
    sent();
    command("Std_Delete")->invoke(0);
    EXPECT_EQ(sent(), (std::vector<std::string>{
        "doCommand 3 text1= text2=Second text3= number=" + otherId
            + " text4= text5= text6= real=0 ids=",
        "doCommand 3 text1= text2=First text3= number=" + plainId
            + " text4= text5= text6= real=0 ids="}));
    EXPECT_EQ(1u, first->get_num_objects());
    EXPECT_EQ(0u, second->get_num_objects());
    EXPECT_TRUE(window->updatesEnabled());

    // A feeder that throws: reported, and the window updates again.
    auto refusing = std::make_unique<Obj::ProjectObject>();
    refusing->set_feeder_type_name("DocTest::ThrowingFeeder");
    Obj::ProjectObject* stubborn = first->add_object(std::move(refusing), "Stubborn");
    select(stubborn);
    PelmoraTest::ModalCloser closer(QMessageBox::Ok);
    command("Std_Delete")->invoke(0);
    EXPECT_EQ(closer.texts(), QStringList{"feeder refused"});
    EXPECT_TRUE(window->updatesEnabled());
    EXPECT_TRUE(first->get_object("Stubborn"));
}

TEST_F(DocumentCommands, SuppressAndUnsuppressActOnTheSelectionOfEveryProject)
{
    Obj::Project* a = project("A");
    Obj::Project* b = project("B");
    Obj::ProjectObject* one = a->add_object("Obj::ProjectObject", "One");
    Obj::ProjectObject* two = b->add_object("Obj::ProjectObject", "Two");
    Obj::ProjectObject* left = b->add_object("Obj::ProjectObject", "Left");
    select(one);
    select(two);
    command("Std_Suppress")->invoke(0);
    EXPECT_TRUE(one->isSuppressed());
    EXPECT_TRUE(two->isSuppressed());
    EXPECT_FALSE(left->isSuppressed());
    command("Std_Unsuppress")->invoke(0);
    EXPECT_FALSE(one->isSuppressed());
    EXPECT_FALSE(two->isSuppressed());
}

TEST_F(DocumentCommands, DroppedProjectFilesOpenByTheirPathAndOnlyTheFirst)
{
    auto drag = [this](const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QApplication::sendEvent(window.get(), &enter);
        return enter.isAccepted();
    };
    EXPECT_FALSE(drag({QUrl::fromLocalFile("/data/model.PMDB")}));
    EXPECT_TRUE(drag({QUrl::fromLocalFile("/data/model.pmpj")}));
    EXPECT_TRUE(drag({QUrl::fromLocalFile("/data/model.pmdb"), QUrl::fromLocalFile("/data/x.txt")}));
    EXPECT_FALSE(drag({QUrl::fromLocalFile("/data/x.txt"), QUrl::fromLocalFile("/data/model.pmdb")}));

    // Three files: the first opens, by its local path (a name with a space included).
    const QString file = PelmoraTest::homeDir() + "/saved project.pmdb";
    Obj::Project* p = project("Saved");
    p->add_object("Obj::ProjectObject", "Thing");
    ASSERT_TRUE(saveProjectFile(file));
    logic->app().close_all_projects();
    PelmoraTest::ConsoleCapture console;
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(file), QUrl::fromLocalFile(file + "2"), QUrl::fromLocalFile(file + "3")});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Log, "Drop file: " + file.toStdString() + "\n"));
    EXPECT_EQ(1, console.count(PelmoraTest::ConsoleCapture::Level::Log, "Drop file:"));
    ASSERT_EQ(1u, logic->app().get_projects().size());
    EXPECT_TRUE(logic->app().get_projects().front()->get_object("Thing"));
}

TEST_F(DocumentCommands, DroppedAnnotationListsOpenAsTheirAnnotations)
{
    const QString fcsv = PelmoraTest::homeDir() + "/dropped marks.fcsv";
    {
        QFile out(fcsv);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("# pointColumns = type|x|y|z|sel|vis\npoint|4|5|6|1|1\n");
    }
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(fcsv)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());

    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    Obj::Project* current = logic->app().get_current_project();
    ASSERT_NE(current, nullptr);
    bool fiducial = false;
    for (Obj::ProjectObject* object : current->get_objects())
        fiducial = fiducial || object->getTypeId().get_name() == std::string("Obj::AnnotationFiducial");
    EXPECT_TRUE(fiducial);
}

TEST_F(DocumentCommands, WindowSettingsComeBackUnderTheConfiguredNames)
{
    Obj::Application::mConfig["ExeVendor"] = "TestVendor";
    Obj::Application::mConfig["ExeName"] = "testapp";
    Obj::Application::mConfig["ExeVersion"] = "9.9";
    window->resize(640, 480);
    window->statusBar()->hide();
    window->saveAppQtSettings();
    window.reset();
    flushDeletes();

    QSettings stored(QSettings::NativeFormat, QSettings::UserScope, "TestVendor", "testapp");
    EXPECT_EQ(stored.value("9.9/Qt5.12/Size").toSize(), QSize(640, 480));
    EXPECT_FALSE(stored.value("9.9/Qt5.12/StatusBar").toBool());
    EXPECT_FALSE(stored.value("9.9/Qt5.12/MainWindowState").toByteArray().isEmpty());

    window = std::make_unique<Gui::MainWindow>();
    window->loadAppQtSettings();
    EXPECT_EQ(window->size(), QSize(640, 480));
    EXPECT_FALSE(window->statusBar()->isVisible());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(DocumentCommands, OpenOffersEveryTypeProjectsFirstAndOpensEachFileWithItsModule)
{
    QStringList chosen;
    QString shownFilter;
    Gui::FileDialog::Backend backend;
    backend.openFileNames = [&](QWidget*, const QString&, const QString&, const QString& filter, QString*,
                                QFileDialog::Options) {
        shownFilter = filter;
        return chosen;
    };
    const Gui::FileDialog::Backend previous = Gui::FileDialog::setBackend(backend);
    const QString home = PelmoraTest::homeDir();
    auto make = [&home](const char* name, const QByteArray& bytes) {
        QFile f(home + "/" + name);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    };
    const QString stl = make("b-part.stl", "solid t\n facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n"
                                           "   vertex 1 0 0\n   vertex 0 1 0\n  endloop\n endfacet\nendsolid t\n");
    const QString step = make("a-part.step", "ISO-10303-21;");

    chosen = QStringList{stl, step};
    command("Std_Open")->invoke(0);
    EXPECT_TRUE(shownFilter.startsWith("Supported formats ( *.pmdb *.acsv *.fcsv *.iges")) << shownFilter.toStdString();
    EXPECT_TRUE(shownFilter.contains(");;Pelmora project (*.pmdb);;IGES")) << shownFilter.toStdString();
    EXPECT_TRUE(shownFilter.endsWith(";;All files (*.*)")) << shownFilter.toStdString();
    std::vector<std::string> opened;
    for (const std::string& line : pmMsg::Journal::lines())
        if (line.find(".open(u\"") != std::string::npos)
            opened.push_back(line);
    EXPECT_EQ(opened, (std::vector<std::string>{"runString Import.open(u\"" + step.toStdString() + "\")",
                                                "runString Geometry.open(u\"" + stl.toStdString() + "\")"}));

    // Nothing can read it: the first file is named.
    PelmoraTest::ModalCloser closer(QMessageBox::Ok);
    chosen = QStringList{home + "/notes.xyz"};
    command("Std_Open")->invoke(0);
    EXPECT_EQ(closer.titles(), QStringList{"Cannot open file"});
    EXPECT_EQ(closer.texts(), QStringList{"Loading the file " + home + "/notes.xyz is not supported"});

    // Project files: one named outside ASCII stops the files after it.
    Obj::Project* saved = project("Saved");
    saved->add_object("Obj::ProjectObject", "Thing");
    const QString good = home + "/a-good.pmdb";
    ASSERT_TRUE(saveProjectFile(good));
    const QString accented = home + QString::fromUtf8("/b-caf\xc3\xa9.pmdb");
    QFile::copy(good, accented);
    const QString later = home + "/c-later.pmdb";
    QFile::copy(good, later);
    logic->app().close_all_projects();
    PelmoraTest::ConsoleCapture console;
    chosen = QStringList{later, accented, good};
    command("Std_OpenPMDB")->invoke(0);
    EXPECT_TRUE(console.contains(PelmoraTest::ConsoleCapture::Level::Error,
                                 "Error: Non-ASCII file name (" + accented.toStdString() + ") is not supported."));
    EXPECT_EQ(QFile::encodeName(good).toStdString(), logic->app().getApplicationFile());
    // The file holds the two projects open when it was saved; the later file was not read.
    EXPECT_EQ(2u, logic->app().get_projects().size());
    EXPECT_TRUE(logic->app().get_project("Saved"));
    Gui::FileDialog::setBackend(previous);
}

TEST_F(DocumentCommands, ThreeDMouseButtonsRunTheirCommandAndSceneTextIsNotShown)
{
    Obj::Application::instance()
        .get_preference_group_by_path("User parameter:BaseApp/Spaceball/Buttons")
        ->get_parameter_group("3")
        ->set_ASCII_string("Command", "Std_New");
    Spaceball::ButtonEvent released;
    released.setButtonNumber(3);
    released.setButtonStatus(0);
    EXPECT_TRUE(QApplication::sendEvent(window.get(), &released));
    EXPECT_TRUE(logic->app().get_projects().empty());
    Spaceball::ButtonEvent pressed;
    pressed.setButtonNumber(3);
    pressed.setButtonStatus(1);
    EXPECT_TRUE(QApplication::sendEvent(window.get(), &pressed));
    EXPECT_TRUE(pressed.isHandled());
    EXPECT_EQ(1u, logic->app().get_projects().size());
    Spaceball::ButtonEvent unknown;
    unknown.setButtonNumber(7);
    unknown.setButtonStatus(1);
    EXPECT_TRUE(QApplication::sendEvent(window.get(), &unknown));
    EXPECT_EQ(1u, logic->app().get_projects().size());

    // Scene text of the console goes to a feeder, never to the status bar.
    app->set_current_project(app->get_project(logic->app().get_projects().front()));
    auto* label = window->findChild<QLabel*>(QStringLiteral("MessageLabel"));
    ASSERT_TRUE(label);
    Gui::CustomMessageEvent scene(3, QStringLiteral("#Inventor V2.1 ascii \nSeparator { }"));
    QApplication::sendEvent(window.get(), &scene);
    Gui::CustomMessageEvent plain(3, QStringLiteral("a log line"));
    QApplication::sendEvent(window.get(), &plain);
    EXPECT_TRUE(label->text().isEmpty());
    Gui::CustomMessageEvent message(1, QStringLiteral("shown"));
    QApplication::sendEvent(window.get(), &message);
    EXPECT_EQ(label->text(), "shown");
}

TEST_F(DocumentCommands, HelpReferencesWithASchemeOpenAndViewStateChangesAreAnnounced)
{
    LinkCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("pmtest"), &catcher, "open");
    window->showDocumentation(QStringLiteral("Std_New"));
    window->showDocumentation(QStringLiteral("pmtest://help/page"));
    QWhatsThisClickedEvent clicked(QStringLiteral("pmtest://help/clicked"));
    QApplication::sendEvent(window.get(), &clicked);
    QDesktopServices::unsetUrlHandler(QStringLiteral("pmtest"));
    EXPECT_EQ(catcher.opened, (QList<QUrl>{QUrl("pmtest://help/page"), QUrl("pmtest://help/clicked")}));

    Obj::Project* p = project("States");
    auto* view = new Gui::MDIWindow(app->get_project(p), window.get());
    window->addWindow(view);
    QList<Gui::MDIWindow*> announced;
    QObject::connect(window.get(), &Gui::MainWindow::windowStateChanged, &catcher,
                     [&announced](Gui::MDIWindow* v) { announced << v; });
    QWindowStateChangeEvent unchanged(view->windowState());
    QApplication::sendEvent(view, &unchanged);
    EXPECT_TRUE(announced.isEmpty());
    QWindowStateChangeEvent changed(view->windowState() ^ Qt::WindowFullScreen);
    QApplication::sendEvent(view, &changed);
    EXPECT_EQ(announced, QList<Gui::MDIWindow*>{view});
}

#include "DocumentCommandsTest.moc"
