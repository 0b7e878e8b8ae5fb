#pragma once
// The length unit a project's 3D scene shows its distances in (rulers and the like): the
// length unit of the user's unit system, with the decimals the preferences give, so that
// a ruler reads what the property editor shows for the same coordinates.  The scene's
// coordinates stay in the project's own length unit; what is shown is converted.

class vtkMRMLScene;
namespace Obj { class Project; }

namespace Gui {

// Names that unit in the scene's selection node; rulers already drawn take it at once.
// `project` gives the unit of the scene's coordinates (without one they are taken to be
// in the shown unit).  Does nothing for a scene that has no selection node yet.
void selectSceneLengthUnit(vtkMRMLScene* scene, const Obj::Project* project = nullptr);

} // namespace Gui
