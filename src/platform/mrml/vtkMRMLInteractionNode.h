#pragma once
// The scene's interaction singleton ("vtkMRMLInteractionNodeSingleton"): what the mouse
// does in the views (place nodes, move the view, select) and whether placing goes on
// after one node was placed.

#include "vtkMRMLNode.h"

class vtkMRMLInteractionNode : public vtkMRMLNode
{
public:
    static vtkMRMLInteractionNode* New();
    vtkTypeMacro(vtkMRMLInteractionNode, vtkMRMLNode);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    vtkMRMLNode* CreateNodeInstance() override { return vtkMRMLInteractionNode::New(); }
    const char* GetNodeTagName() override { return "Interaction"; }
    void ReadXMLAttributes(const char** atts) override;
    void WriteXML(ostream& of, int indent) override;
    void Copy(vtkMRMLNode* node) override;

    enum InteractionModeType
    {
        Place = 1,
        ViewTransform = 2,
        Select = 4,
    };
    enum
    {
        InteractionModeChangedEvent = 19001,
        InteractionModePersistenceChangedEvent = 19002,
        EndPlacementEvent = 19003,
    };

    // A change fires InteractionModeChangedEvent, then Modified; leaving Place mode fires
    // EndPlacementEvent first.
    void SetCurrentInteractionMode(int mode);
    vtkGetMacro(CurrentInteractionMode, int);
    vtkGetMacro(LastInteractionMode, int);

    // A change fires InteractionModePersistenceChangedEvent, then Modified.
    void SetPlaceModePersistence(int persistent);
    vtkGetMacro(PlaceModePersistence, int);
    void PlaceModePersistenceOn() { SetPlaceModePersistence(1); }
    void PlaceModePersistenceOff() { SetPlaceModePersistence(0); }

    void SwitchToSinglePlaceMode();
    void SwitchToPersistentPlaceMode();
    void SwitchToViewTransformMode();

    static const char* GetInteractionModeAsString(int mode);

protected:
    vtkMRMLInteractionNode();
    ~vtkMRMLInteractionNode() override = default;
    vtkMRMLInteractionNode(const vtkMRMLInteractionNode&) = delete;
    void operator=(const vtkMRMLInteractionNode&) = delete;

    int CurrentInteractionMode = ViewTransform;
    int LastInteractionMode = ViewTransform;
    int PlaceModePersistence = 0;
};
