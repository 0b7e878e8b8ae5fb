#include "ReportOutput.h"
#include "core/PrintableText.h"

#include "dialogs/widgets/FileDialog.h"
#include "mainwindow/LongLineText.h"
#include "mainwindow/ReportHighlighter.h"

#include <obj/Application.h>
#include <vexil/AtomicSave.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPixmap>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextOption>
#include <QFile>

#include <memory>

using namespace Gui;
using namespace Gui::DockWindow;

namespace {

// The text area drains its queue on this event; registered once per process.
QEvent::Type drainEventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// At most this many queued messages are inserted per event, so that painting and input
// get their turn while a worker floods the console.
constexpr std::size_t MaxMessagesPerDrain = 1024;

// Text waiting for the GUI thread is kept up to this many characters (32 MB).  A worker
// that writes faster than the text area can take it in would otherwise fill the memory;
// what comes on top is left out, and the text area says how much.
constexpr std::size_t MaxPendingCharacters = 16 * 1024 * 1024;

QColor rgbColour(unsigned int value)
{
    return QColor(qRed(value), qGreen(value), qBlue(value));
}

QIcon iconFromImage(const char* path)
{
    return QIcon(QPixmap::fromImage(QImage(QString::fromLatin1(path))));
}

} // namespace

ReportOutput::ReportOutput(QWidget* parent) : QTextEdit(parent)
{
    highlighter = new ReportHighlighter(this);
    restoreFont();
    setReadOnly(true);
    clear();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Qt's word wrap takes time in the square of the length of a run without a break
    // point; such a run is broken anywhere instead.
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // A log only grows; undo steps would only cost memory and time.
    document()->setUndoRedoEnabled(false);

    Vexil::MsgConsoleSingleton::Instance().connect_observer(this);

    if (Obj::Application::_pcSingleton)
        prefs = Obj::Application::instance().getPrefMgr();
    if (prefs) {
        connect(prefs, &Vexil::PreferenceManager::optionChanged, this, &ReportOutput::settingUpdated);
        bMsg = true;
        bLog = prefs->getInt(Vexil::PM_DISPLAY_LOG) != 0;
        bWrn = prefs->getInt(Vexil::PM_DISPLAY_WARNINGS) != 0;
        bErr = prefs->getInt(Vexil::PM_DISPLAY_ERRORS) != 0;
        gotoEnd = prefs->getInt(Vexil::PM_AUTO_SCROLL) != 0;
        highlighter->setTextColor(rgbColour(prefs->getUInt(Vexil::PM_COLOR_NORMAL_MESSAGE)));
        highlighter->setLogColor(rgbColour(prefs->getUInt(Vexil::PM_COLOR_LOG_MESSAGE)));
        highlighter->setWarningColor(rgbColour(prefs->getUInt(Vexil::PM_COLOR_WARNING)));
        highlighter->setErrorColor(rgbColour(prefs->getUInt(Vexil::PM_COLOR_ERROR)));
    }
    ensureCursorVisible();
}

ReportOutput::~ReportOutput()
{
    // After this returns the console calls us no more.
    Vexil::MsgConsoleSingleton::Instance().disconnect_observer(this);
    // The highlighter goes with the document it belongs to.  Deleted before it, it would
    // take its colours off every line and have the whole text laid out again: minutes
    // for a long log.
}

void ReportOutput::restoreFont()
{
    QFont font(QStringLiteral("Courier"), 10, QFont::Normal, false);
    setFont(font);
}

// ---------------------------------------------------------------------------------------
// Console side

void ReportOutput::queue(int kind, const char* text)
{
    QString decoded = QString::fromUtf8(text ? text : "");
    if (kind == ReportHighlighter::LogText && decoded.length() >= 1000)
        return;
    bool post = false;
    {
        std::lock_guard<std::mutex> guard(queueLock);
        const auto size = static_cast<std::size_t>(decoded.size());
        if (pendingCharacters + size <= MaxPendingCharacters) {
            pending.emplace_back(kind, std::move(decoded));
            pendingCharacters += size;
        } else if (!pending.empty() && pending.back().first < 0) {
            --pending.back().first;
        } else {
            pending.emplace_back(-1, QString());
        }
        post = !drainPosted;
        drainPosted = true;
    }
    // One event per batch: a worker writing thousands of lines posts only a few.
    if (post)
        QCoreApplication::postEvent(this, new QEvent(drainEventType()));
}

