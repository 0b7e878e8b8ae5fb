#include "qVizColorsModule.h"

#include "qVizColorsModuleWidget.h"
#include "vtkVizColorLogic.h"

#include "core/qPelmoraApplication.h"

#include <ctk/ctkColorDialog.h>
#include <mrml/vtkMRMLScene.h>
#include <mrml/vtkVizApplicationLogic.h>
#include <mrml/vtkVizModuleLogic.h>
#include <qmrml/qMRMLColorPickerWidget.h>

#include <vtkSmartPointer.h>

#include <QtDebug>

class qVizColorsModulePrivate
{
public:
    std::shared_ptr<qMRMLColorPickerWidget> colorPicker = std::make_shared<qMRMLColorPickerWidget>();
    std::unique_ptr<qVizColorsModuleWidget> widget;
    QString name = QStringLiteral("NA");
    QString path;
    bool installed = false;
    bool builtIn = false;
    vtkSmartPointer<vtkVizApplicationLogic> appLogic;
    vtkSmartPointer<vtkMRMLScene> scene;
    vtkSmartPointer<vtkMRMLAbstractLogic> logic;
};

qVizColorsModule::qVizColorsModule(QObject* parent)
    : QObject(parent)
    , d(std::make_unique<qVizColorsModulePrivate>())
{
}

qVizColorsModule::~qVizColorsModule()
{
    // The panel refers to the scene and logic: it goes first.
    d->widget.reset();
}

QStringList qVizColorsModule::categories() const
{
    return {QStringLiteral("Informatics")};
}

QIcon qVizColorsModule::icon() const
{
    return QIcon(QStringLiteral(":/Icons/Colors.png"));
}

bool qVizColorsModule::isHidden() const
{
    return false;
}

QStringList qVizColorsModule::associatedNodeTypes() const
{
    return {QStringLiteral("vtkMRMLColorNode")};
}

void qVizColorsModule::initialize(vtkVizApplicationLogic* appLogic)
{
    d->appLogic = appLogic;
    if (auto* moduleLogic = vtkVizModuleLogic::SafeDownCast(d->logic))
        moduleLogic->SetMRMLApplicationLogic(appLogic);
    logic();
    setup();
}

void qVizColorsModule::setAppLogic(vtkVizApplicationLogic* appLogic)
{
    d->appLogic = appLogic;
    if (auto* moduleLogic = vtkVizModuleLogic::SafeDownCast(d->logic))
        moduleLogic->SetMRMLApplicationLogic(appLogic);
}

vtkVizApplicationLogic* qVizColorsModule::appLogic() const
{
    return d->appLogic;
}

vtkMRMLAbstractLogic* qVizColorsModule::logic()
{
    if (d->logic)
        return d->logic;
    vtkMRMLAbstractLogic* made = createLogic();
    if (!made)
        return nullptr;
    d->logic.TakeReference(made);
    if (auto* moduleLogic = vtkVizModuleLogic::SafeDownCast(d->logic)) {
        moduleLogic->SetMRMLApplicationLogic(d->appLogic);
        moduleLogic->SetModuleShareDirectory(vtkVizApplicationLogic::GetModuleShareDirectory(
            d->name.toStdString(), d->path.toStdString()));
    }
    d->logic->SetMRMLScene(d->scene);
    return d->logic;
}

vtkMRMLScene* qVizColorsModule::mrmlScene() const
{
    return d->scene;
}

qVizColorsModuleWidget* qVizColorsModule::widgetRepresentation()
{
    if (!d->widget)
        d->widget.reset(createNewWidgetRepresentation());
    return d->widget.get();
}

qMRMLColorPickerWidget* qVizColorsModule::colorPicker() const
{
    return d->colorPicker.get();
}

QString qVizColorsModule::name() const { return d->name; }
void qVizColorsModule::setName(const QString& name) { d->name = name; }
QString qVizColorsModule::path() const { return d->path; }
void qVizColorsModule::setPath(const QString& path) { d->path = path; }
bool qVizColorsModule::isBuiltIn() const { return d->builtIn; }
void qVizColorsModule::setBuiltIn(bool on) { d->builtIn = on; }
bool qVizColorsModule::isInstalled() const { return d->installed; }
void qVizColorsModule::setInstalled(bool on) { d->installed = on; }

void qVizColorsModule::setMRMLScene(vtkMRMLScene* scene)
{
    // The logic gives the scene the colour files of the moment before the lists show it.
    const bool changed = d->scene.GetPointer() != scene;
    d->scene = scene;
    if (changed && d->logic)
        d->logic->SetMRMLScene(scene);
    d->colorPicker->setMRMLScene(scene);
    if (changed && d->widget)
        d->widget->setMRMLScene(scene);
}

void qVizColorsModule::setup()
{
    Gui::qPelmoraApplication* app = Gui::qPelmoraApplication::application();
    if (!app)
        return;
    auto* colorLogic = vtkVizColorLogic::SafeDownCast(logic());
    if (app->applicationLogic())
        app->applicationLogic()->SetColorLogic(colorLogic);
    if (colorLogic)
        colorLogic->SetUserColorFilePaths(QStringList().join(QLatin1Char(';')).toLatin1().constData());
    d->colorPicker->setMRMLColorLogic(colorLogic);
    ctkColorDialog::insertDefaultTab(-1, d->colorPicker.get(), tr("Labels"), SIGNAL(colorSelected(QColor)),
                                     SIGNAL(colorNameSelected(QString)));
    ctkColorDialog::setDefaultTab(1);
}

qVizColorsModuleWidget* qVizColorsModule::createWidgetRepresentation()
{
    return new qVizColorsModuleWidget();
}

vtkMRMLAbstractLogic* qVizColorsModule::createLogic()
{
    return vtkVizColorLogic::New();
}

qVizColorsModuleWidget* qVizColorsModule::createNewWidgetRepresentation()
{
    qVizColorsModuleWidget* widget = createWidgetRepresentation();
    if (!widget) {
        qDebug() << "Warning, the module" << d->name << "has no widget representation";
        return nullptr;
    }
    widget->setMRMLScene(d->scene);
    return widget;
}
