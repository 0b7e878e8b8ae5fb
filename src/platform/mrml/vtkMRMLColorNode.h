#pragma once
// Base of the colour nodes: a numbered list of colours with names, and the VTK colour
// map that shows them. Each kind says how many colours it has and how they are made.

#include "vtkMRMLStorableNode.h"

#include <memory>
#include <string>
#include <vector>

class vtkLookupTable;
class vtkScalarsToColors;

class vtkMRMLColorNode : public vtkMRMLStorableNode
{
public:
    vtkTypeMacro(vtkMRMLColorNode, vtkMRMLStorableNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;

    // Kinds of colour node; the numbers are those written into scene files.
    enum ColorType
    {
        FullRainbow = 1,
        Grey = 2,
        User = 13,
        File = 14,
    };
    vtkGetMacro(Type, int);
    virtual void SetType(int type);
    void SetTypeToUser() { SetType(User); }
    void SetTypeToFile() { SetType(File); }

    virtual int GetNumberOfColors() { return 0; }
    // Colour i as red, green, blue, alpha in 0..1; false when i is out of range.
    virtual bool GetColor(int i, double rgba[4]);

    // Names of the colours: an entry without a name has the empty name.
    const char* GetColorName(int i) const;
    bool SetColorName(int i, const char* name);

    // The lookup table of a discrete node, null for the others.
    virtual vtkLookupTable* GetLookupTable() { return nullptr; }
    // What maps scalars to these colours (lookup table or transfer function).
    virtual vtkScalarsToColors* GetScalarsToColors() { return nullptr; }

protected:
    vtkMRMLColorNode();
    ~vtkMRMLColorNode() override;
    vtkMRMLColorNode(const vtkMRMLColorNode&) = delete;
    void operator=(const vtkMRMLColorNode&) = delete;

    void ResizeNames(int n);
    // Makes the entries (names here; a subclass adds its colours) this node's own before
    // they change, when other nodes share them.
    virtual void OwnEntries();

    int Type = User;
    // Shared by the nodes made from one colour file, and copied before one changes them.
    std::shared_ptr<std::vector<std::string>> Names = std::make_shared<std::vector<std::string>>();
};
