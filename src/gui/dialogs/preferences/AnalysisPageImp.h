#pragma once
// The "Analysis" preferences page: defaults for contacts, convergence, frequency
// analyses, result graphics, saving, reports, meshing and the solver.  Every change is
// stored at once, without notification.

#include <PelmoraGuiExport.h>

#include <QWidget>

#include <memory>

namespace Vexil { class PreferenceManager; }

namespace Ui { class AnalysisPage; }

namespace Gui {
namespace Dialog {

class PELMORAGUI_EXPORT AnalysisPageImp : public QWidget
{
    Q_OBJECT
public:
    explicit AnalysisPageImp(QWidget* parent = nullptr);
    ~AnalysisPageImp() override;

    void setPreferenceManager(Vexil::PreferenceManager* prefs) { prefMgr = prefs; }

public Q_SLOTS:
    void updateValues();
    void onContactTypeChanged(int index);
    void onContactBehaviorChanged(int index);
    void onContactFormulationChanged(int index);
    void onTargetChangeChanged(int value);
    void onAllowableChangeChanged(int index);
    void onMaxFreqModesChanged(int value);
    void onLimitSearchRangeChanged(int state);
    void onMinRangeChanged(const QString& text);
    void onMaxRangeChanged(const QString& text);
    void onCyclicNumStepsChanged(int value);
    void onMaxAnnotationChanged(int value);
    void onShowMinAnnoChanged(int state);
    void onShowMaxAnnoChanged(int state);
    void onContourOptionChanged(int index);
    void onFlatContourTolChanged(int value);
    void onEdgeOptionChanged(int index);
    void onMeshVisibilityChanged(int index);
    void onSaveProjectBeforeChanged(int state);
    void onSaveProjectAfterChanged(int state);
    void onChartWidthChanged(int value);
    void onChartHeightChanged(int value);
    void onGraphicsWidthChanged(int value);
    void onGraphicsHeightChanged(int value);
    void onGraphicsResChanged(int index);
    void onMaxTabColsChanged(int value);
    void onIncludeFigChanged(int state);
    void onReportFolderChanged(const QString& text);
    void onMeshFileFormatChanged(int index);
    void onSolverTypeChanged(int index);
    void onSolverExeDirChanged(const QString& text);
    void onNGSolveFileChanged(const QString& text);
    void onStressStrainChanged(int state);
    void onNodalForcesChanged(int state);
    void onCalcReactionsChanged(int state);
    void onReportFolderButtonClicked();
    void onSolverFolderButtonClicked();
    void onNGSolveFileButtonClicked();

private:
    std::unique_ptr<::Ui::AnalysisPage> ui;
    Vexil::PreferenceManager* prefMgr = nullptr;
};

} // namespace Dialog
} // namespace Gui
