#include "vtkMRMLColorLogic.h"

#include "vtkMRMLColorTableNode.h"
#include "vtkMRMLColorTableStorageNode.h"
#include "vtkMRMLDeferredNodes.h"
#include "vtkMRMLFreeSurferProceduralColorNode.h"
#include "vtkMRMLProceduralColorNode.h"
#include "vtkMRMLProceduralColorStorageNode.h"
#include "vtkMRMLScene.h"

#include <counted/CountedSteps.h>
#include <vexil/MsgConsole.h>
#include <vexil/PrintableText.h>
#include <vtkColorTransferFunction.h>
#include <vtkCommand.h>
#include <vtkLookupTable.h>
#include <vtkOutputWindow.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkWeakPointer.h>
#include <vtksys/SystemTools.hxx>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string_view>
#include <limits>
#include <ostream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <sys/stat.h>

vtkStandardNewMacro(vtkMRMLColorLogic);

namespace {

// The step of the file times that the logic counts on: two seconds, the coarsest of the
// common file systems (FAT; ext3 and some network shares keep whole seconds).  Within one
// step a file can be rewritten and keep its times.
std::int64_t fileTimeResolution = 2'000'000'000;

// A time in steps of the resolution.
std::int64_t tickOf(const timespec& time)
{
    const std::int64_t nanoseconds = std::int64_t(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    return nanoseconds >= 0 ? nanoseconds / fileTimeResolution : -((-nanoseconds - 1) / fileTimeResolution) - 1;
}

// A file as it was looked at: besides its size and time of change, what no one can put
// back (its inode and its time of status change), so that a file rewritten with its old
// size and time (cp -p, rsync -t, an archive unpacked) is still seen to have changed.
struct FileState
{
    bool seen = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t time = 0;
    std::int64_t statusTime = 0;
    // Changed within the step of the clock it was looked at in (or stamped ahead of the
    // clock): a rewrite within that step would leave every field above as it is.
    bool recent = false;

    static FileState of(const std::string& path)
    {
        FileState state;
        // The clock is read first: a change after it falls in this step or a later one.
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        struct stat status{};
        if (::stat(path.c_str(), &status) != 0)
            return state;
        state.seen = true;
        state.device = status.st_dev;
        state.inode = status.st_ino;
        state.size = status.st_size;
        state.time = tickOf(status.st_mtim);
        state.statusTime = tickOf(status.st_ctim);
        state.recent = std::max(state.time, state.statusTime) >= tickOf(now);
        return state;
    }
    bool operator==(const FileState& other) const
    {
        if (seen != other.seen)
            return false;
        return !seen
               || (device == other.device && inode == other.inode && size == other.size && time == other.time
                   && statusTime == other.statusTime);
    }
    bool operator!=(const FileState& other) const { return !(*this == other); }
};

// FNV-1a of the file's bytes; false when it cannot be read whole.
bool contentHash(const std::string& path, std::uint64_t& hash)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    hash = 14695981039346656037ull;
    char buffer[65536];
    while (in) {
        in.read(buffer, sizeof buffer);
        const std::streamsize got = in.gcount();
        for (std::streamsize i = 0; i < got; ++i) {
            hash ^= static_cast<unsigned char>(buffer[i]);
            hash *= 1099511628211ull;
        }
    }
    return in.eof();
}

// What a colour file gave, by the path it was named by: read once while it stays as it
// was, and shared by the nodes of every project's scene (a table of a million entries
// takes tens of megabytes; a transfer function of thousands of points takes tens of
// milliseconds to build).  A file that no reader takes is remembered too, so that it is
// neither read nor warned about again for every project while it stays as it was.
struct SharedFile
{
    FileState state;
    // Of the bytes read, kept while the file's times cannot tell a rewrite (state.recent).
    std::uint64_t hash = 0;
    bool hashed = false;
    // The entries of a table, in a node of no scene that the scenes' nodes share.
    vtkSmartPointer<vtkMRMLColorTableNode> table;
    vtkSmartPointer<vtkColorTransferFunction> function;
    bool refused = true;
};

// Colour files read (parsed) since the start: a count for tests and benchmarks.
long long colorFileReads = 0;

// Each look-up counts the entries of the path's bucket, and a walk each entry reached, as
// node slots of the scene that asks: a project checking every file shows in its count.
using SharedFiles = Counted::HashMap<std::string, SharedFile, &vtkMRMLScene::NodeSlotSteps>;
SharedFiles& sharedFiles()
{
    static SharedFiles files;
    return files;
}

// Why neither reader took the file: the reason of the one that read further (a reason
// for the whole file, such as its size, comes after every line), the table's when both
// stopped at the same place.
std::string refusalReason(bool tableTried, const vtkMRMLColorTableStorageNode* table, bool proceduralTried,
                          const vtkMRMLProceduralColorStorageNode* procedural)
{
    const auto depth = [](size_t line) { return line == 0 ? std::numeric_limits<size_t>::max() : line; };
    if (tableTried && (!proceduralTried || depth(table->GetLastErrorLine()) >= depth(procedural->GetLastErrorLine())))
        return table->GetLastError();
    if (proceduralTried)
        return procedural->GetLastError();
    return "it is neither a colour table (\".txt\", \".ctbl\") nor a procedural colour file (\".txt\", \".pcf\")";
}

// The built-in tables are alike in every scene: each scene's node shows the entries of one
// table made on first use, and copies them only when that node is changed.
vtkMRMLColorTableNode* builtInTable(int type)
{
    static vtkSmartPointer<vtkMRMLColorTableNode> rainbow;
    static vtkSmartPointer<vtkMRMLColorTableNode> grey;
    vtkSmartPointer<vtkMRMLColorTableNode>& table = type == vtkMRMLColorNode::Grey ? grey : rainbow;
    if (!table) {
        table = vtkSmartPointer<vtkMRMLColorTableNode>::New();
        table->SetTypeAndColors(type, 256);
        table->MarkEntriesShared();
    }
    return table;
}

using Warning = std::function<void(const std::string&)>;

// A warning nobody observes goes to the console, a line of its own, so that the Output,
// the log and standard error all have it (VTK's own output window would print it raw,
// joined to the next one).
void warnThroughConsole(const std::string& text)
{
    Vexil::MsgConsoleSingleton::Instance().Warning("%s\n", text.c_str());
}

// Whether the file is as it was when `known` was read.  Where its times cannot tell (it
// changed within the step of the clock it was read in), its bytes are compared, until a
// look in a later step finds them the same.
bool unchanged(SharedFile& known, const std::string& path)
{
    const FileState now = FileState::of(path);
    if (known.state != now)
        return false;
    if (!known.state.recent || !known.state.seen)
        return true;
    std::uint64_t hash = 0;
    if (!known.hashed || !contentHash(path, hash) || hash != known.hash)
        return false;
    known.state.recent = now.recent;
    return true;
}

// The file as read last, read again when it changed; a refusal is warned about once per
// change.
const SharedFile& readShared(const std::string& fileName, const Warning& warn)
{
    const auto found = sharedFiles().find(fileName);
    if (found != sharedFiles().end() && unchanged(found->second, fileName))
        return found->second;
    ++colorFileReads;
    SharedFile read;
    read.state = FileState::of(fileName);
    // Taken before the readers read: a rewrite in between shows as a change next time.
    if (read.state.recent)
        read.hashed = contentHash(fileName, read.hash);
    vtkNew<vtkMRMLColorTableStorageNode> tableStorage;
    vtkNew<vtkMRMLProceduralColorStorageNode> proceduralStorage;
    tableStorage->SetFileName(fileName.c_str());
    proceduralStorage->SetFileName(fileName.c_str());
    const bool tableType = tableStorage->SupportedFileType(fileName.c_str());
    const bool proceduralType = proceduralStorage->SupportedFileType(fileName.c_str());
    // The readers' own reports name our sources; the reason goes into one warning below.
    const bool globalWarnings = vtkObject::GetGlobalWarningDisplay();
    vtkObject::SetGlobalWarningDisplay(0);
    if (tableType) {
        auto table = vtkSmartPointer<vtkMRMLColorTableNode>::New();
        if (tableStorage->ReadData(table) == 1) {
            table->MarkEntriesShared();
            read.table = table;
        }
    }
    if (!read.table && proceduralType)
        read.function = proceduralStorage->ReadFunction();
    vtkObject::SetGlobalWarningDisplay(globalWarnings);
    read.refused = !read.table && !read.function;
    if (read.refused)
        warn("Colour file \"" + Vexil::printableText(fileName) + "\" is not read: "
             + refusalReason(tableType, tableStorage, proceduralType, proceduralStorage));
    SharedFile& slot = sharedFiles()[fileName];
    slot = std::move(read);
    return slot;
}

// The name a colour file's node is shown by: its file name without the extension, with
// the bytes of a name that is not UTF-8 (or that holds control characters) escaped.
std::string nodeName(const std::string& path)
{
    return Vexil::printableText(vtksys::SystemTools::GetFilenameWithoutLastExtension(path));
}

// A new node of a scene that shows what the file gave, null for a refused file.
vtkSmartPointer<vtkMRMLColorNode> nodeOf(const SharedFile& file, const std::string& id, const std::string& name)
{
    vtkSmartPointer<vtkMRMLColorNode> node;
    if (file.function) {
        auto procedural = vtkSmartPointer<vtkMRMLProceduralColorNode>::New();
        procedural->SetAndObserveColorTransferFunction(file.function);
        procedural->SetTypeToFile();
        node = procedural;
    } else if (file.table) {
        node = vtkSmartPointer<vtkMRMLColorTableNode>::Take(vtkMRMLColorTableNode::NewSharing(file.table));
    } else {
        return nullptr;
    }
    node->SetName(name.c_str());
    node->SetID(id.c_str());
    return node;
}

// The colour nodes of a list of files, read once, that every project's scene shows and
// makes a node of only when asked for: a project costs the same whatever the folder holds.
class FileColorNodes : public vtkMRMLDeferredNodes
{
public:
    struct Entry
    {
        std::string path;
        std::string id;
        std::string name;
        bool procedural = false;
    };

