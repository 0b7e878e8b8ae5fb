#pragma once
// The geometry a boundary condition or load applies to: whole bodies or faces, edges and
// vertices of the project's objects, with the kinds of entity the owner asks for.

#include "BCSelectionData.h"
#include "Property.h"

namespace Obj {

// Kinds of entity a scoping asks for; the sub-entity kinds combine as bits.  None of
// these set means any entity will do.
enum SelectionTopoType : int {
    SelectAny = 0,
    SelectFace = 1,
    SelectEdge = 2,
    SelectVertex = 4,
    SelectBody = 8
};

class PropertySelection : public Property
{
    VEXIL_TYPESYSTEM_HEADER();
public:
    // An object removed from the owner's project reads back as null.
    const std::vector<ProjectObject*>& get_values() const;
    const std::vector<std::string>& get_sub_values() const { return data.names; }
    const BCSelectionData& get_selection_data() const;
    // One object per name; false (and nothing changed) when the two lists differ in length.
    bool set_values(const std::vector<ProjectObject*>& objects, const std::vector<std::string>& names);
    std::size_t size() const { return data.size(); }

    SelectionTopoType getSelectionType() const { return selectionType; }
    void setSelectionType(SelectionTopoType type) { selectionType = type; }
    // At least one entry, and every entry names an existing object.
    bool isValidSelection() const;

    // "id:name" entries separated by ';'; objects are looked up in the owner's project.
    std::string get_value_text() const override;
    bool set_value_text(const std::string& text) override;
    const char* get_editor_name() const override { return "Gui::PropertyOperator::PropertySelectionItem"; }

private:
    // Nulls the entries whose object has left the owner's project, found by the id kept
    // for each entry, so that a removed object is never read.
    void forgetRemoved() const;
    mutable BCSelectionData data;
    std::vector<unsigned int> ids;   // of each entry's object, taken while it was there
    SelectionTopoType selectionType = SelectAny;
};

} // namespace Obj
