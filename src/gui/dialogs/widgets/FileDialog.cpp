#include "FileDialog.h"
#include "core/PrintableText.h"

#include "BrowseButton.h"

#include <obj/Application.h>

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>

using namespace Gui;

namespace {

FileDialog::Backend& backend()
{
    static FileDialog::Backend b;
    return b;
}

QString toolkitOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                            const QString& filter, QString* selectedFilter, QFileDialog::Options options)
{
    if (backend().openFileName)
        return backend().openFileName(parent, caption, dir, filter, selectedFilter, options);
    return QFileDialog::getOpenFileName(parent, caption, dir, filter, selectedFilter, options);
}

QString toolkitExistingDirectory(QWidget* parent, const QString& caption, const QString& dir,
                                 QFileDialog::Options options)
{
    if (backend().existingDirectory)
        return backend().existingDirectory(parent, caption, dir, options);
    return QFileDialog::getExistingDirectory(parent, caption, dir, options);
}

// Qt's own save dialog, which reads quotes as a list of names ("a" "b") and otherwise
// refuses or misreads a typed name with a double quote without a word: such a name is
// explained and the dialog stays open.
class QuoteCheckingFileDialog : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        // Only Qt's own dialog has this field; a native one takes such names as they are.
        if (auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            if (edit->text().contains(QLatin1Char('"'))) {
                plainMessageBox(this, QMessageBox::Warning, FileDialog::tr("Invalid file name"),
                                FileDialog::tr("The name %1 cannot be used: a file name must not contain "
                                               "the character \".")
                                    .arg(printableName(edit->text())));
                return;
            }
        }
        QFileDialog::accept();
    }
};

// The save dialog as Qt's static function opens it, with the quote check above.
QString toolkitSaveFileName(QWidget* parent, const QString& caption, const QString& start,
                            const QString& filter, QString* selectedFilter, QFileDialog::Options options)
{
    QuoteCheckingFileDialog dialog(parent, caption, QString(), filter);
    dialog.setOptions(options);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!start.isEmpty()) {
        const QFileInfo info(start);
        if (info.isDir()) {
            dialog.setDirectory(start);
        } else {
            dialog.setDirectory(info.absolutePath());
            dialog.selectFile(info.fileName());
        }
    }
    if (selectedFilter && !selectedFilter->isEmpty())
        dialog.selectNameFilter(*selectedFilter);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    if (selectedFilter)
        *selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().value(0);
}

// The suffix of the first "(*.ext" pattern of a name filter, taken whole: "(*.tar.gz)"
// gives "tar.gz".  A filter without such a pattern ("All files (*)") has none.
QString filterSuffix(const QString& nameFilter, bool* found = nullptr)
{
    static const QRegularExpression rx(QStringLiteral("\\(\\*\\.(\\w+(?:\\.\\w+)*)"),
                                       QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch m = rx.match(nameFilter);
    if (found)
        *found = m.hasMatch();
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

// ---------------------------------------------------------------------------
// FileDialog

QString FileDialog::workingDirectory;

FileDialog::Backend FileDialog::setBackend(const Backend& b)
{
    Backend previous = backend();
    backend() = b;
    return previous;
}

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter, QString* selectedFilter, Options options)
{
    const QString start = dir.isEmpty() ? workingDirectory : dir;
    const QString title = caption.isEmpty() ? tr("Open") : caption;
    QString file = toolkitOpenFileName(parent, title, start, filter, selectedFilter, options);
    file = QDir::toNativeSeparators(file);
    if (!file.isEmpty())
        setWorkingDirectory(file);
    return file;
}

QStringList FileDialog::getOpenFileNames(QWidget* parent, const QString& caption, const QString& dir,
                                         const QString& filter, QString* selectedFilter, Options options)
{
    const QString start = dir.isEmpty() ? workingDirectory : dir;
    const QString title = caption.isEmpty() ? tr("Open") : caption;
    QStringList files = backend().openFileNames
        ? backend().openFileNames(parent, title, start, filter, selectedFilter, options)
        : QFileDialog::getOpenFileNames(parent, title, start, filter, selectedFilter, options);
    for (QString& f : files)
        f = QDir::fromNativeSeparators(f);
    if (!files.isEmpty())
        setWorkingDirectory(files.front());
    return files;
}

QString FileDialog::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter, QString* selectedFilter, Options options)
{
    QString start;
    if (dir.isEmpty()) {
        start = workingDirectory;
    } else {
        const QFileInfo fi(dir);
        if (fi.isRelative()) {
            // Relative names keep their folders and start from the working directory.
            const QString base = workingDirectory.isEmpty() ? QDir::currentPath() : workingDirectory;
            start = QDir::cleanPath(QDir(base).filePath(dir));
        } else {
            start = dir;
        }
        // A name without suffix takes that of the filter's first pattern: " (*.txt)" gives ".txt".
        bool found = false;
        const QString suffix = filterSuffix(filter, &found);
        if (found && fi.suffix().isEmpty())
            start += QLatin1Char('.') + suffix;
    }
    const QString title = caption.isEmpty() ? tr("Save as") : caption;
    QString file = backend().saveFileName
        ? backend().saveFileName(parent, title, start, filter, selectedFilter, options)
        : toolkitSaveFileName(parent, title, start, filter, selectedFilter, options);
    file = QDir::fromNativeSeparators(file);
    if (!file.isEmpty())
        setWorkingDirectory(file);
    return file;
}

