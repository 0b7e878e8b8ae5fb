#pragma once
// A widget that paints one image, unscaled, at its origin.

#include "PelmoraGuiExport.h"

#include <QImage>
#include <QWidget>

namespace Gui {

class PELMORAGUI_EXPORT GLOverlayWidget : public QWidget
{
    Q_OBJECT
public:
    explicit GLOverlayWidget(QWidget* parent = nullptr);
    ~GLOverlayWidget() override;

    // Replaces the image; the widget shows it at its next repaint.
    virtual void setImage(const QImage& image);
    const QImage& image() const { return overlay; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage overlay;
};

} // namespace Gui
