#include "ProjectFile.h"

#include "Application.h"
#include "GeometryObject.h"
#include "GroupCycles.h"
#include "PropertyCouple.h"
#include "ValueText.h"

#include <vexil/AtomicSave.h>
#include <vexil/MsgConsole.h>
#include <vexil/PercentCoding.h>

#include <QByteArray>
#include <QFile>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <istream>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <ostream>
#include <string_view>
#include <unordered_map>

namespace Obj {

namespace {

const char Magic[] = "PELMORA PROJECT FILE";

std::uint32_t crc32(std::string_view bytes)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char b : bytes)
        c = table[(c ^ static_cast<unsigned char>(b)) & 0xFFu] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::string hex8(std::uint32_t value)
{
    std::string out;
    for (int shift = 24; shift >= 0; shift -= 8)
        Vexil::appendHexByte(out, static_cast<unsigned char>(value >> shift));
    return out;
}

bool reserved(unsigned char byte)
{
    return byte == '%' || byte == '\t' || byte == '\n' || byte == '\r';
}

// Appends one record: the keyword, then each field escaped, then a line end.
class RecordWriter
{
public:
    explicit RecordWriter(std::string& target) : out(target) {}
    RecordWriter& begin(const char* keyword)
    {
        out += keyword;
        return *this;
    }
    RecordWriter& field(std::string_view text)
    {
        out += '\t';
        Vexil::percentEncodeTo(out, text, reserved);
        return *this;
    }
    void end() { out += '\n'; }
private:
    std::string& out;
};

struct PropertyRecord
{
    std::string name, type, value;
};

struct ObjectRecord
{
    unsigned int id = 0;
    std::string type, name;
    bool suppressed = false;
    bool hasModel = false;
    std::string model;
    std::vector<PropertyRecord> properties;
};

struct ProjectRecord
{
    std::string name;
    int kind = 1;
    std::string feederType;
    std::vector<PropertyRecord> properties;
    std::vector<ObjectRecord> objects;
};

struct Content
{
    std::string current;
    std::vector<ProjectRecord> projects;
};

void writeProperties(RecordWriter& w, const char* keyword, const PropertyContainer& container)
{
    for (const Property* p : container.get_properties()) {
        // Shapes are kept as model data; other kinds without a value text have nothing.
        if (p->is_inherited_from(PropertyAdvancedTopoData::getClassTypeId()))
            continue;
        w.begin(keyword).field(p->get_name()).field(p->getTypeId().get_name()).field(p->get_value_text()).end();
    }
}

void writeObject(RecordWriter& w, const ProjectObject& object)
{
    w.begin("object")
        .field(std::to_string(object.getObjectId()))
        .field(object.getTypeId().get_name())
        .field(object.get_name())
        .field(object.isSuppressed() ? "1" : "0")
        .end();
    if (const auto* geometry = dynamic_cast<const GeometryObject*>(&object)) {
        std::string surface;
        if (geometry->write_model_data(surface)) {
            const QByteArray encoded =
                QByteArray::fromRawData(surface.data(), static_cast<int>(surface.size())).toBase64();
            w.begin("model").field(std::string_view(encoded.constData(), static_cast<std::size_t>(encoded.size()))).end();
        }
    }
    writeProperties(w, "prop", object);
}

void writeProjectHeader(RecordWriter& w, const Project& project)
{
    w.begin("project")
        .field(project.get_name())
        .field(std::to_string(project.kind))
        .field(project.get_feeder_type_name() ? project.get_feeder_type_name() : "")
        .end();
    writeProperties(w, "pprop", project);
}

void openFile(std::string& out)
{
    out += Magic;
    out += '\n';
    RecordWriter(out).begin("version").field(std::to_string(ProjectFile::Version)).end();
}

void closeFile(std::string& out)
{
    const std::uint32_t sum = crc32(out);
    RecordWriter(out).begin("end").field(hex8(sum)).end();
}

// ---------------------------------------------------------------------------------------
// Reading

bool parseUnsigned(const std::string& text, unsigned int& out)
{
    if (text.empty() || text.size() > 10)
        return false;
    unsigned long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > std::numeric_limits<unsigned int>::max())
        return false;
    out = static_cast<unsigned int>(value);
    return true;
}

