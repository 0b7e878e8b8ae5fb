#pragma once
// Small vector and matrix value types of the base library.

namespace Vexil {

template <class T>
struct Vector3
{
    T x = 0, y = 0, z = 0;
    Vector3() = default;
    Vector3(T xv, T yv, T zv) : x(xv), y(yv), z(zv) {}
    bool operator==(const Vector3& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const Vector3& o) const { return !(*this == o); }
};

using Vector3f = Vector3<float>;
using Vector3d = Vector3<double>;

// Row-major 4x4 matrix, identity by default.
struct Matrix4D
{
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    // The sixteen values in OpenGL order: column by column.
    void getGLMatrix(double out[16]) const
    {
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r)
                out[c * 4 + r] = m[r][c];
    }
    bool operator==(const Matrix4D& o) const
    {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                if (m[r][c] != o.m[r][c])
                    return false;
        return true;
    }
};

} // namespace Vexil
