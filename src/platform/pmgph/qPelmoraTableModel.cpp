#include "qPelmoraTableModel.h"

namespace pmGph {

qPelmoraTableModel::qPelmoraTableModel(QObject* parent)
    : QObject(parent)
{
}

} // namespace pmGph
