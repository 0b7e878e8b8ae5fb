#pragma once
// The message proxy: numbered records and commands to the application logic, and the
// script interpreter.  Everything sent is kept in a journal that tests read.

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace Obj { class PropertyContainer; }

namespace pmMsg {

// Record handed to the application logic by doCommand.
struct MessageData
{
    unsigned int code = 0;
    std::string text1;
    std::string text2;       // project name
    std::string text3;
    unsigned int number = 0; // object id or option
    std::string text4;
    std::string text5;
    std::string text6;
    double real = 0.0;
    std::vector<unsigned int> ids;
    std::vector<std::string> texts;
    std::vector<double> values;
};

enum pmCommandType : unsigned int {
    CMD_CLEAR_SELECTION = 6,
    CMD_UPDATE_PROJECT = 20,
    CMD_NEW_PROJECT = 21,
    CMD_CLOSE_PROJECT = 22,
    CMD_SET_OBJECT_PROPERTY = 41,
    CMD_SET_OBJECT_FEEDER_PROPERTY = 42,
    CMD_SET_PROJECT_PROPERTY = 43,
    CMD_SET_PROJECT_FEEDER_PROPERTY = 44
};

// Record codes.
enum RecordCode : unsigned int {
    REC_IMPORT = 2,
    REC_DELETE = 3,
    REC_DESELECT = 4,
    REC_SELECT = 5,
    REC_HIDE = 12,
    REC_SHOW = 13,
    REC_EXPORT = 23,
    REC_IMPORT_GEOMETRY_OPTION = 2001
};

// Throws Vexil::ExceptionHandler when the logic cannot carry the record out.
// Commands 42 and 44 write a property of a view feeder, which the GUI owns: the GUI tells
// how to find the feeder of an object (`objectId` given) or of a project (`objectId`
// null); it returns null when there is none.  Without a lookup the commands only reach
// the journal.
using FeederLookup = std::function<Obj::PropertyContainer*(const std::string& projectName, const unsigned int* objectId)>;
void setFeederLookup(FeederLookup lookup);

void doCommand(const MessageData& record);
void runCommand(pmCommandType type, const char* text);
void runCommand(pmCommandType type, int count, const std::vector<std::string>& texts);

// One journal line per call, written before the call is carried out (so a call that
// fails is journaled too).  Thread-safe.  The lines:
//   doCommand <code> text1=<t1> text2=<t2> text3=<t3> number=<n> text4=<t4> text5=<t5>
//             text6=<t6> real=<r> ids=<a,b,...>        (one line; real in the C locale,
//                                                       shortest form that reads back)
//   runCommand <code> <t1>|<t2>|...                     (the first `count` texts)
//   runString <script>                                  (the script as passed)
//   initFemEnv, updateOCCTargetUnit
// Only the most recent `capacity()` lines are kept (oldest dropped first); a capacity of
// zero keeps none.
struct Journal
{
    static constexpr std::size_t DefaultCapacity = 10000;
    static void append(const std::string& line);
    static std::vector<std::string> lines();
    static void clear();
    static std::size_t capacity();
    static void set_capacity(std::size_t lines);
};

class InterpreterSingleton
{
public:
    static InterpreterSingleton& Instance();
    static void Destruct();

    // Runs one script line; returns its result text.  Accepted forms:
    //   App.close_project('name')
    //   Gui.activate_simmodule('name')  or  Gui.activate_simmodule("name")
    //   import module
    //   module.open(u"path")          (a ".pmdb" project file is resumed)
    // Anything else throws Vexil::ExceptionHandler.
    std::string runString(const char* script);
    // Prepares the finite-element environment: activates the start module through the
    // GUI hook, then starts an empty project (command 21) when there is none and the
    // command line names no files.
    void initFemEnv();
    void updateOCCTargetUnit();

    // Where "Gui." lines go: the GUI registers a handler for each function it offers.
    using GuiHandler = std::function<void(const std::string& argument)>;
    void setGuiHandler(const std::string& function, GuiHandler handler);
    void clearGuiHandlers();
    // What initFemEnv activates; by default the configuration's "StartWorkbench".
    std::function<void()> femEnvHook;

private:
    InterpreterSingleton();
    struct Private;
    Private* d;
    static InterpreterSingleton* _instance;
};

} // namespace pmMsg
