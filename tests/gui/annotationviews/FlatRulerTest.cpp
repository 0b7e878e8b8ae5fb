// The flat ruler of the slice views: its axis carries one label per ruler distance of the
// shown distance, laid out by count, and draws without the axis's own ruler mode.

#include <vtkAnnotationRulerRepresentation.h>
#include <vtkAnnotationRulerWidget.h>

#include <vtkAxisActor2D.h>
#include <vtkNew.h>
#include <vtkPointHandleRepresentation2D.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkUnsignedCharArray.h>

#include <gtest/gtest.h>

TEST(FlatRuler, LabelsFollowTheShownDistanceAndTheRulerDistance)
{
    vtkNew<vtkRenderWindow> window;
    window->SetOffScreenRendering(1);
    window->SetSize(400, 200);
    vtkNew<vtkRenderer> renderer;
    window->AddRenderer(renderer);
    renderer->GetActiveCamera();
    vtkNew<vtkRenderWindowInteractor> interactor;
    interactor->SetRenderWindow(window);

    vtkNew<vtkAnnotationRulerWidget> widget;
    widget->SetInteractor(interactor);
    widget->SetCurrentRenderer(renderer);
    vtkNew<vtkAnnotationRulerRepresentation> ruler;
    vtkNew<vtkPointHandleRepresentation2D> handle;
    ruler->SetHandleRepresentation(handle);
    ruler->InstantiateHandleRepresentation();
    ruler->SetLabelFormat("%.1f");
    ruler->RulerModeOn();
    ruler->SetRulerDistance(10);
    ruler->SetNumberOfRulerTicks(99);
    widget->SetRepresentation(ruler);
    widget->SetWidgetStateToManipulate();
    widget->On();
    double a[3] = {50, 100, 0}, b[3] = {350, 100, 0};
    ruler->SetPoint1DisplayPosition(a);
    ruler->SetPoint2DisplayPosition(b);
    ruler->SetDistance(35);
    ruler->Modified();
    window->Render();

    vtkAxisActor2D* axis = ruler->GetAxis();
    EXPECT_FALSE(axis->GetRulerMode());
    EXPECT_EQ(axis->GetNumberOfLabels(), 4) << "0, 10, 20 and 30 of 35";
    EXPECT_EQ(axis->GetRange()[0], 0.0);
    EXPECT_EQ(axis->GetRange()[1], 35.0);
    EXPECT_STREQ(axis->GetTitle(), "35.0");

    // Something is drawn where the ruler lies.
    vtkNew<vtkUnsignedCharArray> pixels;
    window->GetPixelData(0, 95, 399, 105, 1, pixels);
    int lit = 0;
    for (vtkIdType i = 0; i < pixels->GetNumberOfTuples(); ++i)
        lit += pixels->GetComponent(i, 0) + pixels->GetComponent(i, 1) + pixels->GetComponent(i, 2) > 150;
    EXPECT_GT(lit, 200);

    // A longer shown distance adds labels; the number of ruler ticks bounds them.
    ruler->SetDistance(62);
    ruler->Modified();
    window->Render();
    EXPECT_EQ(axis->GetNumberOfLabels(), 7);
    ruler->SetNumberOfRulerTicks(3);
    window->Render();
    EXPECT_EQ(axis->GetNumberOfLabels(), 4);

    // No spacing: the two ends alone. A tiny one: as many as the axis can show, at once.
    ruler->SetNumberOfRulerTicks(99);
    ruler->SetRulerDistance(0);
    window->Render();
    EXPECT_EQ(axis->GetNumberOfLabels(), 2);
    ruler->SetRulerDistance(1e-30);
    window->Render();
    EXPECT_EQ(axis->GetNumberOfLabels(), 25);

    // Out of ruler mode the number of ruler ticks is the number of labels.
    ruler->RulerModeOff();
    ruler->SetNumberOfRulerTicks(5);
    window->Render();
    EXPECT_EQ(axis->GetNumberOfLabels(), 5);
    EXPECT_FALSE(axis->GetRulerMode());
}
