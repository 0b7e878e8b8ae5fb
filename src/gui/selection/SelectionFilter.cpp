#include "SelectionFilter.h"

#include "selection/EntitySelectionSingleton.h"
#include "selection/SelectionInstance.h"
#include "selection/TreeSelectionSingleton.h"

#include <obj/ProjectObject.h>
#include <vexil/Exception.h>

#include <cstring>

using namespace Gui;

SelectionFilterBase::~SelectionFilterBase() = default;

void SelectionFilterBase::add_error(const char* text)
{
    errorText += text ? text : "";
    errorText += '\n';
}

void SelectionFilterBase::add_criterion(const SelectionCriterion& criterion)
{
    if (!criteria)
        criteria = std::make_shared<std::vector<SelectionCriterion>>();
    criteria->push_back(criterion);
}

bool SelectionFilterBase::store_filter(const char* text)
{
    if (!text || !*text) {
        criteria.reset();
        return false;
    }
    filterText = text;
    return true;
}

bool SelectionFilterBase::test(const Obj::ProjectObject* object, const char* sub_name) const
{
    if (!criteria || criteria->empty() || !object)
        return false;
    for (const SelectionCriterion& c : *criteria) {
        if (!object->getTypeId().is_inherited_from(c.type))
            continue;
        if (!sub_name || c.element.empty() || std::strncmp(sub_name, c.element.c_str(), c.element.size()) == 0)
            return true;
    }
    return false;
}

bool SelectionFilterBase::match()
{
    if (!criteria)
        return false;
    result.clear();
    for (const SelectionCriterion& c : *criteria) {
        std::vector<CSelectionType> found = source().get_selection2(nullptr, c.type);
        std::size_t count = 0;
        if (!c.element.empty()) {
            for (const CSelectionType& record : found) {
                if (!record.has_subnames())
                    return false;
                for (const std::string& name : record.get_subnames()) {
                    if (name.compare(0, c.element.size(), c.element) != 0)
                        return false;
                }
                count += record.get_subnames().size();
            }
        } else {
            count = found.size();
        }
        const int min = c.range ? c.range->first : 1;
        const int max = c.range ? c.range->second : 1;
        const auto n = static_cast<long long>(count);
        if (n < min || n > max)
            return false;
        result.push_back(std::move(found));
    }
    return true;
}

SelectionFilter::SelectionFilter(const char* text) { set_filter(text); }
SelectionFilter::SelectionFilter(const std::string& text) { set_filter(text.c_str()); }

void SelectionFilter::set_filter(const char* text)
{
    // No grammar: a text that would need parsing is refused with what was collected.
    if (store_filter(text))
        throw Vexil::ExceptionHandler(errorText);
}

const SelectionSubject& SelectionFilter::source() const { return SelectionInstance::instance(); }

EntitySelectionFilter::EntitySelectionFilter(const char* text) { set_filter(text); }
EntitySelectionFilter::EntitySelectionFilter(const std::string& text) { set_filter(text.c_str()); }
const SelectionSubject& EntitySelectionFilter::source() const { return EntitySelectionSingleton::instance(); }

TreeSelectionFilter::TreeSelectionFilter(const char* text) { set_filter(text); }
TreeSelectionFilter::TreeSelectionFilter(const std::string& text) { set_filter(text.c_str()); }
const SelectionSubject& TreeSelectionFilter::source() const { return TreeSelectionSingleton::instance(); }

SelectionFilterGate::SelectionFilterGate(SelectionFilter* f) : filter(f) {}
SelectionFilterGate::SelectionFilterGate(const char* text) : filter(new SelectionFilter(text)) {}
SelectionFilterGate::~SelectionFilterGate() = default;
bool SelectionFilterGate::allow(Obj::Project*, Obj::ProjectObject* object, const char* sub_name)
{
    return filter && filter->test(object, sub_name);
}

EntitySelectionFilterGate::EntitySelectionFilterGate(EntitySelectionFilter* f) : filter(f) {}
EntitySelectionFilterGate::EntitySelectionFilterGate(const char* text) : filter(new EntitySelectionFilter(text)) {}
EntitySelectionFilterGate::~EntitySelectionFilterGate() = default;
bool EntitySelectionFilterGate::allow(Obj::Project*, Obj::ProjectObject* object, const char* sub_name)
{
    return filter && filter->test(object, sub_name);
}

TreeSelectionFilterGate::TreeSelectionFilterGate(TreeSelectionFilter* f) : filter(f) {}
TreeSelectionFilterGate::TreeSelectionFilterGate(const char* text) : filter(new TreeSelectionFilter(text)) {}
TreeSelectionFilterGate::~TreeSelectionFilterGate() = default;
bool TreeSelectionFilterGate::allow(Obj::Project*, Obj::ProjectObject* object, const char* sub_name)
{
    return filter && filter->test(object, sub_name);
}

bool EntityFilter::allow(Obj::Project*, Obj::ProjectObject* object, const char* sub_name)
{
    if (!flags || !object || !sub_name || !*sub_name)
        return false;
    static const char* const words[] = {"Vert", "Edge", "Face", "Volu", "Node", "Elem"};
    if (std::strlen(sub_name) < 4)
        return false;
    for (int i = 0; i < 6; ++i) {
        if (std::strncmp(sub_name, words[i], 4) == 0)
            return flags[i] != 0;
    }
    return false;
}
