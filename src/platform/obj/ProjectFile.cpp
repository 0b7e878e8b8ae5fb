#include "ProjectFile.h"
#include "PropertyStringList.h"
#include "PropertyPath.h"
#include "ProjectFileLimits.h"

#include "Application.h"
#include "GeometryObject.h"
#include "GroupCycles.h"
#include "PropertyCouple.h"
#include "PropertyQuantity.h"
#include "ValueText.h"

#include <counted/CountedSteps.h>

#include <vexil/AddressSpace.h>
#include <vexil/AtomicSave.h>
#include <vexil/MsgConsole.h>
#include <vexil/PercentCoding.h>
#include <vexil/PrintableText.h>

#include <QByteArray>
#include <QFile>

#include <vtkPoints.h>
#include <vtkPolyData.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
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
#include <unordered_set>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace Obj {

namespace {

const char Magic[] = "PELMORA PROJECT FILE";
// The project record that names the length unit of the project's placements and scene.
// Written as a string property, so that a reader that does not know it keeps it as one.
const char LengthUnitRecord[] = "Length Unit";

// CRC-32 of `bytes` continued from `c`, the CRC-32 of the bytes before them (0 for none).
std::uint32_t crcUpdate(std::uint32_t c, std::string_view bytes)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t v = i;
            for (int k = 0; k < 8; ++k)
                v = (v & 1u) ? 0xEDB88320u ^ (v >> 1) : v >> 1;
            t[i] = v;
        }
        return t;
    }();
    c ^= 0xFFFFFFFFu;
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

// An object's or a project's property records: each record reached is counted.
using PropertyRecords = Counted::Vector<PropertyRecord, &ProjectFile::recordSteps>;
// What the reader keeps of each object, each project, each place: every one reached is
// counted into the same count as the property records.
template <class T>
using Records = Counted::Vector<T, &ProjectFile::recordSteps>;
template <class Key, class T>
using RecordMap = Counted::Map<Key, T, &ProjectFile::recordSteps>;
template <class Key, class T>
using RecordHashMap = Counted::HashMap<Key, T, &ProjectFile::recordSteps>;

struct ObjectRecord
{
    unsigned int id = 0;
    std::string type, name;
    bool suppressed = false;
    bool hasModel = false;
    std::string model;
    PropertyRecords properties;
};

struct ProjectRecord
{
    std::string name;
    int kind = 1;
    std::string feederType;
    PropertyRecords properties;
    Records<ObjectRecord> objects;
};

struct Content
{
    std::string current;
    Records<ProjectRecord> projects;
};

void writeProperties(RecordWriter& w, const char* keyword, const PropertyContainer& container)
{
    for (const Property* p : container.get_properties()) {
        // Shapes are kept as model data; other kinds without a value text have nothing.
        if (p->is_inherited_from(PropertyAdvancedTopoData::getClassTypeId()))
            continue;
        // Quantities carry their units: the same amounts come back under any unit system.
        w.begin(keyword).field(p->get_name()).field(p->getTypeId().get_name()).field(valueTextWithUnits(*p)).end();
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
    w.begin("pprop")
        .field(LengthUnitRecord)
        .field(PropertyString::getClassTypeId().get_name())
        .field(pmUnit::UnitsManager::getUnitSymbol(project.get_length_unit()).toStdString())
        .end();
}

void openFile(std::string& out)
{
    out += Magic;
    out += '\n';
    RecordWriter(out).begin("version").field(std::to_string(ProjectFile::Version)).end();
}

void closeFile(std::string& out)
{
    const std::uint32_t sum = crcUpdate(0, out);
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

constexpr std::size_t MaxNameBytes = ProjectFile::MaxNameBytes;
// The longest record other than a surface: property values, such as a group's member
// list, stay far below this.
constexpr std::size_t MaxRecordBytes = std::size_t(16) << 20;
// The longest keyword a record begins with.
constexpr std::size_t MaxKeywordBytes = 16;

// Reads the lines of a project file from a stream, one at a time: the first line alone
// first, so that anything else is refused at once, and never a line longer than its kind
// of record allows or than what is left of the size the stream had when reading began.
class LineReader
{
public:
    LineReader(std::istream& input, const std::string& sourceName)
        : in(input), source(sourceName)
    {
        // What the stream holds, when it tells: a file's size as it was opened.
        std::streambuf* buffer = in.rdbuf();
        if (buffer) {
            const std::streamoff here = buffer->pubseekoff(0, std::ios::cur, std::ios::in);
            const std::streamoff end = buffer->pubseekoff(0, std::ios::end, std::ios::in);
            if (here >= 0 && end >= here && buffer->pubseekoff(here, std::ios::beg, std::ios::in) == here)
                left = static_cast<std::uint64_t>(end - here);
        }
    }

    // Throws when the stream does not begin with the first line of a project file.
    void readFirstLine(std::string_view magicLine)
    {
        std::string first(magicLine.size(), '\0');
        const std::size_t got = fill(&first[0], first.size());
        if (got != magicLine.size() || first != magicLine)
            throw ProjectFile::Error(source + " is not a Pelmora project file");
        crc = crcUpdate(crc, first);
    }

    // The next line without its line end; false when the input has ended. Throws when
    // the input ends within a line or a line is longer than its record may be.
    bool next(std::string& line, std::size_t lineNumber)
    {
        line.clear();
        std::size_t scan = at; // what lies before has been looked at
        while (true) {
            const std::size_t eol = buffer.find('\n', scan);
            const std::size_t end = eol == std::string::npos ? buffer.size() : eol;
            checkLine(std::string_view(buffer.data() + at, end - at), scan - at, lineNumber);
            if (eol != std::string::npos) {
                line.assign(buffer, at, eol - at);
                crc = crcUpdate(crc, std::string_view(buffer.data() + at, eol - at + 1));
                at = eol + 1;
                return true;
            }
            // Keep only the unfinished line, then read on.
            buffer.erase(0, at);
            at = 0;
            scan = buffer.size();
            char chunk[64 * 1024];
            const std::size_t got = fill(chunk, sizeof chunk);
            if (got == 0) {
                if (!buffer.empty())
                    throw ProjectFile::Error(source + " is incomplete: the file ends before its last record");
                return false;
            }
            buffer.append(chunk, got);
        }
    }

    // The checksum of every byte read before the current line.
    std::uint32_t checksumBefore() const { return crcBefore; }
    void markLine() { crcBefore = crc; }

private:
    // Reads up to `size` bytes, no more than the stream held when reading began.
    std::size_t fill(char* out, std::size_t size)
    {
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, left));
        if (wanted == 0 || !in)
            return 0;
        in.read(out, static_cast<std::streamsize>(wanted));
        const auto got = static_cast<std::size_t>(std::max<std::streamsize>(0, in.gcount()));
        left -= got;
        return got;
    }

    // Refuses a line as soon as what has come of it cannot belong to a record: `soFar`
    // is the line up to here, of which the first `checked` bytes were seen before.
    void checkLine(std::string_view soFar, std::size_t checked, std::size_t lineNumber) const
    {
        const std::size_t tab = soFar.find('\t');
        const std::string_view keyword = soFar.substr(0, tab);
        if (keyword.size() > MaxKeywordBytes)
            throw ProjectFile::Error(source + " is damaged: an unknown record at line " + std::to_string(lineNumber));
        if (tab == std::string_view::npos)
            return;
        if (keyword != "model") {
            if (soFar.size() > MaxRecordBytes)
                throw ProjectFile::Error(source + " is damaged: a record longer than any it writes at line "
                                         + std::to_string(lineNumber));
            return;
        }
        // A surface may take what is left of the file, as long as it is base64 text.
        for (std::size_t i = std::max(checked, tab + 1); i < soFar.size(); ++i) {
            const char c = soFar[i];
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+'
                  || c == '/' || c == '='))
                throw ProjectFile::Error(source + " is damaged: a bad model record at line "
                                         + std::to_string(lineNumber));
        }
    }

    std::istream& in;
    const std::string& source;
    std::uint64_t left = std::numeric_limits<std::uint64_t>::max();
    std::string buffer;
    std::size_t at = 0;
    std::uint32_t crc = 0;
    std::uint32_t crcBefore = 0;
};

