#pragma once
// One-line editing of list values: the list shown as "[a,b,c]" with a "..." button
// that opens a line-per-entry editor which checks the entries on OK.

#include <PelmoraGuiExport.h>

#include <QDialog>
#include <QPlainTextEdit>
#include <QWidget>

QT_BEGIN_NAMESPACE
class QLineEdit;
class QPushButton;
QT_END_NAMESPACE

namespace Gui {

class PELMORAGUI_EXPORT LabelEditor : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString get_text READ get_text WRITE set_text)
    Q_PROPERTY(QString buttonText READ buttonText WRITE setButtonText)
public:
    enum InputType { String = 0, Float = 1, Integer = 2 };

    explicit LabelEditor(QWidget* parent = nullptr);
    ~LabelEditor() override;

    // The entries separated by line feeds.
    QString get_text() const;
    QString buttonText() const;
    void setInputType(InputType type);

public Q_SLOTS:
    virtual void set_text(const QString& text);
    virtual void setButtonText(const QString& text);

Q_SIGNALS:
    void textChanged(const QString& text);

private Q_SLOTS:
    void changeText();

private:
    InputType type = String;
    QString plainText;
    QLineEdit* lineEdit;
    QPushButton* button;
};

class PELMORAGUI_EXPORT PropertyListEditor : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit PropertyListEditor(QWidget* parent = nullptr);
    ~PropertyListEditor() override;

    void lineNumberAreaPaintEvent(QPaintEvent* event);
    int lineNumberAreaWidth();

protected:
    void resizeEvent(QResizeEvent* event) override;

private Q_SLOTS:
    void updateLineNumberAreaWidth(int newBlockCount);
    void highlightCurrentLine();
    void updateLineNumberArea(const QRect& rect, int dy);

private:
    QWidget* lineNumberArea;
};

// The margin of a PropertyListEditor that shows the line numbers.
class LineNumberArea : public QWidget
{
    Q_OBJECT
public:
    explicit LineNumberArea(PropertyListEditor* editor);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PropertyListEditor* codeEditor;
};

} // namespace Gui

// The editor dialog behind LabelEditor's button; checks the entries on OK.
class PELMORAGUI_EXPORT PropertyListDialog : public QDialog
{
    Q_OBJECT
public:
    PropertyListDialog(int type, QWidget* parent);
    ~PropertyListDialog() override;

    void accept() override;

private:
    int type;
};
