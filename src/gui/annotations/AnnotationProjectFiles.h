#pragma once
// Annotations as project objects: adding one to its project's annotations group, opening
// an annotation list file (".acsv") or fiducial list file (".fcsv") into the current
// project, where its annotation is shown and listed in the project tree, and the text
// form in which a project keeps an annotation.

#include "PelmoraGuiExport.h"

#include <string>

class vtkMRMLAnnotationNode;
class vtkMRMLScene;

namespace Obj {
class AnnotationsGroup;
class Project;
class ProjectObject;
}

namespace Gui {

// The project's annotations group, made ("Annotations") when it has none.
PELMORAGUI_EXPORT Obj::AnnotationsGroup* annotationsGroupOf(Obj::Project* project);

// Adds an object of the type to the project's annotations group: listed in the group's
// "Member" list, with the group as its parent. Null when the object cannot be made.
PELMORAGUI_EXPORT Obj::ProjectObject* addAnnotationObject(Obj::Project* project, const char* type, const char* name);

// Whether the file is one that openAnnotationListFile takes (by its extension).
PELMORAGUI_EXPORT bool isAnnotationListFile(const std::string& fileName);

// Reads the file's fiducial or ruler into the current project (a new project named after
// the file when there is none) and shows it. A file that holds no annotation is refused
// with an error on the console, and nothing is created. True when the annotation was read.
PELMORAGUI_EXPORT bool openAnnotationListFile(const std::string& fileName);

// The annotation as the text of an annotation list file, as its storage node writes the
// file; false when the node cannot be written.
PELMORAGUI_EXPORT bool annotationNodeText(vtkMRMLAnnotationNode* node, std::string& text);

// Adds `node` (with its display nodes) to the scene and reads such a text into it. A text
// that cannot be read leaves nothing in the scene and returns false, with the reader's
// first complaint, as one printable sentence, in `problem` when given.  The reader's
// warnings go to the console as such sentences too.
PELMORAGUI_EXPORT bool addAnnotationNodeFromText(vtkMRMLScene* scene, vtkMRMLAnnotationNode* node,
                                                 const std::string& text, std::string* problem = nullptr);

} // namespace Gui
