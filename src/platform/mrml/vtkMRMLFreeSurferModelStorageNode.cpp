#include "vtkMRMLFreeSurferModelStorageNode.h"

#include "MRMLFreeSurferSurface.h"
#include "vtkMRMLModelNode.h"

#include <vtkObjectFactory.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

vtkStandardNewMacro(vtkMRMLFreeSurferModelStorageNode);

bool vtkMRMLFreeSurferModelStorageNode::IsSupportedFileName(const char* fileName)
{
    return mrmlmodelfile::isFreeSurferSurfaceName(fileName);
}

vtkPolyData* vtkMRMLFreeSurferModelStorageNode::ReadSurface(const char* fileName, std::string& error)
{
    return mrmlmodelfile::readFreeSurferSurface(fileName, error);
}

int vtkMRMLFreeSurferModelStorageNode::ReadDataInternal(vtkMRMLNode* refNode)
{
    auto* model = vtkMRMLModelNode::SafeDownCast(refNode);
    if (!model) {
        LastError = "ReadData: the node to read into is not a model node";
        vtkErrorMacro(<< LastError);
        return 0;
    }
    if (!StageLocalFile(refNode))
        return 0;
    vtkSmartPointer<vtkPolyData> surface = vtkSmartPointer<vtkPolyData>::Take(ReadSurface(GetFileName(), LastError));
    if (!surface) {
        LastError = "ReadData: " + LastError;
        vtkErrorMacro(<< LastError);
        return 0;
    }
    LastError.clear();
    model->SetAndObservePolyData(surface);
    return 1;
}

int vtkMRMLFreeSurferModelStorageNode::WriteDataInternal(vtkMRMLNode*)
{
    LastError = "WriteData: FreeSurfer surfaces are not written";
    vtkErrorMacro(<< LastError);
    return 0;
}