void ReportOutput::Message(const char* text)
{
    queue(ReportHighlighter::Message, text);
}

void ReportOutput::Warning(const char* text)
{
    queue(ReportHighlighter::Warning, text);
}

void ReportOutput::Error(const char* text)
{
    queue(ReportHighlighter::Error, text);
}

void ReportOutput::Log(const char* text)
{
    queue(ReportHighlighter::LogText, text);
}

// ---------------------------------------------------------------------------------------
// GUI side

void ReportOutput::customEvent(QEvent* event)
{
    if (event->type() == CustomReportEvent::EventType) {
        auto* report = static_cast<CustomReportEvent*>(event);
        appendMessage(report->messageType(), report->message());
    } else if (event->type() == drainEventType()) {
        drainQueue();
    }
}

void ReportOutput::drainQueue()
{
    std::deque<std::pair<int, QString>> batch;
    bool more = false;
    {
        std::lock_guard<std::mutex> guard(queueLock);
        if (pending.size() <= MaxMessagesPerDrain) {
            batch.swap(pending);
            drainPosted = false;
            pendingCharacters = 0;
        } else {
            const auto end = pending.begin() + MaxMessagesPerDrain;
            batch.assign(std::make_move_iterator(pending.begin()), std::make_move_iterator(end));
            pending.erase(pending.begin(), end);
            for (const auto& entry : batch)
                pendingCharacters -= static_cast<std::size_t>(entry.second.size());
            more = true;
        }
    }
    // The rest waits behind whatever else is queued (painting, input).
    if (more)
        QCoreApplication::postEvent(this, new QEvent(drainEventType()));

    // The whole batch goes in as one insertion, whatever its kinds: inserting each run of
    // one kind on its own lays the text out once per run, which is what a worker mixing
    // messages and warnings would cost line by line.
    QString text;
    QVector<QPair<int, int>> runs;   // (end position within `text` as inserted, kind)
    int length = 0;
    for (auto& entry : batch) {
        if (entry.first < 0) {
            entry.second = tr("[%1 console messages are not shown here: they came faster than they could be shown]\n")
                               .arg(-entry.first);
            entry.first = ReportHighlighter::Warning;
        }
        const QString& message = entry.second;
        if (message.isEmpty())
            continue;
        text += message;
        // The document takes a carriage return with its line feed as one line break.
        length += message.size() - message.count(QLatin1String("\r\n"));
        if (!runs.isEmpty() && runs.back().second == entry.first)
            runs.back().first = length;
        else
            runs.append(qMakePair(length, entry.first));
        // Joined to a line feed that starts the next message, it would count once
        // instead of twice: the next message goes in on its own.
        if (message.endsWith(QLatin1Char('\r'))) {
            insertRuns(text, runs);
            text.clear();
            runs.clear();
            length = 0;
        }
    }
    if (!text.isEmpty())
        insertRuns(text, runs);
}

void ReportOutput::insertRuns(const QString& text, QVector<QPair<int, int>> runs)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    const int start = cursor.position();
    // A long line goes in as several blocks; each block that starts within a run moves
    // the run's end on by one.
    const QVector<int> splits = LongLineText::continuationStarts(document(), text);
    int moved = 0;
    for (auto& run : runs) {
        run.first += start;
        while (moved < splits.size() && splits[moved] < run.first)
            ++moved;
        run.first += moved;
    }
    highlighter->setPendingRuns(start, runs);
    LongLineText::insertAtEnd(cursor, text);
    highlighter->clearPendingRuns();
    if (gotoEnd) {
        setTextCursor(cursor);
        ensureCursorVisible();
    }
}

void ReportOutput::appendMessage(int kind, const QString& text)
{
    highlighter->setParagraphType(kind);
    QTextCursor cursor(document());
    LongLineText::insertAtEnd(cursor, text);
    // Without auto-scroll the view stays where the user left it; the text area's own
    // cursor may have moved along with text inserted at its position, so it is not
    // brought into view either.
    if (gotoEnd) {
        setTextCursor(cursor);
        ensureCursorVisible();
    }
}

// ---------------------------------------------------------------------------------------
// Switches

void ReportOutput::onToggleError()
{
    bErr = !bErr;
    if (prefs)
        prefs->set(Vexil::PM_DISPLAY_ERRORS, bErr, false);
}

void ReportOutput::onToggleWarning()
{
    bWrn = !bWrn;
    if (prefs)
        prefs->set(Vexil::PM_DISPLAY_WARNINGS, bWrn, false);
}

