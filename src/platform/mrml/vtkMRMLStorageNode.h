#pragma once
// Reads and writes the data of a storable node from and to a file. Subclasses implement
// ReadDataInternal / WriteDataInternal; the public calls check the input first.

#include "vtkMRMLNode.h"

class vtkMRMLStorageNode : public vtkMRMLNode
{
public:
    vtkTypeMacro(vtkMRMLStorageNode, vtkMRMLNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;

    vtkSetStringMacro(FileName);
    vtkGetStringMacro(FileName);
    // Where the data lives when it is not a local file.
    vtkSetStringMacro(URI);
    vtkGetStringMacro(URI);

    // States of a read: the data is staged (made local) before it is read.
    enum { Pending = 0, Ready, Scheduled, Transferring, TransferDone, Cancelled, SkippedNoData };
    vtkSetMacro(ReadState, int);
    vtkGetMacro(ReadState, int);
    // Makes the data local for reading.  A local file is there already (transfer done);
    // data named by a URI alone needs a transfer, which this build has no handler for, so
    // its read stays pending.
    virtual void StageReadData(vtkMRMLNode* refNode);

    // Whether what is read is to be added to the scene.
    vtkSetMacro(AddToScene, int);
    vtkGetMacro(AddToScene, int);

    // Whether this kind of storage node reads a file of that name (by its extension).
    virtual bool SupportedFileType(const char*) { return false; }

    // 1 on success, 0 on failure (no node, no file name, or the subclass failed).
    virtual int ReadData(vtkMRMLNode* refNode);
    virtual int WriteData(vtkMRMLNode* refNode);

protected:
    vtkMRMLStorageNode() = default;
    ~vtkMRMLStorageNode() override;
    vtkMRMLStorageNode(const vtkMRMLStorageNode&) = delete;
    void operator=(const vtkMRMLStorageNode&) = delete;

    virtual int ReadDataInternal(vtkMRMLNode*) { return 0; }
    virtual int WriteDataInternal(vtkMRMLNode*) { return 0; }

    char* FileName = nullptr;
    char* URI = nullptr;
    int ReadState = Ready;
    int AddToScene = 1;
};
