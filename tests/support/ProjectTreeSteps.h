#pragma once
// The steps of building a project's objects and its tree that allocate nothing: the
// member-list entries of its groups and the tree items stepped over, for a StepMeter.

#include <obj/ProjectObject.h>
#include <selection/ProjectItem.h>

#include <cstdint>

namespace PelmoraTest {

inline std::uint64_t projectTreeSteps()
{
    return Obj::ProjectObjectGroup::memberEntriesVisited() + Gui::ProjectItem::itemsVisited();
}

} // namespace PelmoraTest
