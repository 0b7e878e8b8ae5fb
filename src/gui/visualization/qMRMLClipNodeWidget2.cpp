#include "qMRMLClipNodeWidget2.h"

#include <ctk/ctkVTKObjectEventsObserver.h>
#include <mrml/vtkMRMLClipModelsNode.h>

#include <vtkCommand.h>
#include <vtkSmartPointer.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QRadioButton>
#include <QSpacerItem>

#include <limits>

namespace {

struct PlaneRow
{
    QCheckBox* check = nullptr;
    QRadioButton* positive = nullptr;
    QRadioButton* negative = nullptr;
};

int planeState(const PlaneRow& row)
{
    if (!row.check->isChecked())
        return vtkMRMLClipModelsNode::ClipOff;
    return row.positive->isChecked() ? vtkMRMLClipModelsNode::ClipPositiveSpace
                                     : vtkMRMLClipModelsNode::ClipNegativeSpace;
}

void showPlaneState(const PlaneRow& row, int state)
{
    row.check->setChecked(state != vtkMRMLClipModelsNode::ClipOff);
    if (state == vtkMRMLClipModelsNode::ClipPositiveSpace)
        row.positive->setChecked(true);
    else if (state == vtkMRMLClipModelsNode::ClipNegativeSpace)
        row.negative->setChecked(true);
}

} // namespace

class qMRMLClipNodeWidget2Private
{
public:
    qMRMLClipNodeWidget2* q = nullptr;
    vtkSmartPointer<vtkMRMLClipModelsNode> node;
    ctkVTKObjectEventsObserver observer;
    bool updating = false;

    QRadioButton* IntersectionRadioButton = nullptr;
    QRadioButton* UnionRadioButton = nullptr;
    QDoubleSpinBox* spin[3] = {nullptr, nullptr, nullptr};
    PlaneRow red;
    PlaneRow yellow;
    PlaneRow green;
    QCheckBox* WholeCellClippingCheckBox = nullptr;

    void setupUi();
    PlaneRow addPlaneRow(QGridLayout* grid, int row, const char* color, const QString& text,
                         const QString& tip, const QString& positiveTip, const QString& negativeTip);
};

PlaneRow qMRMLClipNodeWidget2Private::addPlaneRow(QGridLayout* grid, int row, const char* color,
                                                  const QString& text, const QString& tip,
                                                  const QString& positiveTip, const QString& negativeTip)
{
    const QString name = QString::fromLatin1(color);
    PlaneRow r;
    r.check = new QCheckBox(text, q);
    r.check->setObjectName(name + QStringLiteral("SliceClippingCheckBox"));
    r.check->setToolTip(tip);
    auto* layout = new QHBoxLayout();
    layout->setObjectName(QStringLiteral("horizontalLayout_%1").arg(row));
    r.positive = new QRadioButton(qMRMLClipNodeWidget2::tr("Positive"), q);
    r.positive->setObjectName(name + QStringLiteral("PositiveRadioButton"));
    r.positive->setIcon(QIcon(QStringLiteral(":/Icons/%1SpacePositive.png").arg(name)));
    r.positive->setToolTip(positiveTip);
    r.negative = new QRadioButton(qMRMLClipNodeWidget2::tr("Negative"), q);
    r.negative->setObjectName(name + QStringLiteral("NegativeRadioButton"));
    r.negative->setIcon(QIcon(QStringLiteral(":/Icons/%1SpaceNegative.png").arg(name)));
    r.negative->setToolTip(negativeTip);
    r.positive->setEnabled(false);
    r.negative->setEnabled(false);
    layout->addWidget(r.positive);
    layout->addWidget(r.negative);
    grid->addWidget(r.check, row, 0);
    grid->addLayout(layout, row, 1);
    QObject::connect(r.check, &QCheckBox::toggled, r.positive, &QWidget::setEnabled);
    QObject::connect(r.check, &QCheckBox::toggled, r.negative, &QWidget::setEnabled);
    return r;
}

