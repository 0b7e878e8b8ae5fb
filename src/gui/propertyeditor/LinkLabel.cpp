#include "LinkLabel.h"

#include "core/PrintableText.h"
#include "dialogs/DlgPropertyCouple.h"
#include "selection/TreeSelectionSingleton.h"

#include <QPointer>
#include <QTimer>

using namespace Gui::PropertyOperator;

namespace {
const char editTarget[] = "@__edit_link_prop__@";
}

LinkLabel::LinkLabel(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::RichText);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(this, &QLabel::linkActivated, this, &LinkLabel::onLinkActivated);
}

LinkLabel::~LinkLabel() = default;

void LinkLabel::setPropertyLink(const QStringList& l)
{
    link = l;
    // Labels are the user's text: printable and escaped, so that markup in a name shows as
    // typed and no mark inside it acts on the line.
    const QString style = QStringLiteral(" text-decoration: underline; color:#0000ff;");
    const QString text = QStringLiteral(
        "<html><head><style type=\"text/css\">p, li { white-space: pre-wrap; }</style></head>"
        "<body><p><a href=\"%1.%2\"><span style=\"%5\">%3</span></a><span>\t</span>"
        "<a href=\"%6\"><span style=\"%5\">%4</span></a></p></body></html>")
        .arg(link.value(0).toHtmlEscaped(), link.value(1).toHtmlEscaped(), Gui::printableName(link.value(2)).toHtmlEscaped(),
             tr("Edit..."), style, QString::fromLatin1(editTarget));
    setText(text);
}

void LinkLabel::onLinkActivated(const QString& target)
{
    if (target != QLatin1String(editTarget)) {
        auto* selection = new LinkSelection(link);
        QTimer::singleShot(50, selection, &LinkSelection::select);
        return;
    }
    // The label is a row editor: a rebuild of the tree while the dialog is open deletes it,
    // and the dialog with it.  Neither may be used after that.
    QPointer<LinkLabel> self(this);
    QPointer<Gui::Dlg::DlgPropertyCouple> dlg = new Gui::Dlg::DlgPropertyCouple(link, this);
    const int result = dlg->exec();
    if (!self || !dlg)
        return;
    const QStringList chosen = dlg->getPropertyLink();
    delete dlg.data();
    if (result != QDialog::Accepted)
        return;
    setPropertyLink(chosen);
    Q_EMIT linkChanged(link);
}

LinkSelection::LinkSelection(const QStringList& l)
    : link(l)
{
}

LinkSelection::~LinkSelection() = default;

void LinkSelection::select()
{
    auto& selection = Gui::TreeSelectionSingleton::instance();
    selection.clear_selection();
    bool ok = false;
    const unsigned int id = link.value(1).toUInt(&ok);
    if (ok)
        selection.add_selection(link.value(0).toLatin1().constData(), id, "");
    deleteLater();
}
