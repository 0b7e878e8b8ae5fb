#include "Message.h"

#include <obj/GeometryObject.h>
#include <obj/LoadObject.h>
#include <obj/PropertyCouple.h>

#include <obj/Application.h>
#include <obj/Project.h>
#include <obj/ProjectFile.h>
#include <obj/ProjectObject.h>
#include <vexil/DocumentInfo.h>
#include <vexil/Exception.h>
#include <vexil/Parameter.h>
#include <vexil/UtilityBox.h>

#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <deque>
#include <limits>
#include <locale>
#include <map>
#include <sstream>

namespace pmMsg {

namespace {

std::mutex& journalMutex()
{
    static std::mutex m;
    return m;
}

// The most recent lines only: a long session would otherwise keep every line it ever sent.
struct JournalStore
{
    std::deque<std::string> lines;
    std::size_t capacity = Journal::DefaultCapacity;
};

JournalStore& journalStore()
{
    static JournalStore store;
    return store;
}

std::mutex& feederLookupMutex()
{
    static std::mutex mutex;
    return mutex;
}

FeederLookup& feederLookupSlot()
{
    static FeederLookup lookup;
    return lookup;
}

FeederLookup feederLookup()
{
    std::lock_guard<std::mutex> lock(feederLookupMutex());
    return feederLookupSlot();
}

Obj::Application& logic()
{
    if (!Obj::Application::_pcSingleton)
        throw Vexil::ExceptionHandler("The application logic is not running");
    return *Obj::Application::_pcSingleton;
}

Obj::Project& projectNamed(const std::string& name)
{
    Obj::Project* project = logic().get_project(name.c_str());
    if (!project)
        throw Vexil::ExceptionHandler("Unknown project '" + name + "'");
    return *project;
}

// A decimal object id; anything else is refused.
unsigned int parseId(const std::string& text)
{
    if (text.empty() || text.size() > 10)
        throw Vexil::ExceptionHandler("Invalid object id '" + text + "'");
    unsigned long long value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            throw Vexil::ExceptionHandler("Invalid object id '" + text + "'");
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > std::numeric_limits<unsigned int>::max())
        throw Vexil::ExceptionHandler("Invalid object id '" + text + "'");
    return static_cast<unsigned int>(value);
}

Obj::ProjectObject& objectOf(Obj::Project& project, unsigned int id)
{
    Obj::ProjectObject* object = project.get_object(id);
    if (!object) {
        throw Vexil::ExceptionHandler("Unknown object " + std::to_string(id) + " in project '"
                                      + project.get_name() + "'");
    }
    return *object;
}

void writeProperty(Obj::PropertyContainer& container, const std::string& owner,
                   const std::string& propertyName, const std::string& value)
{
    Obj::Property* property = container.get_property_by_name(propertyName.c_str());
    if (!property)
        throw Vexil::ExceptionHandler("Unknown property '" + propertyName + "' of " + owner);
    if (container.is_read_only(property))
        throw Vexil::ExceptionHandler("Property '" + propertyName + "' of " + owner + " is read-only");
    // A label that no project file could hold would make every later save fail.
    if (propertyName == "Label") {
        const std::string error = Obj::ProjectFile::label_error(value);
        if (!error.empty())
            throw Vexil::ExceptionHandler("The label of " + owner.substr(0, 200) + " was not changed: " + error);
    }
    if (!property->set_value_text(value)) {
        throw Vexil::ExceptionHandler("Invalid value '" + value + "' for property '" + propertyName
                                      + "' of " + owner);
    }
}

// Where the property name stands in a project-level property command: project name,
// property name, value; a four-text form carries an unused id before the name.
std::size_t projectPropertyNameIndex(const std::vector<std::string>& texts)
{
    return texts.size() >= 4 ? 2 : 1;
}

void setVisibility(const MessageData& record, bool visible)
{
    Obj::Project& project = projectNamed(record.text2);
    const unsigned int id = record.number ? record.number : parseId(record.text3);
    Obj::ProjectObject& object = objectOf(project, id);
    // The GUI shows or hides the object through its view feeder first: a feeder takes
    // a change of the object itself as an update, which can hide it but never show it
    // again.  The object's own flag then follows.
    if (const FeederLookup lookup = feederLookup())
        if (Obj::PropertyContainer* feeder = lookup(record.text2, &id))
            if (auto* shown = dynamic_cast<Obj::PropertyBoolean*>(feeder->get_property_by_name("Visibility")))
                shown->set_value(visible);
    if (auto* p = dynamic_cast<Obj::PropertyBoolean*>(object.get_property_by_name("Visibility")))
        p->set_value(visible);
}

void executeCommand(pmCommandType type, const std::vector<std::string>& texts)
{
    auto need = [&](std::size_t n) {
        if (texts.size() < n) {
            throw Vexil::ExceptionHandler("Command " + std::to_string(type) + " needs "
                                          + std::to_string(n) + " texts");
        }
    };
    switch (type) {
    case CMD_NEW_PROJECT: {
        const std::string label = (texts.empty() || texts[0].empty()) ? "Unnamed Project" : texts[0];
        logic().create_project(label.c_str(), label.c_str());
        break;
    }
    case CMD_CLOSE_PROJECT:
        need(1);
        projectNamed(texts[0]);
        logic().close_project(texts[0].c_str());
        break;
    case CMD_UPDATE_PROJECT: {
        Obj::Project* project = (texts.empty() || texts[0].empty())
            ? logic().get_current_project() : &projectNamed(texts[0]);
        if (!project)
            throw Vexil::ExceptionHandler("No project to update");
        project->refresh();
        break;
    }
    case CMD_SET_OBJECT_PROPERTY: {
        need(4);
        Obj::Project& project = projectNamed(texts[0]);
        Obj::ProjectObject& object = objectOf(project, parseId(texts[1]));
        writeProperty(object, std::string("object ") + object.get_name(), texts[2], texts[3]);
        break;
    }
    case CMD_SET_PROJECT_PROPERTY: {
        need(3);
        Obj::Project& project = projectNamed(texts[0]);
        const std::size_t name = projectPropertyNameIndex(texts);
        writeProperty(project, std::string("project ") + project.get_name(), texts[name], texts[name + 1]);
        break;
    }
    case CMD_CLEAR_SELECTION: {
        need(1);
        Obj::Project& project = projectNamed(texts[0]);
        logic().signal_clear_selection(project);
        break;
    }
    case CMD_SET_OBJECT_FEEDER_PROPERTY: {
        // Project name, object id, property name, value.
        need(4);
        const FeederLookup lookup = feederLookup();
        if (!lookup)
            break;
        Obj::Project& project = projectNamed(texts[0]);
        const unsigned int id = parseId(texts[1]);
        objectOf(project, id);
        Obj::PropertyContainer* feeder = lookup(texts[0], &id);
        if (!feeder)
            throw Vexil::ExceptionHandler("Object " + texts[1] + " of project '" + texts[0] + "' has no view feeder");
        writeProperty(*feeder, "the view feeder of object " + texts[1], texts[2], texts[3]);
        break;
    }
    case CMD_SET_PROJECT_FEEDER_PROPERTY: {
        need(3);
        const FeederLookup lookup = feederLookup();
        if (!lookup)
            break;
        projectNamed(texts[0]);
        Obj::PropertyContainer* feeder = lookup(texts[0], nullptr);
        if (!feeder)
            throw Vexil::ExceptionHandler("Project '" + texts[0] + "' has no view feeder");
        const std::size_t name = projectPropertyNameIndex(texts);
        writeProperty(*feeder, "the view feeder of project " + texts[0], texts[name], texts[name + 1]);
        break;
    }
    default:
        break;
    }
}

std::string joined(const std::vector<std::string>& texts)
{
    std::string line;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i)
            line += '|';
        line += texts[i];
    }
    return line;
}

