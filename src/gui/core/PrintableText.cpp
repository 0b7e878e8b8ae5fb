#include "PrintableText.h"

#include <vexil/PrintableText.h>

#include <QLabel>

#include <algorithm>

namespace Gui {

QByteArray printableForLog(const QByteArray& text, int maxBytes)
{
    const int shown = std::min(text.size(), std::max(maxBytes, 0));
    // One escaping for every name the program prints: the logic's messages use it too.
    const std::string printable = Vexil::printableText(std::string_view(text.constData(), static_cast<size_t>(shown)));
    QByteArray out(printable.data(), static_cast<int>(printable.size()));
    if (shown < text.size())
        out += "... (" + QByteArray::number(text.size()) + " bytes)";
    return out;
}

QString printableName(const QString& text)
{
    return printableName(text.toUtf8());
}

QString printableName(const QByteArray& bytes)
{
    const std::string printable = Vexil::printableText(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    return QString::fromUtf8(printable.data(), static_cast<int>(printable.size()));
}

void showAsPlainText(QMessageBox& box)
{
    box.setTextFormat(Qt::PlainText);
    // The informative text has a label of its own, which guesses its format otherwise.
    for (QLabel* label : box.findChildren<QLabel*>())
        label->setTextFormat(Qt::PlainText);
}

QMessageBox::StandardButton plainMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                            const QString& text, QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    showAsPlainText(box);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace Gui
