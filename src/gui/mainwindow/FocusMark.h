#pragma once
// Shows which pane of a window has the keyboard.  Buttons and tab bars draw their own
// focus mark, but a list, table or tree without a current item, a read-only text, a chart
// or a 3D view draws none: Tab would reach them with nothing to see.  While one of those
// has the focus, moved there by the keyboard, a frame in the highlight colour is drawn
// along its edge.

#include "PelmoraGuiExport.h"

#include <QObject>
#include <QPointer>

QT_BEGIN_NAMESPACE
class QWidget;
QT_END_NAMESPACE

namespace Gui {

class PELMORAGUI_EXPORT FocusMark : public QObject
{
    Q_OBJECT
public:
    // Marks the panes of `window` and of the docks and views that float from it.
    explicit FocusMark(QWidget* window);
    ~FocusMark() override;

    // Whether `widget` draws no focus mark of its own and is given the frame.
    static bool needsFrame(const QWidget* widget);
    // The frame's widget while one is shown on `widget`, else null.
    QWidget* frameOn(const QWidget* widget) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusChanged(QWidget* old, QWidget* now);
    void place();

    QWidget* window;
    QPointer<QWidget> marked;
    QPointer<QWidget> frame;
};

} // namespace Gui