// Checks the frame (first line, version, closing line and checksum) and reads the
// records; throws ProjectFile::Error naming `source` when anything is wrong.
Content parse(std::string_view bytes, const std::string& source)
{
    using Error = ProjectFile::Error;
    const std::string magicLine = std::string(Magic) + '\n';
    if (bytes.substr(0, magicLine.size()) != magicLine)
        throw Error(source + " is not a Pelmora project file");

    // The closing line: "end", a tab, eight hex digits and a line end.
    const std::size_t endSize = 3 + 1 + 8 + 1;
    if (bytes.size() < magicLine.size() + endSize || bytes.back() != '\n'
        || bytes.substr(bytes.size() - endSize, 4) != "end\t")
        throw Error(source + " is incomplete: the file ends before its last record");
    const std::string_view body = bytes.substr(0, bytes.size() - endSize);
    if (!body.empty() && body.back() != '\n')
        throw Error(source + " is incomplete: the file ends before its last record");
    const std::string_view sumText = bytes.substr(bytes.size() - endSize + 4, 8);
    if (sumText != hex8(crc32(body)))
        throw Error(source + " is damaged: its contents do not match its checksum");

    Content content;
    std::size_t pos = magicLine.size();
    std::size_t lineNumber = 1;
    std::vector<std::string> fields;
    bool versionSeen = false;
    auto damaged = [&](const char* what) {
        return Error(source + " is damaged: " + what + " at line " + std::to_string(lineNumber));
    };
    while (pos < body.size()) {
        ++lineNumber;
        const std::size_t eol = body.find('\n', pos);
        const std::string_view line = body.substr(pos, eol - pos);
        pos = eol + 1;
        fields.clear();
        std::size_t start = 0;
        while (true) {
            const std::size_t tab = line.find('\t', start);
            std::string decoded;
            if (!Vexil::percentDecodeTo(decoded, line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start),
                                        Vexil::StrayPercent::Reject))
                throw damaged("a malformed field");
            fields.push_back(std::move(decoded));
            if (tab == std::string_view::npos)
                break;
            start = tab + 1;
        }
        const std::string& keyword = fields[0];
        if (!versionSeen) {
            unsigned int version = 0;
            if (keyword != "version" || fields.size() != 2 || !parseUnsigned(fields[1], version))
                throw damaged("no version");
            if (version > static_cast<unsigned int>(ProjectFile::Version) || version == 0)
                throw Error(source + " was written by a newer version of Pelmora (file version "
                            + fields[1] + ")");
            versionSeen = true;
            continue;
        }
        if (keyword == "current" && fields.size() == 2) {
            content.current = fields[1];
        } else if (keyword == "project" && fields.size() == 4) {
            ProjectRecord project;
            project.name = fields[1];
            unsigned int kind = 0;
            if (project.name.empty() || !parseUnsigned(fields[2], kind) || kind > 1000)
                throw damaged("a bad project record");
            project.kind = static_cast<int>(kind);
            project.feederType = fields[3];
            content.projects.push_back(std::move(project));
        } else if (keyword == "pprop" && fields.size() == 4 && !content.projects.empty()) {
            content.projects.back().properties.push_back({fields[1], fields[2], fields[3]});
        } else if (keyword == "object" && fields.size() == 5 && !content.projects.empty()) {
            ObjectRecord object;
            auto& objects = content.projects.back().objects;
            if (!parseUnsigned(fields[1], object.id) || object.id == 0
                || (!objects.empty() && objects.back().id >= object.id)
                || fields[2].empty() || (fields[4] != "0" && fields[4] != "1"))
                throw damaged("a bad object record");
            object.type = fields[2];
            object.name = fields[3];
            object.suppressed = fields[4] == "1";
            objects.push_back(std::move(object));
        } else if (keyword == "model" && fields.size() == 2 && !content.projects.empty()
                   && !content.projects.back().objects.empty()) {
            ObjectRecord& object = content.projects.back().objects.back();
            const QByteArray raw = QByteArray::fromRawData(fields[1].data(), static_cast<int>(fields[1].size()));
            const auto decoded = QByteArray::fromBase64Encoding(raw, QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded || object.hasModel)
                throw damaged("a bad model record");
            object.hasModel = true;
            object.model.assign(decoded.decoded.constData(), static_cast<std::size_t>(decoded.decoded.size()));
        } else if (keyword == "prop" && fields.size() == 4 && !content.projects.empty()
                   && !content.projects.back().objects.empty()) {
            content.projects.back().objects.back().properties.push_back({fields[1], fields[2], fields[3]});
        } else {
            throw damaged("an unknown record");
        }
    }
    if (!versionSeen)
        throw Error(source + " is damaged: it has no version");
    return content;
}