void qMRMLClipNodeWidget2Private::setupUi()
{
    q->setObjectName(QStringLiteral("qMRMLClipNodeWidget2"));
    q->resize(409, 300);
    q->setWindowTitle(qMRMLClipNodeWidget2::tr("Clip"));
    auto* outer = new QGridLayout(q);
    outer->setObjectName(QStringLiteral("gridLayout_3"));
    auto* grid = new QGridLayout();
    grid->setObjectName(QStringLiteral("gridLayout"));
    outer->addLayout(grid, 0, 0);

    auto* typeLabel = new QLabel(qMRMLClipNodeWidget2::tr("Clipping Type:"), q);
    typeLabel->setObjectName(QStringLiteral("ClippingTypeLabel"));
    typeLabel->setToolTip(qMRMLClipNodeWidget2::tr(
        "When more than one slice plane is used, this option controls if it's the union or intersection of the "
        "positive and/or negative spaces that is used to clip the model. The parts of the model inside the "
        "selected space is kept, parts outside of the selection are clipped away."));
    auto* typeLayout = new QHBoxLayout();
    IntersectionRadioButton = new QRadioButton(qMRMLClipNodeWidget2::tr("Intersection"), q);
    IntersectionRadioButton->setObjectName(QStringLiteral("IntersectionRadioButton"));
    IntersectionRadioButton->setIcon(QIcon(QStringLiteral(":/Icons/ClippingIntersection.png")));
    IntersectionRadioButton->setToolTip(qMRMLClipNodeWidget2::tr(
        "Use the intersection of the positive and/or negative spaces defined by the slice planes to clip the model."));
    UnionRadioButton = new QRadioButton(qMRMLClipNodeWidget2::tr("Union"), q);
    UnionRadioButton->setObjectName(QStringLiteral("UnionRadioButton"));
    UnionRadioButton->setIcon(QIcon(QStringLiteral(":/Icons/ClippingUnion.png")));
    UnionRadioButton->setToolTip(qMRMLClipNodeWidget2::tr(
        "Use the union of the positive and/or negative spaces defined by the slice planes to clip the model."));
    UnionRadioButton->setChecked(true);
    typeLayout->addWidget(IntersectionRadioButton);
    typeLayout->addWidget(UnionRadioButton);
    grid->addWidget(typeLabel, 0, 0);
    grid->addLayout(typeLayout, 0, 1);

    auto* originLabel = new QLabel(qMRMLClipNodeWidget2::tr("Origin Coordinates: "), q);
    originLabel->setObjectName(QStringLiteral("label"));
    auto* originGrid = new QGridLayout();
    originGrid->setObjectName(QStringLiteral("gridLayout_2"));
    const char* axes[3] = {"X: ", "Y: ", "Z: "};
    const char* spinNames[3] = {"spinBoxX", "spinBoxY", "spinBoxZ"};
    const char* labelNames[3] = {"label_3", "label_2", "label_4"};
    const char* unitNames[3] = {"label_5", "label_6", "label_7"};
    for (int i = 0; i < 3; ++i) {
        auto* axis = new QLabel(QString::fromLatin1(axes[i]), q);
        axis->setObjectName(QString::fromLatin1(labelNames[i]));
        spin[i] = new QDoubleSpinBox(q);
        spin[i]->setObjectName(QString::fromLatin1(spinNames[i]));
        auto* unit = new QLabel(QStringLiteral("mm"), q);
        unit->setObjectName(QString::fromLatin1(unitNames[i]));
        originGrid->addWidget(axis, i, 0);
        originGrid->addWidget(spin[i], i, 1);
        originGrid->addWidget(unit, i, 2);
        originGrid->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), i, 3);
    }
    grid->addWidget(originLabel, 1, 0);
    grid->addLayout(originGrid, 1, 1);

    red = addPlaneRow(grid, 2, "Red", qMRMLClipNodeWidget2::tr("X-Y Plane Clipping:"),
        qMRMLClipNodeWidget2::tr("Use the positive or negative space defined by the Red slice plane to clip the model. "
                                 "Positive side is toward the Superior, negative is toward the Inferior. Keeps the "
                                 "part of the model in the selected space, clips away the rest."),
        qMRMLClipNodeWidget2::tr("Keep the parts of the model that are inside the positive space, toward the Superior "
                                 "(head), defined by the Red slice plane."),
        qMRMLClipNodeWidget2::tr("Keep the parts of the model that are inside of the negative space, toward the "
                                 "Inferior (feet), defined by the Red slice plane."));
    yellow = addPlaneRow(grid, 3, "Yellow", qMRMLClipNodeWidget2::tr("X-Z Plane Clipping:"),
        qMRMLClipNodeWidget2::tr("Use the positive or negative space defined by the Yellow slice plane to clip the "
                                 "model. Positive side is toward the Right, negative is toward the Left. Keeps the "
                                 "part of the model in the selected space, clips away the rest."),
        qMRMLClipNodeWidget2::tr("Keep the parts of the model that are inside of the positive space, toward the "
                                 "Right, defined by the Yellow slice plane."),
        qMRMLClipNodeWidget2::tr("Keep the parts of the model that are inside of the negative space, toward the "
                                 "Left, defined by the Yellow slice plane."));
    green = addPlaneRow(grid, 4, "Green", qMRMLClipNodeWidget2::tr("Y-Z Plane Clipping:"),
        qMRMLClipNodeWidget2::tr("Use the positive or negative space defined by the Green slice plane to clip the "
                                 "model. Positive side is toward the Anterior, negative is toward the Posterior. "
                                 "Keeps the part of the model in the selected space, clips away the rest."),
        qMRMLClipNodeWidget2::tr("Keep the parts of the model that are inside of the positive space, toward the "
                                 "Anterior (front), defined by the Green slice plane."),
        qMRMLClipNodeWidget2::tr("Keep the parts of the model that are inside of the negative space, toward the "
                                 "Posterior (back), defined by the Green slice plane."));

    WholeCellClippingCheckBox = new QCheckBox(qMRMLClipNodeWidget2::tr("Keep only whole cells when clipping"), q);
    WholeCellClippingCheckBox->setObjectName(QStringLiteral("WholeCellClippingCheckBox"));
    WholeCellClippingCheckBox->setToolTip(WholeCellClippingCheckBox->text());
    grid->addWidget(WholeCellClippingCheckBox, 5, 0, 1, 2);
}

