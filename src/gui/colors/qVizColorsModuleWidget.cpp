#include "qVizColorsModuleWidget.h"

#include "vtkVizScalarBarActor.h"

#include "core/GuiProject.h"
#include "core/qPelmoraApplication.h"
#include "visualization/qPelmoraThreeDWidget.h"
#include "visualization/qView3DMRML.h"

#include <ctk/ctkCollapsibleButton.h>
#include <ctk/ctkDynamicSpacer.h>
#include <ctk/ctkVTKObjectEventsObserver.h>
#include <ctk/ctkVTKScalarBarWidget.h>
#include <ctk/ctkVTKScalarsToColorsView.h>
#include <ctk/ctkVTKScalarsToColorsWidget.h>
#include <mrml/vtkMRMLColorTableNode.h>
#include <mrml/vtkMRMLFreeSurferProceduralColorNode.h>
#include <mrml/vtkMRMLProceduralColorNode.h>
#include <mrml/vtkMRMLScene.h>
#include <qmrml/qMRMLColorTableComboBox.h>
#include <qmrml/qMRMLColorTableView.h>
#include <qmrml/qMRMLRangeWidget.h>
#include <qmrml/qMRMLThreeDView.h>
#include <vexil/MsgConsole.h>
#include <vtkaddon/vtkScalarBarWidget2.h>

#include <vtkBorderRepresentation.h>
#include <vtkColorTransferFunction.h>
#include <vtkCommand.h>
#include <vtkIntArray.h>
#include <vtkLookupTable.h>
#include <vtkNew.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>
#include <vtkStringArray.h>
#include <vtkWeakPointer.h>

#include <QCheckBox>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtDebug>

namespace {

const char* const NumericLabelFormat = " %#8.3f";
// Colour names in full: one format wherever names become labels.
const char* const NameLabelFormat = " %s";

} // namespace

class qVizColorsModuleWidgetPrivate
{
public:
    explicit qVizColorsModuleWidgetPrivate(qVizColorsModuleWidget* q)
        : q_ptr(q)
    {
    }
    void setupUi(qVizColorsModuleWidget* widget);

    qVizColorsModuleWidget* q_ptr;
    vtkSmartPointer<vtkScalarBarWidget2> scalarBarWidget;
    vtkSmartPointer<vtkVizScalarBarActor> scalarBarActor;
    vtkSmartPointer<vtkMRMLScene> scene;
    // The 3D view the bar is shown in, if any.
    QPointer<qMRMLThreeDView> view;
    // The chosen colour node, watched for a table of its own replacing the one the bar
    // shows (a table shared between scenes is copied when one of them changes it).
    vtkWeakPointer<vtkMRMLColorNode> shownNode;
    ctkVTKObjectEventsObserver nodeEvents;

    QFrame* frame = nullptr;
    QLabel* ColorTableLabel = nullptr;
    qMRMLColorTableComboBox* ColorTableComboBox = nullptr;
    QToolButton* CopyColorNodeButton = nullptr;
    ctkCollapsibleButton* DisplayCollapsibleButton = nullptr;
    QSpinBox* NumberOfColorsSpinBox = nullptr;
    QCheckBox* HideInvalidColorsCheckBox = nullptr;
    qMRMLRangeWidget* LUTRangeWidget = nullptr;
    qMRMLColorTableView* ColorView = nullptr;
    ctkCollapsibleButton* ContinuousDisplayCollapsibleButton = nullptr;
    ctkVTKScalarsToColorsWidget* ContinuousScalarsToColorsWidget = nullptr;
    ctkCollapsibleButton* ScalarBarCollapsibleButton = nullptr;
    ctkVTKScalarBarWidget* VTKScalarBar = nullptr;
    QCheckBox* UseColorNameAsLabelCheckBox = nullptr;
    QCheckBox* CenterLabelCheckBox = nullptr;
    ctkDynamicSpacer* DynamicSpacer = nullptr;
};

