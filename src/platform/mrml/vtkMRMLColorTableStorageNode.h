#pragma once
// Reads and writes colour tables as text: one line per colour, "index name r g b a" with
// components 0..255; lines starting with "#" are comments.

#include "vtkMRMLStorageNode.h"

#include <cstddef>
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
    // The largest file read.
    static constexpr size_t MaximumBytes = size_t(64) << 20;

    // Why the last read or write failed; for a read, a reason that names no file.
    const std::string& GetLastError() const { return LastError; }
    // The line of the file the last read stopped at, 0 when it failed for the whole file.
    size_t GetLastErrorLine() const { return LastErrorLine; }

protected:
    vtkMRMLColorTableStorageNode() = default;
    ~vtkMRMLColorTableStorageNode() override = default;
    vtkMRMLColorTableStorageNode(const vtkMRMLColorTableStorageNode&) = delete;
    void operator=(const vtkMRMLColorTableStorageNode&) = delete;

    int ReadDataInternal(vtkMRMLNode* refNode) override;
    int WriteDataInternal(vtkMRMLNode* refNode) override;

    std::string LastError;
    size_t LastErrorLine = 0;
};
