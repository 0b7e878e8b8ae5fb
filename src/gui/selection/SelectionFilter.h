#pragma once
// Selection filters: a wanted selection described as criteria (a type, a count range and
// an element word), tested against one candidate or the whole current selection; the
// gates built on them; and EntityFilter, a gate that admits sub-elements by kind.

#include "PelmoraGuiExport.h"
#include "selection/CSelectionType.h"
#include "selection/SelectionGate.h"

#include <vexil/TypeInfo.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Gui {

class SelectionSubject;

struct PELMORAGUI_EXPORT SelectionCriterion
{
    Vexil::TypeInfo type;
    // (min, max); none means exactly one.
    std::optional<std::pair<int, int>> range;
    // Sub-element names must begin with it; empty when sub-elements do not matter.
    std::string element;
};

// What the three filters share; each reads its own singleton in match().
class PELMORAGUI_EXPORT SelectionFilterBase
{
public:
    virtual ~SelectionFilterBase();

    void add_error(const char* text);
    const std::string& get_error() const { return errorText; }
    const std::string& get_filter() const { return filterText; }
    bool is_valid() const { return static_cast<bool>(criteria); }
    // The library has no filter grammar: callers describe the wanted selection here.
    void add_criterion(const SelectionCriterion& criterion);

    bool test(const Obj::ProjectObject* object, const char* sub_name) const;
    // Refills the result: one vector of matching records per criterion that passed.
    bool match();
    const std::vector<std::vector<CSelectionType>>& get_result() const { return result; }

protected:
    SelectionFilterBase() = default;
    // Stores a non-empty text; an empty or null one drops the criteria.  True when a
    // text was stored.
    bool store_filter(const char* text);
    virtual const SelectionSubject& source() const = 0;

    std::vector<std::vector<CSelectionType>> result;
    std::string filterText;
    std::string errorText;
    // Shared by copies of the filter.
    std::shared_ptr<std::vector<SelectionCriterion>> criteria;
};

// Reads the selection instance.  A non-empty filter text throws: there is no grammar.
class PELMORAGUI_EXPORT SelectionFilter : public SelectionFilterBase
{
public:
    explicit SelectionFilter(const char* text);
    explicit SelectionFilter(const std::string& text);
    void set_filter(const char* text);
protected:
    const SelectionSubject& source() const override;
};

// Reads the entity selection; a filter text is kept, the criteria stay as they are.
class PELMORAGUI_EXPORT EntitySelectionFilter : public SelectionFilterBase
{
public:
    explicit EntitySelectionFilter(const char* text);
    explicit EntitySelectionFilter(const std::string& text);
    void set_filter(const char* text) { store_filter(text); }
protected:
    const SelectionSubject& source() const override;
};

// Reads the tree selection; a filter text is kept, the criteria stay as they are.
class PELMORAGUI_EXPORT TreeSelectionFilter : public SelectionFilterBase
{
public:
    explicit TreeSelectionFilter(const char* text);
    explicit TreeSelectionFilter(const std::string& text);
    void set_filter(const char* text) { store_filter(text); }
protected:
    const SelectionSubject& source() const override;
};

// Gates that own their filter; a gate without filter refuses everything.
class PELMORAGUI_EXPORT SelectionFilterGate : public CSelectionable
{
public:
    explicit SelectionFilterGate(SelectionFilter* filter = nullptr);
    explicit SelectionFilterGate(const char* text);
    ~SelectionFilterGate() override;
    SelectionFilterGate(const SelectionFilterGate&) = delete;
    SelectionFilterGate& operator=(const SelectionFilterGate&) = delete;
    bool allow(Obj::Project* project, Obj::ProjectObject* object, const char* sub_name) override;
protected:
    std::unique_ptr<SelectionFilter> filter;
};

class PELMORAGUI_EXPORT EntitySelectionFilterGate : public EntitySelectionGate
{
public:
    explicit EntitySelectionFilterGate(EntitySelectionFilter* filter = nullptr);
    explicit EntitySelectionFilterGate(const char* text);
    ~EntitySelectionFilterGate() override;
    EntitySelectionFilterGate(const EntitySelectionFilterGate&) = delete;
    EntitySelectionFilterGate& operator=(const EntitySelectionFilterGate&) = delete;
    bool allow(Obj::Project* project, Obj::ProjectObject* object, const char* sub_name) override;
protected:
    std::unique_ptr<EntitySelectionFilter> filter;
};

class PELMORAGUI_EXPORT TreeSelectionFilterGate : public TreeSelectionGate
{
public:
    explicit TreeSelectionFilterGate(TreeSelectionFilter* filter = nullptr);
    explicit TreeSelectionFilterGate(const char* text);
    ~TreeSelectionFilterGate() override;
    TreeSelectionFilterGate(const TreeSelectionFilterGate&) = delete;
    TreeSelectionFilterGate& operator=(const TreeSelectionFilterGate&) = delete;
    bool allow(Obj::Project* project, Obj::ProjectObject* object, const char* sub_name) override;
protected:
    std::unique_ptr<TreeSelectionFilter> filter;
};

// Admits sub-elements whose kind word ("Vert", "Edge", "Face", "Volu", "Node", "Elem")
// has its flag set.  The six flags belong to the caller.
class PELMORAGUI_EXPORT EntityFilter : public SelectionFilterGate
{
public:
    EntityFilter() = default;
    void set_flags(const unsigned char* sixFlags) { flags = sixFlags; }
    bool allow(Obj::Project* project, Obj::ProjectObject* object, const char* sub_name) override;
private:
    const unsigned char* flags = nullptr;
};

} // namespace Gui
