#pragma once
// Chooses the language of the user interface and installs the matching Qt translation
// files ("<name>_<code>.qm").  A language is offered only when a translation for it is
// compiled into the resources under ":/translations"; files on disk (the user's and the
// installation's "translations" directories) are searched first.

#include "PelmoraGuiExport.h"

#include <QObject>

#include <list>
#include <map>
#include <memory>
#include <string>

class QString;

namespace Gui {

class PELMORAGUI_EXPORT Translator : public QObject
{
    Q_OBJECT
public:
    static Translator* instance();
    static void destruct();

    // Removes every installed translation, then installs those of `name` when it is
    // one of supportedLanguages(); the name is kept in any case.
    void activateLanguage(const char* name);
    std::string activeLanguage() const;
    // The code of a language name ("Spanish" -> "es-ES"); empty for an unknown name.
    std::string locale(const std::string& name) const;
    std::list<std::string> supportedLanguages() const;
    std::map<std::string, std::string> supportedLocales() const;
    // Installs the translation files of the active language from every directory.
    void refresh();
    // Another directory of translation files, searched last.
    void add_picture_directory(const QString& directory);

private:
    Translator();
    ~Translator() override;
    void removeTranslators();

    struct Private;
    std::unique_ptr<Private> d;
    static Translator* self;
};

} // namespace Gui
