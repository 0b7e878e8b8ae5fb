#pragma once
// File and folder choice for the whole application: one working directory shared by
// every dialog of the process, default captions, and the save-name suffix rule.

#include <PelmoraGuiExport.h>

#include <QFileDialog>
#include <QPointer>
#include <QWidget>

#include <functional>

QT_BEGIN_NAMESPACE
class QLineEdit;
class QPushButton;
QT_END_NAMESPACE

namespace Gui {

class PELMORAGUI_EXPORT FileDialog : public QFileDialog
{
    Q_OBJECT
public:
    // What opens the toolkit's dialogs.  Tests replace it so that no dialog is shown;
    // a member left empty falls back to Qt's static QFileDialog function.
    struct Backend
    {
        std::function<QString(QWidget*, const QString&, const QString&, const QString&, QString*,
                               QFileDialog::Options)> openFileName;
        std::function<QStringList(QWidget*, const QString&, const QString&, const QString&, QString*,
                                  QFileDialog::Options)> openFileNames;
        std::function<QString(QWidget*, const QString&, const QString&, const QString&, QString*,
                              QFileDialog::Options)> saveFileName;
        std::function<QString(QWidget*, const QString&, const QString&, QFileDialog::Options)> existingDirectory;
    };
    // Installs `backend` and returns the previous one.
    static Backend setBackend(const Backend& backend);

    static QString getOpenFileName(QWidget* parent = nullptr, const QString& caption = QString(),
                                   const QString& dir = QString(), const QString& filter = QString(),
                                   QString* selectedFilter = nullptr, Options options = Options());
    static QStringList getOpenFileNames(QWidget* parent = nullptr, const QString& caption = QString(),
                                        const QString& dir = QString(), const QString& filter = QString(),
                                        QString* selectedFilter = nullptr, Options options = Options());
    static QString getSaveFileName(QWidget* parent = nullptr, const QString& caption = QString(),
                                   const QString& dir = QString(), const QString& filter = QString(),
                                   QString* selectedFilter = nullptr, Options options = Options());
    static QString getExistingDirectory(QWidget* parent = nullptr, const QString& caption = QString(),
                                        const QString& dir = QString(), Options options = ShowDirsOnly);

    static QString getWorkingDirectory();
    static void setWorkingDirectory(const QString& path);
    // The configured start folder ("UserHomePath" of the application configuration).
    static QString restoreLocation();

    explicit FileDialog(QWidget* parent = nullptr);
    ~FileDialog() override;

    void accept() override;

private Q_SLOTS:
    void onSelectedFilter(const QString& filter);

protected:
    // Whether one of the dialog's name filters offers "*.suffix".
    bool hasSuffix(const QString& suffix) const;

private:

    static QString workingDirectory;
};

// A file dialog with an options panel that the "Extended" button shows and hides.
class PELMORAGUI_EXPORT FileOptionsDialog : public QFileDialog
{
    Q_OBJECT
public:
    enum ExtensionPosition { ExtensionRight = 0, ExtensionBottom = 1 };

    FileOptionsDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());
    ~FileOptionsDialog() override;

    void accept() override;
    void setOptionsWidget(ExtensionPosition position, QWidget* widget, bool show = false);
    QWidget* getOptionsWidget() const;

protected Q_SLOTS:
    void toggleExtension();

private:
    QPushButton* extensionButton;
    QPointer<QWidget> extension; // the options panel, shown beside or below the file view
    bool extensionShown = false;
};

// A line edit with a "..." button that picks a file or folder name.
class PELMORAGUI_EXPORT FileChooser : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(Mode mode READ mode WRITE setMode)
    Q_PROPERTY(QString document_name READ document_name WRITE setFileName)
    Q_PROPERTY(QString filter READ filter WRITE set_filter)
    Q_PROPERTY(QString buttonText READ buttonText WRITE setButtonText)
public:
    enum Mode { File = 0, Directory = 1 };
    Q_ENUM(Mode)

    explicit FileChooser(QWidget* parent = nullptr);
    ~FileChooser() override;

    QString document_name() const;
    QString filter() const;
    QString buttonText() const;
    Mode mode() const;

public Q_SLOTS:
    virtual void setFileName(const QString& name);
    virtual void setMode(Mode mode);
    virtual void set_filter(const QString& filter);
    virtual void setButtonText(const QString& text);
    void chooseFile();

Q_SIGNALS:
    void fileNameChanged(const QString& name);
    void fileNameSelected(const QString& name);

private:
    QLineEdit* lineEdit;
    QPushButton* button;
    Mode md = File;
    QString _filter;
};

} // namespace Gui
