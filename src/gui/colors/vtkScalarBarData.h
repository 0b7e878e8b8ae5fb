#pragma once
// What a scalar bar shows for a result: two caption lines, the result type, its unit,
// the set (step) it belongs to, when it was made and its value ranges; and the title
// text made from them.

#include "PelmoraGuiExport.h"

#include <QDateTime>

#include <string>
#include <utility>

namespace Gui {

struct PELMORAGUI_EXPORT vtkScalarBarData
{
    vtkScalarBarData();
    vtkScalarBarData(const std::string& line1, const std::string& line2, const std::string& type,
                     int set, const std::string& label, const std::pair<double, double>& valueRange);

    // Six lines, each ending with a line break: the two captions, "Type: ", "Unit: ", the
    // set label or "Set number: ", and the date in the default locale ("3/7/2022 Monday 2:05 PM" in English).
    std::string generateTitleText() const;

    std::string titleLine1 = " ";
    std::string titleLine2 = " ";
    std::string typeName = " ";
    std::string unitName = "NoUnit";
    int setNumber = -1;
    std::string setLabel;
    QDateTime createdAt;
    std::pair<double, double> range{0.0, 0.0};
    std::pair<double, double> secondRange{0.0, 0.0};
    bool extraFlag = false;
};

} // namespace Gui
