#pragma once
// The hidden "Tools" preferences page: onion-skin and brush options that no setting
// stores yet.

#include <PelmoraGuiExport.h>

#include <QWidget>

#include <memory>

namespace Vexil { class PreferenceManager; }

namespace Ui { class ToolsPage; }

namespace Gui {
namespace Dialog {

class PELMORAGUI_EXPORT ToolsPageImp : public QWidget
{
    Q_OBJECT
public:
    explicit ToolsPageImp(QWidget* parent = nullptr);
    ~ToolsPageImp() override;

    void setPreferenceManager(Vexil::PreferenceManager* prefs) { prefMgr = prefs; }

public Q_SLOTS:
    void onValueChanged();

private:
    std::unique_ptr<::Ui::ToolsPage> ui;
    Vexil::PreferenceManager* prefMgr = nullptr;
};

} // namespace Dialog
} // namespace Gui