    static std::shared_ptr<FileColorNodes> Read(const std::vector<std::string>& files, const Warning& warn)
    {
        auto list = std::make_shared<FileColorNodes>();
        list->Files.reserve(files.size());
        for (const std::string& path : files)
            list->Files.push_back(path);
        std::unordered_set<std::string, Counted::SeededHash<std::string>> ids;
        for (const std::string& path : files) {
            const SharedFile& file = readShared(path, warn);
            if (file.refused) {
                list->Refused.push_back(path);
                continue;
            }
            // The first file of a name gives the node of that ID.
            std::string id = vtkMRMLColorLogic::GetFileColorNodeID(path.c_str());
            if (!ids.insert(id).second)
                continue;
            list->Entries.push_back(Entry{path, std::move(id),
                                          nodeName(path),
                                          static_cast<bool>(file.function)});
        }
        for (size_t i = 0; i < list->Entries.size(); ++i) {
            const Entry& entry = list->Entries[i];
            list->Procedurals += entry.procedural ? 1 : 0;
            list->ByID.emplace(entry.id, i);
            list->ByName.emplace(entry.name, i);
        }
        return list;
    }

    // True while the files found are those it was read from (unless no list is given), a
    // file it refused is as it was, and none of its files went bad since.
    bool Holds(const std::vector<std::string>* files) const
    {
        if (Stale || (files && !std::equal(files->begin(), files->end(), Files.begin(), Files.end())))
            return false;
        for (const std::string& path : Refused) {
            const auto known = sharedFiles().find(path);
            if (known == sharedFiles().end() || !unchanged(known->second, path))
                return false;
        }
        return true;
    }

