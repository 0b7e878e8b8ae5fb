#include "qPelmoraLayoutManager.h"

#include <qmrml/qMRMLLayoutManager_p.h>

namespace {

class qPelmoraLayoutManagerPrivate : public qMRMLLayoutManagerPrivate
{
public:
    explicit qPelmoraLayoutManagerPrivate(qMRMLLayoutManager& object)
        : qMRMLLayoutManagerPrivate(object)
    {
    }
    QString ScriptedDisplayableManagerDirectory;
};

} // namespace

qPelmoraLayoutManager::qPelmoraLayoutManager(QWidget* widget)
    : qMRMLLayoutManager(new qPelmoraLayoutManagerPrivate(*this), widget, widget)
{
}

qPelmoraLayoutManager::~qPelmoraLayoutManager() = default;

void qPelmoraLayoutManager::setScriptedDisplayableManagerDirectory(const QString&)
{
}

void qPelmoraLayoutManager::setCurrentModule(const QString& moduleName)
{
    Q_EMIT selectModule(moduleName);
}
