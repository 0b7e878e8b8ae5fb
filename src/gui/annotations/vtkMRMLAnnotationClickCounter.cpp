#include "vtkMRMLAnnotationClickCounter.h"

#include <vtkObjectFactory.h>

vtkStandardNewMacro(vtkMRMLAnnotationClickCounter);
