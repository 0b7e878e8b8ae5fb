#include "GLOverlayWidget.h"

#include <QPainter>

using namespace Gui;

GLOverlayWidget::GLOverlayWidget(QWidget* parent)
    : QWidget(parent)
{
}

GLOverlayWidget::~GLOverlayWidget() = default;

void GLOverlayWidget::setImage(const QImage& image)
{
    overlay = image;
}

void GLOverlayWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), overlay);
}
