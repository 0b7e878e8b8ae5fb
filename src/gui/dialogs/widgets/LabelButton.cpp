#include "LabelButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>

using namespace Gui;

LabelButton::LabelButton(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);

    label = new QLabel(this);
    label->setAutoFillBackground(true);
    layout->addWidget(label);

    button = new QPushButton(QStringLiteral("..."), this);
    button->hide();
    layout->addWidget(button);
    connect(button, &QPushButton::clicked, this, &LabelButton::browse);
}

LabelButton::~LabelButton() = default;

QVariant LabelButton::value() const { return _val; }
QLabel* LabelButton::getLabel() const { return label; }
QPushButton* LabelButton::getButton() const { return button; }

void LabelButton::setValue(const QVariant& val)
{
    _val = val;
    displayValue(_val);
    Q_EMIT valueChanged(_val);
}

void LabelButton::resizeEvent(QResizeEvent* event)
{
    button->setFixedWidth(event->size().height());
}
