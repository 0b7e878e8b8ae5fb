#pragma once
// Reads and writes colour transfer functions as text: one point per line, "x r g b" with
// components 0..1; lines starting with "#" are comments.

#include "vtkMRMLStorageNode.h"

#include <cstddef>
#include <string>

class vtkMRMLProceduralColorStorageNode : public vtkMRMLStorageNode
{
public:
    static vtkMRMLProceduralColorStorageNode* New();
    vtkTypeMacro(vtkMRMLProceduralColorStorageNode, vtkMRMLStorageNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLProceduralColorStorageNode::New(); }
    const char* GetNodeTagName() override { return "ProceduralColorStorage"; }

    // By the file name's extension (".txt", ".pcf").
    virtual bool SupportedFileType(const char* fileName);
    // The most points a file may hold.
    static constexpr size_t MaximumPoints = 4096;

    const std::string& GetLastError() const { return LastError; }

protected:
    vtkMRMLProceduralColorStorageNode() = default;
    ~vtkMRMLProceduralColorStorageNode() override = default;
    vtkMRMLProceduralColorStorageNode(const vtkMRMLProceduralColorStorageNode&) = delete;
    void operator=(const vtkMRMLProceduralColorStorageNode&) = delete;

    int ReadDataInternal(vtkMRMLNode* refNode) override;
    int WriteDataInternal(vtkMRMLNode* refNode) override;

    std::string LastError;
};