void qVizColorsModuleWidgetPrivate::setupUi(qVizColorsModuleWidget* widget)
{
    widget->setObjectName(QStringLiteral("qVizColorsModuleWidget"));
    widget->resize(292, 485);
    widget->setWindowIcon(QIcon(QStringLiteral(":/Icons/Colors.png")));
    widget->setWindowTitle(qVizColorsModuleWidget::tr("Colors"));
    auto* verticalLayout = new QVBoxLayout(widget);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setContentsMargins(0, 0, 0, 0);

    frame = new QFrame(widget);
    frame->setObjectName(QStringLiteral("frame"));
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Raised);
    auto* formLayout = new QFormLayout(frame);
    formLayout->setObjectName(QStringLiteral("formLayout"));
    ColorTableLabel = new QLabel(qVizColorsModuleWidget::tr("Colors:"), frame);
    ColorTableLabel->setObjectName(QStringLiteral("ColorTableLabel"));
    auto* horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    ColorTableComboBox = new qMRMLColorTableComboBox(frame);
    ColorTableComboBox->setObjectName(QStringLiteral("ColorTableComboBox"));
    ColorTableComboBox->setAddEnabled(false);
    ColorTableComboBox->setRemoveEnabled(false);
    CopyColorNodeButton = new QToolButton(frame);
    CopyColorNodeButton->setObjectName(QStringLiteral("CopyColorNodeButton"));
    CopyColorNodeButton->setToolTip(qVizColorsModuleWidget::tr(
        "Duplicate the current color node to allow editing colors, scalar range, size."));
    horizontalLayout->addWidget(ColorTableComboBox, 1);
    horizontalLayout->addWidget(CopyColorNodeButton);
    formLayout->addRow(ColorTableLabel, horizontalLayout);
    verticalLayout->addWidget(frame);

    DisplayCollapsibleButton = new ctkCollapsibleButton(qVizColorsModuleWidget::tr("Color Table Display"), widget);
    DisplayCollapsibleButton->setObjectName(QStringLiteral("DisplayCollapsibleButton"));
    DisplayCollapsibleButton->setContentsFrameShape(QFrame::StyledPanel);
    auto* gridLayout = new QGridLayout(DisplayCollapsibleButton);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    auto* numberLabel = new QLabel(qVizColorsModuleWidget::tr("Number of Colors:"), DisplayCollapsibleButton);
    numberLabel->setObjectName(QStringLiteral("NumberOfColorsLabel"));
    NumberOfColorsSpinBox = new QSpinBox(DisplayCollapsibleButton);
    NumberOfColorsSpinBox->setObjectName(QStringLiteral("NumberOfColorsSpinBox"));
    NumberOfColorsSpinBox->setEnabled(false);
    NumberOfColorsSpinBox->setMaximum(10000000);
    gridLayout->addWidget(numberLabel, 1, 0);
    gridLayout->addWidget(NumberOfColorsSpinBox, 1, 1);
    auto* hideLabel = new QLabel(qVizColorsModuleWidget::tr("Hide empty Colors:"), DisplayCollapsibleButton);
    hideLabel->setObjectName(QStringLiteral("HideInvalidColorsLabel"));
    HideInvalidColorsCheckBox = new QCheckBox(DisplayCollapsibleButton);
    HideInvalidColorsCheckBox->setObjectName(QStringLiteral("HideInvalidColorsCheckBox"));
    HideInvalidColorsCheckBox->setToolTip(
        qVizColorsModuleWidget::tr("Show/Hide the unnamed color entries in the list below."));
    gridLayout->addWidget(hideLabel, 2, 0);
    gridLayout->addWidget(HideInvalidColorsCheckBox, 2, 1);
    auto* rangeLabel = new QLabel(qVizColorsModuleWidget::tr("Scalar Range:"), DisplayCollapsibleButton);
    rangeLabel->setObjectName(QStringLiteral("LUTRangeLabel"));
    gridLayout->addWidget(rangeLabel, 3, 0);
    LUTRangeWidget = new qMRMLRangeWidget(DisplayCollapsibleButton);
    LUTRangeWidget->setObjectName(QStringLiteral("LUTRangeWidget"));
    LUTRangeWidget->setEnabled(false);
    LUTRangeWidget->setMinimum(-150);
    LUTRangeWidget->setMaximum(150);
    LUTRangeWidget->setMinimumValue(-100);
    LUTRangeWidget->setMaximumValue(100);
    LUTRangeWidget->setToolTip(
        qVizColorsModuleWidget::tr("The range of scalars that are mapped to the full range of colors."));
    gridLayout->addWidget(LUTRangeWidget, 4, 0, 1, 2);
    ColorView = new qMRMLColorTableView(DisplayCollapsibleButton);
    ColorView->setObjectName(QStringLiteral("ColorView"));
    gridLayout->addWidget(ColorView, 5, 0, 1, 2);
    verticalLayout->addWidget(DisplayCollapsibleButton);

    ContinuousDisplayCollapsibleButton =
        new ctkCollapsibleButton(qVizColorsModuleWidget::tr("Continuous Display"), widget);
    ContinuousDisplayCollapsibleButton->setObjectName(QStringLiteral("ContinuousDisplayCollapsibleButton"));
    ContinuousDisplayCollapsibleButton->setContentsFrameShape(QFrame::StyledPanel);
    auto* verticalLayout3 = new QVBoxLayout(ContinuousDisplayCollapsibleButton);
    verticalLayout3->setObjectName(QStringLiteral("verticalLayout_3"));
    ContinuousScalarsToColorsWidget = new ctkVTKScalarsToColorsWidget(ContinuousDisplayCollapsibleButton);
    ContinuousScalarsToColorsWidget->setObjectName(QStringLiteral("ContinuousScalarsToColorsWidget"));
    ContinuousScalarsToColorsWidget->setMinimumSize(0, 120);
    verticalLayout3->addWidget(ContinuousScalarsToColorsWidget);
    ContinuousDisplayCollapsibleButton->setCollapsed(true);
    verticalLayout->addWidget(ContinuousDisplayCollapsibleButton);

    ScalarBarCollapsibleButton = new ctkCollapsibleButton(qVizColorsModuleWidget::tr("Scalar Bar"), widget);
    ScalarBarCollapsibleButton->setObjectName(QStringLiteral("ScalarBarCollapsibleButton"));
    auto* gridLayout2 = new QGridLayout(ScalarBarCollapsibleButton);
    gridLayout2->setObjectName(QStringLiteral("gridLayout_2"));
    VTKScalarBar = new ctkVTKScalarBarWidget(ScalarBarCollapsibleButton);
    VTKScalarBar->setObjectName(QStringLiteral("VTKScalarBar"));
    gridLayout2->addWidget(VTKScalarBar, 0, 0, 1, 2);
    const QString nameTip = qVizColorsModuleWidget::tr(
        "Toggle between using the names of color table colors and the scalar values for the labels in the "
        "scalar bar widget.");
    auto* label2 = new QLabel(qVizColorsModuleWidget::tr("Use color names for labels: "), ScalarBarCollapsibleButton);
    label2->setObjectName(QStringLiteral("label_2"));
    label2->setToolTip(nameTip);
    UseColorNameAsLabelCheckBox = new QCheckBox(ScalarBarCollapsibleButton);
    UseColorNameAsLabelCheckBox->setObjectName(QStringLiteral("UseColorNameAsLabelCheckBox"));
    UseColorNameAsLabelCheckBox->setToolTip(nameTip);
    gridLayout2->addWidget(label2, 1, 0);
    gridLayout2->addWidget(UseColorNameAsLabelCheckBox, 1, 1);
    const QString centerTip = qVizColorsModuleWidget::tr(
        "Toggle between centering names of color table colors on color swatches in the scalar bar widget.");
    auto* label = new QLabel(qVizColorsModuleWidget::tr("Center labels: "), ScalarBarCollapsibleButton);
    label->setObjectName(QStringLiteral("label"));
    label->setToolTip(centerTip);
    CenterLabelCheckBox = new QCheckBox(ScalarBarCollapsibleButton);
    CenterLabelCheckBox->setObjectName(QStringLiteral("CenterLabelCheckBox"));
    CenterLabelCheckBox->setToolTip(centerTip);
    gridLayout2->addWidget(label, 2, 0);
    gridLayout2->addWidget(CenterLabelCheckBox, 2, 1);
    ScalarBarCollapsibleButton->setCollapsed(true);
    verticalLayout->addWidget(ScalarBarCollapsibleButton);

    DynamicSpacer = new ctkDynamicSpacer(widget);
    DynamicSpacer->setObjectName(QStringLiteral("DynamicSpacer"));
    verticalLayout->addWidget(DynamicSpacer);

    QObject::connect(widget, &qVizColorsModuleWidget::mrmlSceneChanged, ColorTableComboBox,
                     &qMRMLColorTableComboBox::setMRMLScene);
    QObject::connect(widget, &qVizColorsModuleWidget::mrmlSceneChanged, LUTRangeWidget,
                     &qMRMLRangeWidget::setMRMLScene);
    QObject::connect(DisplayCollapsibleButton, &QAbstractButton::toggled, DynamicSpacer,
                     &ctkDynamicSpacer::setInactive);
    QObject::connect(DisplayCollapsibleButton, &QAbstractButton::toggled, ColorView,
                     &qMRMLColorTableView::setShowOnlyNamedColors);
    QObject::connect(ColorTableComboBox, &qMRMLColorTableComboBox::currentNodeChanged, ColorView,
                     &qMRMLColorTableView::setMRMLColorNode);
    QObject::connect(HideInvalidColorsCheckBox, &QCheckBox::toggled, ColorView,
                     &qMRMLColorTableView::setShowOnlyNamedColors);
}

