#pragma once
// How the project tree shows an object that a view marks as active.

namespace Gui {

enum HighlightMode : int
{
    Underlined = 0,
    Italic = 1,
    Overlined = 2,
    Bold = 3,
    Blue = 4,
    LightBlue = 5,
    UserDefined = 6,
};

enum TreeItemMode : int
{
    ExpandItem = 0,
    ExpandPath = 1,   // expansion left as it is
    CollapseItem = 2,
    ToggleItem = 3,
};

} // namespace Gui