// Reads the records of `in`, checking the frame (first line, version, closing line and
// checksum); throws ProjectFile::Error naming `source` when anything is wrong.
Content parse(std::istream& in, const std::string& source)
{
    using Error = ProjectFile::Error;
    LineReader reader(in, source);
    reader.readFirstLine(std::string(Magic) + '\n');

    Content content;
    std::size_t lineNumber = 1;
    std::vector<std::string> fields;
    std::string line;
    bool versionSeen = false;
    bool ended = false;
    std::size_t objectCount = 0;
    auto damaged = [&](const std::string& what) {
        return Error(source + " is damaged: " + what + " at line " + std::to_string(lineNumber));
    };
    // Names and labels are kept whole or not at all: a NUL byte would cut one short
    // where it is used, and a name of megabytes is no name anyone gave.
    auto name = [&](const std::string& text, const char* what) -> const std::string& {
        if (text.find('\0') != std::string::npos)
            throw damaged(std::string(what) + " holding a NUL byte");
        if (text.size() > MaxNameBytes)
            throw damaged(std::string(what) + " longer than " + std::to_string(MaxNameBytes) + " bytes");
        return text;
    };
    // Every text value is kept whole or not at all too: a string property (a label, a file
    // name, an annotation's text) holds its text up to the first NUL byte, and one written
    // back from there would lose the rest.  Refused with the property and its owner.  (An
    // amount's unit, and the project's length unit, are read as units, and refused as
    // such, naming them whole.)
    // Paths (a file, a folder, an included document) and lists of texts are texts too.
    static const Vexil::TypeInfo texts[] = {PropertyString::getClassTypeId(), PropertyPath::getClassTypeId(),
                                            PropertyStringList::getClassTypeId()};
    auto isText = [](const std::string& type) {
        const Vexil::TypeInfo info = Vexil::TypeInfo::get_type_from_name(type.c_str());
        return std::any_of(std::begin(texts), std::end(texts),
                           [&](const Vexil::TypeInfo& t) { return info.is_inherited_from(t); });
    };
    auto property = [&](const std::vector<std::string>& f, const std::string& owner) {
        PropertyRecord record{name(f[1], "a property name"), name(f[2], "a property type"), f[3]};
        if (record.value.find('\0') != std::string::npos && record.name != "Length Unit" && isText(record.type))
            throw damaged(std::string(record.name == "Label" ? "a label" : "a text") + " holding a NUL byte (the property '"
                          + Vexil::printableText(record.name) + "' of " + owner + ")");
        if (record.name == "Label")
            name(record.value, "a label");
        return record;
    };
    while (true) {
        reader.markLine();
        if (!reader.next(line, lineNumber + 1))
            break;
        ++lineNumber;
        ++ProjectFile::recordSteps();
        if (ended)
            throw damaged("a record after the last one");
        fields.clear();
        std::size_t start = 0;
        const std::string_view text(line);
        while (true) {
            const std::size_t tab = text.find('\t', start);
            std::string decoded;
            if (!Vexil::percentDecodeTo(decoded, text.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start),
                                        Vexil::StrayPercent::Reject))
                throw damaged("a malformed field");
            fields.push_back(std::move(decoded));
            if (tab == std::string_view::npos)
                break;
            start = tab + 1;
        }
        const std::string& keyword = fields[0];
        if (keyword == "end" && fields.size() == 2 && fields[1].size() == 8) {
            if (fields[1] != hex8(reader.checksumBefore()))
                throw Error(source + " is damaged: its contents do not match its checksum");
            ended = true;
            continue;
        }
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
            content.current = name(fields[1], "a project name");
        } else if (keyword == "project" && fields.size() == 4) {
            ProjectRecord project;
            project.name = name(fields[1], "a project name");
            unsigned int kind = 0;
            if (project.name.empty() || !parseUnsigned(fields[2], kind) || kind > 1000)
                throw damaged("a bad project record");
            project.kind = static_cast<int>(kind);
            project.feederType = name(fields[3], "a view type");
            content.projects.push_back(std::move(project));
            const std::string refusal = ProjectFileLimits::refusal(source, content.projects.size(), objectCount);
            if (!refusal.empty())
                throw Error(refusal);
        } else if (keyword == "pprop" && fields.size() == 4 && !content.projects.empty()) {
            content.projects.back().properties.push_back(
                property(fields, "the project '" + Vexil::printableText(content.projects.back().name) + "'"));
        } else if (keyword == "object" && fields.size() == 5 && !content.projects.empty()) {
            ObjectRecord object;
            auto& objects = content.projects.back().objects;
            if (!parseUnsigned(fields[1], object.id) || object.id == 0
                || (!objects.empty() && objects.back().id >= object.id)
                || fields[2].empty() || (fields[4] != "0" && fields[4] != "1"))
                throw damaged("a bad object record");
            object.type = name(fields[2], "an object type");
            object.name = name(fields[3], "an object name");
            object.suppressed = fields[4] == "1";
            objects.push_back(std::move(object));
            const std::string refusal = ProjectFileLimits::refusal(source, content.projects.size(), ++objectCount);
            if (!refusal.empty())
                throw Error(refusal);
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
            content.projects.back().objects.back().properties.push_back(
                property(fields, "the object '" + Vexil::printableText(content.projects.back().objects.back().name) + "'"));
        } else {
            throw damaged("an unknown record");
        }
    }
    if (!ended)
        throw Error(source + " is incomplete: the file ends before its last record");
    if (!versionSeen)
        throw Error(source + " is damaged: it has no version");
    return content;
}

