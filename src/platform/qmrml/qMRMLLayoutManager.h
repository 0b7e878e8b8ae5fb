#pragma once
// Lays out the views of an MRML scene in a viewport widget; the viewport is also the
// manager's Qt parent.

#include <QObject>

#include <memory>

class QWidget;
class qMRMLLayoutManagerPrivate;
class vtkMRMLScene;

class qMRMLLayoutManager : public QObject
{
    Q_OBJECT
public:
    explicit qMRMLLayoutManager(QWidget* viewport = nullptr, QObject* parent = nullptr);
    ~qMRMLLayoutManager() override;

    QWidget* viewport() const;
    void setViewport(QWidget* viewport);
    vtkMRMLScene* mrmlScene() const;

public Q_SLOTS:
    void setMRMLScene(vtkMRMLScene* scene);

Q_SIGNALS:
    void mrmlSceneChanged(vtkMRMLScene* scene);

protected:
    qMRMLLayoutManager(qMRMLLayoutManagerPrivate* pimpl, QWidget* viewport, QObject* parent);
    std::unique_ptr<qMRMLLayoutManagerPrivate> d_ptr;
};