    // Where a file that went bad is reported when its node is asked for.
    Warning Warn;
    // The logic's stamp of the folders when the files were found.
    std::string Stamp;

    // Every list the logic makes stands for the colour files of the moment: a newer one
    // takes an older one's place in a scene.
    const void* GetSource() const override
    {
        static const char files = 0;
        return &files;
    }
    size_t GetNumberOfNodes() const override { return Entries.size(); }
    const char* GetNodeID(size_t i) const override { return Entries[i].id.c_str(); }
    const char* GetNodeName(size_t i) const override { return Entries[i].name.c_str(); }
    bool NodeIsA(size_t i, const char* className) const override
    {
        // Asked for every node in turn with one class name: the answers for the two kinds
        // are kept for the last name asked.
        if (!className)
            return false;
        if (LastClass != className) {
            LastClass = className;
            LastIsTable = vtkMRMLColorTableNode::IsTypeOf(className) != 0;
            LastIsProcedural = vtkMRMLProceduralColorNode::IsTypeOf(className) != 0;
        }
        return Entries[i].procedural ? LastIsProcedural : LastIsTable;
    }
    bool HoldsNodesOf(const char* className) const override
    {
        return vtkMRMLProceduralColorNode::IsTypeOf(className) || vtkMRMLColorTableNode::IsTypeOf(className);
    }
    bool AllNodesAre(const char* className) const override
    {
        return (Procedurals == 0 || vtkMRMLProceduralColorNode::IsTypeOf(className))
               && (Procedurals == Entries.size() || vtkMRMLColorTableNode::IsTypeOf(className));
    }
    size_t FindNode(std::string_view id) const override
    {
        const auto found = ByID.find(id);
        return found == ByID.end() ? npos : found->second;
    }
    size_t FindNodeByName(std::string_view name) const override
    {
        const auto found = ByName.find(name);
        return found == ByName.end() ? npos : found->second;
    }
    vtkSmartPointer<vtkMRMLNode> MakeNode(size_t i) override
    {
        // A file changed in place is read again here; one gone bad is left out of the
        // list the next project gets.
        const Entry& entry = Entries[i];
        const SharedFile& file = readShared(entry.path, Warn ? Warn : Warning([](const std::string&) {}));
        if (file.refused) {
            Stale = true;
            return nullptr;
        }
        return nodeOf(file, entry.id, entry.name);
    }

private:
    // Each file reached is counted as a node slot of the scene that asks, as the entries are.
    Counted::Vector<std::string, &vtkMRMLScene::NodeSlotSteps> Files;
    std::vector<std::string> Refused;
    // Each entry reached by index is counted as a node slot of the scene that asks: a scene
    // walking the folder's tables shows in its count however little that allocates.
    Counted::Vector<Entry, &vtkMRMLScene::NodeSlotSteps> Entries;
    size_t Procedurals = 0;
    // Each look-up counts the entries of the key's bucket, and a walk each entry reached,
    // as node slots of the scene that asks, as the entries are.
    Counted::HashMap<std::string_view, size_t, &vtkMRMLScene::NodeSlotSteps> ByID;
    Counted::HashMap<std::string_view, size_t, &vtkMRMLScene::NodeSlotSteps> ByName;
    bool Stale = false;
    mutable std::string LastClass;
    mutable bool LastIsTable = false;
    mutable bool LastIsProcedural = false;
};

// The list of the files found last: alike for every project while the folders and the
// files it refused stay as they were.
std::shared_ptr<FileColorNodes>& currentFileNodes()
{
    static std::shared_ptr<FileColorNodes> list;
    return list;
}

} // namespace