// A tiny reader for the script-line forms the GUI emits.
class LineReader
{
public:
    explicit LineReader(const std::string& text) : s(text) {}

    bool atEnd() const { return pos >= s.size(); }
    void skipBlanks()
    {
        while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t'))
            ++pos;
    }
    bool take(const char* word)
    {
        const std::string w(word);
        if (s.compare(pos, w.size(), w) != 0)
            return false;
        pos += w.size();
        return true;
    }
    bool identifier(std::string& out)
    {
        const std::size_t start = pos;
        if (pos >= s.size() || !(std::isalpha(static_cast<unsigned char>(s[pos])) || s[pos] == '_'))
            return false;
        while (pos < s.size() && (std::isalnum(static_cast<unsigned char>(s[pos])) || s[pos] == '_'))
            ++pos;
        out = s.substr(start, pos - start);
        return true;
    }
    // A quoted string in either quote style, with the backslash escapes of
    // UtilityBox::escaped_char_from_utf8 undone.  Throws when it does not end.
    bool quoted(std::string& out)
    {
        if (pos >= s.size() || (s[pos] != '\'' && s[pos] != '"'))
            return false;
        const char quote = s[pos++];
        out.clear();
        while (pos < s.size()) {
            const char c = s[pos++];
            if (c == quote)
                return true;
            if (c == '\\') {
                if (pos >= s.size())
                    break;
                out += s[pos++];
            } else {
                out += c;
            }
        }
        throw Vexil::ExceptionHandler("Unterminated string in script line: " + s);
    }

private:
    const std::string& s;
    std::size_t pos = 0;
};


} // namespace

