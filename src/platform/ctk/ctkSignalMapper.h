#pragma once
// A signal mapper whose map slot takes the triggered action, so that an action group's
// triggered(QAction*) can feed it directly.

#include <QSignalMapper>

class QAction;

class ctkSignalMapper : public QSignalMapper
{
    Q_OBJECT
public:
    explicit ctkSignalMapper(QObject* parent = nullptr);
    ~ctkSignalMapper() override;

public Q_SLOTS:
    // Emits the mapping of the action (mapped(int) for an integer mapping).
    void map(QAction* sender);
    void map() { QSignalMapper::map(); }
    void map(QObject* sender) { QSignalMapper::map(sender); }
};
