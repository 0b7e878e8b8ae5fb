#include "vtkMRMLColorLogic.h"

#include "vtkMRMLColorTableNode.h"
#include "vtkMRMLColorTableStorageNode.h"
#include "vtkMRMLFreeSurferProceduralColorNode.h"
#include "vtkMRMLProceduralColorNode.h"
#include "vtkMRMLProceduralColorStorageNode.h"
#include "vtkMRMLScene.h"

#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtksys/SystemTools.hxx>

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
    vtkSmartPointer<vtkMRMLColorNode> node;
    if (tableStorage->SupportedFileType(fileName)) {
        auto table = vtkSmartPointer<vtkMRMLColorTableNode>::New();
        if (quietlyReads(tableStorage, table))
            node = table;
    }
    if (!node && proceduralStorage->SupportedFileType(fileName)) {
        auto procedural = vtkSmartPointer<vtkMRMLProceduralColorNode>::New();
        if (quietlyReads(proceduralStorage, procedural))
            node = procedural;
    }
    if (!node) {
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
        rainbow->SetTypeAndColors(vtkMRMLColorNode::FullRainbow, 256);
        rainbow->SetName("PmRainbow");
        rainbow->SetID(GetRainbowColorNodeID());
        scene->AddNode(rainbow);
    }
    if (!scene->GetNodeByID(GetGreyColorNodeID())) {
        vtkNew<vtkMRMLColorTableNode> grey;
        grey->SetTypeAndColors(vtkMRMLColorNode::Grey, 256);
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
