#pragma once
// The outline that "shaded with wireframe" draws over a model: the edges of its polygons
// that border one polygon only, more than two, or two that meet at a sharp angle.  Built
// from the point ids the model already has, with a hash table of its edges: time and memory
// follow the number of polygons whatever the points' places (a binning locator, as VTK's
// feature-edge filter uses, piles a model with one far stray point into a few bins).  The
// lines refer to the input's own points; nothing is merged or copied.

#include <vtkPolyDataAlgorithm.h>

#include <cstdint>

class vtkMRMLModelOutlineFilter : public vtkPolyDataAlgorithm
{
public:
    static vtkMRMLModelOutlineFilter* New();
    vtkTypeMacro(vtkMRMLModelOutlineFilter, vtkPolyDataAlgorithm);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // Two polygons whose normals part by more than this many degrees meet at a sharp edge.
    vtkSetClampMacro(FeatureAngle, double, 0.0, 180.0);
    vtkGetMacro(FeatureAngle, double);

    // What the last run cost: polygon edges looked up, table slots read, bytes reserved
    // for the table, the edge list and the normals, and entries of the edge list reached
    // (by the look-ups, by regrowing the table and by drawing the lines).
    struct Work
    {
        std::uint64_t edgesVisited = 0;
        std::uint64_t slotsRead = 0;
        std::uint64_t bytesReserved = 0;
        std::uint64_t edgesRead = 0;
    };
    const Work& GetLastWork() const { return LastWork; }
    // The same summed over every run in this process.
    static Work GetTotalWork();

protected:
    vtkMRMLModelOutlineFilter() = default;
    ~vtkMRMLModelOutlineFilter() override = default;
    int RequestData(vtkInformation*, vtkInformationVector**, vtkInformationVector*) override;

private:
    vtkMRMLModelOutlineFilter(const vtkMRMLModelOutlineFilter&) = delete;
    void operator=(const vtkMRMLModelOutlineFilter&) = delete;

    double FeatureAngle = 30.0;
    Work LastWork;
};