// A project whose view type the user interface cannot show could be neither seen nor
// closed there, so the file is refused before anything is created.
void checkViewTypes(const Content& content, const std::function<bool(const std::string&)>& known,
                    const std::string& source)
{
    if (!known)
        return;
    for (const ProjectRecord& project : content.projects) {
        if (!known(project.feederType))
            throw ProjectFile::Error(source + " holds the project " + project.name
                                     + " of a view type this build does not know: "
                                     + (project.feederType.empty() ? "(none)" : project.feederType));
    }
}

// Groups that contain themselves, directly or through other groups, have no place in the
// tree: the file is refused before anything is created.
void checkGroupCycles(const Content& content, const std::string& source)
{
    const Vexil::TypeInfo groupType = ProjectObjectGroup::getClassTypeId();
    const std::string listType = PropertyCoupleArray::getClassTypeId().get_name();
    for (const ProjectRecord& project : content.projects) {
        std::vector<GroupMembers> groups;
        for (const ObjectRecord& object : project.objects) {
            const Vexil::TypeInfo type = Vexil::TypeInfo::get_type_from_name(object.type.c_str());
            if (type.is_sick() || !type.is_inherited_from(groupType))
                continue;
            GroupMembers group{object.id, object.name, {}};
            for (const PropertyRecord& property : object.properties) {
                std::vector<std::string> entries;
                if (property.name != "Member" || property.type != listType
                    || !ValueText::parseList(property.value, entries))
                    continue;
                for (const std::string& entry : entries) {
                    unsigned int id = 0;
                    if (parseUnsigned(entry, id))
                        group.members.push_back(id);
                }
            }
            groups.push_back(std::move(group));
        }
        const std::vector<std::string> chain = findGroupCycle(groups);
        if (!chain.empty())
            throw ProjectFile::Error(source + " holds groups that contain each other: " + describeGroupCycle(chain));
    }
}

// Objects built and filled (surfaces read) before anything joins a project, so that a
// file that fails half-way leaves nothing behind.
std::vector<std::unique_ptr<ProjectObject>> buildObjects(const ProjectRecord& project, const std::string& source)
{
    std::vector<std::unique_ptr<ProjectObject>> built;
    built.reserve(project.objects.size());
    const Vexil::TypeInfo objectType = ProjectObject::getClassTypeId();
    for (const ObjectRecord& record : project.objects) {
        const Vexil::TypeInfo type = Vexil::TypeInfo::get_type_from_name(record.type.c_str());
        if (type.is_sick() || !type.is_inherited_from(objectType))
            throw ProjectFile::Error(source + " holds an object of an unknown type: " + record.type);
        std::unique_ptr<Vexil::RootClass> instance(Vexil::TypeInfo::build_instance_by_name(record.type.c_str()));
        auto* object = dynamic_cast<ProjectObject*>(instance.get());
        if (!object)
            throw ProjectFile::Error(source + " holds an object of an unknown type: " + record.type);
        instance.release();
        built.emplace_back(object);
        if (record.hasModel) {
            auto* geometry = dynamic_cast<GeometryObject*>(object);
            std::string error;
            if (!geometry || !geometry->read_model_data(record.model, error))
                throw ProjectFile::Error(source + " holds a surface that cannot be read ("
                                         + (geometry ? error : std::string("not a geometry object")) + ")");
        }
        if (record.suppressed)
            object->suppress();
    }
    return built;
}