// Whether a block of this size can still be had: what one more project, its view and its
// tree item take, with room for the window to lay itself out and show a message.  The block
// is only reserved, never touched, and given back at once.
bool memoryToSpare()
{
    constexpr std::size_t Spare = std::size_t(64) << 20;
    // Called through a volatile pointer: a compiler may otherwise drop the pair of calls.
    void* (*volatile allocate)(std::size_t) = std::malloc;
    void* block = allocate(Spare);
    std::free(block);
    return block != nullptr;
}

// Whether the projects of a file still to be made will fit in the address space the process
// may have, judged by the memory those made so far took.  A file that will not fit is
// refused while it has taken little: what projects take stays with the heap when they close
// again (in free blocks among those still in use, which new projects reuse but which are
// no room for what needs fresh address space), so a file that ran into the limit left the
// program unable to open files it had opened before.
//
// A project takes memory for itself, for each of its objects and for the bytes of its
// surfaces, in shares the forecast cannot tell apart: the last stretch of projects could
// have spent all it took on any one of the three.  So what the rest will take at least is
// what the stretch took, times the smallest of the three ratios of what is left to what
// the stretch held.  A stretch of large projects early thus says nothing about the small
// ones after it, and the same projects in another order get the same verdict.
class AddressSpaceForecast
{
public:
    explicit AddressSpaceForecast(const Records<ProjectRecord>& projects) : total(projects.size())
    {
        cap = static_cast<std::size_t>(Vexil::AddressSpace::cap());
        if (cap == 0)
            return;
        last = heap().inUse;
        // What the first i projects hold, for every i: a stretch's and the rest's share
        // are differences of two of these.
        heldBefore.reserve(projects.size() + 1);
        heldBefore.push_back({});
        for (const ProjectRecord& project : projects) {
            Amounts held = heldBefore.back();
            held.projects += 1;
            held.objects += double(project.objects.size());
            for (const ObjectRecord& object : project.objects)
                held.surfaceBytes += double(object.model.size());
            heldBefore.push_back(held);
        }
    }

    // Asked after each project made; false once the rest will not fit.  Judged every so
    // many projects from what they took, and only when two such judgements in a row say
    // so: one-off costs (a heap reserved for a thread, the first view's graphics) fall
    // into one of them.  Early projects take more than later ones, so a file is refused
    // here only when not even half of what it must take fits; one nearer the limit is
    // left to the end of memory, as before.
    bool fits(std::size_t made)
    {
        if (cap == 0 || made % Stretch != 0 || made >= total)
            return true;
        const Heap now = heap();
        if (now.inUse == 0)
            return true;   // not told
        const double took = now.inUse > last ? double(now.inUse - last) : 0.0;
        last = now.inUse;
        const Amounts held = minus(heldBefore[made], heldBefore[lastMade]);
        lastMade = made;
        const double least = took * smallestRatio(minus(heldBefore[total], heldBefore[made]), held);
        const double room = double(cap) - double(Vexil::AddressSpace::used()) + double(now.free) - double(Spare);
        const bool beyond = least / 2.0 > room;
        const bool refuse = beyond && beyondBefore;
        beyondBefore = beyond;
        return !refuse;
    }

private:
    static constexpr std::size_t Stretch = 256;
    static constexpr std::size_t Spare = std::size_t(64) << 20;