void Journal::append(const std::string& line)
{
    std::lock_guard<std::mutex> lock(journalMutex());
    JournalStore& store = journalStore();
    if (store.capacity == 0)
        return;
    if (store.lines.size() >= store.capacity)
        store.lines.pop_front();
    store.lines.push_back(line);
}

std::vector<std::string> Journal::lines()
{
    std::lock_guard<std::mutex> lock(journalMutex());
    const auto& kept = journalStore().lines;
    return std::vector<std::string>(kept.begin(), kept.end());
}

void Journal::clear()
{
    std::lock_guard<std::mutex> lock(journalMutex());
    journalStore().lines.clear();
}

std::size_t Journal::capacity()
{
    std::lock_guard<std::mutex> lock(journalMutex());
    return journalStore().capacity;
}

void Journal::set_capacity(std::size_t lines)
{
    std::lock_guard<std::mutex> lock(journalMutex());
    JournalStore& store = journalStore();
    store.capacity = lines;
    while (store.lines.size() > lines)
        store.lines.pop_front();
}

void setFeederLookup(FeederLookup lookup)
{
    std::lock_guard<std::mutex> lock(feederLookupMutex());
    feederLookupSlot() = std::move(lookup);
}

void doCommand(const MessageData& record)
{
    std::string ids;
    for (std::size_t i = 0; i < record.ids.size(); ++i) {
        if (i)
            ids += ',';
        ids += std::to_string(record.ids[i]);
    }
    Journal::append("doCommand " + std::to_string(record.code) + " text1=" + record.text1
                    + " text2=" + record.text2 + " text3=" + record.text3
                    + " number=" + std::to_string(record.number) + " text4=" + record.text4
                    + " text5=" + record.text5 + " text6=" + record.text6
                    + " real=" + Vexil::UtilityBox::exact_number_text(record.real) + " ids=" + ids);

    switch (record.code) {
    case REC_DELETE: {
        Obj::Project& project = projectNamed(record.text2);
        const unsigned int id = record.number ? record.number : parseId(record.text3);
        objectOf(project, id);
        project.remove_object(id);
        break;
    }
    case REC_SELECT:
    case REC_DESELECT: {
        Obj::Project& project = projectNamed(record.text2);
        const unsigned int id = record.number ? record.number : parseId(record.text3);
        Obj::ProjectObject& object = objectOf(project, id);
        if (record.code == REC_SELECT)
            logic().signal_select_object(object);
        else
            logic().signal_deselect_object(object);
        break;
    }
    case REC_HIDE:
        setVisibility(record, false);
        break;
    case REC_SHOW:
        setVisibility(record, true);
        break;
    default:
        // Imports and exports: the file formats live elsewhere; the journal is what
        // callers check.
        break;
    }
}

