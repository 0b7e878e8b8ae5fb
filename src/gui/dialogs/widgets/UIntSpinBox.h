#pragma once
// Editing of unsigned 32-bit values (0 to 4294967295) on top of the signed QSpinBox:
// every unsigned value is stored shifted by 2^31, which keeps order, so the base
// class's stepping and clamping still hold.

#include <PelmoraGuiExport.h>

#include <QSpinBox>
#include <QValidator>

namespace Gui {

class PELMORAGUI_EXPORT UnsignedValidator : public QValidator
{
    Q_OBJECT
    Q_PROPERTY(uint bottom READ bottom WRITE setBottom)
    Q_PROPERTY(uint top READ top WRITE setTop)
public:
    explicit UnsignedValidator(QObject* parent = nullptr);
    UnsignedValidator(uint bottom, uint top, QObject* parent = nullptr);
    ~UnsignedValidator() override;

    State validate(QString& input, int& pos) const override;
    virtual void set_range(uint bottom, uint top);

    void setBottom(uint b);
    void setTop(uint t);
    uint bottom() const { return b; }
    uint top() const { return t; }

private:
    uint b;
    uint t;
};

class PELMORAGUI_EXPORT UIntSpinBox : public QSpinBox
{
    Q_OBJECT
public:
    explicit UIntSpinBox(QWidget* parent = nullptr);
    ~UIntSpinBox() override;

    void set_range(uint minVal, uint maxVal);
    uint maximum() const;
    void setMaximum(uint value);
    uint minimum() const;
    void setMinimum(uint value);
    uint value() const;

    QValidator::State validate(QString& input, int& pos) const override;

public Q_SLOTS:
    void setValue(uint value);

Q_SIGNALS:
    void valueChanged(uint value);

protected:
    int valueFromText(const QString& text) const override;
    QString textFromValue(int value) const override;

private Q_SLOTS:
    void valueChange(int value);

private:
    void updateValidator();
    struct Private;
    Private* d;
};

} // namespace Gui
