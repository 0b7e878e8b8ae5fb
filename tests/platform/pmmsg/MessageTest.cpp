// The message proxy stand-in: commands and records really change the logic, in the
// order the GUI relies on; the interpreter takes exactly the GUI's script forms; every
// call is journaled.

#include "support/TestEnvironment.h"

#include <obj/Application.h>
#include <pmmsg/Message.h>
#include <vexil/Exception.h>
#include <vexil/UtilityBox.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using PelmoraTest::ScopedLogic;
using pmMsg::Journal;

namespace {

using Events = std::vector<std::string>;

struct Recorder
{
    Events events;
    void add(const char* what, const std::string& key) { events.push_back(std::string(what) + ":" + key); }
    void watch(Obj::Application& app)
    {
        app.signal_new_project.connect([this](const Obj::Project& p) { add("new", p.get_name()); });
        app.signal_remove_project.connect([this](const Obj::Project& p) { add("remove", p.get_name()); });
        app.signal_current_project.connect([this](const Obj::Project& p) { add("current", p.get_name()); });
        app.signal_relabel_project.connect([this](const Obj::Project& p) { add("relabel", p.getProjectName()); });
        app.signal_object_removed.connect([this](const Obj::ProjectObject& o) { add("app-removed", o.get_name()); });
        app.signal_object_renamed.connect([this](const Obj::ProjectObject& o) { add("app-renamed", o.get_label()); });
    }
    void watch(Obj::Project& p)
    {
        p.signal_remove_object.connect([this](const Obj::ProjectObject& o) { add("remove-object", o.get_name()); });
        p.signal_change_object.connect([this](const Obj::ProjectObject& o, const Obj::Property& prop) {
            add("change", std::string(o.get_name()) + "." + prop.get_name() + "=" + prop.get_value_text());
        });
        p.signal_rename_object.connect([this](const Obj::ProjectObject& o) { add("rename-object", o.get_label()); });
        p.signal_refresh.connect([this](const Obj::Project& pr) { add("refresh", pr.get_name()); });
    }
};

std::string messageOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Vexil::ExceptionHandler& e) {
        return e.what();
    }
    return "<no exception>";
}

pmMsg::MessageData record(unsigned code, const std::string& project, unsigned number, const std::string& text3 = {})
{
    pmMsg::MessageData r;
    r.code = code;
    r.text2 = project;
    r.number = number;
    r.text3 = text3;
    return r;
}

} // namespace

TEST(PmMsgCommands, NewAndCloseProjectSignalsInOrder)
{
    Recorder rec;
    ScopedLogic logic;
    Obj::Application& app = logic.app();
    rec.watch(app);

    pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
    pmMsg::runCommand(pmMsg::CMD_NEW_PROJECT, 1, {"Unnamed Project"});
    ASSERT_NE(nullptr, app.get_project("Unnamed_Project001"));
    EXPECT_STREQ("Unnamed Project", app.get_project("Unnamed_Project")->getProjectName());
    EXPECT_EQ(app.get_project("Unnamed_Project001"), app.get_current_project());

    pmMsg::runCommand(pmMsg::CMD_CLOSE_PROJECT, "Unnamed_Project001");
    EXPECT_EQ((Events{"new:Unnamed_Project", "current:Unnamed_Project", "new:Unnamed_Project001",
                      "current:Unnamed_Project001", "remove:Unnamed_Project001", "current:Unnamed_Project"}),
              rec.events);
    EXPECT_EQ(nullptr, app.get_project("Unnamed_Project001"));

    rec.events.clear();
    EXPECT_EQ("Unknown project 'Ghost'",
              messageOf([] { pmMsg::runCommand(pmMsg::CMD_CLOSE_PROJECT, "Ghost"); }));
    EXPECT_TRUE(rec.events.empty());
    EXPECT_EQ("runCommand 22 Ghost", Journal::lines().back());   // journaled before it failed

    pmMsg::runCommand(pmMsg::CMD_UPDATE_PROJECT, "Unnamed_Project");
    pmMsg::runCommand(pmMsg::CMD_CLEAR_SELECTION, "Unnamed_Project");
    EXPECT_TRUE(rec.events.empty());   // project signals were not watched: nothing else moved
}

