#pragma once
// The length unit a project's 3D scene shows its distances in (rulers and the like): the
// length unit of the user's unit system, with the decimals the preferences give, so that
// a ruler reads what the property editor shows for the same coordinates.

class vtkMRMLScene;

namespace Gui {

// Names that unit in the scene's selection node; rulers already drawn take it at once.
// Does nothing for a scene that has no selection node yet.
void selectSceneLengthUnit(vtkMRMLScene* scene);

} // namespace Gui
