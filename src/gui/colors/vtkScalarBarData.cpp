#include "vtkScalarBarData.h"

#include <QLocale>

namespace Gui {

vtkScalarBarData::vtkScalarBarData()
    : createdAt(QDateTime::currentDateTime())
{
}

vtkScalarBarData::vtkScalarBarData(const std::string& line1, const std::string& line2,
                                   const std::string& type, int set, const std::string& label,
                                   const std::pair<double, double>& valueRange)
    : titleLine1(line1)
    , titleLine2(line2)
    , typeName(type)
    , setNumber(set)
    , setLabel(label)
    , createdAt(QDateTime::currentDateTime())
    , range(valueRange)
    , secondRange(valueRange)
{
}

std::string vtkScalarBarData::generateTitleText() const
{
    std::string text = titleLine1 + "\n" + titleLine2 + "\n";
    text += "Type: " + typeName + "\n";
    text += "Unit: " + unitName + "\n";
    text += (setLabel.empty() ? "Set number: " + std::to_string(setNumber) : setLabel) + "\n";
    // The day name in the application's language (QLocale's default).
    const QString date = QLocale().toString(createdAt, QStringLiteral("M/d/yyyy dddd h:mm A"));
    text += date.toUtf8().toStdString() + "\n";
    return text;
}

} // namespace Gui