void ReportOutput::onToggleLogging()
{
    bLog = !bLog;
    if (prefs)
        prefs->set(Vexil::PM_DISPLAY_LOG, bLog, false);
}

void ReportOutput::onToggleGoToEnd()
{
    gotoEnd = !gotoEnd;
    if (prefs)
        prefs->set(Vexil::PM_AUTO_SCROLL, gotoEnd, false);
}

void ReportOutput::settingUpdated(Vexil::PM_SETTING id)
{
    if (!prefs)
        return;
    switch (id) {
    case Vexil::PM_DISPLAY_LOG:
        bLog = prefs->getInt(id) != 0;
        break;
    case Vexil::PM_DISPLAY_WARNINGS:
        bWrn = prefs->getInt(id) != 0;
        break;
    case Vexil::PM_DISPLAY_ERRORS:
        bErr = prefs->getInt(id) != 0;
        break;
    case Vexil::PM_COLOR_NORMAL_MESSAGE:
        highlighter->setTextColor(rgbColour(prefs->getUInt(id)));
        break;
    case Vexil::PM_COLOR_LOG_MESSAGE:
        highlighter->setLogColor(rgbColour(prefs->getUInt(id)));
        break;
    case Vexil::PM_COLOR_WARNING:
        highlighter->setWarningColor(rgbColour(prefs->getUInt(id)));
        break;
    case Vexil::PM_COLOR_ERROR:
        highlighter->setErrorColor(rgbColour(prefs->getUInt(id)));
        break;
    case Vexil::PM_AUTO_SCROLL:
        gotoEnd = prefs->getInt(id) != 0;
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Context menu and saving

QMimeData* ReportOutput::createMimeDataFromSelection() const
{
    // The pieces of a long line are copied as the one line they are; the lines end as
    // they are shown.
    const QTextCursor cursor = textCursor();
    auto* data = new QMimeData;
    data->setText(LongLineText::writtenText(document(), cursor.selectionStart(), cursor.selectionEnd(),
                                            LongLineText::LineEnds::AsShown));
    return data;
}

void ReportOutput::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    QAction* first = menu->actions().value(0);

    auto* options = new QMenu(menu.get());
    options->setTitle(tr("Options"));
    if (prefs) {
        QAction* logging = options->addAction(tr("Logging"), this, &ReportOutput::onToggleLogging);
        logging->setCheckable(true);
        logging->setChecked(bLog);
        QAction* warning = options->addAction(tr("Warning"), this, &ReportOutput::onToggleWarning);
        warning->setCheckable(true);
        warning->setChecked(bWrn);
        QAction* error = options->addAction(tr("Error"), this, &ReportOutput::onToggleError);
        error->setCheckable(true);
        error->setChecked(bErr);
    }
    options->addSeparator();
    QAction* scroll = options->addAction(tr("Auto Scroll Down"), this, &ReportOutput::onToggleGoToEnd);
    scroll->setCheckable(true);
    scroll->setChecked(gotoEnd);

    menu->insertMenu(first, options);
    menu->insertSeparator(first);

    menu->addAction(iconFromImage(":Icons/pelmora_output_cleartext.svg"), tr("Clear"), this, &QTextEdit::clear);
    menu->addSeparator();
    menu->addAction(iconFromImage(":Icons/pelmora_output_savetofile.svg"), tr("Save As..."), this,
                    &ReportOutput::onSaveAs);
    menu->exec(event->globalPos());
}

void ReportOutput::onSaveAs()
{
    QString fileName = FileDialog::getSaveFileName(this, tr("Save Output"), QString(),
                                                   tr("Plain Text Files (*.txt *.log)"));
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QLatin1String(".log");
    writeFile(fileName);
}

void ReportOutput::writeFile(const QString& fileName)
{
    // Written whole and checked before it replaces the old file, so a failed write (a
    // full disk) keeps the old file as it was.
    // What the text area shows, line by line, long lines whole.
    const QByteArray bytes =
        LongLineText::writtenText(document(), 0, document()->characterCount() - 1, LongLineText::LineEnds::AsShown)
            .toUtf8();
    std::string error;
    if (!Vexil::saveFileAtomically(QFile::encodeName(fileName).toStdString(),
                                   std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), error)) {
        plainMessageBox(this, QMessageBox::Critical, tr("Cannot save"),
                        tr("The output cannot be written to %1:\n%2")
                            .arg(printableName(fileName), printableName(QByteArray(error.c_str()))));
    }
}
