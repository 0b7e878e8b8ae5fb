#include "vtkMRMLFreeSurferModelStorageNode.h"

#include "MRMLFreeSurferSurface.h"

#include <vtkObjectFactory.h>

vtkStandardNewMacro(vtkMRMLFreeSurferModelStorageNode);

bool vtkMRMLFreeSurferModelStorageNode::IsSupportedFileName(const char* fileName)
{
    return mrmlmodelfile::isFreeSurferSurfaceName(fileName);
}

vtkPolyData* vtkMRMLFreeSurferModelStorageNode::ReadSurface(const char* fileName, std::string& error)
{
    return mrmlmodelfile::readFreeSurferSurface(fileName, error);
}

int vtkMRMLFreeSurferModelStorageNode::WriteDataInternal(vtkMRMLNode*)
{
    LastError = "WriteData: FreeSurfer surfaces are not written";
    vtkErrorMacro(<< LastError);
    return 0;
}
