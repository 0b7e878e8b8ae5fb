#include "Color.h"

#include <vexil/UtilityBox.h>

#include <algorithm>
#include <locale>
#include <random>
#include <sstream>
#include <vector>

namespace Obj {

void Color::setRandomType()
{
    // A saturated hue at a medium-to-high brightness: never black, never washed out.
    static std::mt19937 engine{std::random_device{}()};
    std::uniform_real_distribution<float> hueDist(0.0f, 6.0f);
    std::uniform_real_distribution<float> valueDist(0.6f, 1.0f);
    std::uniform_real_distribution<float> saturationDist(0.4f, 0.8f);
    const float h = hueDist(engine);
    const float v = valueDist(engine);
    const float s = saturationDist(engine);
    const int sector = std::min(5, static_cast<int>(h));
    const float f = h - static_cast<float>(sector);
    const float p = v * (1.0f - s);
    const float q = v * (1.0f - s * f);
    const float t = v * (1.0f - s * (1.0f - f));
    switch (sector) {
    case 0: set(v, t, p); break;
    case 1: set(q, v, p); break;
    case 2: set(p, v, t); break;
    case 3: set(p, q, v); break;
    case 4: set(t, p, v); break;
    default: set(v, p, q); break;
    }
}

std::string Color::toText() const
{
    using Vexil::UtilityBox;
    return UtilityBox::exact_number_text(r) + "," + UtilityBox::exact_number_text(g) + ","
        + UtilityBox::exact_number_text(b) + "," + UtilityBox::exact_number_text(a);
}

bool Color::fromText(const std::string& text)
{
    std::string body = Vexil::UtilityBox::trimmed(text);
    if (body.size() >= 2 && body.front() == '(' && body.back() == ')')
        body = body.substr(1, body.size() - 2);
    std::vector<float> values;
    std::istringstream in(body);
    in.imbue(std::locale::classic());
    std::string part;
    while (std::getline(in, part, ',')) {
        const std::string item = Vexil::UtilityBox::trimmed(part);
        std::istringstream number(item);
        number.imbue(std::locale::classic());
        double v = 0.0;
        number >> v;
        if (item.empty() || number.fail() || !number.eof())
            return false;
        values.push_back(static_cast<float>(v));
    }
    if (values.size() != 3 && values.size() != 4)
        return false;
    set(values[0], values[1], values[2], values.size() == 4 ? values[3] : 0.0f);
    return true;
}

} // namespace Obj
