#pragma once
// An empty widget that takes the free height while active and none while inactive, so
// a panel can push its contents up only when a section is folded.

#include <QWidget>

class ctkDynamicSpacer : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool active READ isActive WRITE setActive)
public:
    explicit ctkDynamicSpacer(QWidget* parent = nullptr);
    ~ctkDynamicSpacer() override;

    bool isActive() const;

public Q_SLOTS:
    void setActive(bool active);
    void setInactive(bool inactive);

private:
    bool active = false;
};