vtkMRMLColorLogic::vtkMRMLColorLogic() = default;

vtkMRMLColorLogic::~vtkMRMLColorLogic()
{
    delete[] UserColorFilePaths;
}

void vtkMRMLColorLogic::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "UserColorFilePaths: " << (UserColorFilePaths ? UserColorFilePaths : "(none)") << "\n";
}

const char* vtkMRMLColorLogic::GetDefaultVolumeColorNodeID()
{
    return GetGreyColorNodeID();
}

const char* vtkMRMLColorLogic::GetDefaultModelColorNodeID()
{
    return GetRainbowColorNodeID();
}

const char* vtkMRMLColorLogic::GetDefaultLabelMapColorNodeID()
{
    return GetRainbowColorNodeID();
}

const char* vtkMRMLColorLogic::GetDefaultEditorColorNodeID()
{
    return GetRainbowColorNodeID();
}

const char* vtkMRMLColorLogic::GetDefaultChartColorNodeID()
{
    return GetRainbowColorNodeID();
}

const char* vtkMRMLColorLogic::GetDefaultPlotColorNodeID()
{
    return GetRainbowColorNodeID();
}

const char* vtkMRMLColorLogic::GetDefaultFreeSurferLabelMapColorNodeID()
{
    return GetHeatColorNodeID();
}

std::string vtkMRMLColorLogic::GetFileColorNodeID(const char* fileName)
{
    return "vtkMRMLColorTableNodeFile" + vtksys::SystemTools::GetFilenameName(fileName ? fileName : "");
}

std::vector<std::string> vtkMRMLColorLogic::FindDefaultColorFiles()
{
    return {};
}

