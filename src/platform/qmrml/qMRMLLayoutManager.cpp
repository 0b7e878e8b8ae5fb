#include "qMRMLLayoutManager.h"

#include "qMRMLLayoutManager_p.h"

qMRMLLayoutManagerPrivate::qMRMLLayoutManagerPrivate(qMRMLLayoutManager& object)
    : q_ptr(&object)
{
}

qMRMLLayoutManagerPrivate::~qMRMLLayoutManagerPrivate() = default;

void qMRMLLayoutManagerPrivate::init()
{
}

qMRMLLayoutManager::qMRMLLayoutManager(QWidget* viewport, QObject* parent)
    : qMRMLLayoutManager(nullptr, viewport, parent)
{
}

qMRMLLayoutManager::qMRMLLayoutManager(qMRMLLayoutManagerPrivate* pimpl, QWidget* viewport,
                                       QObject* parent)
    : QObject(parent), d_ptr(pimpl ? pimpl : new qMRMLLayoutManagerPrivate(*this))
{
    d_ptr->Viewport = viewport;
    d_ptr->init();
}

qMRMLLayoutManager::~qMRMLLayoutManager() = default;

QWidget* qMRMLLayoutManager::viewport() const
{
    return d_ptr->Viewport;
}

void qMRMLLayoutManager::setViewport(QWidget* viewport)
{
    d_ptr->Viewport = viewport;
}

vtkMRMLScene* qMRMLLayoutManager::mrmlScene() const
{
    return d_ptr->MRMLScene;
}

void qMRMLLayoutManager::setMRMLScene(vtkMRMLScene* scene)
{
    if (d_ptr->MRMLScene == scene)
        return;
    d_ptr->MRMLScene = scene;
    Q_EMIT mrmlSceneChanged(scene);
}
