#include "DialogTestHelpers.h"

#include <dialogs/widgets/FileDialog.h>

#include <obj/Application.h>

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>

#include <gtest/gtest.h>

using Gui::FileDialog;

namespace {

// Replaces the toolkit dialogs for one test and records how they were opened.
struct FakeDialogs
{
    QString caption, start, filter;
    QFileDialog::Options options;
    QString answer;
    QStringList answers;
    FileDialog::Backend previous;

    FakeDialogs()
    {
        using Opts = QFileDialog::Options;
        FileDialog::Backend b;
        b.openFileName = b.saveFileName = [this](QWidget*, const QString& c, const QString& d, const QString& f,
                                                 QString*, Opts o) { return record(c, d, f, o), answer; };
        b.openFileNames = [this](QWidget*, const QString& c, const QString& d, const QString& f, QString*,
                                 Opts o) { return record(c, d, f, o), answers; };
        b.existingDirectory = [this](QWidget*, const QString& c, const QString& d, Opts o) {
            return record(c, d, QString(), o), answer;
        };
        previous = FileDialog::setBackend(b);
    }
    ~FakeDialogs() { FileDialog::setBackend(previous); }
    void record(const QString& c, const QString& d, const QString& f, QFileDialog::Options o)
    {
        caption = c;
        start = d;
        filter = f;
        options = o;
    }
};

// Reaches the dialog's suffix check, which is for derived dialogs.
class ProbeDialog : public FileDialog
{
public:
    using FileDialog::hasSuffix;
};

// Types `name` into a save dialog over `folder`, accepts, and returns what it chose
// (empty when the dialog stayed open).
template <class Dialog>
QString acceptSaving(Dialog& dlg, const QString& folder, const QString& name)
{
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDirectory(folder);
    QSignalSpy accepted(&dlg, &QDialog::accepted);
    QLineEdit* edit = dlg.template findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!edit)
        return QStringLiteral("<no name field>");
    edit->setText(name);
    dlg.accept();
    if (accepted.count() != 1)
        return QString();
    const QStringList files = dlg.selectedFiles();
    return files.isEmpty() ? QString() : QDir(folder).relativeFilePath(files.front());
}

class FileDialogTest : public ::testing::Test
{
protected:
    void SetUp() override { FileDialog::setWorkingDirectory(QStringLiteral("/work/x/placeholder")); }
    void TearDown() override { FileDialog::setWorkingDirectory(QString()); }
    FakeDialogs fake;
};

} // namespace

TEST_F(FileDialogTest, WorkingDirectoryIsTheFolderThatHoldsThePath)
{
    FileDialog::setWorkingDirectory(QStringLiteral("/data/a/b/file.step"));
    EXPECT_EQ(FileDialog::getWorkingDirectory(), QStringLiteral("/data/a/b"));
    FileDialog::setWorkingDirectory(QStringLiteral("/data/a/b"));
    EXPECT_EQ(FileDialog::getWorkingDirectory(), QStringLiteral("/data/a"));
    FileDialog::setWorkingDirectory(QString());
    EXPECT_TRUE(FileDialog::getWorkingDirectory().isEmpty());
}

TEST_F(FileDialogTest, RestoreLocationReadsTheConfiguredHomeAsUtf8)
{
    auto& config = Obj::Application::mConfig;
    const auto saved = config;
    config.erase("UserHomePath");
    EXPECT_TRUE(FileDialog::restoreLocation().isEmpty());
    config["UserHomePath"] = "/home/j\xc3\xbcrgen/models";
    EXPECT_EQ(FileDialog::restoreLocation(), QStringLiteral("/home/j\u00fcrgen/models"));
    config = saved;
}

