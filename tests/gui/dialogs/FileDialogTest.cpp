#include "DialogTestHelpers.h"

#include <dialogs/widgets/FileDialog.h>

#include <obj/Application.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

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
    int calls = 0;
    FileDialog::Backend previous;

    FakeDialogs()
    {
        FileDialog::Backend b;
        auto single = [this](QWidget*, const QString& c, const QString& d, const QString& f, QString*,
                             QFileDialog::Options o) {
            record(c, d, f, o);
            return answer;
        };
        b.openFileName = single;
        b.saveFileName = single;
        b.openFileNames = [this](QWidget*, const QString& c, const QString& d, const QString& f, QString*,
                                 QFileDialog::Options o) {
            record(c, d, f, o);
            return answers;
        };
        b.existingDirectory = [this](QWidget*, const QString& c, const QString& d, QFileDialog::Options o) {
            record(c, d, QString(), o);
            return answer;
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
        ++calls;
    }
};

class FileDialogTest : public ::testing::Test
{
protected:
    void SetUp() override { FileDialog::setWorkingDirectory(QStringLiteral("/work/x/placeholder")); }
    void TearDown() override { FileDialog::setWorkingDirectory(QString()); }
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
    FakeDialogs fake;
    FileDialog::setWorkingDirectory(QStringLiteral("/work/dir/any"));
    const QString filter = QStringLiteral("CSV files (*.csv);;All files (*)");

    FileDialog::getSaveFileName(nullptr, QString(), QStringLiteral("report"), filter);
    EXPECT_EQ(fake.start, QStringLiteral("/work/dir/report.csv"));
    EXPECT_EQ(fake.caption, QStringLiteral("Save as"));

    FileDialog::getSaveFileName(nullptr, QStringLiteral("Export"), QStringLiteral("report.txt"), filter);
    EXPECT_EQ(fake.start, QStringLiteral("/work/dir/report.txt"));
    EXPECT_EQ(fake.caption, QStringLiteral("Export"));

    // An absolute name is kept as given; the word characters stop at the second dot.
    FileDialog::getSaveFileName(nullptr, QString(), QStringLiteral("/tmp/archive"),
                                QStringLiteral("Archives (*.tar.gz)"));
    EXPECT_EQ(fake.start, QStringLiteral("/tmp/archive.tar"));

    // No pattern with a suffix: nothing is added.
    FileDialog::getSaveFileName(nullptr, QString(), QStringLiteral("/tmp/plain"), QStringLiteral("All files (*)"));
    EXPECT_EQ(fake.start, QStringLiteral("/tmp/plain"));

    // No start name: the working directory, without suffix.
    FileDialog::getSaveFileName(nullptr, QString(), QString(), filter);
    EXPECT_EQ(fake.start, QStringLiteral("/work/dir"));
}

TEST_F(FileDialogTest, ChosenFilesMoveTheWorkingDirectoryCancelDoesNot)
{
    FakeDialogs fake;
    FileDialog::setWorkingDirectory(QStringLiteral("/start/here/x"));

    fake.answer.clear();
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
}

TEST_F(FileDialogTest, ExistingDirectoryLeavesTheWorkingDirectory)
{
    FakeDialogs fake;
    FileDialog::setWorkingDirectory(QStringLiteral("/keep/me/x"));
    fake.answer = QStringLiteral("/chosen/folder/sub/");
    EXPECT_EQ(FileDialog::getExistingDirectory(nullptr, QString(), QStringLiteral("/s")),
              QStringLiteral("/chosen/folder/sub"));
    EXPECT_TRUE(fake.caption.isEmpty());
    EXPECT_EQ(fake.start, QStringLiteral("/s"));
    EXPECT_EQ(FileDialog::getWorkingDirectory(), QStringLiteral("/keep/me"));
}

TEST_F(FileDialogTest, FileChooserInDirectoryModeStartsAtAndUpdatesTheWorkingDirectory)
{
    FakeDialogs fake;
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
}

TEST_F(FileDialogTest, FileChooserInFileModePassesItsFilter)
{
    FakeDialogs fake;
    Gui::FileChooser chooser;
    chooser.set_filter(QStringLiteral("Images (*.png)"));
    chooser.setFileName(QStringLiteral("/img/start.png"));
    fake.answer = QStringLiteral("/img/new.png");
    chooser.chooseFile();
    EXPECT_EQ(fake.caption, QStringLiteral("Select a file"));
    EXPECT_EQ(fake.filter, QStringLiteral("Images (*.png)"));
    EXPECT_EQ(fake.start, QStringLiteral("/img/start.png"));
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
    EXPECT_EQ(accepted.count(), 0);

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
    EXPECT_EQ(dlg.getOptionsWidget(), panel);
    dlg.show();
    EXPECT_FALSE(panel->isVisible());
    auto* button = dlg.findChild<QPushButton*>();
    ASSERT_NE(button, nullptr);
    bool toggled = false;
    for (QPushButton* b : dlg.findChildren<QPushButton*>()) {
        if (b->text() == QStringLiteral("Extended")) {
            b->click();
            toggled = true;
        }
    }
    ASSERT_TRUE(toggled);
    EXPECT_TRUE(panel->isVisible());
}
