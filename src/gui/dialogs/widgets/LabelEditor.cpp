#include "LabelEditor.h"

#include "BrowseButton.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

using namespace Gui;

namespace {

QString displayForm(const QString& listText)
{
    return QStringLiteral("[%1]").arg(listText.split(QLatin1Char('\n')).join(QLatin1Char(',')));
}

// The list text behind a display form typed by the user: "[1,2]" and "1,2" give "1\n2";
// "[]" and "" give the empty list.
QString listForm(const QString& display)
{
    QString inner = display.trimmed();
    if (inner.startsWith(QLatin1Char('[')))
        inner.remove(0, 1);
    if (inner.endsWith(QLatin1Char(']')))
        inner.chop(1);
    return inner.split(QLatin1Char(',')).join(QLatin1Char('\n'));
}

} // namespace

// ---------------------------------------------------------------------------

LabelEditor::LabelEditor(QWidget* parent)
    : QWidget(parent)
{
    addBrowseField(this, 2, lineEdit, button);
    // What the user types is the list from then on (taken before listeners hear of it).
    connect(lineEdit, &QLineEdit::textChanged, this, [this](const QString& shown) {
        if (shown != displayForm(plainText))
            plainText = listForm(shown);
    });
    connect(lineEdit, &QLineEdit::textChanged, this, &LabelEditor::textChanged);
    connect(button, &QPushButton::clicked, this, &LabelEditor::changeText);
}

LabelEditor::~LabelEditor() = default;

QString LabelEditor::get_text() const { return plainText; }
QString LabelEditor::buttonText() const { return button->text(); }
void LabelEditor::setInputType(InputType t) { type = t; }

void LabelEditor::set_text(const QString& text)
{
    plainText = text;
    lineEdit->setText(displayForm(plainText));
}

void LabelEditor::setButtonText(const QString& text)
{
    setBrowseButtonText(this, button, text);
}

void LabelEditor::changeText()
{
    // As the editor of a property row this widget may be deleted, and the dialog with it,
    // while the dialog is open: neither is used after that.
    QPointer<LabelEditor> self(this);
    QPointer<PropertyListDialog> dlg = new PropertyListDialog(static_cast<int>(type), this);
    dlg->setWindowTitle(tr("Vector Data"));
    auto* vbox = new QVBoxLayout(dlg);
    auto* edit = new PropertyListEditor(dlg);
    edit->setPlainText(plainText);
    vbox->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dlg);
    vbox->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, dlg.data(), &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, dlg.data(), &QDialog::reject);
    const int result = dlg->exec();
    if (!self || !dlg)
        return;
    const QString text = edit->toPlainText();
    delete dlg.data();
    if (result == QDialog::Accepted) {
        plainText = text;
        lineEdit->setText(displayForm(plainText));
    }
}

// ---------------------------------------------------------------------------

PropertyListDialog::PropertyListDialog(int t, QWidget* parent)
    : QDialog(parent), type(t)
{
}

PropertyListDialog::~PropertyListDialog() = default;

void PropertyListDialog::accept()
{
    auto* edit = findChild<PropertyListEditor*>();
    const QStringList lines = edit ? edit->toPlainText().split(QLatin1Char('\n')) : QStringList();
    if (type == LabelEditor::Float || type == LabelEditor::Integer) {
        for (int i = 0; i < lines.size(); ++i) {
            bool ok = false;
            if (type == LabelEditor::Float)
                lines[i].toDouble(&ok);
            else
                lines[i].toInt(&ok, 10);
            if (!ok) {
                QMessageBox::critical(this, tr("Invalid input"), tr("Input in line %1 is not a number").arg(i + 1));
                return;
            }
        }
    }
    QDialog::accept();
}

// ---------------------------------------------------------------------------

PropertyListEditor::PropertyListEditor(QWidget* parent)
    : QPlainTextEdit(parent)
{
    lineNumberArea = new LineNumberArea(this);
    connect(this, &QPlainTextEdit::blockCountChanged, this, &PropertyListEditor::updateLineNumberAreaWidth);
    connect(this, &QPlainTextEdit::updateRequest, this, &PropertyListEditor::updateLineNumberArea);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &PropertyListEditor::highlightCurrentLine);
    updateLineNumberAreaWidth(0);
    highlightCurrentLine();
}

PropertyListEditor::~PropertyListEditor() = default;

int PropertyListEditor::lineNumberAreaWidth()
{
    int digits = 1;
    int max = qMax(1, blockCount());
    while (max >= 10) {
        max /= 10;
        ++digits;
    }
    return 3 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void PropertyListEditor::updateLineNumberAreaWidth(int)
{
    setViewportMargins(lineNumberAreaWidth(), 0, 0, 0);
}

void PropertyListEditor::updateLineNumberArea(const QRect& rect, int dy)
{
    if (dy)
        lineNumberArea->scroll(0, dy);
    else
        lineNumberArea->update(0, rect.y(), lineNumberArea->width(), rect.height());
    if (rect.contains(viewport()->rect()))
        updateLineNumberAreaWidth(0);
}

void PropertyListEditor::resizeEvent(QResizeEvent* e)
{
    QPlainTextEdit::resizeEvent(e);
    const QRect cr = contentsRect();
    lineNumberArea->setGeometry(QRect(cr.left(), cr.top(), lineNumberAreaWidth(), cr.height()));
}

void PropertyListEditor::highlightCurrentLine()
{
    QList<QTextEdit::ExtraSelection> extraSelections;
    if (!isReadOnly()) {
        QTextEdit::ExtraSelection selection;
        selection.format.setBackground(QColor(Qt::yellow).lighter(160));
        selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        selection.cursor = textCursor();
        selection.cursor.clearSelection();
        extraSelections.append(selection);
    }
    setExtraSelections(extraSelections);
}

void PropertyListEditor::lineNumberAreaPaintEvent(QPaintEvent* event)
{
    QPainter painter(lineNumberArea);
    painter.fillRect(event->rect(), Qt::lightGray);

    QTextBlock block = firstVisibleBlock();
    int blockNumber = block.blockNumber();
    int top = int(blockBoundingGeometry(block).translated(contentOffset()).top());
    int bottom = top + int(blockBoundingRect(block).height());
    while (block.isValid() && top <= event->rect().bottom()) {
        if (block.isVisible() && bottom >= event->rect().top()) {
            painter.setPen(Qt::black);
            painter.drawText(0, top, lineNumberArea->width(), fontMetrics().height(), Qt::AlignRight,
                             QString::number(blockNumber + 1));
        }
        block = block.next();
        top = bottom;
        bottom = top + int(blockBoundingRect(block).height());
        ++blockNumber;
    }
}

LineNumberArea::LineNumberArea(PropertyListEditor* editor)
    : QWidget(editor), codeEditor(editor)
{
}

QSize LineNumberArea::sizeHint() const
{
    return QSize(codeEditor->lineNumberAreaWidth(), 0);
}

void LineNumberArea::paintEvent(QPaintEvent* event)
{
    codeEditor->lineNumberAreaPaintEvent(event);
}
