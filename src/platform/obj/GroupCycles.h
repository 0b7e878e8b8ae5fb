#pragma once
// Groups that would contain themselves.  The tree shows a group's members as its
// children, so a group that is (through other groups) a member of itself has no place
// in it; such membership is refused wherever it is set.

#include "ProjectFile.h"

#include <counted/CountedSteps.h>

#include <cstddef>
#include <string>
#include <vector>

namespace Obj {

// The groups and members a reader lists: each one reached is counted with the reader's
// other records (ProjectFile::recordsVisited()).
template <class T>
using GroupRecords = Counted::Vector<T, &ProjectFile::recordSteps>;

// One group as a file or a copy lists it: its object id, its name and its members' ids.
struct GroupMembers
{
    unsigned int id = 0;
    std::string name;
    GroupRecords<unsigned int> members;
};
using GroupList = GroupRecords<GroupMembers>;

// The names along a chain of groups that leads back to its first one ("A", "B", "A"), or
// an empty list when no group contains itself.  Ids that name no group are passed over.
// Linear in the groups and members listed.
std::vector<std::string> findGroupCycle(const GroupList& groups);

// The groups in an order where each comes before every group it holds, and otherwise
// keeps its place in `groups` (which it keeps whole when it already has that order), as
// indices into `groups`.  Filling the tree in this order moves each group's item while it
// is still empty.  For groups that contain no ring; any left in one follow in their places.
GroupRecords<std::size_t> holdersFirst(const GroupList& groups);

// The chain as text for a message: "A > B > A".
std::string describeGroupCycle(const std::vector<std::string>& chain);

} // namespace Obj
