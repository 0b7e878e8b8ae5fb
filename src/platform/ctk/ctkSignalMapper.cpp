#include "ctkSignalMapper.h"

#include <QAction>

ctkSignalMapper::ctkSignalMapper(QObject* parent)
    : QSignalMapper(parent)
{
}

ctkSignalMapper::~ctkSignalMapper() = default;

void ctkSignalMapper::map(QAction* sender)
{
    QSignalMapper::map(sender);
}
