#pragma once
// Reads the poly data of a model node from a FreeSurfer triangle surface file (lh.pial,
// rh.white, ...). The model loader falls back to it for names the model storage node does
// not take. Such surfaces are not written back.

#include "vtkMRMLModelStorageNode.h"

class vtkMRMLFreeSurferModelStorageNode : public vtkMRMLModelStorageNode
{
public:
    static vtkMRMLFreeSurferModelStorageNode* New();
    vtkTypeMacro(vtkMRMLFreeSurferModelStorageNode, vtkMRMLModelStorageNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLFreeSurferModelStorageNode::New(); }
    const char* GetNodeTagName() override { return "FreeSurferModelStorage"; }

    static bool IsSupportedFileName(const char* fileName);
    bool SupportedFileType(const char* fileName) override { return IsSupportedFileName(fileName); }

    // Reads the surface into new poly data; null with `error` set, as
    // vtkMRMLModelStorageNode::ReadPolyData does.
    static vtkPolyData* ReadSurface(const char* fileName, std::string& error);

protected:
    vtkMRMLFreeSurferModelStorageNode() = default;
    ~vtkMRMLFreeSurferModelStorageNode() override = default;
    vtkMRMLFreeSurferModelStorageNode(const vtkMRMLFreeSurferModelStorageNode&) = delete;
    void operator=(const vtkMRMLFreeSurferModelStorageNode&) = delete;

    vtkPolyData* ReadFile(const char* fileName, std::string& error) override { return ReadSurface(fileName, error); }
    int WriteDataInternal(vtkMRMLNode* refNode) override;
};
