#include "vtkMRMLColorLogic.h"

#include "vtkMRMLColorTableNode.h"
#include "vtkMRMLColorTableStorageNode.h"
#include "vtkMRMLFreeSurferProceduralColorNode.h"
#include "vtkMRMLProceduralColorNode.h"
#include "vtkMRMLProceduralColorStorageNode.h"
#include "vtkMRMLScene.h"

#include <vtkLookupTable.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkWeakPointer.h>
#include <vtksys/SystemTools.hxx>

#include <algorithm>
#include <filesystem>
#include <map>
#include <ostream>

vtkStandardNewMacro(vtkMRMLColorLogic);

namespace {

bool quietlyReads(vtkMRMLStorageNode* storage, vtkMRMLNode* node)
{
    // A table reader tried on a procedural file is expected to fail: no error output.
    const bool globalWarnings = vtkObject::GetGlobalWarningDisplay();
    vtkObject::SetGlobalWarningDisplay(0);
    const bool ok = storage->ReadData(node) == 1;
    vtkObject::SetGlobalWarningDisplay(globalWarnings);
    return ok;
}

// The tables read from colour files, by path: each project's scene gets a node of its
// own, and those of one unchanged file share its entries (a table of a million entries
// takes tens of megabytes).  A file that no reader takes is remembered too, so that it is
// neither read nor warned about again for every project while it stays as it was.
struct SharedFile
{
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time;
    vtkWeakPointer<vtkLookupTable> table;
    std::vector<vtkWeakPointer<vtkMRMLColorTableNode>> nodes;
    bool refused = false;
};

std::map<std::string, SharedFile>& sharedFiles()
{
    static std::map<std::string, SharedFile> files;
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

    vtkNew<vtkMRMLColorTableStorageNode> tableStorage;
    vtkNew<vtkMRMLProceduralColorStorageNode> proceduralStorage;
    tableStorage->SetFileName(fileName);
    proceduralStorage->SetFileName(fileName);
    const bool tableType = tableStorage->SupportedFileType(fileName) != 0;
    const bool proceduralType = proceduralStorage->SupportedFileType(fileName) != 0;

    // What another scene learnt of this file, when it is unchanged since.
    SharedFile* shared = nullptr;
    bool unchanged = false;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time;
    if (tableType || proceduralType) {
        std::error_code error;
        const std::filesystem::path path = std::filesystem::absolute(fileName, error);
        if (!error)
            size = std::filesystem::file_size(path, error);
        if (!error)
            time = std::filesystem::last_write_time(path, error);
        if (!error) {
            shared = &sharedFiles()[path.lexically_normal().string()];
            unchanged = shared->size == size && shared->time == time;
        }
    }
    // Refused before and warned about then.
    if (unchanged && shared->refused)
        return nullptr;

    vtkSmartPointer<vtkMRMLColorNode> node;
    if (tableType) {
        if (unchanged) {
            if (vtkMRMLColorTableNode* source = sharedNode(*shared)) {
                auto table = vtkSmartPointer<vtkMRMLColorTableNode>::New();
                table->ShareEntriesWith(source);
                shared->nodes.emplace_back(table.GetPointer());
                node = table;
            }
        }
        if (!node) {
            auto table = vtkSmartPointer<vtkMRMLColorTableNode>::New();
            if (quietlyReads(tableStorage, table)) {
                node = table;
                if (shared) {
                    table->MarkEntriesShared();
                    *shared = SharedFile{size, time, table->GetLookupTable(), {table.GetPointer()}, false};
                }
            }
        }
    }
    if (!node && proceduralType) {
        auto procedural = vtkSmartPointer<vtkMRMLProceduralColorNode>::New();
        if (quietlyReads(proceduralStorage, procedural)) {
            node = procedural;
            if (shared && shared->refused)
                *shared = SharedFile{};
        }
    }
    if (!node) {
        if (shared)
            *shared = SharedFile{size, time, nullptr, {}, true};
        vtkWarningMacro("LoadColorFile: cannot read colour file \"" << fileName << "\"");
        return nullptr;
    }
    node->SetName(vtksys::SystemTools::GetFilenameWithoutLastExtension(fileName).c_str());
    node->SetID(id.c_str());
    return vtkMRMLColorNode::SafeDownCast(scene->AddNode(node));
}

void vtkMRMLColorLogic::AddDefaultColorNodes()
{
    vtkMRMLScene* scene = GetMRMLScene();
    if (!scene)
        return;
    if (!scene->GetNodeByID(GetRainbowColorNodeID())) {
        vtkNew<vtkMRMLColorTableNode> rainbow;
        rainbow->ShareEntriesWith(builtInTable(vtkMRMLColorNode::FullRainbow));
        rainbow->SetName("PmRainbow");
        rainbow->SetID(GetRainbowColorNodeID());
        scene->AddNode(rainbow);
    }
    if (!scene->GetNodeByID(GetGreyColorNodeID())) {
        vtkNew<vtkMRMLColorTableNode> grey;
        grey->ShareEntriesWith(builtInTable(vtkMRMLColorNode::Grey));
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