    struct Amounts
    {
        double projects = 0;
        double objects = 0;
        double surfaceBytes = 0;
    };
    static Amounts minus(const Amounts& a, const Amounts& b)
    {
        return {a.projects - b.projects, a.objects - b.objects, a.surfaceBytes - b.surfaceBytes};
    }
    // The smallest ratio of what is left to what the stretch held, over the amounts the
    // stretch held any of (of an amount it held none of, it tells nothing).
    static double smallestRatio(const Amounts& rest, const Amounts& held)
    {
        double smallest = rest.projects / held.projects;
        if (held.objects > 0)
            smallest = std::min(smallest, rest.objects / held.objects);
        if (held.surfaceBytes > 0)
            smallest = std::min(smallest, rest.surfaceBytes / held.surfaceBytes);
        return smallest;
    }

    struct Heap
    {
        std::size_t inUse = 0;   // in blocks given out, of the heap or mapped alone
        std::size_t free = 0;    // in the heap's free blocks
    };
    // Counted by a walk of the heap's free blocks: once every so many projects.
    static Heap heap()
    {
        Heap h;
#ifdef __GLIBC__
        const struct mallinfo2 info = mallinfo2();
        h.inUse = info.uordblks + info.hblkhd;
        h.free = info.fordblks;
#endif
        return h;
    }

    std::size_t total;
    std::size_t cap = 0;
    std::size_t last = 0;
    std::size_t lastMade = 0;
    Records<Amounts> heldBefore;
    bool beyondBefore = false;
};

// Gives the heap's free memory at its end back to the system, and the pages of its free
// blocks: after a refused file, what its projects took is free again for the next file,
// but it would stay with this process.
void giveBackFreeMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

// parse(), with a lack of memory reported as a refusal rather than ending the program.
Content parseBounded(std::istream& in, const std::string& source)
{
    try {
        return parse(in, source);
    }
    catch (const std::bad_alloc&) {
        throw ProjectFile::Error(source + " cannot be read: it holds more than there is memory for");
    }
}

// Reads the project file at `path`: only a regular file, and no more of it than it held
// when opened.
Content parseFile(const std::string& path)
{
    // Only a regular file: opening a named pipe would wait for a writer, and a device
    // such as /dev/zero never ends.
    const std::string shown = Vexil::printableText(path);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        throw ProjectFile::Error("Cannot read the project file " + shown + ": it is not a regular file");
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in)
        throw ProjectFile::Error("Cannot read the project file " + shown + ": "
                                 + (std::filesystem::exists(status) ? "it cannot be opened" : "it does not exist"));
    return parseBounded(in, shown);
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
            throw ProjectFile::Error(source + " holds the project " + ValueText::printable(project.name)
                                     + " of a view type this build does not know: "
                                     + (project.feederType.empty() ? "(none)" : ValueText::printable(project.feederType)));
    }
}

// The groups among a project's objects with the ids their member lists name, and where
// each group's record is.
GroupList groupsOf(const ProjectRecord& project, Records<std::size_t>* places = nullptr)
{
    const Vexil::TypeInfo groupType = ProjectObjectGroup::getClassTypeId();
    const std::string listType = PropertyCoupleArray::getClassTypeId().get_name();
    GroupList groups;
    for (std::size_t k = 0; k < project.objects.size(); ++k) {
        const ObjectRecord& object = project.objects[k];
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
        if (places)
            places->push_back(k);
    }
    return groups;
}

// Every open project is saved to one file: a file whose projects would take what is open
// beyond what one file may hold is refused before anything is created.
void checkRoom(const Application& app, const Content& content, const std::string& source)
{
    std::size_t objects = 0;
    for (const ProjectRecord& project : content.projects)
        objects += project.objects.size();
    const std::string refusal = app.growth_error(source + " cannot be opened", content.projects.size(), objects);
    if (!refusal.empty())
        throw ProjectFile::Error(refusal);
}

// The line of the first record of `bytes` other than a surface that is longer than a
// reader takes; 0 when there is none.
std::size_t overlongRecord(std::string_view bytes)
{
    std::size_t line = 1;
    for (std::size_t start = 0; start < bytes.size(); ++line) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        if (end - start > MaxRecordBytes && bytes.compare(start, 6, "model\t") != 0)
            return line;
        start = end + 1;
    }
    return 0;
}

// Groups that contain themselves, directly or through other groups, have no place in the
// tree: the file is refused before anything is created.
void checkGroupCycles(const Content& content, const std::string& source)
{
    for (const ProjectRecord& project : content.projects) {
        const std::vector<std::string> chain = findGroupCycle(groupsOf(project));
        if (!chain.empty())
            throw ProjectFile::Error(source + " holds groups that contain each other: " + describeGroupCycle(chain));
    }
}

// The order in which a project's objects take their properties: as listed, but with a
// group's members set only after those of the groups that hold it, so that the tree
// nests each group's item while it is empty rather than carrying ever deeper branches.
Records<std::size_t> propertyOrder(const ProjectRecord& project)
{
    Records<std::size_t> order;
    order.reserve(project.objects.size());
    for (std::size_t k = 0; k < project.objects.size(); ++k)
        order.push_back(k);
    Records<std::size_t> places;
    const Records<std::size_t> groups = holdersFirst(groupsOf(project, &places));
    for (std::size_t j = 0; j < groups.size(); ++j)
        order[places[j]] = places[groups[j]];
    return order;
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
            throw ProjectFile::Error(source + " holds an object of an unknown type: " + ValueText::printable(record.type));
        std::unique_ptr<Vexil::RootClass> instance(Vexil::TypeInfo::build_instance_by_name(record.type.c_str()));
        auto* object = dynamic_cast<ProjectObject*>(instance.get());
        if (!object)
            throw ProjectFile::Error(source + " holds an object of an unknown type: " + ValueText::printable(record.type));
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
    RecordMap<std::string, std::string> projectNames;
    // Per written project name: written id -> id now.  A project without an entry kept
    // its ids.
    RecordMap<std::string, RecordHashMap<unsigned int, unsigned int>> ids;

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
// The value `record` takes in the project made of `writtenProject`, its links turned to the
// ids the objects took there.  Entries of a member list that name no object of `project`
// are left out, and the list keeps the others; each one left out goes to `dropped`.
std::string relinked(const PropertyRecord& record, const std::string& writtenProject, const LinkMap& links,
                     const Project* project, std::vector<std::string>& dropped)
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
            if (parseUnsigned(entry, id) && links.mapped(writtenProject, id) && (!project || project->get_object(id)))
                kept.push_back(std::to_string(id));
            else
                dropped.push_back(entry);
        }
        return ValueText::listText(kept);
    }
    return record.value;
}