qVizColorsModuleWidget::qVizColorsModuleWidget(QWidget* parent)
    : QWidget(parent)
    , d(std::make_unique<qVizColorsModuleWidgetPrivate>(this))
{
    d->scalarBarWidget = vtkSmartPointer<vtkScalarBarWidget2>::New();
    d->scalarBarActor = vtkSmartPointer<vtkVizScalarBarActor>::New();
    d->scalarBarWidget->SetScalarBarActor(d->scalarBarActor);
    d->scalarBarActor->SetOrientationToVertical();
    d->scalarBarActor->SetNumberOfLabels(11);
    d->scalarBarActor->SetTitle("(mm)");
    d->scalarBarActor->SetPosition(0.1, 0.1);
    d->scalarBarActor->SetWidth(0.1);
    d->scalarBarActor->SetHeight(0.8);
    d->scalarBarActor->SetBarRatio(0.15);
    if (auto* border = vtkBorderRepresentation::SafeDownCast(d->scalarBarWidget->GetRepresentation())) {
        border->SetShowHorizontalBorder(1);
        border->SetShowVerticalBorder(1);
        border->SetShowBorderToOn();
    }
    setContentsMargins(0, 0, 0, 0);
    setup();
}

qVizColorsModuleWidget::~qVizColorsModuleWidget()
{
    // The bar leaves the view it was shown in.
    if (d->scalarBarWidget && d->scalarBarWidget->GetInteractor() && d->scalarBarWidget->GetEnabled()) {
        d->scalarBarWidget->SetEnabled(0);
        if (d->view)
            d->view->scheduleRender();
    }
}

