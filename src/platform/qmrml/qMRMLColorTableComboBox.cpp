#include "qMRMLColorTableComboBox.h"

#include <ctk/ctkVTKObjectEventsObserver.h>
#include <mrml/vtkMRMLColorNode.h>
#include <mrml/vtkMRMLScene.h>

#include <vtkSmartPointer.h>
#include <vtkWeakPointer.h>

#include <QSignalBlocker>


struct qMRMLColorTableComboBox::Private
{
    vtkWeakPointer<vtkMRMLScene> scene;
    ctkVTKObjectEventsObserver observer;
    vtkWeakPointer<vtkMRMLNode> announced;
    bool addEnabled = true;
    bool removeEnabled = true;
};

qMRMLColorTableComboBox::qMRMLColorTableComboBox(QWidget* parent)
    : QComboBox(parent)
    , d(std::make_unique<Private>())
{
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(this, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &qMRMLColorTableComboBox::onIndexChanged);
}

qMRMLColorTableComboBox::~qMRMLColorTableComboBox() = default;

vtkMRMLScene* qMRMLColorTableComboBox::mrmlScene() const
{
    return d->scene;
}

void qMRMLColorTableComboBox::setMRMLScene(vtkMRMLScene* scene)
{
    if (d->scene.GetPointer() == scene)
        return;
    d->observer.removeAllConnections();
    d->scene = scene;
    {
        const QSignalBlocker blocker(this);
        clear();
        if (scene) {
            // Colour nodes of every kind: the scene's class query matches one class only.
            for (int i = 0; i < scene->GetNumberOfNodes(); ++i)
                if (auto* node = vtkMRMLColorNode::SafeDownCast(scene->GetNthNode(i)))
                    addItem(QString::fromUtf8(node->GetName() ? node->GetName() : node->GetID()),
                        QString::fromUtf8(node->GetID()));
            d->observer.addConnection(scene, vtkMRMLScene::NodeAddedEvent, this, SLOT(onNodeAdded(vtkObject*, void*)));
            d->observer.addConnection(scene, vtkMRMLScene::NodeRemovedEvent, this, SLOT(onNodeRemoved(vtkObject*, void*)));
        }
        setCurrentIndex(-1);
    }
    announceIfChanged();
}

vtkMRMLNode* qMRMLColorTableComboBox::currentNode() const
{
    if (!d->scene || currentIndex() < 0)
        return nullptr;
    return d->scene->GetNodeByID(currentData().toString().toUtf8().constData());
}

QString qMRMLColorTableComboBox::currentNodeID() const
{
    return currentIndex() < 0 ? QString() : currentData().toString();
}

void qMRMLColorTableComboBox::setAddEnabled(bool enabled)
{
    d->addEnabled = enabled;
}

void qMRMLColorTableComboBox::setRemoveEnabled(bool enabled)
{
    d->removeEnabled = enabled;
}

bool qMRMLColorTableComboBox::addEnabled() const
{
    return d->addEnabled;
}

bool qMRMLColorTableComboBox::removeEnabled() const
{
    return d->removeEnabled;
}

void qMRMLColorTableComboBox::setCurrentNode(vtkMRMLNode* node)
{
    setCurrentNodeID(node && node->GetID() ? QString::fromUtf8(node->GetID()) : QString());
}

void qMRMLColorTableComboBox::setCurrentNodeID(const QString& id)
{
    setCurrentIndex(id.isEmpty() ? -1 : findData(id));
    announceIfChanged();
}

void qMRMLColorTableComboBox::onNodeAdded(vtkObject*, void* data)
{
    auto* node = vtkMRMLColorNode::SafeDownCast(static_cast<vtkObject*>(data));
    if (!node || !node->GetID())
        return;
    const QSignalBlocker blocker(this);
    const int current = currentIndex();
    addItem(QString::fromUtf8(node->GetName() ? node->GetName() : node->GetID()), QString::fromUtf8(node->GetID()));
    // Adding to an empty list would make the new node current.
    setCurrentIndex(current);
}

void qMRMLColorTableComboBox::onNodeRemoved(vtkObject*, void* data)
{
    auto* node = vtkMRMLColorNode::SafeDownCast(static_cast<vtkObject*>(data));
    if (!node || !node->GetID())
        return;
    const int index = findData(QString::fromUtf8(node->GetID()));
    if (index < 0)
        return;
    const bool wasCurrent = index == currentIndex();
    {
        const QSignalBlocker blocker(this);
        removeItem(index);
        if (wasCurrent)
            setCurrentIndex(-1);
    }
    if (wasCurrent) {
        d->announced = nullptr;
        Q_EMIT currentNodeChanged(nullptr);
    }
}

void qMRMLColorTableComboBox::onIndexChanged(int)
{
    announceIfChanged();
}

void qMRMLColorTableComboBox::announceIfChanged()
{
    vtkMRMLNode* node = currentNode();
    if (node == d->announced.GetPointer())
        return;
    d->announced = node;
    Q_EMIT currentNodeChanged(node);
}