// A project names the length unit of its placements once: a file with two such records
// was not written by this program, and which one the placements were written in cannot
// be told, so it is refused as damaged before anything is built.
// A unit that is no length (or none the program knows) leaves the placements without a
// known size: refused as well, rather than read (and saved again) in the reader's unit.
void checkLengthUnits(const Content& content, const std::string& source)
{
    const std::vector<pmUnit::UnitType> lengths = pmUnit::UnitsManager::getUnitTypes(pmUnit::Length);
    for (const ProjectRecord& project : content.projects) {
        // Each record is counted by the list as it is reached.
        const auto count = std::count_if(project.properties.begin(), project.properties.end(),
                                         [](const PropertyRecord& p) { return p.name == LengthUnitRecord; });
        if (count > 1)
            throw ProjectFile::Error(source + " is damaged: project " + ValueText::printable(project.name)
                                     + " names the length unit of its placements " + std::to_string(count)
                                     + " times");
        for (const PropertyRecord& p : project.properties) {
            if (p.name != LengthUnitRecord)
                continue;
            const int found = pmUnit::UnitsManager::findUnit(QString::fromStdString(p.value));
            if (std::find(lengths.begin(), lengths.end(), found) != lengths.end())
                continue;
            std::string known;
            for (const pmUnit::UnitType unit : lengths)
                known += (known.empty() ? "" : ", ") + pmUnit::UnitsManager::getUnitSymbol(unit).toStdString();
            throw ProjectFile::Error(source + " is damaged: project " + ValueText::printable(project.name)
                                     + " names '" + ValueText::printable(p.value)
                                     + "' as the length unit of its placements, which is none of " + known);
        }
    }
}

// The length unit a project's records name (checked to be named once, and to be a length
// unit), taken out of them; -1 when they name none, as in files written before placements
// kept their unit: those were written in the unit system of their day, which the reader's
// own stands for.
int takeLengthUnit(PropertyRecords& records)
{
    // The records passed, and those the erase moves, are counted by the list.
    const auto it = std::find_if(records.begin(), records.end(),
                                 [](const PropertyRecord& p) { return p.name == LengthUnitRecord; });
    if (it == records.end())
        return -1;
    const int found = pmUnit::UnitsManager::findUnit(QString::fromStdString(it->value));
    records.erase(it);
    return found;
}

// What one `from` is in `to` (both lengths).
double lengthFactor(pmUnit::UnitType from, pmUnit::UnitType to)
{
    pmUnit::Quantity one;
    return pmUnit::Quantity(1.0, pmUnit::Length, from).convertTo(to, one) ? one.getValue() : 1.0;
}

// A place from one length unit into another, as amounts convert (0.1 ft is 0.03048 m, not
// 0.030480000000000004); how the first component that leaves the normal numbers fits.
pmUnit::Quantity::Fit convertPlace(const Vexil::Vector3d& at, pmUnit::UnitType from, pmUnit::UnitType to,
                                   Vexil::Vector3d& out)
{
    const double in[3] = {at.x, at.y, at.z};
    double converted[3] = {at.x, at.y, at.z};
    pmUnit::Quantity::Fit fit = pmUnit::Quantity::Fits;
    for (int i = 0; i < 3; ++i) {
        pmUnit::Quantity q;
        if (pmUnit::Quantity(in[i], pmUnit::Length, from).convertTo(to, q))
            converted[i] = q.getValue();
        if (fit == pmUnit::Quantity::Fits)
            fit = pmUnit::Quantity::fit(in[i], converted[i]);
    }
    out = Vexil::Vector3d(converted[0], converted[1], converted[2]);
    return fit;
}

void scalePlacements(PropertyContainer& container, pmUnit::UnitType from, pmUnit::UnitType to)
{
    for (Property* p : container.get_properties()) {
        auto* placement = dynamic_cast<PropertySpaceLocation*>(p);
        if (!placement)
            continue;
        Vexil::SpaceLocation location = placement->get_value();
        Vexil::Vector3d at;
        convertPlace(location.getPosition(), from, to, at);
        location.setPosition(at);
        placement->set_value(location);
    }
}

void scaleSurface(GeometryObject& geometry, double factor)
{
    vtkPolyData* surface = geometry.get_poly_data();
    vtkPoints* points = surface ? surface->GetPoints() : nullptr;
    if (!points)
        return;
    for (vtkIdType i = 0; i < points->GetNumberOfPoints(); ++i) {
        double p[3];
        points->GetPoint(i, p);
        points->SetPoint(i, p[0] * factor, p[1] * factor, p[2] * factor);
    }
    points->Modified();
    surface->Modified();
}

bool finiteScaled(const double p[3], double factor, double largest = std::numeric_limits<double>::max())
{
    for (int i = 0; i < 3; ++i)
        if (!(std::fabs(p[i] * factor) <= largest))
            return false;
    return true;
}

