#include "ShortcutsPageImp.h"
#include "ui_ShortcutsPage.h"

#include "core/PrintableText.h"

#include <vexil/IniFile.h>
#include <vexil/MsgConsole.h>
#include <vexil/PreferenceManager.h>

#include <QDebug>
#include <QFile>
#include <QKeySequence>
#include <QSettings>
#include <QStandardItemModel>

#include <iterator>
#include <string>

namespace Gui {
namespace Dialog {

namespace {

// Keys stay untranslated: a translated key would be lost at the next language switch.
const QString shortcutsGroup = QStringLiteral("shortcuts");

QString keyOf(const QString& actionText)
{
    return QStringLiteral("Cmd%1").arg(actionText);
}

QString shortcutsFile(const Vexil::PreferenceManager* prefs)
{
    std::string file;
    QSettings::Format format = QSettings::IniFormat;
    prefs->getFileAndType(file, format);
    // The store names the file in UTF-8; a folder with non-ASCII letters must not turn
    // into another path.
    return QString::fromStdString(file);
}

// Replaces the shortcuts group of the file with `shortcuts`, or changes just the given
// entries; a failed save is reported and leaves the file as it was.
void saveShortcuts(const Vexil::PreferenceManager* prefs, const QVariantMap& shortcuts, bool replaceAll)
{
    const QString file = shortcutsFile(prefs);
    QVariantMap values;
    if (Vexil::readIniFile(file, values) == Vexil::IniReadStatus::NotReadable) {
        Vexil::MsgConsoleSingleton::Instance().Error("Cannot save the shortcuts: '%s' cannot be read\n",
                                                     QFile::encodeName(file).constData());
        return;
    }
    if (replaceAll) {
        for (auto it = values.begin(); it != values.end();)
            it = it.key().startsWith(shortcutsGroup + QLatin1Char('/')) ? values.erase(it) : std::next(it);
    }
    for (auto it = shortcuts.cbegin(); it != shortcuts.cend(); ++it)
        values.insert(it.key(), it.value());
    std::string error;
    if (!Vexil::saveIniFile(file, values, error))
        Vexil::MsgConsoleSingleton::Instance().Error("Cannot save the shortcuts: %s\n", error.c_str());
}

} // namespace

ShortcutsPageImp::ShortcutsPageImp(QWidget* parent)
    : QWidget(parent), tableModel(new QStandardItemModel(0, 2, this)), ui(new ::Ui::ShortcutsPage)
{
    ui->setupUi(this);
    tableModel->setHorizontalHeaderLabels({tr("Action"), tr("Shortcut")});
    ui->treeView->setModel(tableModel);
    ui->treeView->resizeColumnToContents(0);
    connect(ui->treeView, &QAbstractItemView::clicked, this, &ShortcutsPageImp::tableItemClicked);
    connect(ui->keySequenceEdit, &QKeySequenceEdit::editingFinished, this, &ShortcutsPageImp::keyCapLineEditTextChanged);
    connect(ui->restoreShortcutsButton, &QAbstractButton::clicked, this, &ShortcutsPageImp::restoreShortcutsButtonClicked);
    connect(ui->clearButton, &QAbstractButton::clicked, this, &ShortcutsPageImp::clearButtonClicked);
}

ShortcutsPageImp::~ShortcutsPageImp() = default;

static QString& defaultsFileName()
{
    static QString name = QStringLiteral(":resources/kb.ini");
    return name;
}

QString ShortcutsPageImp::defaultsFile()
{
    return defaultsFileName();
}

void ShortcutsPageImp::setDefaultsFile(const QString& fileName)
{
    defaultsFileName() = fileName;
}

void ShortcutsPageImp::tableItemClicked(const QModelIndex& index)
{
    const QString action = tableModel->index(index.row(), 0).data().toString();
    // The entry may come from a shortcuts file: shown as written, printable.
    ui->actionNameLabel->setTextFormat(Qt::PlainText);
    ui->actionNameLabel->setText(Gui::printableName(action));
    ui->keySequenceEdit->setKeySequence(
        QKeySequence::fromString(tableModel->index(index.row(), 1).data().toString(), QKeySequence::NativeText));
    qDebug() << "[Debug]" << "Command Selected:" << action;
    currentIndex = index;
    ui->keySequenceEdit->setFocus();
}

void ShortcutsPageImp::keyCapLineEditTextChanged()
{
    if (!currentIndex.isValid() || !prefMgr)
        return;
    const QString key = keyOf(tableModel->index(currentIndex.row(), 0).data().toString());
    const QString text = ui->keySequenceEdit->keySequence().toString(QKeySequence::PortableText);
    saveShortcuts(prefMgr, QVariantMap{{shortcutsGroup + QLatin1Char('/') + key, text}}, false);
    qDebug() << "[Debug] Shortcut " << key << " = " << text;
}

void ShortcutsPageImp::restoreShortcutsButtonClicked()
{
    if (!prefMgr)
        return;
    // Without defaults to restore, the user's own sequences are kept.
    if (!QFile::exists(defaultsFile()))
        return;
    QSettings defaults(defaultsFile(), QSettings::IniFormat);
    const QStringList keys = defaults.allKeys();
    if (keys.isEmpty() || defaults.status() != QSettings::NoError)
        return;
    QVariantMap restored;
    for (const QString& key : keys)
        restored.insert(key, defaults.value(key));
    saveShortcuts(prefMgr, restored, true);
}

void ShortcutsPageImp::clearButtonClicked() {}

} // namespace Dialog
} // namespace Gui
