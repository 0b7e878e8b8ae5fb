#pragma once
// A placement of the base library: a position and a rotation about it.

#include "SpaceRotation.h"
#include "Vector3D.h"

namespace Vexil {

class SpaceLocation
{
public:
    SpaceLocation() = default;
    SpaceLocation(const Vector3d& position, const SpaceRotation& rotation) : pos(position), rot(rotation) {}

    const Vector3d& getPosition() const { return pos; }
    void setPosition(const Vector3d& position) { pos = position; }
    const SpaceRotation& getRotation() const { return rot; }
    void setRotation(const SpaceRotation& rotation) { rot = rotation; }
    bool operator==(const SpaceLocation& o) const { return pos == o.pos && rot == o.rot; }
    bool operator!=(const SpaceLocation& o) const { return !(*this == o); }

private:
    Vector3d pos;
    SpaceRotation rot;
};

} // namespace Vexil
