// The scalar bar's tick labels and their places, checked label formats, and the title
// text of a scalar bar description.

#include <colors/LabelFormat.h>
#include <colors/vtkScalarBarData.h>
#include <colors/vtkVizScalarBarActor.h>

#include <vtkCallbackCommand.h>
#include <vtkIntArray.h>
#include <vtkLookupTable.h>
#include <vtkNew.h>
#include <vtkObjectFactory.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkScalarBarActorInternal.h>
#include <vtkStringArray.h>
#include <vtkTextActor.h>

#include <QLocale>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// Reads the layout the bar built for its last render.
class InspectedBar : public vtkVizScalarBarActor
{
public:
    static InspectedBar* New();
    vtkTypeMacro(InspectedBar, vtkVizScalarBarActor);

    std::vector<std::string> labels() const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < NumberOfLabelsBuilt; ++i)
            texts.emplace_back(P->TextActors[static_cast<size_t>(i)]->GetInput());
        return texts;
    }
    // Centre of each label along the bar, in viewport pixels.
    std::vector<double> centres(vtkViewport* viewport) const
    {
        std::vector<double> along;
        for (int i = 0; i < NumberOfLabelsBuilt; ++i) {
            vtkTextActor* actor = P->TextActors[static_cast<size_t>(i)];
            double size[2];
            actor->GetSize(viewport, size);
            along.push_back(actor->GetPosition()[1] + 0.5 * size[1]);
        }
        return along;
    }
    double tickStart() const { return P->TickBox.Posn[1]; }
    double tickLength() const { return P->TickBox.Size[1]; }
};
vtkStandardNewMacro(InspectedBar);

struct WarningCounter
{
    explicit WarningCounter(vtkObject* object)
    {
        command->SetClientData(this);
        command->SetCallback([](vtkObject*, unsigned long, void* client, void* data) {
            auto* self = static_cast<WarningCounter*>(client);
            self->messages.emplace_back(static_cast<const char*>(data));
        });
        object->AddObserver(vtkCommand::WarningEvent, command);
    }
    vtkNew<vtkCallbackCommand> command;
    std::vector<std::string> messages;
};

// A bar of `labels` labels on a lookup table spanning lo..hi, rendered once.
struct RenderedBar
{
    RenderedBar(double lo, double hi, int labels = 11)
    {
        lut->SetTableRange(lo, hi);
        lut->Build();
        bar->SetLookupTable(lut);
        bar->SetNumberOfLabels(labels);
        bar->SetHeight(0.8);
        window->SetOffScreenRendering(1);
        window->SetSize(400, 600);
        window->AddRenderer(renderer);
        renderer->AddActor2D(bar);
    }
    void render() { window->Render(); }
    vtkNew<vtkLookupTable> lut;
    vtkNew<InspectedBar> bar;
    vtkNew<vtkRenderer> renderer;
    vtkNew<vtkRenderWindow> window;
};

} // namespace

TEST(ScalarBar, NumericLabelsSpreadOverTheWholeBarIncludingBothEnds)
{
    RenderedBar s(0, 100);
    s.render();
    const std::vector<std::string> expected{"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100"};
    EXPECT_EQ(s.bar->labels(), expected);

    const std::vector<double> centres = s.bar->centres(s.renderer);
    ASSERT_EQ(centres.size(), 11u);
    EXPECT_NEAR(centres.front(), s.bar->tickStart(), 1e-6);
    EXPECT_NEAR(centres.back(), s.bar->tickStart() + s.bar->tickLength(), 1e-6);
    for (size_t i = 1; i < centres.size(); ++i)
        EXPECT_NEAR(centres[i] - centres[i - 1], s.bar->tickLength() / 10.0, 1e-6) << i;
}

TEST(ScalarBar, CentredLabelsSitAtTheSwatchCentres)
{
    RenderedBar s(0, 100);
    s.bar->CenterLabelOn();
    s.render();
    const std::vector<std::string> labels = s.bar->labels();
    ASSERT_EQ(labels.size(), 11u);
    EXPECT_EQ(labels[0], "4.545");
    EXPECT_EQ(labels[1], "13.64");
    EXPECT_EQ(labels[10], "95.45");
    const std::vector<double> centres = s.bar->centres(s.renderer);
    EXPECT_NEAR(centres[0], s.bar->tickStart() + s.bar->tickLength() / 22.0, 1e-6);
    EXPECT_NEAR(centres[10], s.bar->tickStart() + s.bar->tickLength() * 21.0 / 22.0, 1e-6);
}

TEST(ScalarBar, NumbersArePrintedCompactly)
{
    EXPECT_EQ(vtkVizScalarBarActor::CompactNumber(123456), "1.235e5");
    EXPECT_EQ(vtkVizScalarBarActor::CompactNumber(0.00000015), "1.5e-7");
    EXPECT_EQ(vtkVizScalarBarActor::CompactNumber(-3), "-3");
    EXPECT_EQ(vtkVizScalarBarActor::CompactNumber(0.0), "0");
    EXPECT_EQ(vtkVizScalarBarActor::CompactNumber(-2.5e-12), "-2.5e-12");
}

TEST(ScalarBar, AnnotationLabelsPickTheNearestAnnotation)
{
    RenderedBar s(0, 3);
    vtkNew<vtkIntArray> values;
    vtkNew<vtkStringArray> names;
    for (int i = 0; i < 4; ++i) {
        values->InsertNextValue(i);
        names->InsertNextValue(std::string(1, static_cast<char>('a' + i)));
    }
    s.lut->SetAnnotations(values, names);
    s.bar->SetLabelFormat(" %s");
    s.bar->UseAnnotationAsLabelOn();
    s.render();
    const std::vector<std::string> expected{" a", " a", " b", " b", " b", " c", " c", " c", " c", " d", " d"};
    EXPECT_EQ(s.bar->labels(), expected);

    // Fewer than two annotations: no labels and no warning.
    WarningCounter warnings(s.bar);
    vtkNew<vtkIntArray> one;
    vtkNew<vtkStringArray> oneName;
    one->InsertNextValue(0);
    oneName->InsertNextValue("only");
    s.lut->SetAnnotations(one, oneName);
    s.bar->Modified();
    s.render();
    EXPECT_EQ(s.bar->labels(), std::vector<std::string>(11, "(none)"));
    EXPECT_TRUE(warnings.messages.empty());
}

