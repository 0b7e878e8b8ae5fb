#pragma once
// The scalar bar of the colours panel: tick labels are either compact numbers or the
// names of the colour-table entries, and sit either at evenly spaced points that
// include both ends of the bar or at the centres of the colour swatches.

#include "PelmoraGuiExport.h"

#include <vtkaddon/vtkScalarBarActor2.h>

class PELMORAGUI_EXPORT vtkVizScalarBarActor : public vtkScalarBarActor2
{
public:
    static vtkVizScalarBarActor* New();
    vtkTypeMacro(vtkVizScalarBarActor, vtkScalarBarActor2);
    void PrintSelf(ostream& os, vtkIndent indent) override;

    // 1 (exactly): the labels are the lookup table's annotations.
    virtual int GetUseAnnotationAsLabel();
    virtual void SetUseAnnotationAsLabel(int on);
    virtual void UseAnnotationAsLabelOn() { SetUseAnnotationAsLabel(1); }
    virtual void UseAnnotationAsLabelOff() { SetUseAnnotationAsLabel(0); }
    // Labels at the centres of the swatches instead of spread over the whole bar.
    virtual bool GetCenterLabel();
    virtual void SetCenterLabel(bool on);
    virtual void CenterLabelOn() { SetCenterLabel(true); }
    virtual void CenterLabelOff() { SetCenterLabel(false); }

    // A number as a tick label: 4 significant digits, short exponent ("1.235e5").
    static std::string CompactNumber(double value);

protected:
    vtkVizScalarBarActor();
    ~vtkVizScalarBarActor() override;
    vtkVizScalarBarActor(const vtkVizScalarBarActor&) = delete;
    void operator=(const vtkVizScalarBarActor&) = delete;

    void LayoutTicks() override;
    void ConfigureTicks() override;

    int UseAnnotationAsLabel = 0;
    bool CenterLabel = false;
};
