#pragma once
// Nodes a scene shows without making them until something asks for one: the colour nodes
// of a folder of colour files are alike in every project's scene, and thousands of them
// made for every project would cost each project in proportion to the folder.  One list
// is shared by every scene that shows it; each scene makes a node of it when the node is
// looked up by ID, or when the scene is asked for all its nodes (or those of its class).

#include <cstddef>
#include <string_view>

#include <vtkSmartPointer.h>

class vtkMRMLNode;

class vtkMRMLDeferredNodes
{
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    virtual ~vtkMRMLDeferredNodes() = default;
    // Where the nodes come from: a scene shows one list of a source, the one it was given
    // last (lists made anew when what they stand for changed replace each other).
    virtual const void* GetSource() const { return this; }
    virtual size_t GetNumberOfNodes() const = 0;
    virtual const char* GetNodeID(size_t i) const = 0;
    virtual const char* GetNodeName(size_t i) const = 0;
    // Whether node i is of this class or of a class derived from it.
    virtual bool NodeIsA(size_t i, const char* className) const = 0;
    // Whether any node of the list may be of this class or of one derived from it.
    virtual bool HoldsNodesOf(const char* className) const = 0;
    // Whether every node of the list is of this class or of one derived from it.
    virtual bool AllNodesAre(const char*) const { return false; }
    // The index of the node with this ID, npos when there is none.
    virtual size_t FindNode(std::string_view id) const = 0;
    // The index of the first node with this name, npos when there is none.
    virtual size_t FindNodeByName(std::string_view name) const = 0;
    // A new node i, with its ID and name, for the scene to add; null when it cannot be made
    // any more (its file went bad), which is the node's own affair to report.
    virtual vtkSmartPointer<vtkMRMLNode> MakeNode(size_t i) = 0;
};