qMRMLClipNodeWidget2::qMRMLClipNodeWidget2(QWidget* parent)
    : QWidget(parent)
    , d(std::make_unique<qMRMLClipNodeWidget2Private>())
{
    d->q = this;
    d->setupUi();

    auto group = [this](QAbstractButton* a, QAbstractButton* b) {
        auto* g = new QButtonGroup(this);
        g->setExclusive(true);
        g->addButton(a);
        g->addButton(b);
    };
    group(d->UnionRadioButton, d->IntersectionRadioButton);
    group(d->red.positive, d->red.negative);
    group(d->yellow.positive, d->yellow.negative);
    group(d->green.positive, d->green.negative);

    connect(d->UnionRadioButton, &QRadioButton::toggled, this, &qMRMLClipNodeWidget2::updateNodeClipType);
    connect(d->IntersectionRadioButton, &QRadioButton::toggled, this, &qMRMLClipNodeWidget2::updateNodeClipType);
    const std::pair<PlaneRow*, void (qMRMLClipNodeWidget2::*)()> planes[3] = {
        {&d->red, &qMRMLClipNodeWidget2::updateNodeRedClipState},
        {&d->yellow, &qMRMLClipNodeWidget2::updateNodeYellowClipState},
        {&d->green, &qMRMLClipNodeWidget2::updateNodeGreenClipState}};
    for (const auto& [row, slot] : planes) {
        connect(row->check, &QCheckBox::toggled, this, slot);
        connect(row->positive, &QRadioButton::toggled, this, slot);
        connect(row->negative, &QRadioButton::toggled, this, slot);
    }
    connect(d->WholeCellClippingCheckBox, &QCheckBox::toggled, this, &qMRMLClipNodeWidget2::updateNodeClippingMethod);

    const double largest = std::numeric_limits<float>::max();
    void (qMRMLClipNodeWidget2::*origin[3])(double) = {&qMRMLClipNodeWidget2::updateOriginX,
                                                       &qMRMLClipNodeWidget2::updateOriginY,
                                                       &qMRMLClipNodeWidget2::updateOriginZ};
    for (int i = 0; i < 3; ++i) {
        d->spin[i]->setDecimals(3);
        d->spin[i]->setRange(-largest, largest);
        d->spin[i]->setValue(0);
        connect(d->spin[i], QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, origin[i]);
    }
    setEnabled(false);
}

qMRMLClipNodeWidget2::~qMRMLClipNodeWidget2() = default;

vtkMRMLClipModelsNode* qMRMLClipNodeWidget2::mrmlClipNode() const
{
    return d->node;
}

void qMRMLClipNodeWidget2::setMRMLClipNode(vtkMRMLClipModelsNode* node)
{
    d->observer.addConnection(d->node, node, vtkCommand::ModifiedEvent, this, SLOT(updateWidgetFromMRML()));
    d->node = node;
    updateWidgetFromMRML();
}

void qMRMLClipNodeWidget2::setMRMLClipNode(vtkMRMLNode* node)
{
    setMRMLClipNode(vtkMRMLClipModelsNode::SafeDownCast(node));
}