// A paste into a project of a smaller length unit must not push a place or a point past
// the largest number: refused before anything is created.
void checkScaling(const ProjectRecord& record, const std::vector<std::unique_ptr<ProjectObject>>& built,
                  double factor, pmUnit::UnitType from, pmUnit::UnitType unit)
{
    const std::string symbol = pmUnit::UnitsManager::getUnitSymbol(unit).toStdString();
    for (std::size_t i = 0; i < built.size(); ++i) {
        const std::string name = ValueText::printable(record.objects[i].name);
        for (const PropertyRecord& p : record.objects[i].properties) {
            if (p.type != PropertySpaceLocation::getClassTypeId().get_name())
                continue;
            PropertySpaceLocation placement;
            if (!placement.set_value_text(p.value))
                continue;   // refused when it is applied
            Vexil::Vector3d at;
            const pmUnit::Quantity::Fit fit = convertPlace(placement.get_value().getPosition(), from, unit, at);
            if (fit != pmUnit::Quantity::Fits)
                throw ProjectFile::Error("The copied data cannot be pasted: the placement of object " + name + " ("
                                         + ValueText::printable(p.value) + ") is "
                                         + (fit == pmUnit::Quantity::BelowSmallest ? "below the smallest normal number in "
                                                                                   : "beyond the largest number in ")
                                         + symbol);
        }
        auto* geometry = dynamic_cast<GeometryObject*>(built[i].get());
        vtkPolyData* surface = geometry ? geometry->get_poly_data() : nullptr;
        vtkPoints* points = surface ? surface->GetPoints() : nullptr;
        if (!points)
            continue;
        const double largest = points->GetDataType() == VTK_FLOAT ? double(std::numeric_limits<float>::max())
                                                                  : std::numeric_limits<double>::max();
        for (vtkIdType k = 0; k < points->GetNumberOfPoints(); ++k) {
            double xyz[3];
            points->GetPoint(k, xyz);
            if (!finiteScaled(xyz, factor, largest))
                throw ProjectFile::Error("The copied data cannot be pasted: a point of object " + name
                                         + " is beyond the largest number in " + symbol);
        }
    }
}

// Whether properties of the type named `type` hold amounts (numbers with a unit).
bool amountType(const std::string& type)
{
    const Vexil::TypeInfo t = Vexil::TypeInfo::get_type_from_name(type.c_str());
    return !t.is_sick()
        && (t.is_inherited_from(PropertyQuantity::getClassTypeId()) || t.is_inherited_from(PropertyInputBC::getClassTypeId())
            || t.is_inherited_from(PropertyQuantityVector::getClassTypeId()));
}

bool holdsAmounts(const Property& property)
{
    return dynamic_cast<const PropertyQuantity*>(&property) || dynamic_cast<const PropertyInputBC*>(&property)
        || dynamic_cast<const PropertyQuantityVector*>(&property);
}

// Why the record `p` cannot go into `container` without losing its amount; empty when it can.
std::string amountProblem(const PropertyContainer& container, const PropertyRecord& p)
{
    const Property* property = container.get_property_by_name(p.name.c_str());
    if (!property)
        return amountType(p.type) ? "there is no such amount here, so its kind and unit are not known" : std::string();
    if (p.type != property->getTypeId().get_name())
        return amountType(p.type) || holdsAmounts(*property)
            ? "it is a " + std::string(property->getTypeId().get_name()) + " here, not a "
                + ValueText::printable(p.type)
            : std::string();
    // Checked even where the text is the value held: a bare number is no amount.
    return writtenAmountProblem(*property, p.value);
}

// An amount the reader cannot take would be lost (the object keeping another number, which
// the next save writes over the file's): the whole file, or copy, is refused instead, and
// the reason names the amount.  Checked before anything is made.
void checkAmounts(const ProjectRecord& record, const std::vector<std::unique_ptr<ProjectObject>>& built,
                  const std::string& refusal, bool withProject = true)
{
    auto refuse = [&refusal](const PropertyRecord& p, const std::string& owner, const std::string& why) {
        throw ProjectFile::Error(refusal + ": property '" + ValueText::printable(p.name) + "' of " + owner + " holds '"
                                 + ValueText::printable(p.value) + "': " + why);
    };
    if (withProject) {
        const Project blank;
        for (const PropertyRecord& p : record.properties) {
            const std::string why = amountProblem(blank, p);
            if (!why.empty())
                refuse(p, "project " + ValueText::printable(record.name), why);
        }
    }
    for (std::size_t k = 0; k < built.size() && k < record.objects.size(); ++k) {
        const ProjectObject* object = built[k].get();
        if (!object)
            continue;
        for (const PropertyRecord& p : record.objects[k].properties) {
            const std::string why = amountProblem(*object, p);
            if (!why.empty())
                refuse(p, "object " + ValueText::printable(record.objects[k].name), why);
        }
    }
}

void applyProperties(PropertyContainer& container, const PropertyRecords& records,
                     const std::string& writtenProject, const LinkMap& links, const std::string& owner)
{
    auto& console = Vexil::MsgConsoleSingleton::Instance();
    for (const PropertyRecord& record : records) {   // each counted by the list
        Property* property = container.get_property_by_name(record.name.c_str());
        if (!property)
            property = container.add_property(record.type.c_str(), record.name.c_str());
        if (!property || record.type != property->getTypeId().get_name()) {
            console.Warning("Property '%s' of %s is not restored: its type %s is not known here\n",
                            Vexil::printableText(record.name).c_str(), Vexil::printableText(owner).c_str(),
                            Vexil::printableText(record.type).c_str());
            continue;
        }
        if (property->get_value_text() == record.value)
            continue;
        const auto* object = dynamic_cast<const ProjectObject*>(&container);
        const Project* project = object ? object->get_project() : dynamic_cast<const Project*>(&container);
        std::vector<std::string> dropped;
        const std::string value = relinked(record, writtenProject, links, project, dropped);
        // A copy leaves out the members that were not copied with their group; a file names
        // each entry it held that named nothing.
        if (links.ids.find(writtenProject) == links.ids.end())
            for (const std::string& entry : dropped)
                console.Warning("Property '%s' of %s: the entry '%s' names no object of the project and is left out\n",
                                ValueText::printable(record.name).c_str(), ValueText::printable(owner).c_str(),
                                ValueText::printable(entry).c_str());
        if (!property->set_value_text(value)) {
            const std::string why = quantityTextProblem(*property, value);
            console.Warning("Property '%s' of %s keeps its value: '%s' is not valid%s%s\n",
                            ValueText::printable(record.name).c_str(), ValueText::printable(owner).c_str(),
                            ValueText::printable(record.value).c_str(), why.empty() ? "" : ": ", why.c_str());
        }
    }
}

} // namespace

