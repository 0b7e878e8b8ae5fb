#include "vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory.h"

#include "vtkMRMLAnnotationBidimensionalDisplayableManager.h"
#include "vtkMRMLAnnotationDisplayableManager.h"
#include "vtkMRMLAnnotationFiducialDisplayableManager.h"
#include "vtkMRMLAnnotationROIDisplayableManager.h"
#include "vtkMRMLAnnotationRulerDisplayableManager.h"
#include "vtkMRMLAnnotationTextDisplayableManager.h"

#include <vtkVersion.h>

#include <atomic>
#include <ostream>

vtkStandardNewMacro(vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory);

namespace {

template <class Manager> vtkObject* createManager()
{
    return Manager::New();
}

// The managers made by name.
struct Override
{
    const char* className;
    vtkObject* (*create)();
};
const Override overrides[] = {
    {"vtkMRMLAnnotationDisplayableManager", &createManager<vtkMRMLAnnotationDisplayableManager>},
    {"vtkMRMLAnnotationFiducialDisplayableManager", &createManager<vtkMRMLAnnotationFiducialDisplayableManager>},
    {"vtkMRMLAnnotationRulerDisplayableManager", &createManager<vtkMRMLAnnotationRulerDisplayableManager>},
    {"vtkMRMLAnnotationROIDisplayableManager", &createManager<vtkMRMLAnnotationROIDisplayableManager>},
    {"vtkMRMLAnnotationTextDisplayableManager", &createManager<vtkMRMLAnnotationTextDisplayableManager>},
    {"vtkMRMLAnnotationBidimensionalDisplayableManager",
     &createManager<vtkMRMLAnnotationBidimensionalDisplayableManager>},
};

std::atomic<unsigned int> registrations{0};

// Registers the factory when the library loads.
const struct AutoRegistration
{
    AutoRegistration() { vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory::RegisterOnce(); }
} autoRegistration;

} // namespace

vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory::vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory()
{
    for (const Override& o : overrides)
        RegisterOverride(o.className, o.className, "Override for  module", 1, o.create);
}

void vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
}

const char* vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory::GetVTKSourceVersion()
{
    return VTK_SOURCE_VERSION;
}

const char* vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory::GetDescription()
{
    return "vtkVizAnnotationsModuleMRMLDisplayableManager factory overrides.";
}

void vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory::RegisterOnce()
{
    if (registrations++ != 0)
        return;
    vtkVizAnnotationsModuleMRMLDisplayableManagerObjectFactory* factory = New();
    vtkObjectFactory::RegisterFactory(factory);
    factory->Delete();
}
