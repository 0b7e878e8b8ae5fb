#include "AnalysisPageImp.h"
#include "ui_AnalysisPage.h"

#include "PreferencePageSupport.h"

#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/MainWindow.h>

#include <vexil/PreferenceManager.h>

#include <QDebug>
#include <QSignalBlocker>

#include <vector>

namespace Gui {
namespace Dialog {

namespace {

// A frequency bound as typed: a decimal integer, anything else counts as 0.
int decimal(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

} // namespace

AnalysisPageImp::AnalysisPageImp(QWidget* parent) : QWidget(parent), ui(new ::Ui::AnalysisPage)
{
    ui->setupUi(this);
    ui->tabWidget->setCurrentIndex(0);
    connect(ui->comboContactType, qOverload<int>(&QComboBox::currentIndexChanged), this, &AnalysisPageImp::onContactTypeChanged);
    connect(ui->comboContactBehavior, qOverload<int>(&QComboBox::currentIndexChanged), this, &AnalysisPageImp::onContactBehaviorChanged);
    connect(ui->comboContactFormulation, qOverload<int>(&QComboBox::currentIndexChanged), this, &AnalysisPageImp::onContactFormulationChanged);
    connect(ui->spinTargetChange, qOverload<int>(&QSpinBox::valueChanged), this, &AnalysisPageImp::onTargetChangeChanged);
    connect(ui->comboAllowableChange, qOverload<int>(&QComboBox::currentIndexChanged), this, &AnalysisPageImp::onAllowableChangeChanged);
    connect(ui->spinFreqMaxModes, qOverload<int>(&QSpinBox::valueChanged), this, &AnalysisPageImp::onMaxFreqModesChanged);
    connect(ui->checkLimitSearch, &QCheckBox::stateChanged, this, &AnalysisPageImp::onLimitSearchRangeChanged);
    connect(ui->leFreqMin, &QLineEdit::textChanged, this, &AnalysisPageImp::onMinRangeChanged);
    connect(ui->leFreqMax, &QLineEdit::textChanged, this, &AnalysisPageImp::onMaxRangeChanged);
    connect(ui->spinCyclicNumSteps, qOverload<int>(&QSpinBox::valueChanged), this, &AnalysisPageImp::onCyclicNumStepsChanged);
    connect(ui->spinMaxAnnotation, qOverload<int>(&QSpinBox::valueChanged), this, &AnalysisPageImp::onMaxAnnotationChanged);
    connect(ui->checkShowMinAnno, &QCheckBox::stateChanged, this, &AnalysisPageImp::onShowMinAnnoChanged);
    connect(ui->checkShowMaxAnno, &QCheckBox::stateChanged, this, &AnalysisPageImp::onShowMaxAnnoChanged);
    connect(ui->comboContourOption, qOverload<int>(&QComboBox::currentIndexChanged), this, &AnalysisPageImp::onContourOptionChanged);
    connect(ui->spinFlatContourTol, qOverload<int>(&QSpinBox::valueChanged), this, &AnalysisPageImp::onFlatContourTolChanged);
    connect(ui->comboEdgeOption, qOverload<int>(&QComboBox::currentIndexChanged), this, &AnalysisPageImp::onEdgeOptionChanged);
    connect(ui->comboMeshVis, qOverload<int>(&QComboBox::currentIndexChanged), this, &AnalysisPageImp::onMeshVisibilityChanged);
    connect(ui->checkSaveProjBefore, &QCheckBox::stateChanged, this, &AnalysisPageImp::onSaveProjectBeforeChanged);
    connect(ui->checkSaveProjAfter, &QCheckBox::stateChanged, this, &AnalysisPageImp::onSaveProjectAfterChanged);
    connect(ui->spinChartWidth, qOverload<int>(&QSpinBox::valueChanged), this, &AnalysisPageImp::onChartWidthChanged);
    connect(ui->spinChartHeight, qOverload<int>(&QSpinBox::valueChanged), this, &AnalysisPageImp::onChartHeightChanged);
    connect(ui->spinGraphicsWidth, qOverload<int>(&QSpinBox::valueChanged), this, &AnalysisPageImp::onGraphicsWidthChanged);
    connect(ui->spinGraphicsHeight, qOverload<int>(&QSpinBox::valueChanged), this, &AnalysisPageImp::onGraphicsHeightChanged);
    connect(ui->comboGraphicsRes, qOverload<int>(&QComboBox::currentIndexChanged), this, &AnalysisPageImp::onGraphicsResChanged);
    connect(ui->spinMaxTabCol, qOverload<int>(&QSpinBox::valueChanged), this, &AnalysisPageImp::onMaxTabColsChanged);
    connect(ui->checkIncludeFig, &QCheckBox::stateChanged, this, &AnalysisPageImp::onIncludeFigChanged);
    connect(ui->leReportFolder, &QLineEdit::textChanged, this, &AnalysisPageImp::onReportFolderChanged);
    connect(ui->comboMeshFileFormat, qOverload<int>(&QComboBox::currentIndexChanged), this, &AnalysisPageImp::onMeshFileFormatChanged);
    connect(ui->comboSolverType, qOverload<int>(&QComboBox::currentIndexChanged), this, &AnalysisPageImp::onSolverTypeChanged);
    connect(ui->leSolverExeDir, &QLineEdit::textChanged, this, &AnalysisPageImp::onSolverExeDirChanged);
    connect(ui->leNGSolveFile, &QLineEdit::textChanged, this, &AnalysisPageImp::onNGSolveFileChanged);
    connect(ui->checkStressStrain, &QCheckBox::stateChanged, this, &AnalysisPageImp::onStressStrainChanged);
    connect(ui->checkNodalForces, &QCheckBox::stateChanged, this, &AnalysisPageImp::onNodalForcesChanged);
    connect(ui->checkCalcReactions, &QCheckBox::stateChanged, this, &AnalysisPageImp::onCalcReactionsChanged);
    connect(ui->pbReportFolder, &QAbstractButton::clicked, this, &AnalysisPageImp::onReportFolderButtonClicked);
    connect(ui->pbSolverFolder, &QAbstractButton::clicked, this, &AnalysisPageImp::onSolverFolderButtonClicked);
    connect(ui->pbNGSolveFile, &QAbstractButton::clicked, this, &AnalysisPageImp::onNGSolveFileButtonClicked);
}

AnalysisPageImp::~AnalysisPageImp() = default;

void AnalysisPageImp::updateValues()
{
    if (!prefMgr)
        return;
    // Loading shows what is stored and writes nothing back: a value a widget cannot
    // show (an index outside its list, a number outside its range) stays as stored.
    const std::vector<QWidget*> editors{ui->comboContactType, ui->comboContactBehavior, ui->comboContactFormulation, ui->spinTargetChange, ui->comboAllowableChange, ui->spinFreqMaxModes, ui->checkLimitSearch, ui->leFreqMin, ui->leFreqMax, ui->spinCyclicNumSteps, ui->spinMaxAnnotation, ui->checkShowMinAnno, ui->checkShowMaxAnno, ui->comboContourOption, ui->spinFlatContourTol, ui->comboEdgeOption, ui->comboMeshVis, ui->checkSaveProjBefore, ui->checkSaveProjAfter, ui->spinChartWidth, ui->spinChartHeight, ui->spinGraphicsWidth, ui->spinGraphicsHeight, ui->comboGraphicsRes, ui->spinMaxTabCol, ui->checkIncludeFig, ui->leReportFolder, ui->comboMeshFileFormat, ui->comboSolverType, ui->leSolverExeDir, ui->leNGSolveFile, ui->checkStressStrain, ui->checkNodalForces, ui->checkCalcReactions};
    std::vector<std::unique_ptr<QSignalBlocker>> blockers;
    blockers.reserve(editors.size());
    for (QWidget* w : editors)
        blockers.push_back(std::make_unique<QSignalBlocker>(w));
    ui->comboContactType->setCurrentIndex(prefMgr->getInt(Vexil::PM_CONTACT_TYPE));
    ui->comboContactBehavior->setCurrentIndex(prefMgr->getInt(Vexil::PM_CONTACT_BEHAVIOR));
    ui->comboContactFormulation->setCurrentIndex(prefMgr->getInt(Vexil::PM_CONTACT_FORMULATION));
    ui->spinTargetChange->setValue(prefMgr->getInt(Vexil::PM_CONVERGENCE_TARGET_CHANGE));
    ui->comboAllowableChange->setCurrentIndex(prefMgr->getInt(Vexil::PM_CONVERGENCE_ALLOWABLE_CHANGE));
    ui->spinFreqMaxModes->setValue(prefMgr->getInt(Vexil::PM_MAX_MODES));
    ui->checkLimitSearch->setChecked(prefMgr->isOn(Vexil::PM_LIMIT_SEARCH_TO_RANGE));
    ui->leFreqMin->setText(QString::number(prefMgr->getInt(Vexil::PM_MIN_RANGE)));
    ui->leFreqMax->setText(QString::number(prefMgr->getInt(Vexil::PM_MAX_RANGE)));
    ui->spinCyclicNumSteps->setValue(prefMgr->getInt(Vexil::PM_CYCLIC_PHASE_STEPS));
    ui->spinMaxAnnotation->setValue(prefMgr->getInt(Vexil::PM_MAX_ANNOTATIONS));
    ui->checkShowMinAnno->setChecked(prefMgr->isOn(Vexil::PM_SHOW_MIN_ANNOTATION));
    ui->checkShowMaxAnno->setChecked(prefMgr->isOn(Vexil::PM_SHOW_MAX_ANNOTATION));
    ui->comboContourOption->setCurrentIndex(prefMgr->getInt(Vexil::PM_CONTOUR_OPTION));
    ui->spinFlatContourTol->setValue(prefMgr->getInt(Vexil::PM_FLAT_CONTOUR_TOLERANCE));
    ui->comboEdgeOption->setCurrentIndex(prefMgr->getInt(Vexil::PM_EDGE_OPTION));
    ui->comboMeshVis->setCurrentIndex(prefMgr->getInt(Vexil::PM_MESH_VISIBILITY));
    ui->checkSaveProjBefore->setChecked(prefMgr->isOn(Vexil::PM_SAVE_BEFORE_SOLUTION));
    ui->checkSaveProjAfter->setChecked(prefMgr->isOn(Vexil::PM_SAVE_AFTER_SOLUTION));
    ui->spinChartWidth->setValue(prefMgr->getInt(Vexil::PM_CHART_WIDTH));
    ui->spinChartHeight->setValue(prefMgr->getInt(Vexil::PM_CHART_HEIGHT));
    ui->spinGraphicsWidth->setValue(prefMgr->getInt(Vexil::PM_GRAPHICS_WIDTH));
    ui->spinGraphicsHeight->setValue(prefMgr->getInt(Vexil::PM_GRAPHICS_HEIGHT));
    ui->comboGraphicsRes->setCurrentIndex(prefMgr->getInt(Vexil::PM_GRAPHICS_RESOLUTION));
    ui->spinMaxTabCol->setValue(prefMgr->getInt(Vexil::PM_MAX_TABLE_COLUMNS));
    ui->checkIncludeFig->setChecked(prefMgr->isOn(Vexil::PM_INCLUDE_FIGURES));
    ui->leReportFolder->setText(prefMgr->getString(Vexil::PM_REPORT_GENERATOR_FOLDER));
    ui->comboMeshFileFormat->setCurrentIndex(prefMgr->getInt(Vexil::PM_INPUT_FILE_FORMAT));
    ui->comboSolverType->setCurrentIndex(prefMgr->getInt(Vexil::PM_SOLVER_TYPE));
    ui->leSolverExeDir->setText(prefMgr->getString(Vexil::PM_EXECUTABLE_FOLDER));
    ui->leNGSolveFile->setText(prefMgr->getString(Vexil::PM_NGSOLVE_EXECUTABLE));
    ui->checkStressStrain->setChecked(prefMgr->isOn(Vexil::PM_STRESS_AND_STRAIN));
    ui->checkNodalForces->setChecked(prefMgr->isOn(Vexil::PM_NODAL_FORCES));
    ui->checkCalcReactions->setChecked(prefMgr->isOn(Vexil::PM_CALCULATE_REACTIONS));
}

void AnalysisPageImp::onContactTypeChanged(int index)
{
    if (index >= 0)
        prefMgr->set(Vexil::PM_CONTACT_TYPE, index, false);
}

void AnalysisPageImp::onContactBehaviorChanged(int index)
{
    if (index >= 0)
        prefMgr->set(Vexil::PM_CONTACT_BEHAVIOR, index, false);
}

void AnalysisPageImp::onContactFormulationChanged(int index)
{
    if (index >= 0)
        prefMgr->set(Vexil::PM_CONTACT_FORMULATION, index, false);
}

void AnalysisPageImp::onTargetChangeChanged(int value)
{
    prefMgr->set(Vexil::PM_CONVERGENCE_TARGET_CHANGE, value, false);
}

void AnalysisPageImp::onAllowableChangeChanged(int index)
{
    if (index >= 0)
        prefMgr->set(Vexil::PM_CONVERGENCE_ALLOWABLE_CHANGE, index, false);
}

void AnalysisPageImp::onMaxFreqModesChanged(int value)
{
    prefMgr->set(Vexil::PM_MAX_MODES, value, false);
}

void AnalysisPageImp::onLimitSearchRangeChanged(int state)
{
    prefMgr->set(Vexil::PM_LIMIT_SEARCH_TO_RANGE, state != Qt::Unchecked, false);
}

void AnalysisPageImp::onMinRangeChanged(const QString& text)
{
    prefMgr->set(Vexil::PM_MIN_RANGE, decimal(text), false);
}

void AnalysisPageImp::onMaxRangeChanged(const QString& text)
{
    prefMgr->set(Vexil::PM_MAX_RANGE, decimal(text), false);
}

void AnalysisPageImp::onCyclicNumStepsChanged(int value)
{
    prefMgr->set(Vexil::PM_CYCLIC_PHASE_STEPS, value, false);
}

void AnalysisPageImp::onMaxAnnotationChanged(int value)
{
    prefMgr->set(Vexil::PM_MAX_ANNOTATIONS, value, false);
}

void AnalysisPageImp::onShowMinAnnoChanged(int state)
{
    prefMgr->set(Vexil::PM_SHOW_MIN_ANNOTATION, state != Qt::Unchecked, false);
}

void AnalysisPageImp::onShowMaxAnnoChanged(int state)
{
    prefMgr->set(Vexil::PM_SHOW_MAX_ANNOTATION, state != Qt::Unchecked, false);
}

void AnalysisPageImp::onContourOptionChanged(int index)
{
    if (index >= 0)
        prefMgr->set(Vexil::PM_CONTOUR_OPTION, index, false);
}

void AnalysisPageImp::onFlatContourTolChanged(int value)
{
    prefMgr->set(Vexil::PM_FLAT_CONTOUR_TOLERANCE, value, false);
}

void AnalysisPageImp::onEdgeOptionChanged(int index)
{
    if (index >= 0)
        prefMgr->set(Vexil::PM_EDGE_OPTION, index, false);
}

void AnalysisPageImp::onMeshVisibilityChanged(int index)
{
    if (index >= 0)
        prefMgr->set(Vexil::PM_MESH_VISIBILITY, index, false);
}

void AnalysisPageImp::onSaveProjectBeforeChanged(int state)
{
    prefMgr->set(Vexil::PM_SAVE_BEFORE_SOLUTION, state != Qt::Unchecked, false);
}

void AnalysisPageImp::onSaveProjectAfterChanged(int state)
{
    prefMgr->set(Vexil::PM_SAVE_AFTER_SOLUTION, state != Qt::Unchecked, false);
}

void AnalysisPageImp::onChartWidthChanged(int value)
{
    prefMgr->set(Vexil::PM_CHART_WIDTH, value, false);
}

void AnalysisPageImp::onChartHeightChanged(int value)
{
    prefMgr->set(Vexil::PM_CHART_HEIGHT, value, false);
}

void AnalysisPageImp::onGraphicsWidthChanged(int value)
{
    prefMgr->set(Vexil::PM_GRAPHICS_WIDTH, value, false);
}

void AnalysisPageImp::onGraphicsHeightChanged(int value)
{
    prefMgr->set(Vexil::PM_GRAPHICS_HEIGHT, value, false);
}

void AnalysisPageImp::onGraphicsResChanged(int index)
{
    if (index >= 0)
        prefMgr->set(Vexil::PM_GRAPHICS_RESOLUTION, index, false);
}

void AnalysisPageImp::onMaxTabColsChanged(int value)
{
    prefMgr->set(Vexil::PM_MAX_TABLE_COLUMNS, value, false);
}

void AnalysisPageImp::onIncludeFigChanged(int state)
{
    prefMgr->set(Vexil::PM_INCLUDE_FIGURES, state != Qt::Unchecked, false);
}

void AnalysisPageImp::onReportFolderChanged(const QString& text)
{
    prefMgr->set(Vexil::PM_REPORT_GENERATOR_FOLDER, text, false);
}

void AnalysisPageImp::onMeshFileFormatChanged(int index)
{
    if (index >= 0)
        prefMgr->set(Vexil::PM_INPUT_FILE_FORMAT, index, false);
}

void AnalysisPageImp::onSolverTypeChanged(int index)
{
    if (index >= 0)
        prefMgr->set(Vexil::PM_SOLVER_TYPE, index, false);
}

void AnalysisPageImp::onSolverExeDirChanged(const QString& text)
{
    prefMgr->set(Vexil::PM_EXECUTABLE_FOLDER, text, false);
}

void AnalysisPageImp::onNGSolveFileChanged(const QString& text)
{
    prefMgr->set(Vexil::PM_NGSOLVE_EXECUTABLE, text, false);
}

void AnalysisPageImp::onStressStrainChanged(int state)
{
    prefMgr->set(Vexil::PM_STRESS_AND_STRAIN, state != Qt::Unchecked, false);
}

void AnalysisPageImp::onNodalForcesChanged(int state)
{
    prefMgr->set(Vexil::PM_NODAL_FORCES, state != Qt::Unchecked, false);
}

void AnalysisPageImp::onCalcReactionsChanged(int state)
{
    prefMgr->set(Vexil::PM_CALCULATE_REACTIONS, state != Qt::Unchecked, false);
}

void AnalysisPageImp::onReportFolderButtonClicked()
{
    const QString dir = chooseFolderFor(ui->leReportFolder, tr("Select Report Folder"), prefMgr,
                                        Vexil::PM_REPORT_GENERATOR_FOLDER);
    if (!dir.isEmpty())
        qDebug() << "[Debug]" << dir;
}

void AnalysisPageImp::onSolverFolderButtonClicked()
{
    const QString dir = chooseFolderFor(ui->leSolverExeDir, tr("Select Solver Folder"), prefMgr,
                                        Vexil::PM_EXECUTABLE_FOLDER);
    if (!dir.isEmpty())
        qDebug() << "[Debug]" << dir;
}

void AnalysisPageImp::onNGSolveFileButtonClicked()
{
    const QString file = FileDialog::getOpenFileName(MainWindow::get_main_window_inst(), tr("Select NGSolve file"),
                                                     ui->leNGSolveFile->text(), QString(), nullptr, QFileDialog::Options());
    if (file.isEmpty())
        return;
    qDebug() << "[Debug]" << file;
    prefMgr->set(Vexil::PM_NGSOLVE_EXECUTABLE, file, false);
    ui->leNGSolveFile->setText(file);
}

} // namespace Dialog
} // namespace Gui
