#pragma once
// A read-only label showing a value, with a "..." button; derived classes say how the
// value is shown and what the button does.

#include <PelmoraGuiExport.h>

#include <QVariant>
#include <QWidget>

QT_BEGIN_NAMESPACE
class QLabel;
class QPushButton;
QT_END_NAMESPACE

namespace Gui {

class PELMORAGUI_EXPORT LabelButton : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QVariant value READ value WRITE setValue)
public:
    explicit LabelButton(QWidget* parent = nullptr);
    ~LabelButton() override;

    QVariant value() const;
    QLabel* getLabel() const;
    QPushButton* getButton() const;

public Q_SLOTS:
    void setValue(const QVariant& value);
    virtual void browse() = 0;

protected:
    virtual void displayValue(const QVariant& value) = 0;
    void resizeEvent(QResizeEvent* event) override;

Q_SIGNALS:
    void valueChanged(const QVariant& value);

private:
    QLabel* label;
    QPushButton* button;
    QVariant _val;
};

} // namespace Gui
