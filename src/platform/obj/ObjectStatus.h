#pragma once
// Status bits of a project object (ProjectObject::set_object_status / test_object_status).

namespace Interface {

enum FCObjectStatus : int {
    Touch = 0,
    Error = 1,
    New = 2,
    Recompute = 3,
    Restore = 4,
    Remove = 5,
    // Its tree item is expanded; kept by the logic so that the tree can restore it.
    Expand = 16
};

} // namespace Interface
