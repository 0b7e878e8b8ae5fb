#pragma once
// The scene's selection singleton ("vtkMRMLSelectionNodeSingleton"): the classes of node
// that can be placed in the views, the one being placed now, and the unit node per
// quantity.

#include "vtkMRMLNode.h"

#include <vtkCommand.h>

#include <map>
#include <string>
#include <vector>

class vtkMRMLSelectionNode : public vtkMRMLNode
{
public:
    static vtkMRMLSelectionNode* New();
    vtkTypeMacro(vtkMRMLSelectionNode, vtkMRMLNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLSelectionNode::New(); }
    const char* GetNodeTagName() override { return "Selection"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;

    enum
    {
        ActivePlaceNodeClassNameChangedEvent = 19002,
        UnitModifiedEvent = 19004,
        PlaceNodeClassNameListModifiedEvent = vtkCommand::UserEvent + 101,
    };

    // The active class; a change fires ActivePlaceNodeClassNameChangedEvent, then Modified.
    void SetActivePlaceNodeClassName(const char* className);
    const char* GetActivePlaceNodeClassName() const { return ActivePlaceNodeClassName.c_str(); }

    // Adds a class with its icon resource and icon name; a class already listed gets the
    // new resource and name in place. Fires PlaceNodeClassNameListModifiedEvent on change.
    void AddNewPlaceNodeClassNameToList(const char* className, const char* resource,
                                        const char* iconName = "");
    void RemovePlaceNodeClassNameFromList(const char* className);
    int GetNumberOfPlaceNodeClassNamesInList() const { return static_cast<int>(PlaceNodes.size()); }
    // Index of the class in the list, -1 when absent.
    int PlaceNodeClassNameInList(const char* className) const;
    // Empty text for an index out of range.
    std::string GetPlaceNodeClassNameByIndex(int n) const;
    std::string GetPlaceNodeResourceByIndex(int n) const;
    std::string GetPlaceNodeIconNameByIndex(int n) const;
    std::string GetPlaceNodeResourceByClassName(const char* className) const;

    // Unit node ID per quantity ("length" ...); a change fires UnitModifiedEvent.
    void SetUnitNodeID(const char* quantity, const char* unitNodeId);
    const char* GetUnitNodeID(const char* quantity) const;

protected:
    vtkMRMLSelectionNode();
    ~vtkMRMLSelectionNode() override = default;
    vtkMRMLSelectionNode(const vtkMRMLSelectionNode&) = delete;
    void operator=(const vtkMRMLSelectionNode&) = delete;

private:
    struct PlaceNodeClass
    {
        std::string className;
        std::string resource;
        std::string iconName;
        bool operator==(const PlaceNodeClass& o) const
        {
            return className == o.className && resource == o.resource && iconName == o.iconName;
        }
    };
    std::string ActivePlaceNodeClassName;
    std::vector<PlaceNodeClass> PlaceNodes;
    std::map<std::string, std::string> UnitNodeIDs;
};
