#pragma once
// The private part of qMRMLLayoutManager; layout managers of an application derive
// their own private part from it.

#include <QPointer>
#include <QWidget>

class qMRMLLayoutManager;
class vtkMRMLScene;

class qMRMLLayoutManagerPrivate
{
public:
    explicit qMRMLLayoutManagerPrivate(qMRMLLayoutManager& object);
    virtual ~qMRMLLayoutManagerPrivate();
    virtual void init();

    qMRMLLayoutManager* q_ptr;
    QPointer<QWidget> Viewport;
    vtkMRMLScene* MRMLScene = nullptr; // not owned
};
