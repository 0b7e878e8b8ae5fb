#include "EntitySelectionSingleton.h"

#include <pmfwm/EntitySelectionData.h>

#include <algorithm>

using namespace Gui;

std::string Gui::entity_subelement_name(const pmFwm::SelectionModification2& pick)
{
    switch (pick.entity_kind) {
    case pmFwm::ENTITY_BODY: return "Body1";
    case pmFwm::ENTITY_FACE: return "Face" + std::to_string(pick.entity_index);
    case pmFwm::ENTITY_EDGE: return "Edge" + std::to_string(pick.entity_index);
    case pmFwm::ENTITY_VERTEX: return "Vert" + std::to_string(pick.entity_index);
    default: return std::string();
    }
}

EntitySelectionSingleton* EntitySelectionSingleton::_instance = nullptr;

EntitySelectionSingleton& EntitySelectionSingleton::instance()
{
    if (!_instance)
        _instance = new EntitySelectionSingleton();
    return *_instance;
}

void EntitySelectionSingleton::destruct()
{
    delete _instance;
    _instance = nullptr;
}

void EntitySelectionSingleton::on_selection_modified(const pmFwm::SelectionModification2& change)
{
    Entry entry{change.project_name, change.object_id, entity_subelement_name(change)};
    auto same = [&entry](const Entry& e) {
        return e.project == entry.project && e.object_id == entry.object_id && e.sub_element == entry.sub_element;
    };
    switch (change.type) {
    case 0:
        if (std::none_of(entries.begin(), entries.end(), same))
            entries.push_back(entry);
        break;
    case 1:
        entries.erase(std::remove_if(entries.begin(), entries.end(), same), entries.end());
        break;
    case 2:
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&entry](const Entry& e) { return e.project == entry.project; }),
                      entries.end());
        entries.push_back(entry);
        break;
    case 3:
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&entry](const Entry& e) { return e.project == entry.project; }),
                      entries.end());
        break;
    default:
        break;
    }
}
