#include "ToolsPageImp.h"
#include "ui_ToolsPage.h"

namespace Gui {
namespace Dialog {

ToolsPageImp::ToolsPageImp(QWidget* parent) : QWidget(parent), ui(new ::Ui::ToolsPage)
{
    ui->setupUi(this);
    for (QSpinBox* spin : {ui->spinOnionBefore, ui->spinOnionAfter, ui->spinOnionStep, ui->spinOnionOpacity})
        connect(spin, qOverload<int>(&QSpinBox::valueChanged), this, &ToolsPageImp::onValueChanged);
    connect(ui->checkBrushTools, &QCheckBox::stateChanged, this, &ToolsPageImp::onValueChanged);
}

ToolsPageImp::~ToolsPageImp() = default;

void ToolsPageImp::onValueChanged() {}

} // namespace Dialog
} // namespace Gui
