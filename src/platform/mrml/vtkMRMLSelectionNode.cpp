#include "vtkMRMLSelectionNode.h"

#include "MRMLXMLHelpers.h"

#include <vtkCommand.h>
#include <vtkObjectFactory.h>

#include <algorithm>
#include <ostream>

vtkStandardNewMacro(vtkMRMLSelectionNode);

namespace {

const std::string& at(const std::vector<std::string>& v, size_t i)
{
    static const std::string empty;
    return i < v.size() ? v[i] : empty;
}

std::vector<std::string> splitOn(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = s.find(sep, start);
        parts.push_back(s.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return parts;
}

std::vector<std::string> splitItems(const char* value)
{
    std::vector<std::string> items = splitOn(value, ';');
    for (std::string& item : items)
        item = mrmlxml::unescapeListItem(item);
    return items;
}

} // namespace

vtkMRMLSelectionNode::vtkMRMLSelectionNode()
{
    SetSingletonTag("Singleton");
    SetHideFromEditors(1);
}

void vtkMRMLSelectionNode::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "ActivePlaceNodeClassName: " << ActivePlaceNodeClassName << "\n";
    for (const auto& p : PlaceNodes)
        os << indent << "PlaceNodeClass: " << p.className << " " << p.resource << " "
           << p.iconName << "\n";
    for (const auto& u : UnitNodeIDs)
        os << indent << "Unit " << u.first << ": " << u.second << "\n";
}

void vtkMRMLSelectionNode::SetActivePlaceNodeClassName(const char* className)
{
    const std::string value = className ? className : "";
    if (value == ActivePlaceNodeClassName)
        return;
    ActivePlaceNodeClassName = value;
    InvokeEvent(ActivePlaceNodeClassNameChangedEvent, nullptr);
    Modified();
}

void vtkMRMLSelectionNode::AddNewPlaceNodeClassNameToList(const char* className,
                                                          const char* resource,
                                                          const char* iconName)
{
    if (!className || !*className) {
        vtkErrorMacro("AddNewPlaceNodeClassNameToList: no class name");
        return;
    }
    const PlaceNodeClass entry{className, resource ? resource : "", iconName ? iconName : ""};
    int index = PlaceNodeClassNameInList(className);
    if (index >= 0) {
        if (PlaceNodes[static_cast<size_t>(index)] == entry)
            return;
        PlaceNodes[static_cast<size_t>(index)] = entry;
    } else {
        PlaceNodes.push_back(entry);
    }
    InvokeEvent(PlaceNodeClassNameListModifiedEvent, nullptr);
    Modified();
}

void vtkMRMLSelectionNode::RemovePlaceNodeClassNameFromList(const char* className)
{
    int index = PlaceNodeClassNameInList(className);
    if (index < 0)
        return;
    PlaceNodes.erase(PlaceNodes.begin() + index);
    InvokeEvent(PlaceNodeClassNameListModifiedEvent, nullptr);
    Modified();
}

int vtkMRMLSelectionNode::PlaceNodeClassNameInList(const char* className) const
{
    if (!className)
        return -1;
    for (size_t i = 0; i < PlaceNodes.size(); ++i)
        if (PlaceNodes[i].className == className)
            return static_cast<int>(i);
    return -1;
}

std::string vtkMRMLSelectionNode::GetPlaceNodeClassNameByIndex(int n) const
{
    return n >= 0 && n < GetNumberOfPlaceNodeClassNamesInList()
               ? PlaceNodes[static_cast<size_t>(n)].className
               : std::string();
}

std::string vtkMRMLSelectionNode::GetPlaceNodeResourceByIndex(int n) const
{
    return n >= 0 && n < GetNumberOfPlaceNodeClassNamesInList()
               ? PlaceNodes[static_cast<size_t>(n)].resource
               : std::string();
}

std::string vtkMRMLSelectionNode::GetPlaceNodeIconNameByIndex(int n) const
{
    return n >= 0 && n < GetNumberOfPlaceNodeClassNamesInList()
               ? PlaceNodes[static_cast<size_t>(n)].iconName
               : std::string();
}

std::string vtkMRMLSelectionNode::GetPlaceNodeResourceByClassName(const char* className) const
{
    return GetPlaceNodeResourceByIndex(PlaceNodeClassNameInList(className));
}

