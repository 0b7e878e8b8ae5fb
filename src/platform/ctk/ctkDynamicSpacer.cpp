#include "ctkDynamicSpacer.h"

ctkDynamicSpacer::ctkDynamicSpacer(QWidget* parent)
    : QWidget(parent)
{
    setActive(false);
}

ctkDynamicSpacer::~ctkDynamicSpacer() = default;

bool ctkDynamicSpacer::isActive() const
{
    return active;
}

void ctkDynamicSpacer::setActive(bool on)
{
    active = on;
    setSizePolicy(QSizePolicy::Minimum, on ? QSizePolicy::Expanding : QSizePolicy::Fixed);
    setFixedWidth(0);
    if (on)
        setMaximumHeight(QWIDGETSIZE_MAX);
    else
        setFixedHeight(0);
    updateGeometry();
}

void ctkDynamicSpacer::setInactive(bool inactive)
{
    setActive(!inactive);
}