void runCommand(pmCommandType type, const char* text)
{
    const std::string t = text ? text : "";
    Journal::append("runCommand " + std::to_string(type) + " " + t);
    executeCommand(type, {t});
}

void runCommand(pmCommandType type, int count, const std::vector<std::string>& texts)
{
    std::vector<std::string> used(texts.begin(),
        texts.begin() + std::min<std::size_t>(texts.size(), count > 0 ? static_cast<std::size_t>(count) : 0));
    Journal::append("runCommand " + std::to_string(type) + " " + joined(used));
    executeCommand(type, used);
}

struct InterpreterSingleton::Private
{
    std::mutex mutex;
    std::map<std::string, GuiHandler> handlers;
};

InterpreterSingleton* InterpreterSingleton::_instance = nullptr;

InterpreterSingleton::InterpreterSingleton()
    : d(new Private)
{
}

InterpreterSingleton& InterpreterSingleton::Instance()
{
    if (!_instance)
        _instance = new InterpreterSingleton;
    return *_instance;
}

void InterpreterSingleton::Destruct()
{
    if (_instance) {
        delete _instance->d;
        delete _instance;
        _instance = nullptr;
    }
}

void InterpreterSingleton::setGuiHandler(const std::string& function, GuiHandler handler)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    if (handler)
        d->handlers[function] = std::move(handler);
    else
        d->handlers.erase(function);
}

void InterpreterSingleton::clearGuiHandlers()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->handlers.clear();
}

