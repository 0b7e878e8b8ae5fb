#include "DlgClipPlaneImp.h"

#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"
#include "visualization/qMRMLClipNodeWidget2.h"

#include <mrml/vtkMRMLClipModelsNode.h>
#include <obj/Application.h>
#include <obj/Project.h>
#include <pmunit/Units.h>

#include <QApplication>
#include <QIcon>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>

namespace Gui {

namespace {

// The length unit of the coordinates of the scene that holds `node`: that of the project
// the scene belongs to; millimetres for a scene of no project.
QString sceneLengthUnit(vtkMRMLClipModelsNode* node)
{
    vtkMRMLScene* scene = node ? node->GetScene() : nullptr;
    qPelmoraApplication* app = qPelmoraApplication::application();
    if (scene && app && Obj::Application::_pcSingleton) {
        for (Obj::Project* project : Obj::Application::instance().get_projects()) {
            GuiProject* gui = app->get_project(project);
            if (gui && gui->mrmlScene() == scene)
                return pmUnit::UnitsManager::getUnitSymbol(project->get_length_unit());
        }
    }
    return QStringLiteral("mm");
}

} // namespace

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
    // The origin is a point of the scene: in the scene's own length unit.
    const QString unit = sceneLengthUnit(node);
    for (const char* name : {"label_5", "label_6", "label_7"})
        if (auto* label = panel->findChild<QLabel*>(QLatin1String(name)))
            label->setText(unit);
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
