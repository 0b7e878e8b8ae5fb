#include "SelectionView.h"

#include "selection/EntitySelectionSingleton.h"
#include "selection/SelectionInstance.h"

#include <obj/Application.h>
#include <pmmsg/Message.h>
#include <vexil/Exception.h>
#include <vexil/MsgConsole.h>

#include <QCursor>
#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <exception>

using namespace Gui;
using namespace Gui::DockWindow;

namespace {

// P, "." I (always, or only when not 0), "." S when not empty, then the label part when
// `labelled`: the object's label, else the project's name when only the project exists.
QString rowText(const char* projectName, unsigned int id, const char* sub, bool alwaysId, bool labelled)
{
    const QString p = QString::fromUtf8(projectName ? projectName : "");
    QString text = p;
    if (alwaysId || id != 0)
        text += QLatin1Char('.') + QString::number(id);
    if (sub && *sub)
        text += QLatin1Char('.') + QString::fromUtf8(sub);
    if (!labelled || !Obj::Application::_pcSingleton)
        return text;
    Obj::Project* project = Obj::Application::instance().get_project(projectName);
    if (!project)
        return text;
    Obj::ProjectObject* object = id ? project->get_object(id) : nullptr;
    const char* label = object ? object->get_label() : project->getProjectName();
    return text + QStringLiteral(" (") + QString::fromUtf8(label) + QLatin1Char(')');
}

// P and I of a row ("Project1.12.Face3 (Bracket)" gives Project1 and 12); false for a
// row without ".".
bool parseRow(const QString& text, QString& project, QString& id)
{
    const QStringList parts = text.split(QLatin1Char('.'), Qt::KeepEmptyParts, Qt::CaseSensitive);
    if (parts.size() < 2)
        return false;
    project = parts.at(0);
    id = parts.at(1).section(QLatin1Char(' '), 0, 0);
    return true;
}

// The row of a removed entry.  Sub-elements added together are told as one addition
// without sub-element name, and each goes with a removal of its own: that row goes with
// the last of them.
QListWidgetItem* removeRow(SelectionRows& rows, const SelectionSubject& subject, const SelectionModification& change)
{
    if (QListWidgetItem* gone = rows.remove_unique(SelectionRows::key(change.project_name, change.object_id,
                                                                      change.sub_name)))
        return gone;
    if (!*change.sub_name || subject.has_object_entries(change.project_name, change.object_id))
        return nullptr;
    return rows.remove_unique(SelectionRows::key(change.project_name, change.object_id, ""));
}

// Requests to the logic come from menu entries and clicks: its failures are reported.
template <class F>
void guarded(F f)
{
    try {
        f();
    }
    catch (const Vexil::ExceptionHandler& e) {
        Vexil::MsgConsoleSingleton::Instance().Error("%s\n", e.what());
    }
    catch (const std::exception& e) {
        Vexil::MsgConsoleSingleton::Instance().Error("%s\n", e.what());
    }
}

void sendSelect(const QString& project, const QString& id, bool idAsNumber)
{
    guarded([&]() {
        const std::string p = project.toUtf8().toStdString();
        pmMsg::runCommand(pmMsg::CMD_CLEAR_SELECTION, p.c_str());
        pmMsg::MessageData record;
        record.code = pmMsg::REC_SELECT;
        record.text2 = p;
        if (idAsNumber)
            record.number = id.toUInt();
        else
            record.text3 = id.toUtf8().toStdString();
        pmMsg::doCommand(record);
    });
}

void sendDeselect(const QString& project, const QString& id, bool idAsNumber)
{
    guarded([&]() {
        pmMsg::MessageData record;
        record.code = pmMsg::REC_DESELECT;
        record.text2 = project.toUtf8().toStdString();
        if (idAsNumber)
            record.number = id.toUInt();
        else
            record.text3 = id.toUtf8().toStdString();
        pmMsg::doCommand(record);
    });
}

} // namespace

// ---------------------------------------------------------------------------------------

QString SelectionRows::key(const char* project, unsigned int id, const char* sub)
{
    // NUL cannot occur in the UTF-8 texts, so the parts cannot run into each other.
    return QString::fromUtf8(project ? project : "") + QChar(0) + QString::number(id) + QChar(0)
        + QString::fromUtf8(sub ? sub : "");
}

QListWidgetItem* SelectionRows::append(const QString& key, const QString& text)
{
    auto* item = new QListWidgetItem(text, list);
    byKey[key].append(item);
    return item;
}

QListWidgetItem* SelectionRows::remove_unique(const QString& key)
{
    const auto it = byKey.find(key);
    if (it == byKey.end() || it->second.size() != 1)
        return nullptr;
    QListWidgetItem* item = it->second.first();
    byKey.erase(it);
    delete item;
    return item;
}

void SelectionRows::clear()
{
    byKey.clear();
    list->clear();
}

