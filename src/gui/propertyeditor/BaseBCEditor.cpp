#include "BaseBCEditor.h"

#include "QuantitySpinBox.h"

#include "dialogs/DlgInputBCImp.h"
#include "selection/TreeSelectionSingleton.h"

#include <obj/Application.h>
#include <obj/CDocObjProp.h>
#include <obj/Project.h>
#include <obj/ProjectObject.h>
#include <obj/PropertyQuantity.h>

#include <QAction>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>

using namespace Gui::PropertyOperator;

namespace {

// The project object's rows are shown anew by the property view.
void announceChange(const Obj::Property* property)
{
    auto* object = dynamic_cast<Obj::ProjectObject*>(property->get_container());
    Obj::Project* project = object ? object->get_project() : nullptr;
    if (!project)
        return;
    const char* name = Obj::Application::_pcSingleton
        ? Obj::Application::instance().get_project_name(project) : nullptr;
    Gui::TreeSelectionSingleton::instance().property_signal(
        Obj::CDocObjProp(name ? name : project->get_name(), object->getObjectId()));
}

} // namespace

BaseBCEditor::BaseBCEditor(QWidget* parent)
    : QWidget(parent)
    , layout(new QHBoxLayout)
    , button(new QPushButton(this))
{
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setLayout(layout);
    button->setObjectName(QStringLiteral("Context menu"));
    button->setIcon(QIcon(QStringLiteral(":Icons/pelmora_property_context.svg")));
    button->setToolTip(tr("Show context menu"));
    button->setFixedWidth(static_cast<int>(button->sizeHint().height() * 0.7));
    connect(button, SIGNAL(clicked()), this, SLOT(createContextBCDlg()));
}

void BaseBCEditor::setProperty(Obj::Property* property, unsigned int n)
{
    prop = property;
    number = n;
}

void BaseBCEditor::createContextBCDlg()
{
    auto* bc = dynamic_cast<Obj::PropertyBCQuantity*>(prop);
    if (!bc)
        return;
    QMenu menu(this);
    QAction* import = menu.addAction(QIcon(QStringLiteral(":Icons/ascending.svg")), tr("Import"));
    QAction* exportAction = menu.addAction(tr("Export"));
    menu.addSeparator();
    QAction* constant = menu.addAction(tr("Constant"));
    QAction* tabular = menu.addAction(tr("Tabular"));
    constant->setCheckable(true);
    tabular->setCheckable(true);
    QAction* free = nullptr;
    const int kind = bc->getQuantityKind();
    if (kind == pmUnit::DisplacementX || kind == pmUnit::DisplacementY || kind == pmUnit::DisplacementZ) {
        free = menu.addAction(tr("Free"));
        free->setCheckable(true);
    }
    const int type = bc->getLoadValueType();
    constant->setChecked(type == Obj::LoadConstant);
    tabular->setChecked(type == Obj::LoadTabular);
    if (free)
        free->setChecked(type == Obj::LoadFree);

    QAction* chosen = menu.exec(button->mapToGlobal(button->rect().topRight()));
    if (!chosen || chosen == exportAction || chosen == import)
        return;   // nothing changed: nothing to announce
    if (chosen == constant)
        bc->setLoadValueType_NoEvent(Obj::LoadConstant);
    else if (chosen == tabular)
        bc->setLoadValueType_NoEvent(Obj::LoadTabular);
    else if (chosen == free)
        bc->setLoadValueType(Obj::LoadFree);
    else
        return;
    announceChange(bc);
}

// ---------------------------------------------------------------------------------

ContextBCEditor::ContextBCEditor(QWidget* parent)
    : BaseBCEditor(parent)
    , spin(new Gui::QuantitySpinBox(this))
{
    layout->addWidget(spin);
    layout->addWidget(button);
    setFocusProxy(spin);
    connect(spin, SIGNAL(editingFinished()), this, SLOT(lineEditingFinished()));
    // The row commits what this editor holds: a typed number is announced as the
    // editor's own change, so that the cell it sits in takes it.
    connect(spin, QOverload<double>::of(&Gui::QuantitySpinBox::valueChanged), this,
            [this]() { Q_EMIT textChanged(spin->text()); });
}

pmUnit::Quantity ContextBCEditor::value() const
{
    return spin->value();
}

void ContextBCEditor::setText(const QString& text)
{
    spin->setValue(text.toDouble());
}

void ContextBCEditor::setValue(pmUnit::Quantity val)
{
    spin->setValue(val);
}

void ContextBCEditor::setValue(double val)
{
    spin->setValue(val);
}

// ---------------------------------------------------------------------------------

LabelBCEditor::LabelBCEditor(QWidget* parent)
    : BaseBCEditor(parent)
    , label(new QLabel(this))
{
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    layout->addWidget(button);
}

QString LabelBCEditor::getText() const
{
    return label->text();
}

void LabelBCEditor::setText(const QString& text)
{
    label->setText(text);
}

// ---------------------------------------------------------------------------------

InputBCEditor::InputBCEditor(QWidget* parent)
    : QWidget(parent)
    , lineEdit(new QLineEdit(this))
    , button(new QPushButton(QStringLiteral("..."), this))
{
    auto* box = new QHBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(1);
    lineEdit->setEnabled(false);
    box->addWidget(lineEdit);
    button->setFixedWidth(2 * button->fontMetrics().horizontalAdvance(QStringLiteral(" ... ")));
    box->addWidget(button);
    setFocusProxy(lineEdit);
    connect(button, SIGNAL(clicked()), this, SLOT(createBCInputDlg()));
}

void InputBCEditor::set_text(const QString& t)
{
    text = t;
    lineEdit->setText(t);
}

void InputBCEditor::createBCInputDlg()
{
    auto* input = dynamic_cast<Obj::PropertyInputBC*>(prop);
    if (!input)
        return;
    // This is a row editor: a rebuild of the dock's rows while the dialog is open (a file
    // handed over by a second start, say) deletes it and the dialog with it, so the dialog
    // lives on the heap and is used only while it is there.  The dialog itself lets go of
    // the property when its object goes away.
    QPointer<Gui::Dlg::DlgInputBCImp> dialog = new Gui::Dlg::DlgInputBCImp(this);
    dialog->setPropertyInputBC(input);
    dialog->exec();
    delete dialog.data();
}
