#pragma once
// A discrete colour table: colour i of a lookup table with one entry per colour, each
// with a name. User tables can change their size and colours.

#include "vtkMRMLColorNode.h"

#include <vtkSmartPointer.h>

class vtkLookupTable;

class vtkMRMLColorTableNode : public vtkMRMLColorNode
{
public:
    static vtkMRMLColorTableNode* New();
    vtkTypeMacro(vtkMRMLColorTableNode, vtkMRMLColorNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLColorTableNode::New(); }
    const char* GetNodeTagName() override { return "ColorTable"; }
    void Copy(vtkMRMLNode* node) override;
    vtkMRMLStorageNode* CreateDefaultStorageNode() override;

    int GetNumberOfColors() override;
    // Resizes the table; new entries are black, transparent and unnamed. The scalar range
    // becomes 0 .. n-1 when it was that of the old size.
    void SetNumberOfColors(int n);
    // Sets colour i (components 0..1) and optionally its name; false when i is out of range.
    bool SetColor(int i, const char* name, double r, double g, double b, double a = 1.0);
    bool SetColor(int i, double r, double g, double b, double a = 1.0);

    vtkLookupTable* GetLookupTable() override;
    vtkScalarsToColors* GetScalarsToColors() override;
    void SetAndObserveLookupTable(vtkLookupTable* table);

    // Sets the scalar range the colours span; shared entries are copied first.
    void SetTableRange(double min, double max);

    // Fills a built-in table: FullRainbow (blue through red) or Grey, with n colours.
    void SetTypeAndColors(int type, int n);

    void ProcessMRMLEvents(vtkObject* caller, unsigned long event, void* callData) override;

    // Shows the entries (lookup table and names) of `source` without copying them, as
    // when both are made from one colour file: either node copies them before it
    // changes them through its own calls, so that the other keeps what it showed.
    void ShareEntriesWith(vtkMRMLColorTableNode* source);
    // A new node that shows the entries of `source` from the start, as ShareEntriesWith
    // makes it, without building a table of its own first (every project's scene makes
    // one such node for each colour file).
    static vtkMRMLColorTableNode* NewSharing(vtkMRMLColorTableNode* source);
    // Marks the entries as ones other nodes may come to share: they are copied before
    // this node changes them.
    void MarkEntriesShared() { SharedTable = LookupTable != nullptr; }

protected:
    vtkMRMLColorTableNode();
    ~vtkMRMLColorTableNode() override;
    vtkMRMLColorTableNode(const vtkMRMLColorTableNode&) = delete;
    void operator=(const vtkMRMLColorTableNode&) = delete;

    void OwnEntries() override;

private:
    struct WithoutTable
    {
    };
    explicit vtkMRMLColorTableNode(WithoutTable) {}

    // Changes of the lookup table are heard through one observer per table, shared by
    // every node that shows it.
    void ListenTo(vtkLookupTable* table);
    void StopListeningTo(vtkLookupTable* table);

    vtkSmartPointer<vtkLookupTable> LookupTable;
    bool ListeningToTable = false;
    bool SharedTable = false;
};
