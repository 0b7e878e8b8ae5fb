#include "DialogTestHelpers.h"

#include <dialogs/widgets/FileDialog.h>

#include <obj/Application.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

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
        // An absolute name is kept as given; the word characters stop at the second dot.
        {"", "/tmp/archive", "Archives (*.tar.gz)", "/tmp/archive.tar", "Save as"},
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