// ---------------------------------------------------------------------------------------
// SelectionView

SelectionView::SelectionView(GuiProject* project, QWidget* parent)
    : DockingWindow(project, parent), listWidget(new QListWidget(this)), searchBox(new QLineEdit(this)),
      rows(listWidget)
{
    setWindowTitle(tr("Property View"));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* line = new QHBoxLayout();
    searchBox->setPlaceholderText(tr("Search"));
    searchBox->setToolTip(tr("Searches object labels"));
    auto* clearButton = new QToolButton(this);
    clearButton->setFixedSize(18, 21);
    clearButton->setCursor(Qt::ArrowCursor);
    clearButton->setStyleSheet(QStringLiteral("QToolButton {margin-bottom:6px}"));
    line->addWidget(searchBox);
    line->addWidget(clearButton);
    layout->addLayout(line);
    layout->addWidget(listWidget);
    listWidget->setContextMenuPolicy(Qt::CustomContextMenu);
    resize(200, 200);

    connect(clearButton, &QToolButton::clicked, searchBox, &QLineEdit::clear);
    connect(searchBox, &QLineEdit::textChanged, this, &SelectionView::search);
    connect(listWidget, &QListWidget::itemDoubleClicked, this, qOverload<QListWidgetItem*>(&SelectionView::select));
    connect(listWidget, &QListWidget::customContextMenuRequested, this, &SelectionView::onItemContextMenu);
    SelectionInstance::instance().attach(this);
}

SelectionView::~SelectionView()
{
    if (SelectionInstance* s = SelectionInstance::existing())
        s->detach(this);
}

void SelectionView::on_modify(Vexil::Subject<const SelectionModification&>&, const SelectionModification& change)
{
    switch (change.kind) {
    case SelectionModification::AddSelection:
        rows.append(SelectionRows::key(change.project_name, change.object_id, change.sub_name),
                    rowText(change.project_name, change.object_id, change.sub_name, true, true));
        break;
    case SelectionModification::RemoveSelection:
        removeRow(rows, SelectionInstance::instance(), change);
        break;
    case SelectionModification::SetSelection:
        rows.clear();
        for (const SelObj& sel : SelectionInstance::instance().get_selection(change.project_name))
            rows.append(SelectionRows::key(sel.project_name, sel.object_id, sel.sub_name),
                        rowText(sel.project_name, sel.object_id, sel.sub_name, false, true));
        break;
    case SelectionModification::ClearSelection:
        rows.clear();
        break;
    default:
        break;
    }
}

void SelectionView::search(const QString& text)
{
    Obj::Application* logic = Obj::Application::_pcSingleton;
    Obj::Project* current = logic ? logic->get_current_project() : nullptr;
    if (text.isEmpty() || !current)
        return;
    SelectionInstance& selection = SelectionInstance::instance();
    for (Obj::Project* p : logic->get_projects())
        selection.clear_selection(p->get_name());
    const std::string name = current->get_name();
    for (Obj::ProjectObject* object : current->get_objects()) {
        if (selection.has_selection(name.c_str()))
            break;
        if (QString::fromUtf8(object->get_label()).contains(text, Qt::CaseInsensitive))
            selection.add_selection(name.c_str(), object->getObjectId(), nullptr, 0.f, 0.f, 0.f);
    }
}

void SelectionView::onItemContextMenu(const QPoint& point)
{
    if (!listWidget->itemAt(point))
        return;
    QMenu menu;
    QAction* action = menu.addAction(QIcon(QStringLiteral(":/icons/pelmora_gui_zoombox.svg")), tr("Select only"),
                                     this, qOverload<>(&SelectionView::select));
    action->setShortcut(QKeySequence());
    action = menu.addAction(QIcon(QStringLiteral(":/icons/view-unselectable.svg")), tr("Deselect"), this,
                            &SelectionView::deselect);
    action->setShortcut(QKeySequence());
    action = menu.addAction(QIcon(QStringLiteral(":/icons/pelmora_gui_zoomall.svg")), tr("Zoom fit"), this,
                            &SelectionView::zoom);
    action->setShortcut(QKeySequence());
    action = menu.addAction(tr("Go to selection"), this, &SelectionView::treeSelect);
    action->setToolTip(tr("Selects and locates this object in the tree view"));
    menu.exec(listWidget->mapToGlobal(point));
}

void SelectionView::select(QListWidgetItem* item)
{
    if (!item)
        item = listWidget->currentItem();
    QString project;
    QString id;
    if (item && parseRow(item->text(), project, id))
        sendSelect(project, id, false);
}

void SelectionView::select() { select(nullptr); }
void SelectionView::zoom() { select(nullptr); }
void SelectionView::treeSelect() { select(nullptr); }

void SelectionView::deselect()
{
    QListWidgetItem* item = listWidget->currentItem();
    QString project;
    QString id;
    if (item && parseRow(item->text(), project, id))
        sendDeselect(project, id, false);
}

