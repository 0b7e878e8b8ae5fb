// The interface language: the compiled-in German translation switched on and off at run
// time, translation files on disk and the language step of start-up.

#include <core/qPelmoraApplication.h>
#include <mainwindow/Translator.h>

#include <support/TestEnvironment.h>

#include <obj/Application.h>
#include <vexil/Parameter.h>

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString options()
{
    return QCoreApplication::translate("Gui::DockWindow::ReportOutput", "Options");
}

// Counts the language-change events a widget receives.
class LanguageWatcher : public QLabel
{
public:
    int changes = 0;

protected:
    void changeEvent(QEvent* e) override
    {
        if (e->type() == QEvent::LanguageChange)
            ++changes;
        QLabel::changeEvent(e);
    }
};

// Copies one of this program's own translations into `dir` under `name`.
void installTestFile(const QString& dir, const char* source, const QString& name)
{
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString from = QDir(QStringLiteral(PELMORA_TEST_QM_DIR)).filePath(QString::fromLatin1(source));
    ASSERT_TRUE(QFile::exists(from)) << from.toStdString();
    QFile::remove(QDir(dir).filePath(name));
    ASSERT_TRUE(QFile::copy(from, QDir(dir).filePath(name)));
}

class TranslatorTest : public ::testing::Test
{
protected:
    void TearDown() override { Gui::Translator::destruct(); }
    PelmoraTest::ScopedLogic logic;
    QString userTranslations() const { return QDir(logic.dataDir()).filePath(QStringLiteral("translations")); }
};

} // namespace

TEST_F(TranslatorTest, LanguageTableAndTheCompiledInChoice)
{
    Gui::Translator* t = Gui::Translator::instance();
    EXPECT_EQ(t->activeLanguage(), "English");
    EXPECT_EQ(t->locale("Spanish"), "es-ES");
    EXPECT_EQ(t->locale("Chinese Traditional"), "zh-TW");
    EXPECT_EQ(t->locale("Klingon"), "");
    EXPECT_EQ(t->locale("german"), "");

    // Only German ships a translation.
    EXPECT_EQ(t->supportedLanguages(), std::list<std::string>{"German"});
    const std::map<std::string, std::string> expected{{"German", "de"}};
    EXPECT_EQ(t->supportedLocales(), expected);
}

TEST_F(TranslatorTest, SwitchingToGermanAndBackAtRunTime)
{
    LanguageWatcher widget;
    Gui::Translator* t = Gui::Translator::instance();
    ASSERT_EQ(options(), "Options");

    t->activateLanguage("German");
    EXPECT_EQ(t->activeLanguage(), "German");
    EXPECT_EQ(options(), QString::fromUtf8("Optionen"));
    EXPECT_EQ(QCoreApplication::translate("QDockWidget", "Output"), QString::fromUtf8("Ausgabe"));
    EXPECT_EQ(QCoreApplication::translate("QObject", "Unable to open your system browser."),
              QString::fromUtf8("Der Systembrowser l\u00e4sst sich nicht \u00f6ffnen."));
    // Widgets hear of it and can retranslate themselves.
    QCoreApplication::processEvents();
    EXPECT_GT(widget.changes, 0);

    // Again: still one translation, and English removes it completely.
    t->activateLanguage("German");
    EXPECT_EQ(options(), QString::fromUtf8("Optionen"));
    t->activateLanguage("English");
    EXPECT_EQ(options(), "Options");
    EXPECT_EQ(QCoreApplication::translate("QDockWidget", "Output"), "Output");

    // A name outside the table is kept but translates nothing.
    t->activateLanguage("German");
    t->activateLanguage("Klingon");
    EXPECT_EQ(t->activeLanguage(), "Klingon");
    EXPECT_EQ(options(), "Options");
    t->activateLanguage("german");
    EXPECT_EQ(options(), "Options");
}

TEST_F(TranslatorTest, AUserFileOfTheSameNameReplacesTheCompiledIn)
{
    installTestFile(userTranslations(), "translator_user.qm", QStringLiteral("pelmora_de.qm"));
    Gui::Translator* t = Gui::Translator::instance();
    t->activateLanguage("German");
    // Had the compiled-in file been installed too, being the later one it would win.
    EXPECT_EQ(options(), QString::fromUtf8("Optionen (Benutzer)"));
    EXPECT_EQ(QCoreApplication::translate("QDockWidget", "Output"), "Output");
    t->activateLanguage("English");
    EXPECT_EQ(options(), "Options");

    // Cut short after its language entry, the file still loads but holds nothing: the
    // compiled-in translation applies.
    const QString user = QDir(userTranslations()).filePath(QStringLiteral("pelmora_de.qm"));
    QFile file(user);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(26));
    file.close();
    t->activateLanguage("German");
    EXPECT_EQ(options(), QString::fromUtf8("Optionen"));
    // Nor does a file that is no translation at all.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(4096, '\xff'));
    file.close();
    t->activateLanguage("German");
    EXPECT_EQ(options(), QString::fromUtf8("Optionen"));
    t->activateLanguage("English");
}

TEST_F(TranslatorTest, FilesOnDiskDoNotMakeALanguageSupported)
{
    installTestFile(userTranslations(), "translator_region.qm", QStringLiteral("extra_fr-CA.qm"));
    Gui::Translator* t = Gui::Translator::instance();
    t->activateLanguage("French");
    EXPECT_EQ(t->activeLanguage(), "French");
    EXPECT_EQ(options(), "Options");
    EXPECT_EQ(t->supportedLanguages(), std::list<std::string>{"German"});

    // Installing by hand: a regional file does not match the plain code ...
    t->refresh();
    EXPECT_EQ(options(), "Options");

    // ... and a directory added later is searched too.
    QTemporaryDir extra;
    ASSERT_TRUE(extra.isValid());
    installTestFile(extra.path(), "translator_user.qm", QStringLiteral("extra_fr.qm"));
    t->add_picture_directory(extra.path());
    t->refresh();
    EXPECT_EQ(options(), QString::fromUtf8("Optionen (Benutzer)"));
    t->refresh();   // nothing twice
    t->activateLanguage("English");
    EXPECT_EQ(options(), "Options");
}

TEST(TranslatorStartup, TheStoredLanguageIsActivatedWithTheApplication)
{
    Obj::Application::init_types();
    if (!Gui::qPelmoraApplication::types_initialized())
        Gui::qPelmoraApplication::initialize_application();
    PelmoraTest::ScopedLogic logic;
    logic.app().get_preference_group_by_path("User parameter:BaseApp/Preferences/General")
        ->set_ASCII_string("Language", "German");
    {
        Gui::qPelmoraApplication app(true);
        EXPECT_EQ(Gui::Translator::instance()->activeLanguage(), "German");
        EXPECT_EQ(options(), QString::fromUtf8("Optionen"));
    }
    // The application takes its translations with it.
    EXPECT_EQ(options(), "Options");
    Gui::Translator::destruct();
}

