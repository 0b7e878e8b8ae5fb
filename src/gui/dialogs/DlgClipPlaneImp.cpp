#include "DlgClipPlaneImp.h"

#include "visualization/qMRMLClipNodeWidget2.h"

#include <QApplication>
#include <QIcon>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpacerItem>

namespace Gui {

DlgClipPlaneImp::DlgClipPlaneImp(vtkMRMLClipModelsNode* node, QWidget* parent)
    : QDialog(parent)
    , panel(new qMRMLClipNodeWidget2(this))
    , btn_ok(new QPushButton(QStringLiteral("Close"), this))
{
    setWindowIcon(QApplication::windowIcon());
    setWindowTitle(tr("Clip Planes"));
    resize(400, 300);
    auto* layout = new QGridLayout(this);
    layout->setObjectName(QStringLiteral("clipPlanesLayout"));
    panel->setMRMLClipNode(node);
    layout->addWidget(panel, 0, 0);
    auto* buttons = new QHBoxLayout();
    buttons->setObjectName(QStringLiteral("horizontalLayout"));
    buttons->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    buttons->addWidget(btn_ok);
    buttons->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    layout->addLayout(buttons, 1, 0);
    adjustSize();
    connect(btn_ok, &QPushButton::clicked, this, &DlgClipPlaneImp::on_btn_ok_clicked);
}

DlgClipPlaneImp::~DlgClipPlaneImp() = default;

void DlgClipPlaneImp::on_btn_ok_clicked()
{
    close();
}

} // namespace Gui
