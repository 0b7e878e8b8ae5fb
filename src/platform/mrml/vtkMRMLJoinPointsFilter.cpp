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
    try {
        output->DeepCopy(input);
        mrmlmodelfile::mergeCoincidentPoints(output);
    } catch (const std::bad_alloc&) {
        // Said once: a failed request would be made again, and said again, every frame.
        vtkErrorMacro("Not enough memory to cut a model of " << input->GetNumberOfCells()
                                                             << " cells: its cut part is not drawn");
        output->Initialize();
        return 1;
    }
    return 1;
}
