#include "ReportView.h"

#include <QGridLayout>
#include <QTextEdit>

using namespace Gui::DockWindow;

ReportView::ReportView(QWidget* parent)
    : DockingWindow(nullptr, parent), text(new QTextEdit(this))
{
    setWindowTitle(tr("Output"));
    text->setReadOnly(true);
    auto* layout = new QGridLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text, 0, 0);
}

ReportView::~ReportView() = default;