std::string InterpreterSingleton::runString(const char* script)
{
    Journal::append(std::string("runString ") + (script ? script : ""));
    const std::string line = Vexil::UtilityBox::trimmed(script ? script : "");
    const auto unsupported = [&line]() {
        return Vexil::ExceptionHandler("Unsupported script line: " + line);
    };

    LineReader in(line);
    std::string word;
    std::string argument;

    // App.close_project('name')
    if (in.take("App.close_project(")) {
        in.skipBlanks();
        if (!in.quoted(argument))
            throw unsupported();
        in.skipBlanks();
        if (!in.take(")") || !in.atEnd())
            throw unsupported();
        return logic().close_project(argument.c_str()) ? "True" : "False";
    }

    // App.get_project('name').get_object('id').removeObjectsFromDocument(): the members of
    // a group leave the project; the group stays.
    if (in.take("App.get_project(")) {
        std::string objectId;
        in.skipBlanks();
        if (!in.quoted(argument))
            throw unsupported();
        in.skipBlanks();
        // App.get_project('name').add_load('geometry id'): a load on that object; the
        // result is the new object's id.
        if (in.take(").add_load(")) {
            in.skipBlanks();
            if (!in.quoted(objectId))
                throw unsupported();
            in.skipBlanks();
            if (!in.take(")") || !in.atEnd())
                throw unsupported();
            Obj::Project& project = projectNamed(argument);
            Obj::ProjectObject& geometry = objectOf(project, parseId(objectId));
            auto* load = static_cast<Obj::LoadObject*>(project.add_object("Obj::LoadObject", "Force"));
            if (!load)
                throw Vexil::ExceptionHandler("Cannot add a load");
            load->Geometry->set_value(&geometry);
            return std::to_string(load->getObjectId());
        }
        if (!in.take(").get_object("))
            throw unsupported();
        in.skipBlanks();
        if (!in.quoted(objectId))
            throw unsupported();
        in.skipBlanks();
        if (!in.take(").removeObjectsFromDocument()") || !in.atEnd())
            throw unsupported();
        Obj::Project& project = projectNamed(argument);
        auto* group = dynamic_cast<Obj::ProjectObjectGroup*>(&objectOf(project, parseId(objectId)));
        if (!group)
            throw Vexil::ExceptionHandler("Object " + objectId + " is no group");
        std::vector<unsigned int> members;
        for (const Obj::ProjectObject* member : group->get_objects())
            members.push_back(member->getObjectId());
        for (unsigned int id : members)
            project.remove_object(id);
        return {};
    }

    // Gui.<function>('argument')
    if (in.take("Gui.")) {
        if (!in.identifier(word) || word != "activate_simmodule" || !in.take("("))
            throw unsupported();
        in.skipBlanks();
        if (!in.quoted(argument))
            throw unsupported();
        in.skipBlanks();
        if (!in.take(")") || !in.atEnd())
            throw unsupported();
        GuiHandler handler;
        {
            std::lock_guard<std::mutex> lock(d->mutex);
            const auto it = d->handlers.find(word);
            if (it != d->handlers.end())
                handler = it->second;
        }
        if (!handler)
            throw Vexil::ExceptionHandler("No user interface to run Gui." + word);
        handler(argument);
        return {};
    }

    // import module
    if (in.take("import") && !in.atEnd() && (line[6] == ' ' || line[6] == '\t')) {
        in.skipBlanks();
        if (!in.identifier(word) || !in.atEnd())
            throw unsupported();
        return {};
    }

    // module.open(u"path")
    LineReader open(line);
    if (open.identifier(word) && open.take(".open(")) {
        open.skipBlanks();
        open.take("u");
        if (!open.quoted(argument))
            throw unsupported();
        open.skipBlanks();
        if (!open.take(")") || !open.atEnd())
            throw unsupported();
        if (Obj::GeometryObject::is_model_file(argument)) {
            logic().open_model_file(argument);
            return {};
        }
        // A project file adds its projects; a refused one is reported by the logic.
        if (Vexil::DocumentInfo(argument).has_extension("pmdb"))
            return logic().resume_from_file(1, argument.c_str()) ? "True" : "False";
        const QFileInfo info(QString::fromUtf8(argument.c_str()));
        if (!info.isFile())
            throw Vexil::ExceptionHandler("Cannot open file " + argument);
        const std::string label = info.completeBaseName().toStdString();
        logic().create_project(label.c_str(), label.c_str());
        return {};
    }

    throw unsupported();
}

void InterpreterSingleton::initFemEnv()
{
    Journal::append("initFemEnv");
    if (Obj::Application::mConfig.count("FemEnvFails"))
        throw Vexil::ExceptionHandler("FEM environment not available");
    if (femEnvHook) {
        femEnvHook();
        return;
    }
    std::string module;
    if (Obj::Application::_pcSingleton) {
        auto group = Obj::Application::_pcSingleton->get_preference_group_by_path(
            "User parameter:BaseApp/Preferences/General");
        if (group)
            module = group->get_ASCII_string("AutoloadModule", "");
    }
    if (module.empty()) {
        const auto it = Obj::Application::mConfig.find("StartWorkbench");
        if (it != Obj::Application::mConfig.end())
            module = it->second;
    }
    const std::string line = "Gui.activate_simmodule('"
        + Vexil::UtilityBox::escaped_char_from_utf8(module.c_str()) + "')";
    runString(line.c_str());
    // Without files to open, the environment starts with an empty project to work in.
    Obj::Application* logic = Obj::Application::_pcSingleton;
    if (logic && logic->get_projects().empty() && logic->getCmdLineFiles().empty())
        runCommand(CMD_NEW_PROJECT, 1, {"Unnamed Project"});
}

void InterpreterSingleton::updateOCCTargetUnit()
{
    Journal::append("updateOCCTargetUnit");
}

} // namespace pmMsg
