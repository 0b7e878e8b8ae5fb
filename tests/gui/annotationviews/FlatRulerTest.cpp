// The flat ruler of the slice views: its axis draws a tick every ruler distance of the
// shown distance from point 1, as the picture shows, each labelled with its distance.

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

#include <cmath>
#include <vector>
#include <string>

namespace {

// The middles of the ticks drawn below a ruler lying along y = 100 from x = 50 to 350, as
// a row of the picture shows them (the handles' cross hairs stand at both ends).
std::vector<double> ticksDrawn(vtkRenderWindow* window)
{
    vtkNew<vtkUnsignedCharArray> row;
    window->GetPixelData(0, 96, 399, 96, 1, row);
    std::vector<double> middles;
    int runStart = -1;
    for (vtkIdType x = 0; x <= row->GetNumberOfTuples(); ++x) {
        const bool lit = x < row->GetNumberOfTuples()
            && row->GetComponent(x, 0) + row->GetComponent(x, 1) + row->GetComponent(x, 2) > 150;
        if (lit && runStart < 0)
            runStart = static_cast<int>(x);
        if (!lit && runStart >= 0) {
            middles.push_back(0.5 * (runStart + x - 1));
            runStart = -1;
        }
    }
    return middles;
}

// Equal when every tick stands within 1.5 pixels of the one expected.
bool near(const std::vector<double>& drawn, const std::vector<double>& expected)
{
    if (drawn.size() != expected.size())
        return false;
    for (size_t i = 0; i < drawn.size(); ++i)
        if (std::abs(drawn[i] - expected[i]) > 1.5)
            return false;
    return true;
}

} // namespace

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
    EXPECT_EQ(axis->GetNumberOfLabels(), 4) << "0, 10, 20 and 30 of 35";
    EXPECT_EQ(axis->GetRange()[0], 0.0);
    EXPECT_EQ(axis->GetRange()[1], 30.0) << "the last label reads the distance of the last tick";
    EXPECT_STREQ(axis->GetTitle(), "35.0");
    // Where the ticks stand, as drawn: one every 10 of the 35 units from point 1 (50 to 350
    // on the screen, 8.57 pixels a unit), and the end; not four spread evenly.
    EXPECT_PRED2(near, ticksDrawn(window), (std::vector<double>{50, 135.7, 221.4, 307.1, 350}));

    // Something is drawn where the ruler lies.
    vtkNew<vtkUnsignedCharArray> pixels;
    window->GetPixelData(0, 95, 399, 105, 1, pixels);
    int lit = 0;
    for (vtkIdType i = 0; i < pixels->GetNumberOfTuples(); ++i)
        lit += pixels->GetComponent(i, 0) + pixels->GetComponent(i, 1) + pixels->GetComponent(i, 2) > 150;
    EXPECT_GT(lit, 200);

    // A longer shown distance adds ticks and labels; the number of ruler ticks bounds them:
    // then every second tick is drawn, still on whole ruler distances.
    ruler->SetDistance(62);
    ruler->Modified();
    window->Render();
    EXPECT_EQ(axis->GetNumberOfLabels(), 7);
    EXPECT_PRED2(near, ticksDrawn(window), (std::vector<double>{50, 98.4, 146.8, 195.2, 243.5, 291.9, 340.3, 350}));
    ruler->SetNumberOfRulerTicks(3);
    window->Render();
    EXPECT_EQ(axis->GetNumberOfLabels(), 4);
    EXPECT_EQ(axis->GetRange()[1], 60.0);
    EXPECT_PRED2(near, ticksDrawn(window), (std::vector<double>{50, 146.8, 243.5, 340.3, 350}));

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