// Out of line: a child process's test looks the reader up by its symbol.
std::uint64_t ProjectFile::recordsVisited()
{
    return recordSteps();
}

// Per thread, so no lock and no race.
std::uint64_t& ProjectFile::recordSteps()
{
    return Counted::tally<struct RecordSteps>();
}

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

void ProjectFile::fitForNumber(std::string& stem)
{
    constexpr std::size_t Digits = 10;
    if (stem.size() + Digits <= MaxNameBytes)
        return;
    std::size_t cut = MaxNameBytes - Digits;
    while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80)
        --cut;
    stem.resize(cut);
}

std::string ProjectFile::label_error(const std::string& label)
{
    if (label.size() <= MaxNameBytes)
        return {};
    return "a label may hold at most " + std::to_string(MaxNameBytes) + " bytes, and this one holds "
        + std::to_string(label.size());
}

std::string ProjectFile::content_error(const std::vector<Project*>& projects)
{
    std::size_t objects = 0;
    std::size_t listed = 0;
    for (const Project* project : projects) {
        if (project) {
            objects += project->get_num_objects();
            ++listed;
        }
    }
    if (listed > ProjectFileLimits::maxProjects())
        return "it would hold " + std::to_string(listed) + " projects, more than the "
            + std::to_string(ProjectFileLimits::maxProjects()) + " a project file may hold";
    if (objects > ProjectFileLimits::maxObjects())
        return "it would hold " + std::to_string(objects) + " objects, more than the "
            + std::to_string(ProjectFileLimits::maxObjects()) + " a project file may hold";
    auto tooLong = [](const char* text) { return text && std::strlen(text) > MaxNameBytes; };
    for (const Project* project : projects) {
        if (!project)
            continue;
        if (tooLong(project->get_name()) || tooLong(project->getProjectName()))
            return "a project's name or label is longer than " + std::to_string(MaxNameBytes) + " bytes";
        std::string error;
        project->objects.for_each([&](ProjectObject* object) {
            if (error.empty() && (tooLong(object->get_name()) || tooLong(object->get_label())))
                error = "the name or label of an object of " + std::string(project->get_name()).substr(0, 200)
                    + " is longer than " + std::to_string(MaxNameBytes) + " bytes";
        });
        if (!error.empty())
            return error;
    }
    return {};
}

void ProjectFile::save(const std::string& path, const std::vector<Project*>& projects, const Project* current)
{
    if (path.empty())
        throw Error("No file name given for the project file");
    // A file that could not be read back is not written.
    const std::string content = content_error(projects);
    if (!content.empty())
        throw ContentError("Cannot write the project file " + Vexil::printableText(path) + ": " + content);
    const std::string bytes = write(projects, current);
    if (const std::size_t line = overlongRecord(bytes))
        throw ContentError("Cannot write the project file " + Vexil::printableText(path) + ": its record at line "
                    + std::to_string(line) + " would be longer than the "
                    + std::to_string(MaxRecordBytes >> 20) + " MiB a project file may hold in one record");
    // A failure leaves the earlier file as it was.
    std::string error;
    if (!Vexil::saveFileAtomically(path, bytes, error))
        throw Error("Cannot write the project file " + Vexil::printableText(path) + ": " + error);
}

std::string ProjectFile::value_error(std::string_view value)
{
    // The record's keyword, the property's name and type take a few dozen bytes more.
    constexpr std::size_t Others = 4096;
    std::string encoded;
    Vexil::percentEncodeTo(encoded, value, reserved);
    if (encoded.size() + Others <= MaxRecordBytes)
        return {};
    // The limit is on the encoded form, which may be up to three times the text.
    return "it holds " + std::to_string(value.size()) + " bytes of text, " + std::to_string(encoded.size())
        + " bytes once encoded, which with the rest of its record is more than the "
        + std::to_string(MaxRecordBytes >> 20) + " MiB a project file can hold in one value, so no project "
        "holding it could be saved";
}

bool ProjectFile::is_project_file(const std::string& path)
{
    // The name's own bytes: one that is not valid in the locale's encoding would not
    // survive a trip through QString, and would name no file.  Only a regular file is
    // read, so that a named pipe cannot hold the caller up.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    std::ifstream in(path, std::ios::in | std::ios::binary);
    const std::string magicLine = std::string(Magic) + '\n';
    std::string head(magicLine.size(), '\0');
    return in && in.read(&head[0], static_cast<std::streamsize>(head.size())) && head == magicLine;
}

void ProjectFile::check(const Application& app, const std::string& path)
{
    const std::string source = Vexil::printableText(path);
    try {
        const Content content = parseFile(path);
        checkViewTypes(content, app.viewTypeCheck, source);
        checkGroupCycles(content, source);
        checkLengthUnits(content, source);
        for (const ProjectRecord& project : content.projects)
            checkAmounts(project, buildObjects(project, source), source + " cannot be opened");
    }
    catch (const std::bad_alloc&) {
        throw Error(source + " cannot be opened: there is not enough memory for what it holds");
    }
}

