#pragma once
// A button whose contents fold away: a header that the user clicks, and below it the
// widgets of its layout, shown while the button is expanded (checked).

#include <QAbstractButton>
#include <QFrame>

class ctkCollapsibleButton : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(bool collapsed READ collapsed WRITE setCollapsed)
public:
    explicit ctkCollapsibleButton(QWidget* parent = nullptr);
    explicit ctkCollapsibleButton(const QString& text, QWidget* parent = nullptr);
    ~ctkCollapsibleButton() override;

    void setCollapsed(bool collapsed);
    bool collapsed() const;

    void setContentsFrameShape(QFrame::Shape shape);
    QFrame::Shape contentsFrameShape() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void contentsCollapsed(bool collapsed);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void childEvent(QChildEvent* event) override;

private:
    int headerHeight() const;
    void applyCollapsed(bool collapsed);
    QFrame::Shape frameShape = QFrame::NoFrame;
};