TEST(PmMsgCommands, RefreshAndPropertyWrites)
{
    Recorder rec;
    ScopedLogic logic;
    Obj::Project* p = logic.app().create_project("P");
    Obj::ProjectObject* o = p->add_object("Obj::AnnotationFiducial", "F");
    rec.watch(logic.app());
    rec.watch(*p);
    const std::string id = std::to_string(o->getObjectId());

    pmMsg::runCommand(pmMsg::CMD_UPDATE_PROJECT, "P");
    pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_PROPERTY, 4, {"P", id, "Label", "Tip"});
    pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_PROPERTY, 4, {"P", id, "Visibility", "False"});
    pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_FEEDER_PROPERTY, 4, {"P", id, "Color", "red"});
    pmMsg::runCommand(pmMsg::CMD_SET_PROJECT_PROPERTY, 3, {"P", "Label", "Shown"});
    pmMsg::runCommand(pmMsg::CMD_SET_PROJECT_FEEDER_PROPERTY, 3, {"P", "Background", "1"});
    EXPECT_EQ((Events{"refresh:P", "change:F.Label=Tip", "rename-object:Tip", "app-renamed:Tip",
                      "change:F.Visibility=False", "relabel:Shown"}),
              rec.events);
    EXPECT_STREQ("Tip", o->get_label());
    EXPECT_STREQ("Shown", p->getProjectName());
    pmMsg::runCommand(pmMsg::CMD_SET_PROJECT_PROPERTY, 4, {"P", "0", "Label", "Four"});
    EXPECT_STREQ("Four", p->getProjectName());
    EXPECT_EQ("runCommand 41 P|" + id + "|Label|Tip", Journal::lines()[1]);

    rec.events.clear();
    EXPECT_NE("<no exception>", messageOf([&] {
        pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_PROPERTY, 4, {"P", id, "Visibility", "perhaps"});
    }));
    EXPECT_EQ("Unknown property 'Nope' of object F", messageOf([&] {
        pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_PROPERTY, 4, {"P", id, "Nope", "1"});
    }));
    EXPECT_EQ("Unknown object 999 in project 'P'", messageOf([] {
        pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_PROPERTY, 4, {"P", "999", "Label", "x"});
    }));
    EXPECT_NE("<no exception>", messageOf([] {
        pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_PROPERTY, 4, {"P", "1x", "Label", "x"});
    }));
    EXPECT_NE("<no exception>", messageOf([] {
        pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_PROPERTY, 2, {"P", "1", "Label", "x"});   // count cuts
    }));
    o->get_property_by_name("Label")->set_read_only(true);
    EXPECT_NE("<no exception>", messageOf([&] {
        pmMsg::runCommand(pmMsg::CMD_SET_OBJECT_PROPERTY, 4, {"P", id, "Label", "x"});
    }));
    EXPECT_TRUE(rec.events.empty());
    EXPECT_STREQ("Tip", o->get_label());
}

