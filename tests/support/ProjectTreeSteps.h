#pragma once
// The steps of building a project's objects and its tree that allocate nothing: the
// slots and entries of its object table, the member-list entries of its groups, the
// entries of its GUI side's feeder table and the tree items stepped over, for a StepMeter.

#include <core/GuiProject.h>
#include <obj/ObjectTable.h>
#include <obj/ProjectFile.h>
#include <obj/ProjectObject.h>
#include <selection/ProjectItem.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace PelmoraTest {

// `symbols` and the same counters by their symbols (Obj::ObjectTable::slotsVisited(),
// Obj::ProjectObjectGroup::memberEntriesVisited(), Gui::GuiProject::feederEntriesVisited(),
// Gui::ProjectItem::itemsVisited()), for the steps of a child process (childWorkVariables).
inline std::vector<std::string> withProjectTreeSteps(std::vector<std::string> symbols = {})
{
    for (const char* symbol : {"_ZN3Obj11ObjectTable12slotsVisitedEv", "_ZN3Obj18ProjectObjectGroup20memberEntriesVisitedEv",
                               "_ZN3Gui10GuiProject20feederEntriesVisitedEv", "_ZN3Gui11ProjectItem12itemsVisitedEv"})
        if (std::find(symbols.begin(), symbols.end(), symbol) == symbols.end())
            symbols.push_back(symbol);
    return symbols;
}

inline std::uint64_t projectTreeSteps()
{
    return Obj::ObjectTable::slotsVisited() + Obj::ProjectObjectGroup::memberEntriesVisited()
        + Gui::GuiProject::feederEntriesVisited() + Gui::ProjectItem::itemsVisited();
}

// The same and the project file reader's: the records of each object and project it
// keeps, reached, found and placed in order (for a path that opens a file).
inline std::uint64_t projectTreeAndReaderSteps()
{
    return projectTreeSteps() + Obj::ProjectFile::recordsVisited();
}

} // namespace PelmoraTest
