#pragma once
// Lists the colour nodes of a scene by name and follows nodes added and removed. No node
// is current until one is chosen or set.

#include <QComboBox>

#include <memory>

class vtkMRMLNode;
class vtkMRMLScene;
class vtkObject;

class qMRMLColorTableComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit qMRMLColorTableComboBox(QWidget* parent = nullptr);
    ~qMRMLColorTableComboBox() override;

    vtkMRMLScene* mrmlScene() const;
    vtkMRMLNode* currentNode() const;
    QString currentNodeID() const;
    // Whether the user may add and remove nodes here (no effect in this combo box).
    void setAddEnabled(bool enabled);
    void setRemoveEnabled(bool enabled);
    bool addEnabled() const;
    bool removeEnabled() const;
    // Rows read from the lists of every combo box since the start (a node is looked up by
    // its ID without reading rows): a count for tests.
    static long long rowsRead();

public Q_SLOTS:
    void setMRMLScene(vtkMRMLScene* scene);
    // Null clears the choice.
    void setCurrentNode(vtkMRMLNode* node);
    void setCurrentNodeID(const QString& id);

Q_SIGNALS:
    void currentNodeChanged(vtkMRMLNode* node);

private Q_SLOTS:
    void onNodeAdded(vtkObject* scene, void* node);
    void onNodeRemoved(vtkObject* scene, void* node);
    void onIndexChanged(int index);

private:
    void announceIfChanged();
    struct Private;
    std::unique_ptr<Private> d;
};
