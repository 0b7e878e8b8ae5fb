#pragma once
// Joins the points of its input that have exactly the same coordinates, each keeping the
// attributes of its first copy: placed after a filter that copies every cell's corners
// (a clip with a locator that does not merge), it gives the cells shared points again in
// time linear in the points, where a binning locator piles clustered points into a few bins.

#include <vtkPolyDataAlgorithm.h>

class vtkMRMLJoinPointsFilter : public vtkPolyDataAlgorithm
{
public:
    static vtkMRMLJoinPointsFilter* New();
    vtkTypeMacro(vtkMRMLJoinPointsFilter, vtkPolyDataAlgorithm);

protected:
    vtkMRMLJoinPointsFilter() = default;
    ~vtkMRMLJoinPointsFilter() override = default;
    int RequestData(vtkInformation*, vtkInformationVector**, vtkInformationVector*) override;

private:
    vtkMRMLJoinPointsFilter(const vtkMRMLJoinPointsFilter&) = delete;
    void operator=(const vtkMRMLJoinPointsFilter&) = delete;
};