void qVizColorsModuleWidget::setup()
{
    d->setupUi(this);
    d->VTKScalarBar->setScalarBarWidget(d->scalarBarWidget);
    connect(d->ColorTableComboBox, &qMRMLColorTableComboBox::currentNodeChanged, this,
            &qVizColorsModuleWidget::onMRMLColorNodeChanged);
    connect(d->NumberOfColorsSpinBox, &QSpinBox::editingFinished, this, &qVizColorsModuleWidget::updateNumberOfColors);
    connect(d->LUTRangeWidget, &qMRMLRangeWidget::valuesChanged, this, &qVizColorsModuleWidget::setLookupTableRange);
    d->scalarBarActor->SetLabelFormat(d->UseColorNameAsLabelCheckBox->isChecked() ? NameLabelFormat
                                                                                 : NumericLabelFormat);
    connect(d->UseColorNameAsLabelCheckBox, &QCheckBox::toggled, this, &qVizColorsModuleWidget::setUseColorNameAsLabel);
    connect(d->CenterLabelCheckBox, &QCheckBox::toggled, this, &qVizColorsModuleWidget::setCenterLabel);

    Gui::qPelmoraApplication* app = Gui::qPelmoraApplication::application();
    Gui::GuiProject* project = app ? app->get_current_project() : nullptr;
    if (!project) {
        Vexil::MsgConsoleSingleton::Instance().Warning("No active graphics window to display scalar bar.\n");
        return;
    }
    if (auto* view = qobject_cast<Gui::qView3DMRML*>(project->getActiveView())) {
        qMRMLThreeDView* threeD = view->getViewer() ? view->getViewer()->threeDView() : nullptr;
        if (!threeD)
            return;
        if (vtkRenderer* renderer = threeD->renderer())
            if (renderer->GetRenderWindow())
                d->scalarBarWidget->SetInteractor(renderer->GetRenderWindow()->GetInteractor());
        connect(d->VTKScalarBar, &ctkVTKScalarBarWidget::modified, threeD, &qMRMLThreeDView::scheduleRender);
        d->view = threeD;
    }
    const double bounds[4] = {-1e299, 1e299, 0, 1};
    d->ContinuousScalarsToColorsWidget->view()->setValidBounds(bounds);
    d->ContinuousScalarsToColorsWidget->view()->addColorTransferFunction(nullptr, true);
    selectDefaultColorNode();
}