// Where the links of the objects read should point: the project names and object ids
// written, and what they became.
struct LinkMap
{
    std::map<std::string, std::string> projectNames;
    // Per written project name: written id -> id now.  A project without an entry kept
    // its ids.
    std::map<std::string, std::unordered_map<unsigned int, unsigned int>> ids;

    bool mapped(const std::string& project, unsigned int& id) const
    {
        const auto it = ids.find(project);
        if (it == ids.end())
            return true;
        const auto found = it->second.find(id);
        if (found == it->second.end())
            return false;
        id = found->second;
        return true;
    }
};

// A link's value text rewritten for the names and ids the objects have now.
std::string relinked(const PropertyRecord& record, const std::string& writtenProject, const LinkMap& links)
{
    std::vector<std::string> entries;
    if (record.type == PropertyCouple::getClassTypeId().get_name()) {
        if (!ValueText::parseList(record.value, entries) || entries.size() < 2)
            return record.value;
        unsigned int id = 0;
        if (!parseUnsigned(entries[1], id))
            return record.value;
        const auto name = links.projectNames.find(entries[0]);
        if (name == links.projectNames.end() || !links.mapped(entries[0], id))
            return record.value;
        return ValueText::listText({name->second, std::to_string(id)});
    }
    if (record.type == PropertyCoupleArray::getClassTypeId().get_name()) {
        if (!ValueText::parseList(record.value, entries))
            return record.value;
        std::vector<std::string> kept;
        for (const std::string& entry : entries) {
            unsigned int id = 0;
            if (parseUnsigned(entry, id) && links.mapped(writtenProject, id))
                kept.push_back(std::to_string(id));
        }
        return ValueText::listText(kept);
    }
    return record.value;
}

void applyProperties(PropertyContainer& container, const std::vector<PropertyRecord>& records,
                     const std::string& writtenProject, const LinkMap& links, const std::string& owner)
{
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    for (const PropertyRecord& record : records) {
        Property* property = container.get_property_by_name(record.name.c_str());
        if (!property)
            property = container.add_property(record.type.c_str(), record.name.c_str());
        if (!property || record.type != property->getTypeId().get_name()) {
            console.Warning("Property '%s' of %s is not restored: its type %s is not known here\n",
                            record.name.c_str(), owner.c_str(), record.type.c_str());
            continue;
        }
        if (property->get_value_text() == record.value)
            continue;
        if (!property->set_value_text(relinked(record, writtenProject, links)))
            console.Warning("Property '%s' of %s keeps its value: '%s' is not valid\n",
                            record.name.c_str(), owner.c_str(), record.value.c_str());
    }
}