TEST_F(FileDialogTest, SaveNameTakesTheSuffixOfTheFirstPattern)
{
    FileDialog::setWorkingDirectory(QStringLiteral("/work/dir/any"));
    const char* csv = "CSV files (*.csv);;All files (*)";
    struct Case { const char *caption, *name, *filter, *start, *shownCaption; };
    const Case cases[] = {
        {"", "report", csv, "/work/dir/report.csv", "Save as"},
        {"Export", "report.txt", csv, "/work/dir/report.txt", "Export"},
        // An absolute name is kept as given; a multi-part suffix is taken whole.
        {"", "/tmp/archive", "Archives (*.tar.gz)", "/tmp/archive.tar.gz", "Save as"},
        // A relative name keeps its folders.
        {"", "sub/report", csv, "/work/dir/sub/report.csv", "Save as"},
        // No pattern with a suffix: nothing is added.
        {"", "/tmp/plain", "All files (*)", "/tmp/plain", "Save as"},
        // No start name: the working directory, without suffix.
        {"", "", csv, "/work/dir", "Save as"},
    };
    for (const Case& c : cases) {
        FileDialog::getSaveFileName(nullptr, QString::fromUtf8(c.caption), QString::fromUtf8(c.name),
                                    QString::fromUtf8(c.filter));
        EXPECT_EQ(fake.start, QString::fromUtf8(c.start)) << c.name;
        EXPECT_EQ(fake.caption, QString::fromUtf8(c.shownCaption)) << c.name;
    }
}

TEST_F(FileDialogTest, RelativeSaveNameWithoutWorkingDirectoryStartsInTheCurrentFolder)
{
    FileDialog::setWorkingDirectory(QString());
    FileDialog::getSaveFileName(nullptr, QString(), QStringLiteral("out/report"),
                                QStringLiteral("CSV files (*.csv)"));
    EXPECT_EQ(fake.start, QDir::current().filePath(QStringLiteral("out/report.csv")));
}

TEST_F(FileDialogTest, ChosenFilesMoveTheWorkingDirectoryCancelDoesNot)
{
    FileDialog::setWorkingDirectory(QStringLiteral("/start/here/x"));

    EXPECT_TRUE(FileDialog::getOpenFileName().isEmpty());
    EXPECT_EQ(fake.start, QStringLiteral("/start/here"));
    EXPECT_EQ(fake.caption, QStringLiteral("Open"));
    EXPECT_EQ(FileDialog::getWorkingDirectory(), QStringLiteral("/start/here"));

    fake.answer = QStringLiteral("/models/part.step");
    EXPECT_EQ(FileDialog::getOpenFileName(), QStringLiteral("/models/part.step"));
    EXPECT_EQ(FileDialog::getWorkingDirectory(), QStringLiteral("/models"));

    fake.answers = QStringList{QStringLiteral("/meshes/a.msh"), QStringLiteral("/other/b.msh")};
    EXPECT_EQ(FileDialog::getOpenFileNames(nullptr, QString(), QString(), QString()), fake.answers);
    EXPECT_EQ(fake.start, QStringLiteral("/models"));
    EXPECT_EQ(FileDialog::getWorkingDirectory(), QStringLiteral("/meshes"));

    fake.answer = QStringLiteral("/results/run1.pmdb");
    EXPECT_EQ(FileDialog::getSaveFileName(), QStringLiteral("/results/run1.pmdb"));
    EXPECT_EQ(FileDialog::getWorkingDirectory(), QStringLiteral("/results"));

    // A chosen directory is returned without its slash but leaves the working directory.
    fake.answer = QStringLiteral("/chosen/folder/sub/");
    EXPECT_EQ(FileDialog::getExistingDirectory(nullptr, QString(), QStringLiteral("/s")),
              QStringLiteral("/chosen/folder/sub"));
    EXPECT_TRUE(fake.caption.isEmpty());
    EXPECT_EQ(fake.start, QStringLiteral("/s"));
    EXPECT_EQ(FileDialog::getWorkingDirectory(), QStringLiteral("/results"));
}

