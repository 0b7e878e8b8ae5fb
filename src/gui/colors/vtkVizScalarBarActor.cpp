#include "vtkVizScalarBarActor.h"

#include "LabelFormat.h"

#include <vtkCoordinate.h>
#include <vtkObjectFactory.h>
#include <vtkScalarBarActorInternal.h>
#include <vtkScalarsToColors.h>
#include <vtkTextActor.h>
#include <vtkTextProperty.h>

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>

vtkStandardNewMacro(vtkVizScalarBarActor);

namespace {

const size_t MaxLabelLength = 511;

void replaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

void setUpText(vtkTextProperty* p)
{
    p->SetColor(0, 0, 0);
    p->BoldOff();
    p->ItalicOff();
    p->ShadowOff();
    p->SetFontFamilyToArial();
    p->SetFontSize(12);
}

} // namespace

vtkVizScalarBarActor::vtkVizScalarBarActor()
{
    DrawAnnotationsOff();
    SetOrientationToVertical();
    SetNumberOfLabels(11);
    UnconstrainedFontSizeOn();
    SetWidth(0.15);
    SetHeight(0.4);
    SetTextPad(3);
    SetBarRatio(0.15);
    GetTitleTextProperty()->SetJustificationToLeft();
    setUpText(GetTitleTextProperty());
    setUpText(GetLabelTextProperty());
    setUpText(GetAnnotationTextProperty());
}

vtkVizScalarBarActor::~vtkVizScalarBarActor() = default;

void vtkVizScalarBarActor::PrintSelf(ostream& os, vtkIndent indent)
{
    Superclass::PrintSelf(os, indent);
    os << indent << "UseAnnotationAsLabel:   " << UseAnnotationAsLabel << "\n";
    os << indent << "CenterLabel:            " << (CenterLabel ? 1 : 0) << "\n";
}

int vtkVizScalarBarActor::GetUseAnnotationAsLabel()
{
    return UseAnnotationAsLabel;
}

void vtkVizScalarBarActor::SetUseAnnotationAsLabel(int on)
{
    if (UseAnnotationAsLabel == on)
        return;
    UseAnnotationAsLabel = on;
    Modified();
}

bool vtkVizScalarBarActor::GetCenterLabel()
{
    return CenterLabel;
}

void vtkVizScalarBarActor::SetCenterLabel(bool on)
{
    if (CenterLabel == on)
        return;
    CenterLabel = on;
    Modified();
}

std::string vtkVizScalarBarActor::CompactNumber(double value)
{
    if (value == 0.0)
        return "0";
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(4);
    out << value;
    std::string text = out.str();
    text.erase(std::remove(text.begin(), text.end(), '+'), text.end());
    replaceAll(text, "e0", "e");
    replaceAll(text, "e-0", "e-");
    return text;
}

