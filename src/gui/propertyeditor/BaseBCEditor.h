#pragma once
// Cell editors of boundary-condition values.  A context button switches how the value
// is given (a constant, a table, or left free); the input editor opens a dialog for a
// value of three components that may each be left free.

#include "PelmoraGuiExport.h"

#include <pmunit/Units.h>

#include <QWidget>

QT_BEGIN_NAMESPACE
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
QT_END_NAMESPACE

namespace Obj { class Property; }

namespace Gui {

class QuantitySpinBox;

namespace PropertyOperator {

class PELMORAGUI_EXPORT BaseBCEditor : public QWidget
{
    Q_OBJECT
public:
    explicit BaseBCEditor(QWidget* parent = nullptr);
    void setProperty(Obj::Property* property, unsigned int number);
    Obj::Property* getProperty() const { return prop; }
    QPushButton* contextButton() const { return button; }

Q_SIGNALS:
    void textChanged(const QString& text);

public Q_SLOTS:
    void createContextBCDlg();

protected:
    QHBoxLayout* layout;
    QPushButton* button;

private:
    Obj::Property* prop = nullptr;
    unsigned int number = 0;
};

class PELMORAGUI_EXPORT ContextBCEditor : public BaseBCEditor
{
    Q_OBJECT
    Q_PROPERTY(QString getText READ getText WRITE setText)
public:
    enum InputType { Number = 1 };
    explicit ContextBCEditor(QWidget* parent = nullptr);
    void setInputType(InputType type) { inputType = type; }
    pmUnit::Quantity value() const;
    QString getText() const { return QString(); }
    QuantitySpinBox* spinBox() const { return spin; }

public Q_SLOTS:
    virtual void setText(const QString& text);
    void lineEditingFinished() {}
    void setValue(pmUnit::Quantity val);
    void setValue(double val);

private:
    QuantitySpinBox* spin;
    InputType inputType = Number;
};

class PELMORAGUI_EXPORT LabelBCEditor : public BaseBCEditor
{
    Q_OBJECT
    Q_PROPERTY(QString getText READ getText WRITE setText)
public:
    explicit LabelBCEditor(QWidget* parent = nullptr);
    QString getText() const;

public Q_SLOTS:
    virtual void setText(const QString& text);

private:
    QLabel* label;
};

class PELMORAGUI_EXPORT InputBCEditor : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString get_text READ get_text WRITE set_text)
public:
    explicit InputBCEditor(QWidget* parent = nullptr);
    void setProperty(Obj::Property* property) { prop = property; }
    Obj::Property* getProperty() const { return prop; }
    QString get_text() const { return text; }
    QPushButton* browseButton() const { return button; }

Q_SIGNALS:
    void textChanged(const QString& text);

public Q_SLOTS:
    virtual void set_text(const QString& text);
    void createBCInputDlg();

private:
    QLineEdit* lineEdit;
    QPushButton* button;
    QString text;
    Obj::Property* prop = nullptr;
};

} // namespace PropertyOperator
} // namespace Gui
