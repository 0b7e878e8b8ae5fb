#include "ColoringButton.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QStyle>

using namespace Gui;

struct ColoringButton::Private
{
    QColor old;
    QColor col;
    QPointer<QColorDialog> cd;
    bool allowChange = true;
    bool autoChange = false;
    bool drawFrame = true;
    bool modal = true;
    bool dirty = true;
};

ColoringButton::ColoringButton(QWidget* parent)
    : QPushButton(parent), d(new Private)
{
    d->col = palette().color(QPalette::Active, QPalette::Midlight);
    connect(this, &QPushButton::clicked, this, &ColoringButton::onChooseColor);

    const int e = style()->pixelMetric(QStyle::PM_ButtonIconSize);
    setIconSize(QSize(9 * e, e));
    setMinimumSize(10, 10);
}

ColoringButton::~ColoringButton()
{
    delete d;
}

void ColoringButton::setColor(const QColor& c)
{
    d->col = c;
    d->dirty = true;
    update();
}

QColor ColoringButton::color() const { return d->col; }
void ColoringButton::setAllowChangeColor(bool on) { d->allowChange = on; }
bool ColoringButton::allowChangeColor() const { return d->allowChange; }
void ColoringButton::setDrawFrame(bool on) { d->drawFrame = on; }
bool ColoringButton::drawFrame() const { return d->drawFrame; }
void ColoringButton::setModal(bool on) { d->modal = on; }
bool ColoringButton::isModal() const { return d->modal; }
void ColoringButton::setAutoChangeColor(bool on) { d->autoChange = on; }
bool ColoringButton::autoChangeColor() const { return d->autoChange; }

void ColoringButton::paintEvent(QPaintEvent* event)
{
    if (d->dirty) {
        const QSize size = iconSize();
        QPixmap pix(size);
        pix.fill(palette().button().color());
        QPainter p(&pix);
        if (d->drawFrame) {
            p.setPen(QPen(Qt::gray));
            p.setBrush(d->col);
            p.drawRect(2, 2, size.width() - 5, size.height() - 5);
        } else {
            p.fillRect(0, 0, size.width(), size.height(), d->col);
        }
        p.end();
        setIcon(QIcon(pix));
        d->dirty = false;
    }
    QPushButton::paintEvent(event);
}

void ColoringButton::onChooseColor()
{
    if (!d->allowChange)
        return;

    if (d->modal) {
        const QColor current = d->col;
        // As the editor of a property row this button may be deleted, and the dialog with
        // it, while the dialog is open: neither is used after that.
        QPointer<ColoringButton> self(this);
        QPointer<QColorDialog> dlg = new QColorDialog(current, this);
        dlg->setOption(QColorDialog::DontUseNativeDialog, true);
        dlg->adjustSize();
        if (d->autoChange)
            connect(dlg.data(), &QColorDialog::currentColorChanged, this, &ColoringButton::onColorChosen);
        const int result = dlg->exec();
        if (!self || !dlg)
            return;
        const QColor c = dlg->selectedColor();
        delete dlg.data();
        if (result == QDialog::Accepted) {
            if (c.isValid())
                onColorChosen(c);
        } else if (d->autoChange) {
            onColorChosen(current);
        }
        return;
    }

    if (!d->cd) {
        d->old = d->col;
        d->cd = new QColorDialog(d->col, this);
        d->cd->setOption(QColorDialog::DontUseNativeDialog, true);
        d->cd->setAttribute(Qt::WA_DeleteOnClose);
        d->cd->adjustSize();
        connect(d->cd, &QDialog::rejected, this, &ColoringButton::onRejected);
        connect(d->cd, &QColorDialog::currentColorChanged, this, &ColoringButton::onColorChosen);
    }
    d->cd->show();
}

void ColoringButton::onColorChosen(const QColor& c)
{
    setColor(c);
    Q_EMIT changed();
}

void ColoringButton::onRejected()
{
    setColor(d->old);
    Q_EMIT changed();
}
