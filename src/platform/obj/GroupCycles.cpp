#include "GroupCycles.h"

#include <vexil/PrintableText.h>

#include <cstddef>
#include <functional>
#include <queue>
#include <utility>

namespace Obj {

namespace {

// Group id -> its place in the list.
using GroupIndex = Counted::HashMap<unsigned int, std::size_t, &ProjectFile::recordSteps>;

} // namespace

std::vector<std::string> findGroupCycle(const GroupList& groups)
{
    GroupIndex index;
    index.reserve(groups.size());
    for (std::size_t i = 0; i < groups.size(); ++i)
        index.emplace(groups[i].id, i);

    // Depth-first, without recursion: a deep chain of nested groups must not exhaust the stack.
    enum class Mark : unsigned char { New, Open, Done };
    GroupRecords<Mark> marks(groups.size());   // each New
    GroupRecords<std::pair<std::size_t, std::size_t>> path;   // group, next member to visit
    for (std::size_t root = 0; root < groups.size(); ++root) {
        if (marks[root] != Mark::New)
            continue;
        marks[root] = Mark::Open;
        path.emplace_back(root, 0);
        while (!path.empty()) {
            auto& [group, next] = path.back();
            const GroupRecords<unsigned int>& members = groups[group].members;
            if (next == members.size()) {
                marks[group] = Mark::Done;
                path.pop_back();
                continue;
            }
            const auto found = index.find(members[next++]);
            if (found == index.end())
                continue;
            const std::size_t member = found->second;
            if (marks[member] == Mark::Open) {
                std::vector<std::string> chain;
                std::size_t start = 0;
                while (path[start].first != member)
                    ++start;
                for (std::size_t k = start; k < path.size(); ++k)
                    chain.push_back(groups[path[k].first].name);
                chain.push_back(groups[member].name);
                return chain;
            }
            if (marks[member] == Mark::New) {
                marks[member] = Mark::Open;
                path.emplace_back(member, 0);
            }
        }
    }
    return {};
}

GroupRecords<std::size_t> holdersFirst(const GroupList& groups)
{
    GroupIndex index;
    index.reserve(groups.size());
    for (std::size_t i = 0; i < groups.size(); ++i)
        index.emplace(groups[i].id, i);
    // Per group, how many listings by other groups wait to be placed before it.
    GroupRecords<std::size_t> holders(groups.size());   // each 0
    for (const GroupMembers& group : groups) {
        for (const unsigned int member : group.members) {
            const auto found = index.find(member);
            if (found != index.end())
                ++holders[found->second];
        }
    }
    // The earliest group that no unplaced group holds goes next.
    std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<std::size_t>> ready;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (holders[i] == 0)
            ready.push(i);
    }
    GroupRecords<std::size_t> order;
    order.reserve(groups.size());
    GroupRecords<char> placed(groups.size());   // each false
    while (!ready.empty()) {
        const std::size_t next = ready.top();
        ready.pop();
        order.push_back(next);
        placed[next] = true;
        for (const unsigned int member : groups[next].members) {
            const auto found = index.find(member);
            if (found != index.end() && --holders[found->second] == 0)
                ready.push(found->second);
        }
    }
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (!placed[i])
            order.push_back(i);
    }
    return order;
}

std::string describeGroupCycle(const std::vector<std::string>& chain)
{
    std::string text;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        if (i)
            text += " > ";
        // The names come from the file: nothing in them may act on the line they are shown in.
        text += Vexil::printableText(chain[i]);
    }
    return text;
}

} // namespace Obj