int qMRMLClipNodeWidget2::clipType() const
{
    return d->UnionRadioButton->isChecked() ? vtkMRMLClipModelsNode::ClipUnion : vtkMRMLClipModelsNode::ClipIntersection;
}

int qMRMLClipNodeWidget2::clippingMethod() const
{
    return d->WholeCellClippingCheckBox->isChecked() ? vtkMRMLClipModelsNode::WholeCells
                                                     : vtkMRMLClipModelsNode::Straight;
}

int qMRMLClipNodeWidget2::redSliceClipState() const { return planeState(d->red); }
int qMRMLClipNodeWidget2::yellowSliceClipState() const { return planeState(d->yellow); }
int qMRMLClipNodeWidget2::greenSliceClipState() const { return planeState(d->green); }

void qMRMLClipNodeWidget2::setClipType(int type)
{
    if (d->node)
        d->node->SetClipType(type);
}

void qMRMLClipNodeWidget2::setClippingMethod(int method)
{
    if (d->node)
        d->node->SetClippingMethod(method);
}

void qMRMLClipNodeWidget2::setRedSliceClipState(int state)
{
    if (d->node)
        d->node->SetRedSliceClipState(state);
}

void qMRMLClipNodeWidget2::setYellowSliceClipState(int state)
{
    if (d->node)
        d->node->SetYellowSliceClipState(state);
}

void qMRMLClipNodeWidget2::setGreenSliceClipState(int state)
{
    if (d->node)
        d->node->SetGreenSliceClipState(state);
}

void qMRMLClipNodeWidget2::updateWidgetFromMRML()
{
    setEnabled(d->node != nullptr);
    if (!d->node)
        return;
    const bool wasUpdating = d->updating;
    d->updating = true;
    if (d->node->GetClipType() == vtkMRMLClipModelsNode::ClipUnion)
        d->UnionRadioButton->setChecked(true);
    else if (d->node->GetClipType() == vtkMRMLClipModelsNode::ClipIntersection)
        d->IntersectionRadioButton->setChecked(true);
    showPlaneState(d->red, d->node->GetRedSliceClipState());
    showPlaneState(d->yellow, d->node->GetYellowSliceClipState());
    showPlaneState(d->green, d->node->GetGreenSliceClipState());
    d->WholeCellClippingCheckBox->setChecked(d->node->GetClippingMethod() != vtkMRMLClipModelsNode::Straight);
    const double* origin = d->node->GetClipOrigin();
    const double o[3] = {origin[0], origin[1], origin[2]};
    // A spin box that shows the node's value already keeps its text: the node follows
    // every keystroke, and setting the value again would turn "1" into "1.000" under
    // the user's cursor, so that "1.5" could not be typed.
    for (int i = 0; i < 3; ++i)
        if (d->spin[i]->value() != o[i])
            d->spin[i]->setValue(o[i]);
    d->updating = wasUpdating;
}

// No slot writes while the controls are being filled from the node: the spin boxes hold
// three decimals, and writing their value back would round the node's origin.
void qMRMLClipNodeWidget2::updateNodeClipType()
{
    if (d->updating || !d->node)
        return;
    d->node->SetClipType(clipType());
}

void qMRMLClipNodeWidget2::updateNodeRedClipState()
{
    if (d->updating || !d->node)
        return;
    d->node->SetRedSliceClipState(redSliceClipState());
}

void qMRMLClipNodeWidget2::updateNodeYellowClipState()
{
    if (d->updating || !d->node)
        return;
    d->node->SetYellowSliceClipState(yellowSliceClipState());
}

void qMRMLClipNodeWidget2::updateNodeGreenClipState()
{
    if (d->updating || !d->node)
        return;
    d->node->SetGreenSliceClipState(greenSliceClipState());
}

void qMRMLClipNodeWidget2::updateNodeClippingMethod()
{
    if (d->updating || !d->node)
        return;
    d->node->SetClippingMethod(clippingMethod());
}

void qMRMLClipNodeWidget2::updateOriginX(double value) { updateOrigin(0, value); }
void qMRMLClipNodeWidget2::updateOriginY(double value) { updateOrigin(1, value); }
void qMRMLClipNodeWidget2::updateOriginZ(double value) { updateOrigin(2, value); }

void qMRMLClipNodeWidget2::updateOrigin(int axis, double value)
{
    if (d->updating || !d->node)
        return;
    double origin[3];
    d->node->GetClipOrigin(origin);
    origin[axis] = value;
    d->node->SetClipOrigin(origin);
}