void vtkVizScalarBarActor::LayoutTicks()
{
    if (!LookupTable || LookupTable->GetIndexedLookup()) {
        NumberOfLabelsBuilt = 0;
        return;
    }
    const double* range = LookupTable->GetRange();
    const double r0 = range[0];
    const double r1 = range[1];
    const bool logScale = LookupTable->UsingLogScale() != 0;
    const int n = std::max(0, NumberOfLabels);
    P->TextActors.resize(static_cast<size_t>(n));

    const bool numericFormat = Gui::isSingleConversionFormat(LabelFormat, "fFgGeE");
    const bool textFormat = Gui::isSingleConversionFormat(LabelFormat, "s");
    bool warnedNumeric = false;
    bool warnedText = false;
    for (int i = 0; i < n; ++i) {
        auto actor = vtkSmartPointer<vtkTextActor>::New();
        P->TextActors[static_cast<size_t>(i)] = actor;
        std::string text = "(none)";

        double v;
        if (logScale) {
            const double t = n >= 2 ? static_cast<double>(i) / (n - 1) : 0.5;
            v = std::pow(10.0, std::log10(r0) + t * (std::log10(r1) - std::log10(r0)));
        } else {
            double t = 0.5;
            if (n > 1)
                t = CenterLabel ? (i + 0.5) / n : static_cast<double>(i) / (n - 1);
            v = r0 + t * (r1 - r0);
        }

        if (UseAnnotationAsLabel == 1) {
            const int k = static_cast<int>(LookupTable->GetNumberOfAnnotatedValues());
            if (k >= 2) {
                int j = 0;
                if (n > 1)
                    j = CenterLabel ? static_cast<int>((i + 0.5) / n * k)
                                    : static_cast<int>(static_cast<double>(i) / (n - 1) * (k - 1) + 0.5);
                j = std::clamp(j, 0, k - 1);
                if (textFormat) {
                    text = Gui::formatTextLabel(LabelFormat, LookupTable->GetAnnotation(j).c_str(), MaxLabelLength);
                } else if (!warnedText) {
                    warnedText = true;
                    vtkWarningMacro(<< "LabelFormat doesn't contain a string specifier!"
                                    << (LabelFormat ? LabelFormat : ""));
                }
            }
        } else if (numericFormat) {
            text = CompactNumber(v);
        } else if (!warnedNumeric) {
            warnedNumeric = true;
            vtkWarningMacro(<< "LabelFormat doesn't contain a floating point specifier!"
                            << (LabelFormat ? LabelFormat : ""));
        }

        if (text.size() > MaxLabelLength)
            text.resize(MaxLabelLength);
        actor->SetInput(text.c_str());
        actor->GetTextProperty()->ShallowCopy(LabelTextProperty);
        actor->SetProperty(GetProperty());
        actor->GetPositionCoordinate()->SetReferenceCoordinate(PositionCoordinate);
    }

    if (n > 0) {
        vtkScalarBarBox& tick = P->TickBox;
        tick.Posn = P->ScalarBarBox.Posn;
        int targetWidth;
        int targetHeight;
        if (Orientation == VTK_ORIENT_VERTICAL) {
            tick.Size[0] = P->Frame.Size[0] - P->ScalarBarBox.Size[0] - 3 * TextPad;
            tick.Size[1] = P->Frame.Size[1] - P->TitleBox.Size[1] - VerticalTitleSeparation - 3 * TextPad;
            if (GetDrawNanAnnotation())
                tick.Size[1] = static_cast<int>(tick.Size[1] - (P->NanBox.Size[1] + P->SwatchPad));
            if (TextPosition == PrecedeScalarBar)
                tick.Posn[0] = TextPad;
            else
                tick.Posn[0] += P->ScalarBarBox.Size[0] + 2 * TextPad;
            targetWidth = tick.Size[0];
            targetHeight = (tick.Size[1] - (n - 1) * TextPad) / n;
        } else {
            tick.Size[1] = P->ScalarBarBox.Size[1];
            tick.Size[0] = P->Frame.Size[0] - P->TitleBox.Size[0] - P->ScalarBarBox.Size[0] - 4 * TextPad;
            if (TextPosition == PrecedeScalarBar)
                tick.Posn[1] = P->TitleBox.Size[0] + 2 * TextPad;
            else
                tick.Posn[1] += P->ScalarBarBox.Size[0];
            targetWidth = (tick.Size[1] - (n - 1) * TextPad) / n;
            targetHeight = tick.Size[0];
        }
        int largest[2] = {0, 0};
        vtkTextActor::SetMultipleConstrainedFontSize(P->Viewport, std::max(1, targetWidth),
                                                     std::max(1, targetHeight),
                                                     P->TextActors.PointerArray(), n, largest);
        const int along = P->TL[1];
        P->ScalarBarBox.Posn[along] += largest[along] / 2;
        P->ScalarBarBox.Size[1] -= largest[along];
        tick.Posn[along] += largest[along] / 2;
        tick.Size[1] -= largest[along];
        if (Orientation != VTK_ORIENT_VERTICAL) {
            tick.Posn[1] += TextPosition == PrecedeScalarBar ? -TextPad : TextPad;
            tick.Size[1] -= TextPad;
        }
    }
    NumberOfLabelsBuilt = n;
}

void vtkVizScalarBarActor::ConfigureTicks()
{
    const int m = NumberOfLabelsBuilt;
    const vtkScalarBarBox& tick = P->TickBox;
    for (int i = 0; i < m && i < static_cast<int>(P->TextActors.size()); ++i) {
        vtkTextActor* actor = P->TextActors[static_cast<size_t>(i)];
        double t = 0.5;
        if (m > 1)
            t = CenterLabel ? (i + 0.5) / m : static_cast<double>(i) / (m - 1);
        const double p = tick.Posn[P->TL[1]] + t * tick.Size[1];
        double size[2] = {0, 0};
        actor->GetSize(P->Viewport, size);
        vtkTextProperty* text = actor->GetTextProperty();
        if (Orientation == VTK_ORIENT_VERTICAL) {
            if (TextPosition == PrecedeScalarBar)
                text->SetJustificationToRight();
            else
                text->SetJustificationToLeft();
            text->SetVerticalJustificationToBottom();
            const double x = TextPosition == PrecedeScalarBar ? tick.Posn[0] + tick.Size[0] : tick.Posn[0];
            actor->SetPosition(x, p - 0.5 * size[1]);
        } else {
            text->SetJustificationToCentered();
            if (TextPosition == PrecedeScalarBar)
                text->SetVerticalJustificationToTop();
            else
                text->SetVerticalJustificationToBottom();
            const double y = TextPosition == PrecedeScalarBar ? tick.Posn[1] + tick.Size[0] : tick.Posn[1];
            actor->SetPosition(p, y);
        }
    }
}
