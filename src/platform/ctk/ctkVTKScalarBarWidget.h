#pragma once
// Controls of a VTK scalar bar widget: whether the bar is shown in its view, its title,
// the number of labels and the label format. Says `modified` after each change.

#include <QWidget>

#include <memory>

class vtkScalarBarWidget;

class ctkVTKScalarBarWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ctkVTKScalarBarWidget(QWidget* parent = nullptr);
    ~ctkVTKScalarBarWidget() override;

    vtkScalarBarWidget* scalarBarWidget() const;
    bool display() const;
    QString title() const;
    int numberOfLabels() const;
    QString labelsFormat() const;

public Q_SLOTS:
    void setScalarBarWidget(vtkScalarBarWidget* widget);
    // Shows or hides the bar; the bar shows only once its widget has an interactor.
    void setDisplay(bool visible);
    void setTitle(const QString& title);
    void setNumberOfLabels(int count);
    void setLabelsFormat(const QString& format);

Q_SIGNALS:
    void modified();

private Q_SLOTS:
    void updateFromScalarBarWidget();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