// ---------------------------------------------------------------------------------------
// SelectionView3

SelectionView3::SelectionView3(GuiProject* project, QWidget* parent)
    : DockingWindow(project, parent), listWidget(new QListWidget(this)), addBtn(new QPushButton(tr("Add"), this)),
      clearBtn(new QPushButton(tr("Clear"), this)), rows(listWidget)
{
    setWindowTitle(tr("Property View"));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(addBtn, 0, Qt::AlignLeft);
    buttons->addWidget(clearBtn, 1, Qt::AlignLeft);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addWidget(listWidget);
    listWidget->setContextMenuPolicy(Qt::CustomContextMenu);

    connect(listWidget, &QListWidget::itemDoubleClicked, this, qOverload<QListWidgetItem*>(&SelectionView3::select));
    connect(listWidget, &QListWidget::customContextMenuRequested, this, &SelectionView3::onItemContextMenu);
    connect(addBtn, &QPushButton::clicked, this, &SelectionView3::onAddButtonClicked);
    connect(clearBtn, &QPushButton::clicked, this, &SelectionView3::onClearButtonClicked);
    addBtn->hide();
    clearBtn->hide();
    EntitySelectionSingleton::instance().attach(this);
}

SelectionView3::~SelectionView3()
{
    if (EntitySelectionSingleton* s = EntitySelectionSingleton::existing())
        s->detach(this);
}

void SelectionView3::clearRows()
{
    rowItems.clear();
    rows.clear();
}

void SelectionView3::forgetRow(QListWidgetItem* item)
{
    if (!item)
        return;
    for (auto it = rowItems.begin(); it != rowItems.end(); ++it) {
        if (it->second == item) {
            rowItems.erase(it);
            return;
        }
    }
}

void SelectionView3::on_modify(Vexil::Subject<const SelectionModification&>&, const SelectionModification& change)
{
    if (change.source != 1)
        return;
    switch (change.kind) {
    case SelectionModification::AddSelection:
        rows.append(SelectionRows::key(change.project_name, change.object_id, change.sub_name),
                    rowText(change.project_name, change.object_id, change.sub_name, false, false));
        break;
    case SelectionModification::RemoveSelection:
        forgetRow(removeRow(rows, EntitySelectionSingleton::instance(), change));
        break;
    case SelectionModification::SetSelection:
        clearRows();
        for (const SelObj& sel : EntitySelectionSingleton::instance().get_selection(change.project_name))
            rows.append(SelectionRows::key(sel.project_name, sel.object_id, sel.sub_name),
                        rowText(sel.project_name, sel.object_id, sel.sub_name, false, false));
        break;
    case SelectionModification::ClearSelection:
        clearRows();
        break;
    default:
        break;
    }
}

void SelectionView3::addRow(unsigned int id, unsigned int subId, int type)
{
    const char* kind = "Undefined";
    switch (type) {
    case 1: kind = "Vertex"; break;
    case 2: kind = "Edge"; break;
    case 3: kind = "Face"; break;
    case 4: kind = "Body"; break;
    default: break;
    }
    const QString text = QStringLiteral("Id(%1), %2, SubId(%3)").arg(id).arg(QLatin1String(kind)).arg(subId);
    auto* item = new QListWidgetItem(text, listWidget);
    const unsigned int key = id * 1000 + subId;
    const auto old = rowItems.find(key);
    if (old != rowItems.end())
        delete old->second;
    rowItems[key] = item;
}

void SelectionView3::onAddButtonClicked()
{
    addRow(static_cast<unsigned int>(rowItems.size()), 0, 0);
}

void SelectionView3::onClearButtonClicked()
{
    for (const auto& entry : rowItems)
        delete entry.second;
    rowItems.clear();
    rows.clear();
}

void SelectionView3::onItemContextMenu(const QPoint& point)
{
    if (!listWidget->itemAt(point))
        return;
    QMenu menu;
    QAction* action = menu.addAction(QIcon(QStringLiteral(":/icons/view-unselectable.svg")), tr("Deselect"), this,
                                     &SelectionView3::deselect);
    action->setShortcut(QKeySequence());
    action->setToolTip(tr("Deselects this object"));
    menu.exec(listWidget->mapToGlobal(point));
}

void SelectionView3::select(QListWidgetItem* item)
{
    if (!item)
        item = listWidget->currentItem();
    QString project;
    QString id;
    if (item && parseRow(item->text(), project, id))
        sendSelect(project, id, true);
}

void SelectionView3::select() { select(nullptr); }
void SelectionView3::zoom() { select(nullptr); }
void SelectionView3::treeSelect() { select(nullptr); }

void SelectionView3::deselect()
{
    QListWidgetItem* item = listWidget->currentItem();
    QString project;
    QString id;
    if (item && parseRow(item->text(), project, id))
        sendDeselect(project, id, true);
}
