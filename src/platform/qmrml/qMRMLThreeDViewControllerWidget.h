#pragma once
// The bar above a 3D view: the view's label in the view's colour and a button that
// centres the view on its models. It keeps the view's logic, which it adds to the
// application's collection of view logics.

#include "qMRMLWidget.h"

#include <QColor>
#include <QString>

#include <memory>

class qMRMLThreeDView;
class vtkCollection;
class vtkMRMLViewLogic;
class vtkMRMLViewNode;

class qMRMLThreeDViewControllerWidget : public qMRMLWidget
{
    Q_OBJECT
public:
    explicit qMRMLThreeDViewControllerWidget(QWidget* parent = nullptr);
    ~qMRMLThreeDViewControllerWidget() override;

    void setThreeDView(qMRMLThreeDView* view);
    qMRMLThreeDView* threeDView() const;
    vtkMRMLViewNode* mrmlViewNode() const;

    void setViewLabel(const QString& label);
    QString viewLabel() const;
    void setViewColor(const QColor& color);
    QColor viewColor() const;

    // Moves the view's logic into the collection (out of the previous one).
    void setViewLogics(vtkCollection* logics);
    vtkMRMLViewLogic* viewLogic() const;

    void setQuadBufferStereoSupportEnabled(bool enabled);
    bool isQuadBufferStereoSupportEnabled() const;

public Q_SLOTS:
    void setMRMLScene(vtkMRMLScene* scene) override;
    void setMRMLViewNode(vtkMRMLViewNode* viewNode);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