std::vector<std::string> vtkMRMLColorLogic::FindUserColorFiles()
{
    return {};
}

void vtkMRMLColorLogic::AddColorFile(const char* path, std::vector<std::string>* files)
{
    if (path && files)
        files->emplace_back(path);
}

vtkMRMLColorNode* vtkMRMLColorLogic::LoadColorFile(const char* fileName)
{
    vtkMRMLScene* scene = GetMRMLScene();
    if (!scene || !fileName || !*fileName)
        return nullptr;
    const std::string id = GetFileColorNodeID(fileName);
    if (auto* present = vtkMRMLColorNode::SafeDownCast(scene->GetNodeByID(id)))
        return present;
    const SharedFile& file = readShared(fileName, [this](const std::string& text) { WarnPlainly(text); });
    vtkSmartPointer<vtkMRMLColorNode> node =
        nodeOf(file, id, nodeName(fileName));
    return node ? vtkMRMLColorNode::SafeDownCast(scene->AddNode(node)) : nullptr;
}

long long vtkMRMLColorLogic::GetNumberOfColorFileReads()
{
    return colorFileReads;
}

long long vtkMRMLColorLogic::SetFileTimeResolution(long long nanoseconds)
{
    const long long previous = fileTimeResolution;
    if (nanoseconds > 0)
        fileTimeResolution = nanoseconds;
    return previous;
}

void vtkMRMLColorLogic::WarnPlainly(const std::string& text)
{
    if (HasObserver(vtkCommand::WarningEvent))
        InvokeEvent(vtkCommand::WarningEvent, const_cast<char*>(text.c_str()));
    else
        warnThroughConsole(text);
}

void vtkMRMLColorLogic::AddDefaultColorNodes()
{
    vtkMRMLScene* scene = GetMRMLScene();
    if (!scene)
        return;
    if (!scene->GetNodeByID(GetRainbowColorNodeID())) {
        auto rainbow = vtkSmartPointer<vtkMRMLColorTableNode>::Take(
            vtkMRMLColorTableNode::NewSharing(builtInTable(vtkMRMLColorNode::FullRainbow)));
        rainbow->SetName("PmRainbow");
        rainbow->SetID(GetRainbowColorNodeID());
        scene->AddNode(rainbow);
    }
    if (!scene->GetNodeByID(GetGreyColorNodeID())) {
        auto grey = vtkSmartPointer<vtkMRMLColorTableNode>::Take(
            vtkMRMLColorTableNode::NewSharing(builtInTable(vtkMRMLColorNode::Grey)));
        grey->SetName("Grey");
        grey->SetID(GetGreyColorNodeID());
        scene->AddNode(grey);
    }
    if (!scene->GetNodeByID(GetHeatColorNodeID())) {
        vtkNew<vtkMRMLFreeSurferProceduralColorNode> heat;
        heat->SetName("Heat");
        heat->SetID(GetHeatColorNodeID());
        scene->AddNode(heat);
    }
    // The scene shows a node for every file found, and makes one only when it is asked for.
    vtkWeakPointer<vtkMRMLColorLogic> self(this);
    Warning warn = [self](const std::string& text) {
        if (self)
            self->WarnPlainly(text);
        else
            warnThroughConsole(text);
    };
    std::shared_ptr<FileColorNodes>& list = currentFileNodes();
    // Searching the folders copies the name of every file found: skipped while they are
    // as they were when the list was made.
    const std::string stamp = ColorFilesStamp();
    if (!list || stamp.empty() || list->Stamp != stamp || !list->Holds(nullptr)) {
        std::vector<std::string> files = FindDefaultColorFiles();
        std::vector<std::string> user = FindUserColorFiles();
        files.insert(files.end(), std::make_move_iterator(user.begin()), std::make_move_iterator(user.end()));
        if (!list || !list->Holds(&files))
            list = FileColorNodes::Read(files, warn);
        list->Stamp = stamp;
    }
    list->Warn = warn;
    if (list->GetNumberOfNodes() > 0)
        scene->AddDeferredNodes(list);
}

void vtkMRMLColorLogic::SetMRMLSceneInternal(vtkMRMLScene* scene)
{
    Superclass::SetMRMLSceneInternal(scene);
    AddDefaultColorNodes();
}
