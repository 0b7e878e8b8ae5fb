#pragma once
// A rotation of the base library: an angle in degrees about an axis.

namespace Vexil {

class SpaceRotation
{
public:
    SpaceRotation() = default;
    SpaceRotation(double angleDegrees, double axisX, double axisY, double axisZ)
        : value{angleDegrees, axisX, axisY, axisZ}
    {
    }
    // The four values in the order angle (degrees), axis x, y, z.
    void getValue(double& angleDegrees, double& axisX, double& axisY, double& axisZ) const
    {
        angleDegrees = value[0];
        axisX = value[1];
        axisY = value[2];
        axisZ = value[3];
    }
    void setValue(double angleDegrees, double axisX, double axisY, double axisZ)
    {
        value[0] = angleDegrees;
        value[1] = axisX;
        value[2] = axisY;
        value[3] = axisZ;
    }
    bool operator==(const SpaceRotation& o) const
    {
        return value[0] == o.value[0] && value[1] == o.value[1] && value[2] == o.value[2] && value[3] == o.value[3];
    }

private:
    double value[4] = {0.0, 0.0, 0.0, 1.0};
};

} // namespace Vexil
