#pragma once
// A colour of the logic: red, green, blue and alpha as fractions from 0 to 1.

#include <string>

namespace Obj {

struct Color
{
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;

    Color() = default;
    Color(float red, float green, float blue, float alpha = 0.0f) : r(red), g(green), b(blue), a(alpha) {}

    void set(float red, float green, float blue, float alpha = 0.0f)
    {
        r = red;
        g = green;
        b = blue;
        a = alpha;
    }
    // A random, clearly visible colour with alpha 0, for a new object's shape.
    void setRandomType();
    // "r,g,b,a" with numbers that read back exactly (C locale); `fromText` accepts three
    // or four numbers, with or without surrounding parentheses, and leaves the colour
    // unchanged on anything else.
    std::string toText() const;
    bool fromText(const std::string& text);

    bool operator==(const Color& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const Color& o) const { return !(*this == o); }
};

} // namespace Obj
