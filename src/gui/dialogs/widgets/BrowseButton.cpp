#include "BrowseButton.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace Gui {

namespace {

int buttonWidthFor(const QWidget* owner, const QString& text)
{
    const QFontMetrics fm(owner->font());
    return 2 * qMax(fm.horizontalAdvance(text), fm.horizontalAdvance(QStringLiteral(" ... ")));
}

} // namespace

void addBrowseField(QWidget* owner, int spacing, QLineEdit*& lineEdit, QPushButton*& button)
{
    auto* layout = new QHBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);

    lineEdit = new QLineEdit(owner);
    // Not cut at the default 32,767 characters: a longer list or path edited here would
    // lose its tail.
    lineEdit->setMaxLength(std::numeric_limits<int>::max());
    layout->addWidget(lineEdit);

    button = new QPushButton(QStringLiteral("..."), owner);
    button->setFixedWidth(buttonWidthFor(owner, QStringLiteral(" ... ")));
    layout->addWidget(button);

    owner->setFocusProxy(lineEdit);
}

void setBrowseButtonText(const QWidget* owner, QPushButton* button, const QString& text)
{
    button->setText(text);
    button->setFixedWidth(buttonWidthFor(owner, text));
}

} // namespace Gui
