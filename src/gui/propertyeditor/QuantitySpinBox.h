#pragma once
// A spin box for a number with a unit.  The text is read and written in the widget's
// locale; a typed unit of the same kind is converted into the box's unit.  A text that
// cannot be read whole is marked red, its reason is the tool tip, and no value comes of
// it.  Without keyboard tracking a typed value is announced when the user presses Enter
// or leaves the field, never a half-typed one.

#include "PelmoraGuiExport.h"

#include "core/MetaTypes.h"

#include <QAbstractSpinBox>

#include <memory>

namespace Gui {

class QuantitySpinBoxPrivate;

class PELMORAGUI_EXPORT QuantitySpinBox : public QAbstractSpinBox
{
    Q_OBJECT
    Q_PROPERTY(QString unit READ unitText WRITE setUnitText)
    Q_PROPERTY(double minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(double maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(double singleStep READ singleStep WRITE setSingleStep)
    Q_PROPERTY(double rawValue READ rawValue WRITE setValue)
    Q_PROPERTY(pmUnit::Quantity value READ value WRITE setValue USER true)
public:
    explicit QuantitySpinBox(QWidget* parent = nullptr);
    ~QuantitySpinBox() override;

    pmUnit::Quantity value() const;
    double rawValue() const;
    pmUnit::UnitType unit() const;
    void setUnit(pmUnit::UnitType unit);
    pmUnit::pmQuantity quantity() const;
    void setQuantity(pmUnit::pmQuantity kind);
    QString unitText() const;
    void setUnitText(const QString& text);
    // The unit the value is finally kept in, where that is not the box's own (a placement
    // kept in its project's length unit): an amount beyond what that unit holds is refused
    // here, with the reason.  NoUnit: the box's unit.
    void setKeptUnit(pmUnit::UnitType unit);

    double minimum() const;
    void setMinimum(double value);
    double maximum() const;
    void setMaximum(double value);
    void setRange(double minimum, double maximum);
    // The limits as the value's owner was given them, each in its unit: a typed amount is
    // held to these exactly, as the owner holds it (the range above is their rounding into
    // the box's unit).  Cleared by setMinimum, setMaximum and setRange.
    void setGivenLimits(double minimum, pmUnit::UnitType minimumUnit, double maximum, pmUnit::UnitType maximumUnit);
    double singleStep() const;
    void setSingleStep(double step);

    bool hasValidInput() const;
    // Why the text is not taken; empty while it is.
    QString inputProblem() const;
    // The value as the field shows it: in the widget's locale, without group separators.
    QString textFromValue(const pmUnit::Quantity& value) const;
    pmUnit::Quantity valueFromText(const QString& text) const;

    // Ends the typing: announces a typed value not yet announced, or tells why the text is
    // refused (false; the text stays for the user to mend).  Pressing Enter and leaving
    // the field do this; so must anything that acts on the value before either.
    bool finishTyping();
    // Takes back the reason told for a refused text once that text is thrown away.
    void withdrawRefusal();
    // Whether a typed, unconfirmed value still differs from the last one announced (or
    // is refused): a draft the user has not confirmed nor thrown away.
    bool holdsDraft() const;
    // The ways the keyboard leaves a field for a while without the user leaving it: the
    // window made inactive (a question, another window), a menu or a popup opened.
    static bool keepsTyping(Qt::FocusReason reason);

    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void stepBy(int steps) override;

public Q_SLOTS:
    void setValue(const pmUnit::Quantity& value);
    void setValue(double value);

Q_SIGNALS:
    void valueChanged(const pmUnit::Quantity& value);
    void valueChanged(double value);
    void showFormulaDialog(bool on);

protected Q_SLOTS:
    void userInput(const QString& text);

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void updateText(const pmUnit::Quantity& value);
    QString numberText(double value) const;
    void selectNumber();
    // Sets the field's text as the widget's own, not as typing.
    void setOwnText(const QString& text);
    void markProblem(const QString& why);
    void announceProblem();
    void withdrawProblem();
    QValidator::State interpret(QString& text, int& pos, pmUnit::Quantity& result, QString* why = nullptr) const;
    std::unique_ptr<QuantitySpinBoxPrivate> d;
};

} // namespace Gui