vtkMRMLScene* qVizColorsModuleWidget::mrmlScene() const
{
    return d->scene;
}

void qVizColorsModuleWidget::setMRMLScene(vtkMRMLScene* scene)
{
    const bool changed = d->scene.GetPointer() != scene;
    d->scene = scene;
    if (changed)
        Q_EMIT mrmlSceneChanged(scene);
    selectDefaultColorNode();
}

void qVizColorsModuleWidget::selectDefaultColorNode()
{
    if (!d->scene || d->ColorTableComboBox->currentNode())
        return;
    if (auto* node = vtkMRMLColorNode::SafeDownCast(d->scene->GetNodeByID("vtkMRMLColorTableNodePmRainbow")))
        d->ColorTableComboBox->setCurrentNode(node);
}

bool qVizColorsModuleWidget::setEditedNode(vtkMRMLNode* node, QString, QString)
{
    if (!vtkMRMLColorNode::SafeDownCast(node))
        return false;
    d->ColorTableComboBox->setCurrentNode(node);
    return true;
}

vtkScalarBarWidget2* qVizColorsModuleWidget::scalarBar()
{
    return d->scalarBarWidget;
}

vtkVizScalarBarActor* qVizColorsModuleWidget::scalarBarActor() const
{
    return d->scalarBarActor;
}

void qVizColorsModuleWidget::setCurrentColorNode(vtkMRMLNode* node)
{
    d->ColorTableComboBox->setCurrentNode(node);
}

void qVizColorsModuleWidget::copyCurrentColorNode()
{
}

