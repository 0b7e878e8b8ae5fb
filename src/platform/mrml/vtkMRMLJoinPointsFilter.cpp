#include "vtkMRMLJoinPointsFilter.h"

#include "MRMLSharedPoints.h"

#include <vtkInformation.h>
#include <vtkInformationVector.h>
#include <vtkObjectFactory.h>
#include <vtkPolyData.h>

#include <new>

vtkStandardNewMacro(vtkMRMLJoinPointsFilter);

int vtkMRMLJoinPointsFilter::RequestData(vtkInformation*, vtkInformationVector** inputVector,
                                          vtkInformationVector* outputVector)
{
    vtkPolyData* input = vtkPolyData::GetData(inputVector[0], 0);
    vtkPolyData* output = vtkPolyData::GetData(outputVector, 0);
    if (!input || !output)
        return 0;
    output->DeepCopy(input);
    try {
        mrmlmodelfile::mergeCoincidentPoints(output);
    } catch (const std::bad_alloc&) {
        vtkErrorMacro("Not enough memory to join the points of " << input->GetNumberOfPoints() << " points");
        output->Initialize();
        return 0;
    }
    return 1;
}
