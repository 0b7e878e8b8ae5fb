#pragma once
// The application's MRML layout manager: the viewport widget is both its viewport and
// its Qt parent; choosing a module is announced through selectModule.

#include "PelmoraGuiExport.h"

#include <qmrml/qMRMLLayoutManager.h>

#include <QString>

class PELMORAGUI_EXPORT qPelmoraLayoutManager : public qMRMLLayoutManager
{
    Q_OBJECT
public:
    explicit qPelmoraLayoutManager(QWidget* widget);
    ~qPelmoraLayoutManager() override;

    // Does nothing: this application has no scripted displayable managers.
    Q_INVOKABLE void setScriptedDisplayableManagerDirectory(const QString& dir);

public Q_SLOTS:
    void setCurrentModule(const QString& moduleName);

Q_SIGNALS:
    void selectModule(const QString& moduleName);
};
