#pragma once
// Reads and writes colour transfer functions as text: one point per line, "x r g b" with
// components 0..1; lines starting with "#" are comments.

#include "vtkMRMLStorageNode.h"

#include <vtkSmartPointer.h>

#include <cstddef>
#include <string>

class vtkColorTransferFunction;

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
    static constexpr size_t MaximumBytes = size_t(16) << 20;

    // The function the file holds, built apart from any node; null when the file is
    // refused, with the reason in GetLastError.
    vtkSmartPointer<vtkColorTransferFunction> ReadFunction();

    // Why the last read or write failed; for a read, a reason that names no file.
    const std::string& GetLastError() const { return LastError; }
    // The line of the file the last read stopped at, 0 when it failed for the whole file.
    size_t GetLastErrorLine() const { return LastErrorLine; }

protected:
    vtkMRMLProceduralColorStorageNode() = default;
    ~vtkMRMLProceduralColorStorageNode() override = default;
    vtkMRMLProceduralColorStorageNode(const vtkMRMLProceduralColorStorageNode&) = delete;
    void operator=(const vtkMRMLProceduralColorStorageNode&) = delete;

    int ReadDataInternal(vtkMRMLNode* refNode) override;
    int WriteDataInternal(vtkMRMLNode* refNode) override;

    std::string LastError;
    size_t LastErrorLine = 0;
};