std::string readAll(const std::string& path)
{
    // Only a regular file: opening a named pipe would wait for a writer, and a device
    // such as /dev/zero never ends.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        throw ProjectFile::Error("Cannot read the project file " + path + ": it is not a regular file");
    QFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::ReadOnly))
        throw ProjectFile::Error("Cannot read the project file " + path + ": " + file.errorString().toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ProjectFile::Error("Cannot read the project file " + path + ": " + file.errorString().toStdString());
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

std::string ProjectFile::write(const std::vector<Project*>& projects, const Project* current)
{
    std::string out;
    openFile(out);
    RecordWriter w(out);
    if (current)
        w.begin("current").field(current->get_name()).end();
    for (const Project* project : projects) {
        if (!project)
            continue;
        writeProjectHeader(w, *project);
        project->objects.for_each([&w](ProjectObject* object) { writeObject(w, *object); });
    }
    closeFile(out);
    return out;
}

void ProjectFile::save(const std::string& path, const std::vector<Project*>& projects, const Project* current)
{
    if (path.empty())
        throw Error("No file name given for the project file");
    // A failure leaves the earlier file as it was.
    std::string error;
    if (!Vexil::saveFileAtomically(path, write(projects, current), error))
        throw Error("Cannot write the project file " + path + ": " + error);
}

bool ProjectFile::is_project_file(const std::string& path)
{
    QFile file(QFile::decodeName(path.c_str()));
    const QByteArray magicLine = QByteArray(Magic) + '\n';
    return file.open(QIODevice::ReadOnly) && file.read(magicLine.size()) == magicLine;
}

void ProjectFile::check(const Application& app, const std::string& path)
{
    const Content content = parse(readAll(path), path);
    checkViewTypes(content, app.viewTypeCheck, path);
    checkGroupCycles(content, path);
    for (const ProjectRecord& project : content.projects)
        buildObjects(project, path);
}

std::vector<Project*> ProjectFile::resume(Application& app, const std::string& path)
{
    const std::string bytes = readAll(path);
    const Content content = parse(bytes, path);
    checkViewTypes(content, app.viewTypeCheck, path);
    checkGroupCycles(content, path);

    std::vector<std::vector<std::unique_ptr<ProjectObject>>> built;
    built.reserve(content.projects.size());
    for (const ProjectRecord& project : content.projects)
        built.push_back(buildObjects(project, path));

    // From here on nothing can refuse the file.
    std::vector<Project*> result;
    LinkMap links;
    for (std::size_t i = 0; i < content.projects.size(); ++i) {
        const ProjectRecord& record = content.projects[i];
        auto project = std::make_unique<Project>();
        project->kind = record.kind;
        project->set_feeder_type_name(record.feederType);
        std::string label = record.name;
        for (const PropertyRecord& p : record.properties) {
            if (p.name == "Label")
                label = p.value;
        }
        Project* raw = app.adopt_project(std::move(project), record.name.c_str(), label.c_str());
        links.projectNames[record.name] = raw->get_name();
        for (std::size_t k = 0; k < built[i].size(); ++k) {
            // Objects keep their ids, so that the links among them hold.
            raw->nextObjectId = record.objects[k].id;
            raw->add_object(std::move(built[i][k]), record.objects[k].name.c_str());
        }
        result.push_back(raw);
    }
    for (std::size_t i = 0; i < content.projects.size(); ++i) {
        const ProjectRecord& record = content.projects[i];
        Project* project = result[i];
        applyProperties(*project, record.properties, record.name, links,
                        std::string("project ") + project->get_name());
        for (const ObjectRecord& written : record.objects) {
            if (ProjectObject* object = project->get_object(written.id))
                applyProperties(*object, written.properties, record.name, links,
                                std::string("object ") + object->get_name());
        }
        project->set_modified(false);
    }
    const auto current = links.projectNames.find(content.current);
    if (current != links.projectNames.end())
        app.set_current_project(current->second.c_str());
    return result;
}

void ProjectFile::export_objects(std::ostream& out, const Project& source,
                                 const std::vector<ProjectObject*>& objects)
{
    std::string bytes;
    openFile(bytes);
    RecordWriter w(bytes);
    writeProjectHeader(w, source);
    // Written in id order, as a project file lists them.
    std::map<unsigned int, const ProjectObject*> ordered;
    for (const ProjectObject* object : objects) {
        if (object && object->get_project() == &source)
            ordered.emplace(object->getObjectId(), object);
    }
    for (const auto& entry : ordered)
        writeObject(w, *entry.second);
    closeFile(bytes);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<ProjectObject*> ProjectFile::import_objects(std::istream& in, Project& target)
{
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const Content content = parse(bytes, "The copied data");
    checkGroupCycles(content, "The copied data");
    if (content.projects.empty())
        return {};
    const ProjectRecord& record = content.projects.front();
    std::vector<std::unique_ptr<ProjectObject>> built = buildObjects(record, "The copied data");

    LinkMap links;
    links.projectNames[record.name] = target.get_name();
    auto& ids = links.ids[record.name];
    std::vector<ProjectObject*> created;
    created.reserve(built.size());
    for (std::size_t i = 0; i < built.size(); ++i) {
        ProjectObject* object = target.add_object(std::move(built[i]), record.objects[i].name.c_str());
        created.push_back(object);
        if (object)
            ids[record.objects[i].id] = object->getObjectId();
    }
    for (std::size_t i = 0; i < created.size(); ++i) {
        if (created[i])
            applyProperties(*created[i], record.objects[i].properties, record.name, links,
                            std::string("object ") + created[i]->get_name());
    }
    return created;
}

} // namespace Obj
