#pragma once
// A label carrying a URL, shown as its tool tip, with a pointing-hand cursor on hover.

#include <PelmoraGuiExport.h>

#include <QLabel>

namespace Gui {

class PELMORAGUI_EXPORT UrlLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(QString url READ url WRITE setUrl)
public:
    explicit UrlLabel(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~UrlLabel() override;

    QString url() const { return _url; }

public Q_SLOTS:
    void setUrl(const QString& url);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString _url;
};

} // namespace Gui
