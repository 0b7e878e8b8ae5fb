#pragma once
// The colours of a colour node, one row each: a swatch and the colour's name, the colour's
// index in the row header. Unnamed colours can be left out. Follows changes of the node.

#include <QTableView>

#include <memory>

class vtkMRMLColorNode;
class vtkMRMLNode;

class qMRMLColorTableView : public QTableView
{
    Q_OBJECT
public:
    explicit qMRMLColorTableView(QWidget* parent = nullptr);
    ~qMRMLColorTableView() override;

    vtkMRMLColorNode* mrmlColorNode() const;
    bool showOnlyNamedColors() const;
    // The colour index that `row` shows; -1 for no row.
    int colorIndex(int row) const;

public Q_SLOTS:
    void setMRMLColorNode(vtkMRMLNode* node);
    void setShowOnlyNamedColors(bool on);

private Q_SLOTS:
    void updateFromNode();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
