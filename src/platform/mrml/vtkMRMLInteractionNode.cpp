#include "vtkMRMLInteractionNode.h"

#include "MRMLXMLHelpers.h"

#include <vtkObjectFactory.h>

#include <ostream>
#include <string>

vtkStandardNewMacro(vtkMRMLInteractionNode);

vtkMRMLInteractionNode::vtkMRMLInteractionNode()
{
    SetSingletonTag("Singleton");
    SetHideFromEditors(1);
}

void vtkMRMLInteractionNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "CurrentInteractionMode: " << GetInteractionModeAsString(CurrentInteractionMode)
       << "\n";
    os << indent << "LastInteractionMode: " << GetInteractionModeAsString(LastInteractionMode)
       << "\n";
    os << indent << "PlaceModePersistence: " << PlaceModePersistence << "\n";
}

const char* vtkMRMLInteractionNode::GetInteractionModeAsString(int mode)
{
    switch (mode) {
    case Place: return "Place";
    case ViewTransform: return "ViewTransform";
    case Select: return "Select";
    default: return "(unknown)";
    }
}

void vtkMRMLInteractionNode::SetCurrentInteractionMode(int mode)
{
    if (mode == CurrentInteractionMode)
        return;
    const bool endsPlacement = CurrentInteractionMode == Place;
    LastInteractionMode = CurrentInteractionMode;
    CurrentInteractionMode = mode;
    if (endsPlacement)
        InvokeEvent(EndPlacementEvent, nullptr);
    InvokeEvent(InteractionModeChangedEvent, nullptr);
    Modified();
}

void vtkMRMLInteractionNode::SetPlaceModePersistence(int persistent)
{
    persistent = persistent ? 1 : 0;
    if (persistent == PlaceModePersistence)
        return;
    PlaceModePersistence = persistent;
    InvokeEvent(InteractionModePersistenceChangedEvent, nullptr);
    Modified();
}

void vtkMRMLInteractionNode::SwitchToSinglePlaceMode()
{
    int wasModifying = StartModify();
    SetPlaceModePersistence(0);
    SetCurrentInteractionMode(Place);
    EndModify(wasModifying);
}

void vtkMRMLInteractionNode::SwitchToPersistentPlaceMode()
{
    int wasModifying = StartModify();
    SetPlaceModePersistence(1);
    SetCurrentInteractionMode(Place);
    EndModify(wasModifying);
}

void vtkMRMLInteractionNode::SwitchToViewTransformMode()
{
    SetCurrentInteractionMode(ViewTransform);
}

void vtkMRMLInteractionNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string name = atts[i];
        if (name == "currentInteractionMode")
            SetCurrentInteractionMode(mrmlxml::parseInt(atts[i + 1]));
        else if (name == "placeModePersistence")
            SetPlaceModePersistence(mrmlxml::parseFlag(atts[i + 1]));
    }
    EndModify(wasModifying);
}

void vtkMRMLInteractionNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    of << " currentInteractionMode=\"" << CurrentInteractionMode << "\"";
    of << " placeModePersistence=\"" << (PlaceModePersistence ? "true" : "false") << "\"";
}

void vtkMRMLInteractionNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLInteractionNode::SafeDownCast(anode)) {
        SetPlaceModePersistence(node->GetPlaceModePersistence());
        SetCurrentInteractionMode(node->GetCurrentInteractionMode());
    }
    EndModify(wasModifying);
}
