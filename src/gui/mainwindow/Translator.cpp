#include "Translator.h"

#include <obj/Application.h>

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <QTranslator>

#include <algorithm>

using namespace Gui;

namespace {

const QString resourceDirectory = QStringLiteral(":/translations");

QString pattern(const std::string& code)
{
    return QStringLiteral("*_%1.qm").arg(QString::fromStdString(code));
}

QString translationsBelow(const std::string& base)
{
    return QDir(QString::fromUtf8(base.c_str())).absoluteFilePath(QStringLiteral("translations"));
}

} // namespace

Translator* Translator::self = nullptr;

struct Translator::Private
{
    std::string activeLanguage = "English";
    std::map<std::string, std::string> languages{
        {"English", "en"},
        {"German", "de"},
        {"Spanish", "es-ES"},
        {"French", "fr"},
        {"Japanese", "ja"},
        {"Chinese Simplified", "zh-CN"},
        {"Chinese Traditional", "zh-TW"},
    };
    std::list<QTranslator*> translators;
    QStringList paths;
};

Translator* Translator::instance()
{
    if (!self)
        self = new Translator();
    return self;
}

void Translator::destruct()
{
    delete self;
    self = nullptr;
}

Translator::Translator() : d(std::make_unique<Private>())
{
    if (Obj::Application::_pcSingleton) {
        const Obj::Application& logic = Obj::Application::instance();
        d->paths << translationsBelow(logic.get_user_appdata_path())
                 << translationsBelow(logic.get_resource_path());
    }
    d->paths << resourceDirectory;
}

Translator::~Translator()
{
    removeTranslators();
}

void Translator::removeTranslators()
{
    for (QTranslator* translator : d->translators) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    d->translators.clear();
}

void Translator::activateLanguage(const char* name)
{
    removeTranslators();
    d->activeLanguage = name ? name : "";
    const std::list<std::string> supported = supportedLanguages();
    if (std::find(supported.begin(), supported.end(), d->activeLanguage) != supported.end())
        refresh();
}

std::string Translator::activeLanguage() const
{
    return d->activeLanguage;
}

std::string Translator::locale(const std::string& name) const
{
    const auto it = d->languages.find(name);
    return it == d->languages.end() ? std::string() : it->second;
}

std::list<std::string> Translator::supportedLanguages() const
{
    std::list<std::string> names;
    for (const auto& entry : supportedLocales())
        names.push_back(entry.first);
    return names;
}

std::map<std::string, std::string> Translator::supportedLocales() const
{
    // Only what is compiled in decides: files on disk may be stale or partial.
    std::map<std::string, std::string> result;
    const QDir resources(resourceDirectory);
    for (const auto& entry : d->languages) {
        if (!resources.entryList(QStringList(pattern(entry.second)), QDir::Files).isEmpty())
            result.insert(entry);
    }
    return result;
}

void Translator::refresh()
{
    const auto row = d->languages.find(d->activeLanguage);
    if (row == d->languages.end())
        return;
    const QStringList filter(pattern(row->second));
    for (const QString& path : d->paths) {
        const QDir dir(path);
        for (const QString& file : dir.entryList(filter, QDir::Files, QDir::Name)) {
            // A file name found in an earlier directory wins over the same name later.
            const bool known = std::any_of(d->translators.begin(), d->translators.end(),
                [&file](const QTranslator* t) { return t->objectName() == file; });
            if (known)
                continue;
            auto* translator = new QTranslator();
            translator->setObjectName(file);
            // A truncated file can load yet hold nothing: it must not hide a sound one
            // of the same name further down the list.
            if (translator->load(dir.filePath(file)) && !translator->isEmpty()) {
                QCoreApplication::installTranslator(translator);
                d->translators.push_back(translator);
            } else {
                delete translator;
            }
        }
    }
}

void Translator::add_picture_directory(const QString& directory)
{
    d->paths << directory;
}