TEST(PmMsgRecords, DeleteHideShowAndJournal)
{
    Recorder rec;
    ScopedLogic logic;
    Obj::Project* p = logic.app().create_project("P");
    Obj::ProjectObject* a = p->add_object("Obj::AnnotationRuler", "A");
    Obj::ProjectObject* b = p->add_object("Obj::AnnotationROI", "B");
    const unsigned idA = a->getObjectId(), idB = b->getObjectId();
    rec.watch(logic.app());
    rec.watch(*p);

    pmMsg::doCommand(record(pmMsg::REC_HIDE, "P", idA));
    pmMsg::doCommand(record(pmMsg::REC_SHOW, "P", 0, std::to_string(idA)));
    pmMsg::doCommand(record(pmMsg::REC_DELETE, "P", idA));
    pmMsg::doCommand(record(pmMsg::REC_DELETE, "P", 0, std::to_string(idB)));
    EXPECT_EQ((Events{"change:A.Visibility=False", "change:A.Visibility=True", "remove-object:A",
                      "app-removed:A", "remove-object:B", "app-removed:B"}),
              rec.events);
    EXPECT_EQ(0u, p->get_num_objects());

    EXPECT_EQ("Unknown object " + std::to_string(idA) + " in project 'P'",
              messageOf([&] { pmMsg::doCommand(record(pmMsg::REC_DELETE, "P", idA)); }));
    EXPECT_EQ("Unknown project 'Q'", messageOf([] { pmMsg::doCommand(record(pmMsg::REC_DELETE, "Q", 1)); }));
    EXPECT_EQ("Invalid object id 'one'",
              messageOf([] { pmMsg::doCommand(record(pmMsg::REC_DELETE, "P", 0, "one")); }));

    Journal::clear();
    pmMsg::MessageData exportRecord;
    exportRecord.code = pmMsg::REC_EXPORT;
    exportRecord.text1 = "/tmp/out.step";
    exportRecord.text2 = "P";
    exportRecord.text3 = "STEP";
    exportRecord.real = 0.1;
    exportRecord.ids = {4, 7};
    pmMsg::doCommand(exportRecord);
    pmMsg::doCommand(record(777, "", 0));   // unknown codes only leave their line
    pmMsg::InterpreterSingleton::Instance().updateOCCTargetUnit();
    EXPECT_EQ((Events{"doCommand 23 text1=/tmp/out.step text2=P text3=STEP number=0 text4= text5= "
                      "text6= real=0.1 ids=4,7",
                      "doCommand 777 text1= text2= text3= number=0 text4= text5= text6= real=0 ids=",
                      "updateOCCTargetUnit"}),
              Journal::lines());
}

TEST(PmMsgJournal, FourThreadsKeepEveryLineInOrder)
{
    Journal::clear();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 2000; ++i)
                Journal::append(std::to_string(t) + ":" + std::to_string(i));
        });
    }
    for (auto& th : threads)
        th.join();
    const auto lines = Journal::lines();
    ASSERT_EQ(8000u, lines.size());
    int next[4] = {0, 0, 0, 0};
    for (const auto& line : lines) {
        const int t = line[0] - '0';
        ASSERT_EQ(std::to_string(t) + ":" + std::to_string(next[t]), line);
        ++next[t];
    }
    Journal::clear();
}

TEST(PmMsgJournal, KeepsOnlyTheMostRecentLines)
{
    Journal::clear();
    EXPECT_EQ(Journal::DefaultCapacity, Journal::capacity());
    // A long session: far more lines than are kept.
    for (std::size_t i = 0; i < 3 * Journal::DefaultCapacity; ++i)
        Journal::append("line " + std::to_string(i));
    auto lines = Journal::lines();
    ASSERT_EQ(Journal::DefaultCapacity, lines.size());
    EXPECT_EQ("line " + std::to_string(2 * Journal::DefaultCapacity), lines.front());
    EXPECT_EQ("line " + std::to_string(3 * Journal::DefaultCapacity - 1), lines.back());

    // Shrinking drops the oldest; zero keeps nothing.
    Journal::set_capacity(2);
    EXPECT_EQ((std::vector<std::string>{"line " + std::to_string(3 * Journal::DefaultCapacity - 2),
                                        "line " + std::to_string(3 * Journal::DefaultCapacity - 1)}),
              Journal::lines());
    Journal::set_capacity(0);
    Journal::append("dropped");
    EXPECT_TRUE(Journal::lines().empty());
    Journal::set_capacity(Journal::DefaultCapacity);
    Journal::append("kept");
    EXPECT_EQ(std::vector<std::string>{"kept"}, Journal::lines());
    Journal::clear();
}

