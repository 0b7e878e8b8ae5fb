#include "ReportView.h"

#include "mainwindow/ReportOutput.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

using namespace Gui::DockWindow;

ReportView::ReportView(QWidget* parent)
    : DockingWindow(nullptr, parent)
{
    setObjectName(QStringLiteral("ReportOutput"));
    resize(550, 150);

    auto* grid = new QGridLayout(this);
    grid->setSpacing(0);
    grid->setContentsMargins(0, 0, 0, 0);
    auto* vertical = new QVBoxLayout();
    vertical->setSpacing(0);
    vertical->setObjectName(QStringLiteral("verticalLayout"));
    grid->addLayout(vertical, 0, 0);

    auto* buttons = new QHBoxLayout();
    buttons->setObjectName(QStringLiteral("horizontalLayout"));
    saveButton = new QPushButton(this);
    saveButton->setObjectName(QStringLiteral("btn_saveTo"));
    saveButton->setIcon(QIcon(QStringLiteral(":Icons/pelmora_output_savetofile.svg")));
    saveButton->setToolTip(tr("Save text to file"));
    clearButton = new QPushButton(this);
    clearButton->setObjectName(QStringLiteral("btn_cleartext"));
    clearButton->setIcon(QIcon(QStringLiteral(":Icons/pelmora_output_cleartext.svg")));
    clearButton->setToolTip(tr("Clear the text field"));
    buttons->addWidget(saveButton);
    buttons->addWidget(clearButton);
    buttons->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    vertical->addLayout(buttons);

    reportOutput = new ReportOutput(this);
    reportOutput->setObjectName(QStringLiteral("Output"));
    reportOutput->setWindowTitle(tr("Output"));
    vertical->addWidget(reportOutput);

    connect(saveButton, &QPushButton::clicked, this, &ReportView::on_btn_saveTo_clicked);
    connect(clearButton, &QPushButton::clicked, this, &ReportView::on_btn_cleartext_clicked);
}

ReportView::~ReportView() = default;

void ReportView::on_btn_saveTo_clicked()
{
    reportOutput->onSaveAs();
}

void ReportView::on_btn_cleartext_clicked()
{
    reportOutput->clear();
}

void ReportView::slotProcessOutput(const QString& project, const QString& text)
{
    Q_EMIT signalProcessOutput(project, text);
}