TEST(ScalarBar, FormatsWithoutTheRightSingleConversionAreRefusedWithOneWarning)
{
    RenderedBar s(0, 3);
    vtkNew<vtkIntArray> values;
    vtkNew<vtkStringArray> names;
    values->InsertNextValue(0);
    values->InsertNextValue(1);
    names->InsertNextValue("low");
    names->InsertNextValue("high");
    s.lut->SetAnnotations(values, names);
    s.bar->UseAnnotationAsLabelOn();
    WarningCounter warnings(s.bar);
    const bool display = vtkObject::GetGlobalWarningDisplay();
    vtkObject::GlobalWarningDisplayOn();
    for (const char* hostile : {" %#8.3f", "%s%n", "%n", "%*s", "%s and %s", "%99999s", "%ls", "%s %d", "%"}) {
        warnings.messages.clear();
        s.bar->SetLabelFormat(hostile);
        s.render();
        EXPECT_EQ(s.bar->labels(), std::vector<std::string>(11, "(none)")) << hostile;
        ASSERT_EQ(warnings.messages.size(), 1u) << hostile;
        EXPECT_NE(warnings.messages[0].find("LabelFormat doesn't contain a string specifier!"), std::string::npos);
    }
    // Numeric labels need one floating-point conversion.
    s.bar->UseAnnotationAsLabelOff();
    warnings.messages.clear();
    s.bar->SetLabelFormat("%s");
    s.render();
    EXPECT_EQ(s.bar->labels().front(), "(none)");
    ASSERT_EQ(warnings.messages.size(), 1u);
    EXPECT_NE(warnings.messages[0].find("floating point specifier!%s"), std::string::npos);
    vtkObject::SetGlobalWarningDisplay(display);

    // Flags, width and precision are fine.
    s.bar->UseAnnotationAsLabelOn();
    s.bar->SetLabelFormat("[%-5.2s]");
    s.render();
    EXPECT_EQ(s.bar->labels().front(), "[lo   ]");
}

TEST(ScalarBar, OutOfRangeSwatchesStayOffAndIndexedTablesBuildNoTicks)
{
    vtkNew<vtkVizScalarBarActor> bar;
    bar->SetDrawBelowRangeSwatch(true);
    bar->SetDrawAboveRangeSwatch(true);
    EXPECT_FALSE(bar->GetDrawBelowRangeSwatch());
    EXPECT_FALSE(bar->GetDrawAboveRangeSwatch());

    RenderedBar s(0, 100);
    s.lut->IndexedLookupOn();
    s.render();
    EXPECT_TRUE(s.bar->labels().empty());

    std::ostringstream printed;
    s.bar->CenterLabelOn();
    s.bar->Print(printed);
    EXPECT_NE(printed.str().find("CenterLabel:            1\n"), std::string::npos);
}

TEST(LabelFormats, OnlyOneConversionOfTheExpectedKindPasses)
{
    using Gui::isSingleConversionFormat;
    EXPECT_TRUE(isSingleConversionFormat(" %#8.3f", "fFgGeE"));
    EXPECT_TRUE(isSingleConversionFormat("%-#6.3g", "fFgGeE"));
    EXPECT_TRUE(isSingleConversionFormat("100%% %s", "s"));
    EXPECT_FALSE(isSingleConversionFormat(" %s", "fFgGeE"));
    EXPECT_FALSE(isSingleConversionFormat("%f %f", "fFgGeE"));
    EXPECT_FALSE(isSingleConversionFormat("%lf", "fFgGeE"));
    EXPECT_FALSE(isSingleConversionFormat("no conversion", "s"));
    EXPECT_FALSE(isSingleConversionFormat(nullptr, "s"));
    EXPECT_EQ(Gui::formatTextLabel("%x", "name", 10), "name") << "a refused format is not used";
    EXPECT_EQ(Gui::formatTextLabel("<%s>", "abcdef", 4), "<abc");
}

TEST(ScalarBarData, TitleTextHasSixLinesAndAnEnglishDate)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    Gui::vtkScalarBarData plain;
    plain.createdAt = QDateTime(QDate(2022, 3, 7), QTime(14, 5));
    EXPECT_EQ(plain.generateTitleText(), " \n \nType:  \nUnit: NoUnit\nSet number: -1\n3/7/2022 Monday 2:05 PM\n");

    Gui::vtkScalarBarData result("Stress", "von Mises", "Nodal", 4, "", {1.5, 2.5});
    result.unitName = "MPa";
    result.createdAt = QDateTime(QDate(2023, 11, 12), QTime(9, 30));
    EXPECT_EQ(result.generateTitleText(),
              "Stress\nvon Mises\nType: Nodal\nUnit: MPa\nSet number: 4\n11/12/2023 Sunday 9:30 AM\n");
    EXPECT_EQ(result.secondRange, result.range);
    result.setLabel = "Step 4, t = 0.2 s";
    EXPECT_NE(result.generateTitleText().find("\nStep 4, t = 0.2 s\n"), std::string::npos);
    EXPECT_EQ(result.generateTitleText().find("Set number"), std::string::npos);
    QLocale::setDefault(saved);
}