TEST(PmMsgInterpreter, AcceptedLines)
{
    ScopedLogic logic;
    auto& interp = pmMsg::InterpreterSingleton::Instance();
    std::vector<std::string> activated;
    interp.setGuiHandler("activate_simmodule", [&](const std::string& name) { activated.push_back(name); });

    EXPECT_EQ("", interp.runString("Gui.activate_simmodule('FemWorkbench')"));
    EXPECT_EQ("", interp.runString("  Gui.activate_simmodule(\"Mat Workbench\")  \n"));
    EXPECT_EQ("", interp.runString("Gui.activate_simmodule('it\\'s')"));
    EXPECT_EQ((std::vector<std::string>{"FemWorkbench", "Mat Workbench", "it's"}), activated);
    EXPECT_EQ("", interp.runString("import Import"));

    logic.app().create_project("Doomed");
    interp.runString("App.close_project('Doomed')");
    EXPECT_EQ(nullptr, logic.app().get_project("Doomed"));

    QTemporaryDir dir(PelmoraTest::homeDir() + "/open-XXXXXX");
    const QString file = dir.path() + "/it's \"quoted\".step";
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const std::string escaped = Vexil::UtilityBox::escaped_char_from_utf8(file.toUtf8().constData());
    const std::string line = "Import.open(u\"" + escaped + "\")";
    interp.runString(line.c_str());
    ASSERT_NE(nullptr, logic.app().get_current_project());
    EXPECT_STREQ("it's \"quoted\"", logic.app().get_current_project()->getProjectName());
    EXPECT_EQ("runString " + line, Journal::lines().back());

    const std::string missing = "Import.open(u\"" + dir.path().toStdString() + "/none.step\")";
    EXPECT_EQ("Cannot open file " + dir.path().toStdString() + "/none.step",
              messageOf([&] { interp.runString(missing.c_str()); }));
}

TEST(PmMsgInterpreter, RefusedLines)
{
    ScopedLogic logic;
    auto& interp = pmMsg::InterpreterSingleton::Instance();
    EXPECT_EQ("No user interface to run Gui.activate_simmodule",
              messageOf([&] { interp.runString("Gui.activate_simmodule('X')"); }));
    interp.setGuiHandler("activate_simmodule", [](const std::string&) {});
    for (const char* bad : {"Gui.activate_simmodule('X\")", "Gui.activate_simmodule('X)",
                            "App.close_project(\"X')"}) {
        EXPECT_EQ(std::string("Unterminated string in script line: ") + bad,
                  messageOf([&] { interp.runString(bad); }));
    }
    for (const char* bad : {"print('x')", "Gui.activate_simmodule('X') extra", "Gui.other('X')",
                            "Gui.activate_simmodule(X)", "import", "import a b", "importer",
                            "App.close_project('A', 'B')", "Import.open(u\"x\"", ""}) {
        EXPECT_EQ(std::string("Unsupported script line: ") + bad, messageOf([&] { interp.runString(bad); }))
            << bad;
    }
    EXPECT_EQ("runString importer", Journal::lines()[Journal::lines().size() - 4]);
}

TEST(PmMsgInterpreter, InitFemEnvChoosesTheStartModule)
{
    auto& interp = pmMsg::InterpreterSingleton::Instance();
    {
        ScopedLogic logic(std::map<std::string, std::string>{{"StartWorkbench", "FemWorkbench"}});
        std::vector<std::string> activated;
        interp.setGuiHandler("activate_simmodule", [&](const std::string& name) { activated.push_back(name); });
        interp.initFemEnv();
        logic.app().get_preference_group_by_path("User parameter:BaseApp/Preferences/General")
            ->set_ASCII_string("AutoloadModule", "MatWorkbench");
        interp.initFemEnv();
        EXPECT_EQ((std::vector<std::string>{"FemWorkbench", "MatWorkbench"}), activated);
        EXPECT_EQ((Events{"initFemEnv", "runString Gui.activate_simmodule('FemWorkbench')",
                          "runCommand 21 Unnamed Project", "initFemEnv",
                          "runString Gui.activate_simmodule('MatWorkbench')"}),
                  Journal::lines());
        EXPECT_EQ(1u, logic.app().get_projects().size());

        int hookCalls = 0;
        interp.femEnvHook = [&] { ++hookCalls; };
        interp.initFemEnv();
        interp.femEnvHook = nullptr;
        EXPECT_EQ(1, hookCalls);
        EXPECT_EQ(2u, activated.size());

        interp.clearGuiHandlers();
        EXPECT_THROW(interp.initFemEnv(), Vexil::ExceptionHandler);
    }
    ScopedLogic failing(std::map<std::string, std::string>{{"FemEnvFails", ""}, {"StartWorkbench", "FemWorkbench"}});
    bool called = false;
    interp.setGuiHandler("activate_simmodule", [&](const std::string&) { called = true; });
    EXPECT_EQ("FEM environment not available", messageOf([&] { interp.initFemEnv(); }));
    EXPECT_FALSE(called);
    EXPECT_EQ(Events{"initFemEnv"}, Journal::lines());
}