void qVizColorsModuleWidget::setUseColorNameAsLabel(bool on)
{
    d->scalarBarActor->SetLabelFormat(on ? NameLabelFormat : NumericLabelFormat);
    d->scalarBarActor->SetUseAnnotationAsLabel(on ? 1 : 0);
}

void qVizColorsModuleWidget::setCenterLabel(bool on)
{
    d->scalarBarActor->SetCenterLabel(on);
}

void qVizColorsModuleWidget::setLookupTableRange(double min, double max)
{
    auto* node = vtkMRMLColorNode::SafeDownCast(d->ColorTableComboBox->currentNode());
    // A table's entries may be shown by other scenes' nodes too: the node copies them first.
    if (auto* table = vtkMRMLColorTableNode::SafeDownCast(node))
        table->SetTableRange(min, max);
    else if (node && node->GetLookupTable())
        node->GetLookupTable()->SetRange(min, max);
    redrawBar();
}

// The bar's table changed without the bar itself: only a render shows the new range
// or colours.
void qVizColorsModuleWidget::redrawBar()
{
    if (d->view && d->scalarBarWidget->GetEnabled())
        d->view->scheduleRender();
}

void qVizColorsModuleWidget::updateNumberOfColors()
{
    if (!d->NumberOfColorsSpinBox->isEnabled())
        return;
    if (auto* table = vtkMRMLColorTableNode::SafeDownCast(d->ColorTableComboBox->currentNode())) {
        table->SetNumberOfColors(d->NumberOfColorsSpinBox->value());
        redrawBar();
    } else {
        qWarning() << "updateNumberOfColors: please select a discrete color table node to adjust the number of colors";
    }
}

namespace {

// Tables and FreeSurfer colours have entries with names, which the bar can show.
bool hasNamedEntries(vtkMRMLColorNode* node)
{
    return vtkMRMLColorTableNode::SafeDownCast(node) || vtkMRMLFreeSurferProceduralColorNode::SafeDownCast(node);
}

// What the bar shows of a colour node: the lookup table of a node with entries, the
// transfer function of another procedural node.
vtkScalarsToColors* barTableOf(vtkMRMLColorNode* node)
{
    if (auto* table = vtkMRMLColorTableNode::SafeDownCast(node))
        return table->GetLookupTable();
    if (auto* freeSurfer = vtkMRMLFreeSurferProceduralColorNode::SafeDownCast(node))
        return freeSurfer->GetLookupTable();
    if (auto* procedural = vtkMRMLProceduralColorNode::SafeDownCast(node))
        return procedural->GetColorTransferFunction();
    return nullptr;
}

} // namespace

void qVizColorsModuleWidget::showNodeTableOnBar(vtkMRMLColorNode* colorNode, vtkScalarsToColors* table)
{
    d->scalarBarActor->SetLookupTable(table);
    // The entries' names become the annotations of the bar's lookup table.
    if (table && hasNamedEntries(colorNode)) {
        vtkNew<vtkIntArray> values;
        vtkNew<vtkStringArray> names;
        for (int i = 0; i < colorNode->GetNumberOfColors(); ++i) {
            values->InsertNextValue(i);
            names->InsertNextValue(colorNode->GetColorName(i));
        }
        table->SetAnnotations(values, names);
    }
}

void qVizColorsModuleWidget::onShownColorNodeModified()
{
    vtkMRMLColorNode* node = d->shownNode;
    vtkScalarsToColors* table = node ? barTableOf(node) : nullptr;
    // Only a node that now has another table, or another number of entries than the bar
    // names: the bar follows it, and the view shows it.
    if (!table || (table == d->scalarBarActor->GetLookupTable()
                   && (!hasNamedEntries(node) || table->GetNumberOfAnnotatedValues() == node->GetNumberOfColors())))
        return;
    showNodeTableOnBar(node, table);
    if (d->view && d->scalarBarWidget->GetEnabled())
        d->view->scheduleRender();
}