QString FileDialog::getExistingDirectory(QWidget* parent, const QString& caption, const QString& dir,
                                         Options options)
{
    QString path = toolkitExistingDirectory(parent, caption, dir, options);
    if (!path.isEmpty())
        path = QDir::toNativeSeparators(QDir(path).path());
    return path;
}

QString FileDialog::getWorkingDirectory()
{
    return workingDirectory;
}

void FileDialog::setWorkingDirectory(const QString& path)
{
    workingDirectory = path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}

QString FileDialog::restoreLocation()
{
    const auto& config = Obj::Application::mConfig;
    const auto it = config.find("UserHomePath");
    return it == config.end() ? QString() : QString::fromUtf8(it->second.c_str());
}

FileDialog::FileDialog(QWidget* parent)
    : QFileDialog(parent)
{
    connect(this, &QFileDialog::filterSelected, this, &FileDialog::onSelectedFilter);
}

FileDialog::~FileDialog() = default;

void FileDialog::onSelectedFilter(const QString&)
{
    bool found = false;
    const QString word = filterSuffix(selectedNameFilter(), &found);
    // A filter without a suffix pattern drops the suffix an earlier filter set.
    setDefaultSuffix(found ? word.toLower() : QString());
}

void FileDialog::accept()
{
    if (acceptMode() == QFileDialog::AcceptSave) {
        const QStringList files = selectedFiles();
        const QString file = files.isEmpty() ? QString() : files.front();
        const QString suffix = defaultSuffix();
        if (!suffix.isEmpty() && !file.isEmpty() && QFileInfo(file).suffix().isEmpty()) {
            if (auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                edit->setText(QStringLiteral("%1.%2").arg(file, suffix));
        }
    }
    QFileDialog::accept();
}

bool FileDialog::hasSuffix(const QString& suffix) const
{
    // The suffix is literal text, and it must end where the pattern ends: "tar" is not
    // offered by "*.tar.gz".
    const QRegularExpression rx(QStringLiteral("\\*\\.(%1)(?![\\w.])").arg(QRegularExpression::escape(suffix)),
                                QRegularExpression::CaseInsensitiveOption);
    const QStringList filters = nameFilters();
    for (const QString& f : filters) {
        if (rx.match(f).hasMatch())
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// FileOptionsDialog


FileOptionsDialog::FileOptionsDialog(QWidget* parent, Qt::WindowFlags flags)
    : QFileDialog(parent, flags)
{
    // The options panel and the "Extended" button live in the Qt-drawn dialog.
    setOption(QFileDialog::DontUseNativeDialog, true);
    extensionButton = new QPushButton(this);
    extensionButton->setText(tr("Extended"));
    if (auto* grid = findChild<QGridLayout*>())
        grid->addWidget(extensionButton, 4, 2, Qt::AlignLeft);
    connect(extensionButton, &QPushButton::clicked, this, &FileOptionsDialog::toggleExtension);
}

FileOptionsDialog::~FileOptionsDialog() = default;

void FileOptionsDialog::accept()
{
    QLineEdit* edit = findChild<QLineEdit*>();
    const QString text = edit ? edit->text() : QString();
    if (text.startsWith(QLatin1Char('*'))) {
        // A pattern was typed instead of a name: select the filter that offers it.
        const QString pattern = QStringLiteral("*.") + QFileInfo(text).suffix();
        QStringList filters = nameFilters();
        QString chosen;
        for (const QString& f : filters) {
            if (f.contains(pattern)) {
                chosen = f;
                break;
            }
        }
        if (chosen.isEmpty()) {
            chosen = tr("All files (*.*)");
            filters << chosen;
            setNameFilters(filters);
        }
        if (edit) {
            const bool blocked = edit->blockSignals(true);
            edit->clear();
            edit->blockSignals(blocked);
        }
        selectNameFilter(chosen);
        return;
    }
    if (text.isEmpty()) {
        QFileDialog::accept();
        return;
    }
    const QString suffix = QFileInfo(text).completeSuffix();
    bool found = false;
    const QString word = filterSuffix(selectedNameFilter(), &found);
    if (!found) {
        // "All files (*)" and the like name no suffix: the name stays as typed.
        setDefaultSuffix(QString());
        QFileDialog::accept();
        return;
    }
    // A name with dots ("report.v2.csv") already carries the suffix when it ends with it.
    if (suffix.isEmpty())
        setDefaultSuffix(word);
    else if (!text.endsWith(QLatin1Char('.') + word, Qt::CaseInsensitive))
        selectFile(QStringLiteral("%1.%2").arg(text, word));
    QFileDialog::accept();
}

void FileOptionsDialog::setOptionsWidget(ExtensionPosition position, QWidget* widget, bool show)
{
    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (!grid || !widget)
        return;
    if (position == ExtensionRight) {
        const int rows = grid->rowCount();
        grid->addWidget(widget, 0, grid->columnCount(), rows, 1);
        extension = widget;
    } else if (position == ExtensionBottom) {
        grid->addWidget(widget, grid->rowCount(), 0, 1, grid->columnCount());
        extension = widget;
    }
    widget->hide();
    extensionShown = false;
    if (show && extension)
        toggleExtension();
}

QWidget* FileOptionsDialog::getOptionsWidget() const
{
    return extension.data();
}

void FileOptionsDialog::toggleExtension()
{
    // Follows its own state: before the dialog is shown the panel is never "visible".
    if (QWidget* w = getOptionsWidget()) {
        extensionShown = !extensionShown;
        w->setVisible(extensionShown);
    }
}

// ---------------------------------------------------------------------------
// FileChooser

FileChooser::FileChooser(QWidget* parent)
    : QWidget(parent)
{
    addBrowseField(this, 6, lineEdit, button);
    connect(lineEdit, &QLineEdit::textChanged, this, &FileChooser::fileNameChanged);
    connect(button, &QPushButton::clicked, this, &FileChooser::chooseFile);
}

FileChooser::~FileChooser() = default;

QString FileChooser::document_name() const { return lineEdit->text(); }
QString FileChooser::filter() const { return _filter; }
QString FileChooser::buttonText() const { return button->text(); }
FileChooser::Mode FileChooser::mode() const { return md; }

void FileChooser::setFileName(const QString& name) { lineEdit->setText(name); }
void FileChooser::setMode(Mode m) { md = m; }
void FileChooser::set_filter(const QString& f) { _filter = f; }

void FileChooser::setButtonText(const QString& text)
{
    setBrowseButtonText(this, button, text);
}

void FileChooser::chooseFile()
{
    const QString start = lineEdit->text().isEmpty() ? FileDialog::getWorkingDirectory() : lineEdit->text();
    // As the editor of a property row this widget may be deleted while the dialog is open:
    // the dialog belongs to the window, and the chooser is not touched once it is gone.
    QPointer<FileChooser> self(this);
    QWidget* owner = window();
    QString name;
    if (md == Directory)
        name = toolkitExistingDirectory(owner, tr("Select a directory"), start, QFileDialog::ShowDirsOnly);
    else
        name = toolkitOpenFileName(owner, tr("Select a file"), start, _filter, nullptr, QFileDialog::Options());
    if (!self || name.isEmpty())
        return;
    lineEdit->setText(name);
    FileDialog::setWorkingDirectory(name); // the folder that holds the chosen name
    Q_EMIT fileNameSelected(name);
}