TEST_F(FileDialogTest, FileChooserStartsAtAndUpdatesTheWorkingDirectory)
{
    FileDialog::setWorkingDirectory(QStringLiteral("/base/inner/x"));
    Gui::FileChooser chooser;
    chooser.setMode(Gui::FileChooser::Directory);
    QSignalSpy selected(&chooser, &Gui::FileChooser::fileNameSelected);
    QSignalSpy changed(&chooser, &Gui::FileChooser::fileNameChanged);

    fake.answer = QStringLiteral("/projects/alpha");
    chooser.chooseFile();
    EXPECT_EQ(fake.start, QStringLiteral("/base/inner"));
    EXPECT_EQ(fake.caption, QStringLiteral("Select a directory"));
    EXPECT_TRUE(fake.options.testFlag(QFileDialog::ShowDirsOnly));
    EXPECT_EQ(chooser.document_name(), QStringLiteral("/projects/alpha"));
    EXPECT_EQ(FileDialog::getWorkingDirectory(), QStringLiteral("/projects"));
    EXPECT_EQ(selected.count(), 1);
    EXPECT_EQ(changed.count(), 1);

    // Same name again: selected again, but the text did not change.
    chooser.chooseFile();
    EXPECT_EQ(fake.start, QStringLiteral("/projects/alpha"));
    EXPECT_EQ(selected.count(), 2);
    EXPECT_EQ(changed.count(), 1);

    // Cancelled: nothing changes.
    fake.answer.clear();
    chooser.chooseFile();
    EXPECT_EQ(selected.count(), 2);
    EXPECT_EQ(chooser.document_name(), QStringLiteral("/projects/alpha"));

    // In file mode the chooser starts at its own name and passes its filter.
    chooser.setMode(Gui::FileChooser::File);
    chooser.set_filter(QStringLiteral("Images (*.png)"));
    fake.answer = QStringLiteral("/img/new.png");
    chooser.chooseFile();
    EXPECT_EQ(fake.caption, QStringLiteral("Select a file"));
    EXPECT_EQ(fake.filter, QStringLiteral("Images (*.png)"));
    EXPECT_EQ(fake.start, QStringLiteral("/projects/alpha"));
    EXPECT_EQ(chooser.document_name(), QStringLiteral("/img/new.png"));
}

TEST_F(FileDialogTest, OptionsDialogTypedPatternSelectsFilterAndStaysOpen)
{
    Gui::FileOptionsDialog dlg;
    dlg.setNameFilters(QStringList{QStringLiteral("Text (*.txt)"), QStringLiteral("Mesh (*.stl *.obj)")});
    QSignalSpy accepted(&dlg, &QDialog::accepted);
    QLineEdit* edit = dlg.findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);

    edit->setText(QStringLiteral("*.stl"));
    dlg.accept();
    EXPECT_EQ(dlg.selectedNameFilter(), QStringLiteral("Mesh (*.stl *.obj)"));
    EXPECT_TRUE(edit->text().isEmpty());

    edit->setText(QStringLiteral("*.xyz"));
    dlg.accept();
    EXPECT_TRUE(dlg.nameFilters().contains(QStringLiteral("All files (*.*)")));
    EXPECT_EQ(dlg.selectedNameFilter(), QStringLiteral("All files (*.*)"));
    EXPECT_EQ(accepted.count(), 0);
}

TEST_F(FileDialogTest, OptionsDialogTogglesItsOptionsPanel)
{
    Gui::FileOptionsDialog dlg;
    auto* panel = new QWidget;
    dlg.setOptionsWidget(Gui::FileOptionsDialog::ExtensionBottom, panel, false);
    dlg.show();
    EXPECT_FALSE(panel->isVisible());
    const auto buttons = dlg.findChildren<QPushButton*>();
    const auto extended = std::find_if(buttons.begin(), buttons.end(),
                                       [](QPushButton* b) { return b->text() == QStringLiteral("Extended"); });
    ASSERT_NE(extended, buttons.end());
    (*extended)->click();
    EXPECT_TRUE(panel->isVisible());
}