void qVizColorsModuleWidget::onMRMLColorNodeChanged(vtkMRMLNode* newNode)
{
    auto* colorNode = vtkMRMLColorNode::SafeDownCast(newNode);
    d->nodeEvents.addConnection(d->shownNode, colorNode, vtkCommand::ModifiedEvent, this,
                                SLOT(onShownColorNodeModified()));
    d->shownNode = colorNode;
    // Filling the range widget must not write its values back into the node's table:
    // every branch below adjusts it with its signals blocked.
    const QSignalBlocker rangeBlocker(d->LUTRangeWidget);
    if (!colorNode) {
        d->NumberOfColorsSpinBox->setEnabled(false);
        d->NumberOfColorsSpinBox->setValue(0);
        d->LUTRangeWidget->setEnabled(false);
        d->LUTRangeWidget->setValues(0, 0);
        d->ContinuousScalarsToColorsWidget->setEnabled(false);
        d->VTKScalarBar->setTitle(QStringLiteral("(mm)"));
        return;
    }
    const bool userType = colorNode->GetType() == vtkMRMLColorNode::User;
    auto* table = vtkMRMLColorTableNode::SafeDownCast(colorNode);
    auto* freeSurfer = vtkMRMLFreeSurferProceduralColorNode::SafeDownCast(colorNode);
    auto* procedural = vtkMRMLProceduralColorNode::SafeDownCast(colorNode);
    if (table || freeSurfer) {
        d->NumberOfColorsSpinBox->setEnabled(userType);
        d->NumberOfColorsSpinBox->setValue(colorNode->GetNumberOfColors());
        vtkLookupTable* lut = table ? table->GetLookupTable() : freeSurfer->GetLookupTable();
        d->LUTRangeWidget->setEnabled(userType);
        if (lut) {
            const double* range = lut->GetRange();
            double pad = 0.1 * (range[1] - range[0]);
            if (pad == 0)
                pad = 10;
            const double lo = range[0];
            const double hi = range[1];
            d->LUTRangeWidget->setRange(lo - pad, hi + pad);
            d->LUTRangeWidget->setValues(lo, hi);
            showNodeTableOnBar(colorNode, lut);
        } else {
            d->LUTRangeWidget->setEnabled(false);
            d->LUTRangeWidget->setValues(0, 0);
        }
        d->DisplayCollapsibleButton->setCollapsed(false);
        d->DisplayCollapsibleButton->setEnabled(true);
        d->ContinuousDisplayCollapsibleButton->setCollapsed(true);
        d->ContinuousDisplayCollapsibleButton->setEnabled(false);
        d->ContinuousScalarsToColorsWidget->setEnabled(false);
    } else if (procedural) {
        d->NumberOfColorsSpinBox->setEnabled(false);
        d->NumberOfColorsSpinBox->setValue(0);
        d->LUTRangeWidget->setEnabled(false);
        d->LUTRangeWidget->setValues(0, 0);
        d->DisplayCollapsibleButton->setCollapsed(true);
        d->DisplayCollapsibleButton->setEnabled(false);
        d->ContinuousDisplayCollapsibleButton->setCollapsed(false);
        d->ContinuousDisplayCollapsibleButton->setEnabled(true);
        d->ContinuousScalarsToColorsWidget->view()->setColorTransferFunctionToPlots(
            procedural->GetColorTransferFunction());
        d->ContinuousScalarsToColorsWidget->setEnabled(userType);
        if (procedural->GetColorTransferFunction())
            d->scalarBarActor->SetLookupTable(procedural->GetColorTransferFunction());
    } else {
        d->LUTRangeWidget->setValues(0, 0);
    }
    d->VTKScalarBar->setTitle(QString::fromUtf8(colorNode->GetName() ? colorNode->GetName() : "")
                              + QStringLiteral(" (mm)"));
}
