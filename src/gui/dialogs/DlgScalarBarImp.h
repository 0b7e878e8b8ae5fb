#pragma once
// The scalar bar panel dialog: the colours panel on the current project's scene, with
// its scalar bar in the project's active 3D view.

#include "PelmoraGuiExport.h"

#include <QDialog>

class qVizColorsModuleWidget;

namespace Gui {

class PELMORAGUI_EXPORT DlgScalarBarImp : public QDialog
{
    Q_OBJECT
public:
    explicit DlgScalarBarImp(QWidget* parent = nullptr);
    ~DlgScalarBarImp() override;

    qVizColorsModuleWidget* colorsWidget() const { return panel; }

public Q_SLOTS:
    void on_btn_ok_clicked();

private:
    qVizColorsModuleWidget* panel;
};

} // namespace Gui