std::vector<Project*> ProjectFile::resume(Application& app, const std::string& path)
{
    // Running out of memory is one more reason to refuse the file, and a refusal leaves
    // nothing of it: every project made so far is closed again, with what the GUI built
    // for it.  So that the GUI's own steps seldom meet the end of memory, where they can
    // not all give way cleanly, a project is made only while memory to spare remains.
    std::unordered_set<const Project*> before;
    std::string current;
    std::size_t made = 0;
    std::size_t total = 0;
    try {
        for (const Project* project : app.get_projects())
            before.insert(project);
        if (app.get_current_project())
            current = app.get_current_project()->get_name();
        return resumeWithin(app, path, made, total);
    }
    catch (const std::bad_alloc&) {
        std::vector<std::string> doomed;
        std::size_t left = 0;
        try {
            for (const Project* project : app.get_projects())
                if (!before.count(project))
                    doomed.emplace_back(project->get_name());
            for (auto name = doomed.rbegin(); name != doomed.rend(); ++name)
                app.close_project(name->c_str());
            if (!current.empty())
                app.set_current_project(current.c_str());
            for (const Project* project : app.get_projects())
                left += before.count(project) ? 0 : 1;
            // Freed before the reason is said anywhere: what says it would otherwise take
            // its room after all that the file took, and the heap could not shrink.
            if (app.memoryRelease)
                app.memoryRelease();
            giveBackFreeMemory();
        }
        catch (const std::bad_alloc&) {
            // Closing gives memory back; that not all could be closed is said below.
            left = std::max<std::size_t>(left, 1);
        }
        std::string reason = Vexil::printableText(path) + " cannot be opened: there is not enough memory for what it holds";
        if (total > 0 && left == 0)
            reason += " (" + std::to_string(made) + " of its " + std::to_string(total)
                + " projects were made, and closed again)";
        else if (total > 0)
            reason += " (" + std::to_string(made) + " of its " + std::to_string(total)
                + " projects were made, and not all of them could be closed again)";
        throw Error(reason);
    }
}

std::vector<Project*> ProjectFile::resumeWithin(Application& app, const std::string& path, std::size_t& made,
                                                std::size_t& total)
{
    const Content content = parseFile(path);
    const std::string source = Vexil::printableText(path);
    checkViewTypes(content, app.viewTypeCheck, source);
    checkGroupCycles(content, source);
    checkLengthUnits(content, source);
    checkRoom(app, content, source);

    Records<std::vector<std::unique_ptr<ProjectObject>>> built;
    built.reserve(content.projects.size());
    for (const ProjectRecord& project : content.projects) {
        built.push_back(buildObjects(project, source));
        checkAmounts(project, built.back(), source + " cannot be opened");
    }

    // From here on only a lack of memory can refuse the file.
    total = content.projects.size();
    std::vector<Project*> result;
    result.reserve(total);
    Records<PropertyRecords> projectProperties;
    LinkMap links;
    AddressSpaceForecast forecast(content.projects);
    for (std::size_t i = 0; i < content.projects.size(); ++i) {
        const ProjectRecord& record = content.projects[i];
        auto project = std::make_unique<Project>();
        project->kind = record.kind;
        project->set_feeder_type_name(record.feederType);
        // Known before the project is shown: its scene reads it.
        projectProperties.push_back(record.properties);
        const int lengthUnit = takeLengthUnit(projectProperties.back());
        if (lengthUnit >= 0)
            project->set_length_unit(lengthUnit);
        std::string label = record.name;
        for (const PropertyRecord& p : record.properties) {
            if (p.name == "Label")
                label = p.value;
        }
        if (!memoryToSpare() || !forecast.fits(made))
            throw std::bad_alloc();
        Project* raw = app.adopt_project(std::move(project), record.name.c_str(), label.c_str());
        ++made;
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
        applyProperties(*project, projectProperties[i], record.name, links,
                        std::string("project ") + project->get_name());
        // The file's groups were checked for rings above, all at once.
        const ProjectObjectGroup::CheckedMembership checked(*project);
        for (const std::size_t k : propertyOrder(record)) {
            const ObjectRecord& written = record.objects[k];
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
    const Content content = parseBounded(in, "The copied data");
    checkGroupCycles(content, "The copied data");
    checkLengthUnits(content, "The copied data");
    if (content.projects.empty())
        return {};
    const ProjectRecord& record = content.projects.front();
    if (target.owner) {
        const std::string refusal = target.owner->growth_error("The copied data cannot be pasted", 0, record.objects.size());
        if (!refusal.empty())
            throw Error(refusal);
    }
    std::vector<std::unique_ptr<ProjectObject>> built = buildObjects(record, "The copied data");
    checkAmounts(record, built, "The copied data cannot be pasted", false);
    // Copied from a project whose lengths are in another unit: the same sizes and places.
    PropertyRecords projectProperties = record.properties;
    const int lengthUnit = takeLengthUnit(projectProperties);
    const double factor = lengthUnit >= 0 ? lengthFactor(lengthUnit, target.get_length_unit()) : 1.0;
    if (factor != 1.0)
        checkScaling(record, built, factor, lengthUnit, target.get_length_unit());
    for (const auto& object : built)
        if (auto* geometry = dynamic_cast<GeometryObject*>(object.get()); geometry && factor != 1.0)
            scaleSurface(*geometry, factor);

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
    // The copy's groups were checked for rings above, and hold only objects of the copy.
    const ProjectObjectGroup::CheckedMembership checked(target);
    for (const std::size_t i : propertyOrder(record)) {
        if (!created[i])
            continue;
        applyProperties(*created[i], record.objects[i].properties, record.name, links,
                        std::string("object ") + created[i]->get_name());
        if (factor != 1.0)
            scalePlacements(*created[i], lengthUnit, target.get_length_unit());
    }
    return created;
}

} // namespace Obj