void vtkMRMLSelectionNode::SetUnitNodeID(const char* quantity, const char* unitNodeId)
{
    if (!quantity)
        return;
    auto it = UnitNodeIDs.find(quantity);
    if (!unitNodeId || !*unitNodeId) {
        if (it == UnitNodeIDs.end())
            return;
        UnitNodeIDs.erase(it);
    } else {
        if (it != UnitNodeIDs.end() && it->second == unitNodeId)
            return;
        UnitNodeIDs[quantity] = unitNodeId;
    }
    InvokeEvent(UnitModifiedEvent, nullptr);
    Modified();
}

const char* vtkMRMLSelectionNode::GetUnitNodeID(const char* quantity) const
{
    if (!quantity)
        return nullptr;
    auto it = UnitNodeIDs.find(quantity);
    return it == UnitNodeIDs.end() ? nullptr : it->second.c_str();
}

void vtkMRMLSelectionNode::ReadXMLAttributes(const char** atts)
{
    int wasModifying = StartModify();
    Superclass::ReadXMLAttributes(atts);
    std::vector<std::string> classes, resources, icons;
    bool haveList = false;
    for (int i = 0; atts && atts[i] && atts[i + 1]; i += 2) {
        const std::string name = atts[i];
        const char* value = atts[i + 1];
        if (name == "activePlaceNodeClassName") {
            SetActivePlaceNodeClassName(value);
        } else if (name == "placeNodeClassNames") {
            classes = splitItems(value);
            haveList = true;
        } else if (name == "placeNodeResources") {
            resources = splitItems(value);
        } else if (name == "placeNodeIconNames") {
            icons = splitItems(value);
        } else if (name == "units") {
            mrmlxml::forEachKeyedItem(value, [this](const std::string& quantity, const std::string& id) {
                SetUnitNodeID(quantity.c_str(), mrmlxml::unescapeListItem(id).c_str());
            });
        }
    }
    if (haveList) {
        for (size_t i = 0; i < classes.size(); ++i)
            if (!classes[i].empty())
                AddNewPlaceNodeClassNameToList(classes[i].c_str(), at(resources, i).c_str(),
                                               at(icons, i).c_str());
    }
    EndModify(wasModifying);
}

void vtkMRMLSelectionNode::WriteXML(ostream& of, int indent)
{
    Superclass::WriteXML(of, indent);
    of << " activePlaceNodeClassName=\"" << XMLAttributeEncodeString(ActivePlaceNodeClassName)
       << "\"";
    std::string classes, resources, icons, units;
    for (size_t i = 0; i < PlaceNodes.size(); ++i) {
        const char* sep = i ? ";" : "";
        classes += sep + mrmlxml::escapeListItem(PlaceNodes[i].className);
        resources += sep + mrmlxml::escapeListItem(PlaceNodes[i].resource);
        icons += sep + mrmlxml::escapeListItem(PlaceNodes[i].iconName);
    }
    for (const auto& u : UnitNodeIDs)
        units += mrmlxml::escapeListItem(u.first) + ":" + mrmlxml::escapeListItem(u.second) + ";";
    if (!PlaceNodes.empty()) {
        of << " placeNodeClassNames=\"" << XMLAttributeEncodeString(classes) << "\"";
        of << " placeNodeResources=\"" << XMLAttributeEncodeString(resources) << "\"";
        of << " placeNodeIconNames=\"" << XMLAttributeEncodeString(icons) << "\"";
    }
    if (!units.empty())
        of << " units=\"" << XMLAttributeEncodeString(units) << "\"";
}

void vtkMRMLSelectionNode::Copy(vtkMRMLNode* anode)
{
    int wasModifying = StartModify();
    Superclass::Copy(anode);
    if (auto* node = vtkMRMLSelectionNode::SafeDownCast(anode)) {
        SetActivePlaceNodeClassName(node->GetActivePlaceNodeClassName());
        if (!(PlaceNodes.size() == node->PlaceNodes.size() &&
              std::equal(PlaceNodes.begin(), PlaceNodes.end(), node->PlaceNodes.begin()))) {
            PlaceNodes = node->PlaceNodes;
            InvokeEvent(PlaceNodeClassNameListModifiedEvent, nullptr);
            Modified();
        }
        if (UnitNodeIDs != node->UnitNodeIDs) {
            UnitNodeIDs = node->UnitNodeIDs;
            InvokeEvent(UnitModifiedEvent, nullptr);
            Modified();
        }
    }
    EndModify(wasModifying);
}
