#pragma once
// Reads and writes the poly data of a model node with VTK's readers and writers, chosen by
// the file's extension: .vtk (legacy), .vtp (XML), .stl, .ply and .obj. A file that cannot
// be read leaves the model node unchanged and gives one clear error.

#include "vtkMRMLStorageNode.h"

#include <string>
#include <vector>

class vtkMRMLModelNode;
class vtkMRMLScene;
class vtkPolyData;

class vtkMRMLModelStorageNode : public vtkMRMLStorageNode
{
public:
    static vtkMRMLModelStorageNode* New();
    vtkTypeMacro(vtkMRMLModelStorageNode, vtkMRMLStorageNode);

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLModelStorageNode::New(); }
    const char* GetNodeTagName() override { return "ModelStorage"; }

    // Lower-case extensions with their dot, in the order tried for a file dialog.
    static std::vector<std::string> GetSupportedFileExtensions();
    static bool IsSupportedFileName(const char* fileName);
    bool SupportedFileType(const char* fileName) override { return IsSupportedFileName(fileName); }

    // Reads the file into new poly data; null with `error` set when the file is missing,
    // empty, truncated, of an unknown kind or holds no geometry.
    static vtkPolyData* ReadPolyData(const char* fileName, std::string& error);

    // Reads the file and, only when that succeeded, adds a named model node with a model
    // display node and this kind of storage node to the scene (in one batch). Returns the
    // model node now in the scene, or null with `error` set and the scene untouched.
    static vtkMRMLModelNode* AddModelFromFile(vtkMRMLScene* scene, const char* fileName,
                                              const char* name, std::string& error);

    // The message of the last failed read or write, empty after a success.
    const std::string& GetLastErrorMessage() const { return LastError; }

    // Data named by a file URI is the local file it names, read from there; data named
    // by any other URI is remote, is not fetched, and its read stays pending. A URI
    // whose path holds a NUL is refused.
    void StageReadData(vtkMRMLNode* refNode) override;

    // What a URI names, for every reader of model URIs alike.
    enum URITarget { LocalFileURI, RemoteURI, RefusedURI };
    // Whether `text` is a URI rather than a file name: "scheme://...", or a file URI
    // in any of its spellings ("file:/path" too).
    static bool IsURI(const char* text);
    // The path of a URI, percent-decoded before anything is taken from it (its kind, its
    // name), as the file system's bytes: for a local file URI the file to read, for a
    // remote one the path on its host. A refused URI gives an empty path and says why in
    // `problem`.
    static URITarget ResolveURI(const char* uri, std::string& path, std::string& problem);
    // The local file a file URI names; empty for a URI of another scheme, of another
    // host, or a refused one.
    static std::string LocalFileOfURI(const char* uri);

protected:
    vtkMRMLModelStorageNode() = default;
    ~vtkMRMLModelStorageNode() override = default;
    vtkMRMLModelStorageNode(const vtkMRMLModelStorageNode&) = delete;
    void operator=(const vtkMRMLModelStorageNode&) = delete;

    int ReadDataInternal(vtkMRMLNode* refNode) override;
    int WriteDataInternal(vtkMRMLNode* refNode) override;
    // Stages the data; false, with the error set, while it is not a local file.
    bool StageLocalFile(vtkMRMLNode* refNode);
    // The reader of this kind of storage node, as ReadPolyData.
    virtual vtkPolyData* ReadFile(const char* fileName, std::string& error) { return ReadPolyData(fileName, error); }

    std::string LastError;
    // Why the URI could not be staged, when it was refused.
    std::string URIProblem;
};
