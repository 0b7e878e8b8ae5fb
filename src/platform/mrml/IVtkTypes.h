#pragma once
// The display and selection modes that the 3D view passes to its displayable managers.

// How every model of a view is drawn; DM_None lets each display node's mode hold.
enum IVtk_DisplayMode : int
{
    DM_None = 0,
    DM_Wireframe = 1,
    DM_Shading = 2,
    DM_ShadingWithEdges = 3,
};

// Which kind of entity a pick selects.
enum IVtk_SelectionMode : int
{
    SM_Shape = 0,
    SM_Vertex = 1,
    SM_Edge = 2,
    SM_Face = 4,
};
