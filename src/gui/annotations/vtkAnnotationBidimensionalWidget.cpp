#include "vtkAnnotationBidimensionalWidget.h"

#include "vtkAnnotationBidimensionalRepresentation.h"

#include <vtkObjectFactory.h>

vtkStandardNewMacro(vtkAnnotationBidimensionalWidget);

void vtkAnnotationBidimensionalWidget::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
}

void vtkAnnotationBidimensionalWidget::CreateDefaultRepresentation()
{
    if (!WidgetRep)
        WidgetRep = vtkAnnotationBidimensionalRepresentation::New();
    if (auto* representation = vtkBiDimensionalRepresentation::SafeDownCast(WidgetRep))
        representation->InstantiateHandleRepresentation();
    else
        vtkErrorMacro("CreateDefaultRepresentation: the representation is no bidimensional representation, class = "
                      << WidgetRep->GetClassName());
}
