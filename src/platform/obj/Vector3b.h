#pragma once
// Three on/off flags x, y, z.

namespace Obj {

struct Vector3b
{
    bool x = false, y = false, z = false;
    bool operator==(const Vector3b& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const Vector3b& o) const { return !(*this == o); }
};

} // namespace Obj
