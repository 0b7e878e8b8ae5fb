#pragma once
// The editor of a geometry-selection row: "OK" takes over the entities picked in the 3D
// view as the property's scoping, "Cancel" closes without a change.  It writes the
// property directly.

#include "PelmoraGuiExport.h"

#include <QWidget>

#include <string>
#include <vector>

QT_BEGIN_NAMESPACE
class QPushButton;
QT_END_NAMESPACE

namespace Obj { class ProjectObject; class PropertySelection; }

namespace Gui {
namespace PropertyOperator {

class PELMORAGUI_EXPORT SelectionEditor : public QWidget
{
    Q_OBJECT
public:
    explicit SelectionEditor(QWidget* parent = nullptr);
    ~SelectionEditor() override;

    using QWidget::setProperty;
    void setProperty(Obj::PropertySelection* prop) { property = prop; }
    Obj::PropertySelection* getProperty() const { return property; }
    std::vector<Obj::ProjectObject*> get_values() const;
    std::vector<std::string> get_sub_values() const;
    // Sets the scoping when every name fits the kinds the property asks for; no names
    // change nothing.  The editor stays open.
    void setSelectionValues(std::vector<Obj::ProjectObject*>& objects, std::vector<std::string>& names);

    // Whether every name is of a kind that `selectionType` asks for: any of the bits 1, 2
    // and 4 sub-entities (faces, edges and vertices alike); 8 whole bodies; anything else
    // every name.
    static bool namesFit(int selectionType, const std::vector<std::string>& names);

    QPushButton* okButton() const { return ok; }
    QPushButton* cancelButton() const { return cancelB; }

Q_SIGNALS:
    void textChanged(const QString& text);

public Q_SLOTS:
    void updateSelection();
    void cancel();

private:
    // Writes unless the property is read-only.
    void apply(const std::vector<Obj::ProjectObject*>& objects, const std::vector<std::string>& names);

    QPushButton* ok;
    QPushButton* cancelB;
    Obj::PropertySelection* property = nullptr;
};

} // namespace PropertyOperator
} // namespace Gui