TEST_F(FileDialogTest, OptionsDialogAddsOnlyTheSuffixOfAPattern)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QStringList filters{QStringLiteral("CSV files (*.csv)"), QStringLiteral("Archives (*.tar.gz)"),
                              QStringLiteral("All files (*)")};
    struct Case { const char *filter, *typed, *chosen; };
    const Case cases[] = {
        // A filter without a pattern leaves the name as typed.
        {"All files (*)", "notes.csv", "notes.csv"},
        {"All files (*)", "notes", "notes"},
        {"CSV files (*.csv)", "report", "report.csv"},
        {"CSV files (*.csv)", "report.CSV", "report.CSV"},
        {"Archives (*.tar.gz)", "backup", "backup.tar.gz"},
        {"Archives (*.tar.gz)", "backup.tar.gz", "backup.tar.gz"},
        // Dots inside the name are no suffix of their own.
        {"CSV files (*.csv)", "report.v2.csv", "report.v2.csv"},
        {"CSV files (*.csv)", "data.2024", "data.2024.csv"},
    };
    for (const Case& c : cases) {
        Gui::FileOptionsDialog dlg;
        dlg.setNameFilters(filters);
        dlg.selectNameFilter(QString::fromUtf8(c.filter));
        EXPECT_EQ(acceptSaving(dlg, folder.path(), QString::fromUtf8(c.typed)), QString::fromUtf8(c.chosen))
            << c.filter << " / " << c.typed;
    }
}

TEST_F(FileDialogTest, OptionsPanelFollowsItsButtonBeforeTheDialogShows)
{
    Gui::FileOptionsDialog dlg;
    auto* panel = new QWidget;
    dlg.setOptionsWidget(Gui::FileOptionsDialog::ExtensionRight, panel, true);
    const auto buttons = dlg.findChildren<QPushButton*>();
    const auto extended = std::find_if(buttons.begin(), buttons.end(),
                                       [](QPushButton* b) { return b->text() == QStringLiteral("Extended"); });
    ASSERT_NE(extended, buttons.end());
    (*extended)->click(); // shown by setOptionsWidget, hidden again here
    dlg.show();
    EXPECT_FALSE(panel->isVisible());
    (*extended)->click();
    EXPECT_TRUE(panel->isVisible());
    (*extended)->click();
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(FileDialogTest, ChosenFilterGivesTheSuffixThatSavingAdds)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ProbeDialog dlg;
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setNameFilters(QStringList{QStringLiteral("CSV files (*.CSV)"), QStringLiteral("Archives (*.tar.gz)"),
                                   QStringLiteral("All files (*)")});
    const auto choose = [&dlg](const QString& filter) {
        dlg.selectNameFilter(filter);
        Q_EMIT dlg.filterSelected(filter);
    };
    choose(QStringLiteral("CSV files (*.CSV)"));
    EXPECT_EQ(dlg.defaultSuffix(), QStringLiteral("csv"));
    EXPECT_EQ(acceptSaving(dlg, folder.path(), QStringLiteral("report")), QStringLiteral("report.csv"));
    EXPECT_EQ(acceptSaving(dlg, folder.path(), QStringLiteral("report.txt")), QStringLiteral("report.txt"));

    choose(QStringLiteral("Archives (*.tar.gz)"));
    EXPECT_EQ(dlg.defaultSuffix(), QStringLiteral("tar.gz"));
    EXPECT_EQ(acceptSaving(dlg, folder.path(), QStringLiteral("backup")), QStringLiteral("backup.tar.gz"));

    // "All files" takes back the suffix the earlier filter set.
    choose(QStringLiteral("All files (*)"));
    EXPECT_TRUE(dlg.defaultSuffix().isEmpty());
    EXPECT_EQ(acceptSaving(dlg, folder.path(), QStringLiteral("notes")), QStringLiteral("notes"));

    // The suffix check: whole suffixes, any case, literal text.
    EXPECT_TRUE(dlg.hasSuffix(QStringLiteral("csv")));
    EXPECT_TRUE(dlg.hasSuffix(QStringLiteral("tar.gz")));
    EXPECT_FALSE(dlg.hasSuffix(QStringLiteral("tar")));
    EXPECT_FALSE(dlg.hasSuffix(QStringLiteral("cs")));
    EXPECT_FALSE(dlg.hasSuffix(QStringLiteral("*")));
    dlg.setNameFilters(QStringList{QStringLiteral("Sources (*.c++ *.h)")});
    EXPECT_TRUE(dlg.hasSuffix(QStringLiteral("c++")));
    EXPECT_TRUE(dlg.hasSuffix(QStringLiteral("H")));
}
