#include "vtkMRMLColorLogic.h"

#include "vtkMRMLColorTableNode.h"
#include "vtkMRMLColorTableStorageNode.h"
#include "vtkMRMLFreeSurferProceduralColorNode.h"
#include "vtkMRMLProceduralColorNode.h"
#include "vtkMRMLProceduralColorStorageNode.h"
#include "vtkMRMLScene.h"

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
#include <limits>
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

#include <sys/stat.h>

vtkStandardNewMacro(vtkMRMLColorLogic);

namespace {

// What a colour file gave, by the path it was named by: each project's scene gets a node of
// its own, and the nodes made from one unchanged file share what was read from it (a table
// of a million entries takes tens of megabytes; a transfer function of thousands of points
// takes tens of milliseconds to build).  A file that no reader takes is remembered too, so
// that it is neither read nor warned about again for every project while it stays as it was.
struct SharedFile
{
    // The file as it was read: its size and time of change.
    off_t size = -1;
    std::int64_t time = 0;
    std::int64_t timeNanoseconds = 0;
    vtkWeakPointer<vtkLookupTable> table;
    std::vector<vtkWeakPointer<vtkMRMLColorTableNode>> nodes;
    vtkSmartPointer<vtkColorTransferFunction> function;
    bool refused = false;
};

std::unordered_map<std::string, SharedFile>& sharedFiles()
{
    static std::unordered_map<std::string, SharedFile> files;
    return files;
}

// The node that still shows the entries read from the file, or null.  Every scene that
// loads the file adds a node here, so this must not walk the whole list each time: the
// newest node is asked first, nodes gone or changed are dropped from the end, and the
// rest of the list is swept only as it doubles.
vtkMRMLColorTableNode* sharedNode(SharedFile& file)
{
    auto& nodes = file.nodes;
    const auto stale = [&file](const vtkWeakPointer<vtkMRMLColorTableNode>& node) {
        return !node || !file.table || node->GetLookupTable() != file.table;
    };
    if (nodes.size() >= 64 && (nodes.size() & (nodes.size() - 1)) == 0)
        nodes.erase(std::remove_if(nodes.begin(), nodes.end(), stale), nodes.end());
    while (!nodes.empty() && stale(nodes.back()))
        nodes.pop_back();
    return nodes.empty() ? nullptr : nodes.back().GetPointer();
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

    // What another scene learnt of this file, when it is unchanged since: one look at the
    // file, whatever it holds.
    struct stat status{};
    SharedFile* shared = nullptr;
    bool unchanged = false;
    if (::stat(fileName, &status) == 0) {
        shared = &sharedFiles()[fileName];
        unchanged = shared->size == status.st_size && shared->time == status.st_mtim.tv_sec
            && shared->timeNanoseconds == status.st_mtim.tv_nsec;
    }
    // Refused before and warned about then.
    if (unchanged && shared->refused)
        return nullptr;

    vtkSmartPointer<vtkMRMLColorNode> node;
    if (unchanged && shared->function) {
        auto procedural = vtkSmartPointer<vtkMRMLProceduralColorNode>::New();
        procedural->SetAndObserveColorTransferFunction(shared->function);
        procedural->SetTypeToFile();
        node = procedural;
    } else if (unchanged) {
        if (vtkMRMLColorTableNode* source = sharedNode(*shared)) {
            auto table = vtkSmartPointer<vtkMRMLColorTableNode>::Take(vtkMRMLColorTableNode::NewSharing(source));
            shared->nodes.emplace_back(table.GetPointer());
            node = table;
        }
    }
    if (!node) {
        vtkNew<vtkMRMLColorTableStorageNode> tableStorage;
        vtkNew<vtkMRMLProceduralColorStorageNode> proceduralStorage;
        tableStorage->SetFileName(fileName);
        proceduralStorage->SetFileName(fileName);
        const bool tableType = tableStorage->SupportedFileType(fileName);
        const bool proceduralType = proceduralStorage->SupportedFileType(fileName);
        SharedFile read;
        if (shared) {
            read.size = status.st_size;
            read.time = status.st_mtim.tv_sec;
            read.timeNanoseconds = status.st_mtim.tv_nsec;
        }
        // The readers' own reports name our sources; the reason goes into one warning below.
        const bool globalWarnings = vtkObject::GetGlobalWarningDisplay();
        vtkObject::SetGlobalWarningDisplay(0);
        if (tableType) {
            auto table = vtkSmartPointer<vtkMRMLColorTableNode>::New();
            if (tableStorage->ReadData(table) == 1) {
                table->MarkEntriesShared();
                read.table = table->GetLookupTable();
                read.nodes.emplace_back(table.GetPointer());
                node = table;
            }
        }
        if (!node && proceduralType) {
            if (vtkSmartPointer<vtkColorTransferFunction> function = proceduralStorage->ReadFunction()) {
                auto procedural = vtkSmartPointer<vtkMRMLProceduralColorNode>::New();
                procedural->SetAndObserveColorTransferFunction(function);
                procedural->SetTypeToFile();
                read.function = function;
                node = procedural;
            }
        }
        vtkObject::SetGlobalWarningDisplay(globalWarnings);
        if (!node) {
            read.refused = true;
            WarnPlainly("Colour file \"" + std::string(fileName) + "\" is not read: "
                           + refusalReason(tableType, tableStorage, proceduralType, proceduralStorage));
        }
        if (shared)
            *shared = std::move(read);
        if (!node)
            return nullptr;
    }
    node->SetName(vtksys::SystemTools::GetFilenameWithoutLastExtension(fileName).c_str());
    node->SetID(id.c_str());
    return vtkMRMLColorNode::SafeDownCast(scene->AddNode(node));
}

void vtkMRMLColorLogic::WarnPlainly(const std::string& text)
{
    if (HasObserver(vtkCommand::WarningEvent))
        InvokeEvent(vtkCommand::WarningEvent, const_cast<char*>(text.c_str()));
    else if (vtkObject::GetGlobalWarningDisplay())
        vtkOutputWindow::GetInstance()->DisplayWarningText(text.c_str());
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
    for (const std::string& file : FindDefaultColorFiles())
        LoadColorFile(file.c_str());
    for (const std::string& file : FindUserColorFiles())
        LoadColorFile(file.c_str());
}

void vtkMRMLColorLogic::SetMRMLSceneInternal(vtkMRMLScene* scene)
{
    Superclass::SetMRMLSceneInternal(scene);
    AddDefaultColorNodes();
}
