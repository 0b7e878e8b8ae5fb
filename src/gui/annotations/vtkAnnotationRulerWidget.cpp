#include "vtkAnnotationRulerWidget.h"

#include "vtkAnnotationRulerRepresentation.h"
#include "vtkAnnotationRulerRepresentation3D.h"

#include <vtkObjectFactory.h>

vtkStandardNewMacro(vtkAnnotationRulerWidget);

void vtkAnnotationRulerWidget::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "Is2DWidget: " << (Is2DWidget ? "true" : "false") << "\n";
}

void vtkAnnotationRulerWidget::SetIs2DWidget(int is2D)
{
    if (WidgetRep) {
        vtkErrorMacro("SetIs2DWidget: Setting Is2DWidget after a representation has been built is a no-op !");
        return;
    }
    Is2DWidget = is2D != 0;
}

void vtkAnnotationRulerWidget::CreateDefaultRepresentation()
{
    if (!WidgetRep) {
        if (Is2DWidget)
            WidgetRep = vtkAnnotationRulerRepresentation::New();
        else
            WidgetRep = vtkAnnotationRulerRepresentation3D::New();
    }
    if (auto* distance = vtkDistanceRepresentation::SafeDownCast(WidgetRep))
        distance->InstantiateHandleRepresentation();
    else
        vtkErrorMacro("CreateDefaultRepresentation: unable to cast widget representation to a "
                      "vtkDistanceRepresentation, class = "
                      << WidgetRep->GetClassName());
}
