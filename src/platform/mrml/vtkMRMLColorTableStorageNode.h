#pragma once
// Reads and writes colour tables as text: one line per colour, "index name r g b a" with
// components 0..255; lines starting with "#" are comments.

#include "vtkMRMLStorageNode.h"

#include <string>

class vtkMRMLColorTableStorageNode : public vtkMRMLStorageNode
{
public:
    static vtkMRMLColorTableStorageNode* New();
    vtkTypeMacro(vtkMRMLColorTableStorageNode, vtkMRMLStorageNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLColorTableStorageNode::New(); }
    const char* GetNodeTagName() override { return "ColorTableStorage"; }

    // By the file name's extension (".txt", ".ctbl").
    virtual bool SupportedFileType(const char* fileName);
    // The largest index a file may use.
    static constexpr int MaximumIndex = 1000000;

    const std::string& GetLastError() const { return LastError; }

protected:
    vtkMRMLColorTableStorageNode() = default;
    ~vtkMRMLColorTableStorageNode() override = default;
    vtkMRMLColorTableStorageNode(const vtkMRMLColorTableStorageNode&) = delete;
    void operator=(const vtkMRMLColorTableStorageNode&) = delete;

    int ReadDataInternal(vtkMRMLNode* refNode) override;
    int WriteDataInternal(vtkMRMLNode* refNode) override;

    std::string LastError;
};
