#pragma once
// The clip planes dialog: the clip-node panel on a project's clip node, and a Close button.

#include "PelmoraGuiExport.h"

#include <QDialog>

QT_BEGIN_NAMESPACE
class QPushButton;
QT_END_NAMESPACE
class qMRMLClipNodeWidget2;
class vtkMRMLClipModelsNode;

namespace Gui {

class PELMORAGUI_EXPORT DlgClipPlaneImp : public QDialog
{
    Q_OBJECT
public:
    explicit DlgClipPlaneImp(vtkMRMLClipModelsNode* node, QWidget* parent = nullptr);
    ~DlgClipPlaneImp() override;

    qMRMLClipNodeWidget2* clipWidget() const { return panel; }

public Q_SLOTS:
    void on_btn_ok_clicked();

private:
    qMRMLClipNodeWidget2* panel;
    QPushButton* btn_ok;
};

} // namespace Gui
