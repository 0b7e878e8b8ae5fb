#pragma once
// A push button showing a colour swatch; a click lets the user change the colour in
// the toolkit's colour dialog, modally or live while a non-modal dialog is open.

#include <PelmoraGuiExport.h>

#include <QColor>
#include <QPushButton>

namespace Gui {

class PELMORAGUI_EXPORT ColoringButton : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(bool allowChangeColor READ allowChangeColor WRITE setAllowChangeColor)
    Q_PROPERTY(bool drawFrame READ drawFrame WRITE setDrawFrame)
public:
    explicit ColoringButton(QWidget* parent = nullptr);
    ~ColoringButton() override;

    void setColor(const QColor& color);
    QColor color() const;

    void setAllowChangeColor(bool on);
    bool allowChangeColor() const;
    void setDrawFrame(bool on);
    bool drawFrame() const;
    void setModal(bool on);
    bool isModal() const;
    void setAutoChangeColor(bool on);
    bool autoChangeColor() const;

public Q_SLOTS:
    void onChooseColor();

private Q_SLOTS:
    void onColorChosen(const QColor& color);
    void onRejected();

Q_SIGNALS:
    void changed();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Private;
    Private* d;
};

} // namespace Gui
