#include "UrlLabel.h"

using namespace Gui;

UrlLabel::UrlLabel(QWidget* parent, Qt::WindowFlags flags)
    : QLabel(parent, flags)
    , _url(QStringLiteral("http://localhost"))
{
    setToolTip(_url);
}

UrlLabel::~UrlLabel() = default;

void UrlLabel::setUrl(const QString& url)
{
    _url = url;
    setToolTip(_url);
}

void UrlLabel::enterEvent(QEvent*)
{
    setCursor(Qt::PointingHandCursor);
}

void UrlLabel::leaveEvent(QEvent*)
{
    setCursor(Qt::ArrowCursor);
}

void UrlLabel::mouseReleaseEvent(QMouseEvent*)
{
    // A click opens nothing: the label only informs.
}
