#include "DlgIPCImp.h"
#include "core/PrintableText.h"

#include "mainwindow/LongLineText.h"

#include <vexil/AtomicSave.h>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QMimeData>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QSocketNotifier>
#include <QSpacerItem>
#include <QTextBrowser>
#include <QTextCodec>
#include <QTextCursor>
#include <QTextDecoder>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextDocument>
#include <QTextOption>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace Gui {

namespace {

const char* const LightStyle =
    "QTextEdit { color: black; background: rgb(255, 250, 205); font-family: Courier New, Courier;}";
const char* const DarkStyle = "QTextEdit { color: white; background: rgb(0, 0, 0); font-family: Courier New, Courier;}";

QTextCodec* gbkCodec()
{
    QTextCodec* codec = QTextCodec::codecForName("GBK");
    return codec ? codec : QTextCodec::codecForLocale();
}

// How far `s` is UTF-8: the bytes that make whole, valid characters, and whether what
// follows them is the start of a character cut off by the end of `s` (true) or a byte
// UTF-8 does not allow there (false; also when nothing follows).
int validUtf8(const char* s, int n, bool& cutOff)
{
    cutOff = false;
    int i = 0;
    while (i < n) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            // No overlong forms and no surrogates.
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return i;
        }
        for (int k = 1; k < length; ++k) {
            if (i + k >= n) {
                cutOff = true;
                return i;
            }
            const auto d = static_cast<unsigned char>(s[i + k]);
            if (d < (k == 1 ? low : 0x80) || d > (k == 1 ? high : 0xBF))
                return i;
        }
        i += length;
    }
    return i;
}

// The output view: a selection copied or dragged out is the text as written too.
class OutputBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;

protected:
    QMimeData* createMimeDataFromSelection() const override
    {
        const QTextCursor cursor = textCursor();
        auto* data = new QMimeData;
        data->setText(LongLineText::writtenText(document(), cursor.selectionStart(), cursor.selectionEnd()));
        return data;
    }
};

// The run's first program: it leads a process group of its own, so that the whole run
// can be ended together, and writes to the console's own pipes, which stay open for as
// long as any process of the run holds them.
class RunProcess : public QProcess
{
public:
    explicit RunProcess(QObject* parent)
        : QProcess(parent)
        , host(::getpid())
    {
    }
    int outputFd[2] = {-1, -1};

protected:
    // In the child, between fork and exec: only calls safe there.
    void setupChildProcess() override
    {
        ::setpgid(0, 0);
#ifdef __linux__
        // An application that dies, even by SIGKILL, takes the run's first program with
        // it; one that died before this line leaves no parent to wait for.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != host)
            ::_exit(127);
#endif
        if (outputFd[0] >= 0)
            ::dup2(outputFd[0], STDOUT_FILENO);
        if (outputFd[1] >= 0)
            ::dup2(outputFd[1], STDERR_FILENO);
    }

private:
    pid_t host;
};

// The fields of a /proc stat file from the state on: "pid (name) state ppid pgrp ...";
// the name may hold anything, so the fields are counted after its last parenthesis.
QList<QByteArray> statFields(const QString& path)
{
    QFile stat(path);
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.read(1024);
    const int close = line.lastIndexOf(')');
    if (close < 0)
        return {};
    return line.mid(close + 2).split(' ');
}

bool zombie(const QByteArray& state)
{
    return state == "Z" || state == "X";
}

// Whether process `pid` runs in group `group`.  A process whose main thread has exited
// shows as a zombie while its other threads run on: it runs while one of them does.
bool runsInGroup(const QString& pid, qint64 group)
{
    const QList<QByteArray> fields = statFields(QStringLiteral("/proc/%1/stat").arg(pid));
    if (fields.size() < 3 || fields[2].toLongLong() != group)
        return false;
    if (!zombie(fields[0]))
        return true;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    const QStringList threads = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& thread : threads) {
        const QList<QByteArray> threadFields = statFields(QStringLiteral("%1/%2/stat").arg(tasks, thread));
        if (!threadFields.isEmpty() && !zombie(threadFields[0]))
            return true;
    }
    return false;
}

// Whether a process other than a zombie is left in group `group`.  `member` is one found
// last time, looked at first.
bool processGroupAlive(qint64 group, qint64& member)
{
    if (group <= 1)
        return false;
    if (::kill(static_cast<pid_t>(-group), 0) != 0 && errno == ESRCH)
        return false;
    // Zombies answer kill() until someone reaps them, which not every system's first
    // process does; they run no more.
    if (member > 0 && runsInGroup(QString::number(member), group))
        return true;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.at(0).isDigit() && runsInGroup(entry, group)) {
            member = entry.toLongLong();
            return true;
        }
    }
    return false;
}

// The processes that run in group `group`.
QList<qint64> groupMembers(qint64 group)
{
    QList<qint64> members;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.at(0).isDigit() && runsInGroup(entry, group))
            members.append(entry.toLongLong());
    }
    std::sort(members.begin(), members.end());
    return members;
}

// GBK as the console reads it: a byte below 0x80 alone, or a lead byte 0x81 to 0xFE and
// a trail byte 0x40 to 0xFE other than 0x7F.  Returns how many bytes of `s` are GBK;
// `lead` says, before and after, whether a lead byte waits for its trail.
int validGbk(const char* s, int n, bool& lead)
{
    for (int i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (lead) {
            if (c < 0x40 || c == 0x7F || c == 0xFF)
                return i;
            lead = false;
        } else if (c >= 0x80) {
            if (c == 0x80 || c == 0xFF)
                return i;
            lead = true;
        }
    }
    return n;
}

} // namespace

static_assert(DlgIPCImp::MaxBlockChars == LongLineText::MaxBlockChars, "one block length for every output view");

// A line is shown as it comes, in the encoding it starts in: the one the run's last line
// valid in only one of the two encodings was valid in (of either channel; a line valid in
// both or in neither decides nothing), UTF-8 before any has decided.  Where its bytes are
// no longer valid in that encoding, it is
// shown in the other one (UTF-8 to GBK always; GBK to UTF-8 when the line is UTF-8).
// While no more than MaxReshownChars characters of the line were shown before that
// byte, the whole line is shown again, and `retract` says how many characters shown by
// earlier reads the start of the text returned replaces; only those bytes are kept.  Past
// them, what was shown stays: a UTF-8 line goes on as GBK from the byte where it failed,
// and a GBK line stays GBK.  A character cut in two by the end of a read waits for its
// rest; one still cut off when the output ends shows as a replacement mark.
struct DlgIPCImp::Decoder
{
    explicit Decoder(bool& bothWaysAsGbk)
        : gbkRun(bothWaysAsGbk)
    {
    }

    // Lines valid both ways start as GBK: the run's last line that decided was GBK.
    bool& gbkRun;
    enum class Encoding { Utf8, Gbk };
    Encoding encoding = Encoding::Utf8;
    bool atLineStart = true;
    // The line's encoding changes no more.
    bool settled = false;
    // More than MaxReshownChars characters of the line were shown: it is not shown again.
    bool beyond = false;
    // The bytes of the line shown so far (and a GBK lead byte waiting for its trail), while
    // not beyond, and how many characters they showed as.
    QByteArray kept;
    int keptChars = 0;
    qint64 mostKept = 0;
    // UTF-8: the start of a character cut off by the end of the last read.
    QByteArray cut;
    // GBK: a lead byte waits for its trail in the decoder; the decoder was given part of
    // a line (it may hold a byte of it).
    bool gbkLead = false;
    bool gbkUsed = false;
    std::unique_ptr<QTextDecoder> gbk{gbkCodec()->makeDecoder()};
    // Set by decode(): characters of the current line shown before that the start of the
    // text returned replaces, and how many characters that start has.
    int retract = 0;
    int redecoded = 0;

    // Whether the bytes of the line so far, all of them whatever they were shown as, are
    // UTF-8 and GBK; the end of a character that has begun is awaited in each.
    struct Judge
    {
        bool utf8 = true;
        bool gbk = true;
        int utf8Rest = 0;
        unsigned char low = 0x80, high = 0xBF;
        bool gbkLead = false;

        void feed(const char* s, int n)
        {
            if (gbk)
                gbk = validGbk(s, n, gbkLead) == n;
            for (int i = 0; i < n && utf8; ++i) {
                const auto c = static_cast<unsigned char>(s[i]);
                if (utf8Rest > 0) {
                    utf8 = c >= low && c <= high;
                    --utf8Rest;
                    low = 0x80;
                    high = 0xBF;
                } else if (c >= 0x80) {
                    // No overlong forms and no surrogates, as validUtf8.
                    utf8Rest = c >= 0xC2 && c <= 0xDF ? 1 : c >= 0xE0 && c <= 0xEF ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : -1;
                    utf8 = utf8Rest > 0;
                    low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
                    high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
                }
            }
        }
        // The line is whole: a character still awaited makes it invalid in its encoding.
        bool wholeUtf8() const { return utf8 && utf8Rest == 0; }
        bool wholeGbk() const { return gbk && !gbkLead; }
    };
    Judge judge;

    // A character has begun and its rest has not come.
    bool partial() const { return !cut.isEmpty() || gbkLead; }

    // The start of the line shown again could not replace what it showed before: that
    // stays, and the line is not shown again (what it shows from here on no count holds).
    void keepAsShown()
    {
        beyond = true;
        kept = QByteArray();
        keptChars = 0;
    }

    // The line has ended, or the output: nothing of it is kept.  A line judged whole that
    // is valid in only one encoding decides how the run's next lines valid in both are
    // shown; `decides` is false where not all of its bytes were judged (the line was taken
    // as valid in the encoding it was shown in, which cannot change what was decided).
    void endLine(bool decides = true)
    {
        if (decides && judge.wholeUtf8() != judge.wholeGbk())
            gbkRun = judge.wholeGbk();
        judge = Judge();
        cut.clear();
        atLineStart = true;
        settled = false;
        beyond = false;
        kept = QByteArray();
        keptChars = 0;
        gbkLead = false;
        if (gbkUsed)
            gbk.reset(gbkCodec()->makeDecoder());
        gbkUsed = false;
    }

    // `atEnd`: no more bytes come.
    QString decode(const QByteArray& bytes, bool atEnd)
    {
        const QByteArray data = cut + bytes;
        // The cut-off start of a character was judged with the read it came in.
        const int judged = cut.size();
        cut.clear();
        retract = 0;
        redecoded = 0;
        QString text;
        // What of the first line earlier reads showed, while it can be shown again.
        const int keptBefore = kept.size() - (gbkLead ? 1 : 0);
        const int charsBefore = keptChars;
        int pos = 0;
        while (pos < data.size()) {
            if (atLineStart) {
                atLineStart = false;
                encoding = gbkRun ? Encoding::Gbk : Encoding::Utf8;
            }
            const bool first = pos == 0;
            const char* at = data.constData() + pos;
            if (!settled) {
                // The whole lines that are valid in the encoding they start in, at once: a
                // fast program's many short lines cost no more than one long one.
                const bool gbkLines = encoding == Encoding::Gbk;
                if (gbkLines == gbkRun) {
                    bool lead = gbkLead, cutOff = false;
                    const int valid = gbkLines ? validGbk(at, data.size() - pos, lead)
                                               : validUtf8(at, data.size() - pos, cutOff);
                    const int lastLineFeed = valid > 0 ? data.lastIndexOf('\n', pos + valid - 1) : -1;
                    if (lastLineFeed >= pos) {
                        const int wholeLines = lastLineFeed + 1 - pos;
                        text += gbkLines ? gbk->toUnicode(at, wholeLines) : QString::fromUtf8(at, wholeLines);
                        // Valid in the encoding lines valid both ways are shown in: they
                        // decide nothing new.
                        endLine(false);
                        pos = lastLineFeed + 1;
                        continue;
                    }
                }
            }
            const int lineFeed = data.indexOf('\n', pos);
            const int end = lineFeed < 0 ? data.size() : lineFeed + 1;
            const int fresh = std::max(pos, judged);
            if (end > fresh)
                judge.feed(data.constData() + fresh, end - fresh);
            decodeLine(at, end - pos, text, text.size(), first ? keptBefore : 0,
                       first ? charsBefore : 0);
            if (lineFeed >= 0)
                endLine();
            pos = end;
        }
        if (atEnd && partial()) {
            text += QChar(QChar::ReplacementCharacter);
            cut.clear();
            // A line the output's end cut off in a character decides nothing.
            endLine(false);
        }
        return text;
    }

private:
    // Bytes shown of the line: kept while the line is within the bound.
    void keep(const char* s, int n, int chars)
    {
        if (beyond)
            return;
        if (keptChars + chars > MaxReshownChars) {
            beyond = true;
            kept = QByteArray();
            keptChars = 0;
            return;
        }
        kept.append(s, n);
        keptChars += chars;
        mostKept = std::max(mostKept, qint64(kept.size()));
    }

    // GBK whatever it holds, as the codec shows it; a lead byte at the end waits.
    void showGbk(const char* s, int n, QString& text)
    {
        gbkUsed = true;
        text += gbk->toUnicode(s, n);
        gbkLead = leadAtEnd(s, n, gbkLead);
    }

    static bool leadAtEnd(const char* s, int n, bool lead)
    {
        for (int i = 0; i < n; ++i) {
            const auto c = static_cast<unsigned char>(s[i]);
            lead = !lead && c >= 0x81 && c <= 0xFE;
        }
        return lead;
    }

    // The kept line shown again in `to`, replacing what `text` holds of it from `from` on.
    void showAgain(Encoding to, QString& text, int from, int keptBefore, int charsBefore)
    {
        text.truncate(from);
        QString again;
        int before = 0;
        if (to == Encoding::Gbk) {
            gbk.reset(gbkCodec()->makeDecoder());
            gbkUsed = true;
            again = gbk->toUnicode(kept.constData(), keptBefore);
            before = again.size();
            again += gbk->toUnicode(kept.constData() + keptBefore, kept.size() - keptBefore);
            gbkLead = leadAtEnd(kept.constData(), kept.size(), false);
        } else {
            int boundary = keptBefore;
            while (boundary < kept.size() && (static_cast<unsigned char>(kept[boundary]) & 0xC0) == 0x80)
                ++boundary;
            before = QString::fromUtf8(kept.constData(), boundary).size();
            // Whole: a NUL in the line is shown, not the end of it.
            again = QString::fromUtf8(kept.constData(), kept.size());
        }
        if (charsBefore > 0) {
            retract = charsBefore;
            redecoded = before;
        }
        keptChars = again.size();
        text += again;
        encoding = to;
    }

    // `s` continues the current line (a line feed ends it); `from` is where `text` holds
    // what this read showed of it.
    void decodeLine(const char* s, int n, QString& text, int from, int keptBefore, int charsBefore)
    {
        if (settled) {
            showGbk(s, n, text);
            return;
        }
        if (encoding == Encoding::Gbk) {
            const int valid = validGbk(s, n, gbkLead);
            gbkUsed = true;
            const QString shown = gbk->toUnicode(s, valid);
            text += shown;
            keep(s, valid, shown.size());
            if (valid == n)
                return;
            // No GBK: UTF-8 when the whole line is.
            if (!beyond) {
                const QByteArray line = kept + QByteArray::fromRawData(s + valid, n - valid);
                bool cutOff = false;
                const int utf8 = validUtf8(line.constData(), line.size(), cutOff);
                if (utf8 == line.size() || cutOff) {
                    gbkLead = false;
                    kept = line.left(utf8);
                    cut = line.mid(utf8);
                    showAgain(Encoding::Utf8, text, from, keptBefore, charsBefore);
                    if (keptChars > MaxReshownChars) {
                        beyond = true;
                        kept = QByteArray();
                        keptChars = 0;
                    }
                    mostKept = std::max(mostKept, qint64(kept.size()));
                    return;
                }
            }
            settled = true;
            kept = QByteArray();
            keptChars = 0;
            showGbk(s + valid, n - valid, text);
            return;
        }
        bool cutOff = false;
        const int valid = validUtf8(s, n, cutOff);
        const QString shown = QString::fromUtf8(s, valid);
        keep(s, valid, shown.size());
        if (valid == n || cutOff) {
            text += shown;
            cut = QByteArray(s + valid, n - valid);
            return;
        }
        // No UTF-8: GBK, the whole line while it is within the bound.
        settled = true;
        if (!beyond) {
            kept.append(s + valid, n - valid);
            showAgain(Encoding::Gbk, text, from, keptBefore, charsBefore);
        } else {
            text += shown;
            encoding = Encoding::Gbk;
            gbk.reset(gbkCodec()->makeDecoder());
            gbkLead = false;
            showGbk(s + valid, n - valid, text);
        }
        kept = QByteArray();
        keptChars = 0;
    }
};

struct DlgIPCImp::Ui
{
    QPushButton* pb_save = nullptr;
    QPushButton* pb_copy = nullptr;
    QPushButton* pb_clear = nullptr;
    QPushButton* pb_darkmode = nullptr;
    QTextBrowser* tb_output = nullptr;
    QProgressBar* progressBar_ipc = nullptr;
    QPushButton* pb_test_run = nullptr;
    QPushButton* pb_stop = nullptr;
    QPushButton* pb_close = nullptr;

    void setupUi(QDialog* dialog)
    {
        dialog->setObjectName(QStringLiteral("DlgIPC"));
        dialog->resize(600, 500);
        dialog->setWindowTitle(QApplication::translate("DlgIPC", "Dialog"));
        auto* grid = new QGridLayout(dialog);
        grid->setSpacing(1);
        grid->setContentsMargins(3, 3, 3, 3);
        auto* column = new QVBoxLayout();
        grid->addLayout(column, 0, 0);
        auto button = [dialog](const char* name, const char* text) {
            auto* b = new QPushButton(QApplication::translate("DlgIPC", text), dialog);
            b->setObjectName(QString::fromLatin1(name));
            return b;
        };
        auto* tools = new QHBoxLayout();
        pb_save = button("pb_save", "Save");
        pb_copy = button("pb_copy", "Copy");
        pb_clear = button("pb_clear", "Clear");
        pb_darkmode = button("pb_darkmode", "DarkMode");
        for (QPushButton* b : {pb_save, pb_copy, pb_clear, pb_darkmode})
            tools->addWidget(b);
        tools->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
        column->addLayout(tools);
        tb_output = new OutputBrowser(dialog);
        tb_output->setObjectName(QStringLiteral("tb_output"));
        column->addWidget(tb_output);
        progressBar_ipc = new QProgressBar(dialog);
        progressBar_ipc->setObjectName(QStringLiteral("progressBar_ipc"));
        progressBar_ipc->setValue(100);
        column->addWidget(progressBar_ipc);
        auto* buttons = new QHBoxLayout();
        pb_test_run = button("pb_test_run", "Test Run");
        pb_stop = button("pb_stop", "Stop");
        pb_close = button("pb_close", "Close");
        buttons->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
        buttons->addWidget(pb_test_run);
        buttons->addWidget(pb_stop);
        buttons->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
        buttons->addWidget(pb_close);
        buttons->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
        column->addLayout(buttons);
    }
};

DlgIPCImp::DlgIPCImp(const QString& title, bool keep, QWidget* parent)
    : QDialog(nullptr)
    , ui(std::make_unique<Ui>())
    , process(nullptr)
    , keepOpen(keep)
{
    ui->setupUi(this);
    // The title may name a command line or a file: its printable form.
    setWindowTitle(printableName(title));

    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    const struct
    {
        QPushButton* button;
        const char* icon;
        QString tip;
    } tools[] = {
        {ui->pb_copy, ":Icons/pelmora_copy.svg", tr("Copy text to the clipboard")},
        {ui->pb_clear, ":Icons/pelmora_clean.svg", tr("Clean the text field")},
        {ui->pb_save, ":Icons/pelmora_save.svg", tr("Save text to an external file")},
        {ui->pb_darkmode, ":Icons/theme-light-dark.svg", tr("Switch between dark and light modes")},
    };
    for (const auto& t : tools) {
        t.button->setText(QString());
        t.button->setIcon(QIcon(QString::fromLatin1(t.icon)));
        t.button->setToolTip(t.tip);
    }
    ui->pb_darkmode->setCheckable(true);
    // Text taken out of the view must not live on in its undo history.
    ui->tb_output->document()->setUndoRedoEnabled(false);
    // Qt's word wrap takes time in the square of the length of a run without a break
    // point; such a run is broken anywhere instead.
    ui->tb_output->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    ui->tb_output->setStyleSheet(QString::fromLatin1(LightStyle));
    ui->tb_output->ensureCursorVisible();
    ui->progressBar_ipc->setRange(0, 0);
    ui->pb_test_run->setIcon(QIcon(QStringLiteral(":Icons/restart_icon.svg")));
    ui->pb_test_run->setToolTip(tr("Reset to default plotting parameters"));
    ui->pb_test_run->hide();
    ui->pb_close->setIcon(QIcon(QStringLiteral(":Icons/pelmora_solve.svg")));
    ui->pb_close->setToolTip(tr("Close this dialog"));
    ui->pb_stop->setIcon(QIcon(QStringLiteral(":Icons/pelmora_abort_ipc.svg")));
    ui->pb_stop->setToolTip(tr("Stop"));
    // Return presses no tool button (Save would open a file dialog) and, while a run goes
    // on, nothing at all; then it is Close.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);
    ui->pb_close->setDefault(true);

    flushTimer = new QTimer(this);
    flushTimer->setObjectName(QStringLiteral("outputFlush"));
    flushTimer->setSingleShot(true);
    flushTimer->setInterval(FlushIntervalMs);
    connect(flushTimer, &QTimer::timeout, this, [this] { flushPending(false); });
    graceTimer = new QTimer(this);
    graceTimer->setObjectName(QStringLiteral("stopGrace"));
    graceTimer->setSingleShot(true);
    // A coarse timer may fire 5% early: the grace is the least a program gets.
    graceTimer->setTimerType(Qt::PreciseTimer);
    graceTimer->setInterval(StopGraceMs);
    connect(graceTimer, &QTimer::timeout, this, [this] {
        killGroup();
        checkRunOver();
    });
    watchTimer = new QTimer(this);
    watchTimer->setObjectName(QStringLiteral("runWatch"));
    connect(watchTimer, &QTimer::timeout, this, [this] {
        if (killSent)
            ++checksAfterKill;
        checkRunOver();
    });
    makeProcess();
    // An application that quits while a run goes on leaves nothing of it behind.
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &DlgIPCImp::applicationQuits);
    if (parent) {
        watchedWindow = parent->window();
        watchedWindow->installEventFilter(this);
        connect(watchedWindow, &QObject::destroyed, this, [this] {
            // Gone without a close to refuse: the run ends, and with it the dialog.
            if (runActive)
                stopRun(true);
            else if (isVisible()) {
                closeDialog();
            }
        });
    }
    connect(ui->pb_copy, &QPushButton::clicked, this, &DlgIPCImp::slot_btnCopy_clicked);
    connect(ui->pb_clear, &QPushButton::clicked, this, &DlgIPCImp::slot_btnClear_clicked);
    connect(ui->pb_save, &QPushButton::clicked, this, &DlgIPCImp::slot_btnSave_clicked);
    connect(ui->pb_darkmode, &QPushButton::clicked, this, &DlgIPCImp::slot_btnDarkMode_clicked);
    connect(ui->pb_test_run, &QPushButton::clicked, this, &DlgIPCImp::slot_pb_test_run_clicked);
    connect(ui->pb_close, &QPushButton::clicked, this, &DlgIPCImp::slot_pb_close_clicked);
    connect(ui->pb_stop, &QPushButton::clicked, this, &DlgIPCImp::slot_pb_stop_clicked);
}

void DlgIPCImp::makeProcess()
{
    process = new RunProcess(this);
    // The output is read from the console's own pipes (see RunProcess).
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    connect(process, &QProcess::started, this, &DlgIPCImp::onChildStarted);
    connect(process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &DlgIPCImp::onChildFinished);
    connect(process, &QProcess::errorOccurred, this, &DlgIPCImp::onChildError);
}

DlgIPCImp::~DlgIPCImp()
{
    // No finish handling may reach a dialog being destroyed; nothing of its run outlives
    // it.
    process->disconnect(this);
    if (runActive)
        signalGroup(SIGKILL);
    delete process;
    for (int channel : {0, 1}) {
        if (outputFd[channel] >= 0)
            ::close(outputFd[channel]);
    }
}

QTextBrowser* DlgIPCImp::output() const
{
    return ui->tb_output;
}

QProgressBar* DlgIPCImp::progressBar() const
{
    return ui->progressBar_ipc;
}

bool DlgIPCImp::startRunning(const QString& executable, const QStringList& arguments)
{
    if (!runActive && endToReport) {
        // The last run is over, the end of its output still to be shown: it is shown and
        // its end told now, and the dialog stays for the run that starts.
        startingNext = true;
        flushPending(true);
        startingNext = false;
    }
    if (runActive) {
        // Said after what the run wrote so far, which is shown in its own time.
        const QString line = QStringLiteral("\nNot started (%1): the current run is not over yet.\n").arg(executable);
        pending += line;
        pendingLines += line.count(QLatin1Char('\n'));
        if (!flushTimer->isActive())
            flushTimer->start();
        return false;
    }
    if (executable.isEmpty() || !QFileInfo::exists(executable)) {
        reportFailedStart(executable.isEmpty() ? QStringLiteral("no program was given")
                                               : QStringLiteral("%1 does not exist").arg(executable));
        return false;
    }
    // A run's header starts a line of its own, also after a last run whose last line has
    // no line feed.
    flushPending(true);
    const QTextDocument* doc = ui->tb_output->document();
    if (doc->characterCount() > 1 && doc->characterAt(doc->characterCount() - 2) != QChar::ParagraphSeparator)
        appendToTextBrowser(QStringLiteral("\n"));
    appendToTextBrowser(QStringLiteral("Executable: %1\n").arg(executable));
    appendToTextBrowser(QStringLiteral("Arguments: %1\n").arg(arguments.join(QLatin1Char(' '))));
    errorWord = false;
    warningWord = false;
    for (QByteArray& tail : wordTail)
        tail.clear();
    errorFound = false;
    // Nothing of the previous run decides how this one went.
    exitCode = 1;
    exitStatus = QProcess::NormalExit;
    stoppedByUser = false;
    closed = false;
    stopping = false;
    closeWhenOver = false;
    killSent = false;
    checksAfterKill = 0;
    killError = 0;
    launcherDone = false;
    failedToStart = false;
    startError.clear();
    runGroup = 0;
    groupMember = 0;
    // One decoder per channel keeps a character split between two reads whole.
    bothWaysAsGbk = false;
    outputLost.clear();
    for (auto& d : decoder)
        d = std::make_unique<Decoder>(bothWaysAsGbk);
    ui->progressBar_ipc->setRange(0, 0);
    runActive = true;
    ui->pb_close->setDefault(false);
    QString error;
    if (!openOutput(error)) {
        launcherDone = true;
        failedToStart = true;
        startError = error;
        checkRunOver();
        return true;
    }
    auto* run = static_cast<RunProcess*>(process);
    int childEnds[2] = {-1, -1};
    for (int channel : {0, 1})
        childEnds[channel] = run->outputFd[channel];
    // The file checked above is the one started: a bare name would be looked up on PATH.
    process->start(QFileInfo(executable).absoluteFilePath(), arguments, QIODevice::ReadWrite);
    // Nothing is ever written to the run: a program that reads its input meets its end
    // rather than waiting for ever.
    process->closeWriteChannel();
    // Only the run's processes hold the write ends now; the output closes when they have
    // all ended.
    for (int channel : {0, 1}) {
        ::close(childEnds[channel]);
        run->outputFd[channel] = -1;
    }
    const qint64 pid = process->processId();
    if (pid > 0) {
        runGroup = pid;
        // Also from here, so that the group exists before anything signals it; once the
        // child has run its program this fails, the child having done it itself.
        ::setpgid(static_cast<pid_t>(pid), static_cast<pid_t>(pid));
    }
    return true;
}

// The pipes the run writes to: the dialog reads one end without blocking; the child's
// ends are handed to RunProcess.
bool DlgIPCImp::openOutput(QString& error)
{
    int ends[2][2] = {{-1, -1}, {-1, -1}};
    for (int channel : {0, 1}) {
        if (::pipe2(ends[channel], O_CLOEXEC) != 0) {
            error = QString::fromLocal8Bit(std::strerror(errno));
            for (int c = 0; c < channel; ++c) {
                ::close(ends[c][0]);
                ::close(ends[c][1]);
            }
            return false;
        }
    }
    auto* run = static_cast<RunProcess*>(process);
    for (int channel : {0, 1}) {
        ::fcntl(ends[channel][0], F_SETFL, ::fcntl(ends[channel][0], F_GETFL) | O_NONBLOCK);
        outputFd[channel] = ends[channel][0];
        run->outputFd[channel] = ends[channel][1];
        outputNotifier[channel] = new QSocketNotifier(outputFd[channel], QSocketNotifier::Read, this);
        connect(outputNotifier[channel], &QSocketNotifier::activated, this, [this, channel] {
            readOutput(channel);
            if (outputFd[channel] < 0)
                checkRunOver();
        });
    }
    return true;
}

bool DlgIPCImp::isRunning() const
{
    return runActive;
}

qint64 DlgIPCImp::mostLineBytesKept() const
{
    qint64 most = 0;
    for (const auto& d : decoder) {
        if (d)
            most = std::max(most, d->mostKept);
    }
    return most;
}

// Reads what the run wrote to one channel, a bounded amount at a time so that a fast
// program leaves the window time for other events; the end of the pipe closes it.
void DlgIPCImp::readOutput(int channel)
{
    const int fd = outputFd[channel];
    if (fd < 0)
        return;
    QByteArray bytes;
    char buffer[64 * 1024];
    bool ended = false;
    try {
        for (int round = 0; round < 16; ++round) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                // Judged as read, before anything that may fail.
                lookForWords(QByteArray::fromRawData(buffer, static_cast<int>(n)), wordTail[channel]);
                bytes.append(buffer, static_cast<int>(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
            // The end of the output, or a pipe that cannot be read any more: closed once
            // what was read before it is shown.
            if (n < 0) {
                const QString why = QString::fromLocal8Bit(std::strerror(errno));
                loseOutput(QStringLiteral("it could not be read: %1").arg(why));
            }
            ended = true;
            break;
        }
    } catch (const std::bad_alloc&) {
        // What was read so far is shown; the rest of this read is lost.
        loseOutput(QStringLiteral("there was not enough memory to keep it"));
    }
    showRead(bytes, channel);
    if (ended)
        closeOutput(channel);
}

void DlgIPCImp::closeOutput(int channel)
{
    if (outputFd[channel] < 0)
        return;
    // The start of a character whose rest never came.
    showRead(QByteArray(), channel, true);
    if (decoder[channel])
        decoder[channel]->endLine();
    delete outputNotifier[channel];
    outputNotifier[channel] = nullptr;
    ::close(outputFd[channel]);
    outputFd[channel] = -1;
}

void DlgIPCImp::showRead(const QByteArray& bytes, int channel, bool atEnd)
{
    Decoder* d = decoder[channel].get();
    if (bytes.isEmpty() && (!atEnd || !d || !d->partial()))
        return;
    try {
        QString text = d ? d->decode(bytes, atEnd) : QString::fromUtf8(bytes.constData(), bytes.size());
        if (d && d->retract > 0) {
            if (retractShown(channel, d->retract)) {
                lastLineTail -= d->retract;
            } else {
                // Its start stays as it was shown, and the line is not shown again.
                text.remove(0, d->redecoded);
                d->keepAsShown();
            }
        }
        if (!text.isEmpty()) {
            const int lineFeed = text.lastIndexOf(QLatin1Char('\n'));
            lastLineTail = lineFeed >= 0 ? text.size() - lineFeed - 1
                                         : (lastShownChannel == channel ? lastLineTail : 0) + text.size();
            lastShownChannel = channel;
        }
        pending += text;
        pendingLines += text.count(QLatin1Char('\n'));
        keepPendingBounded(false);
    } catch (const std::bad_alloc&) {
        loseOutput(QStringLiteral("there was not enough memory to keep it"));
        if (d)
            d->endLine(false);
    }
    if (!flushTimer->isActive())
        flushTimer->start();
}

// Output of the run was lost: the run has failed, and its end says why.
void DlgIPCImp::loseOutput(const QString& why)
{
    if (outputLost.isEmpty())
        outputLost = why;
}

// The words are looked for in the bytes as written, ASCII letters in any case, so that
// no decoding of what surrounds them can hide them; in place, as a read that could not be
// copied is judged too.
void DlgIPCImp::lookForWords(const QByteArray& bytes, QByteArray& tail)
{
    if (errorWord && warningWord)
        return;
    const auto contains = [](const char* s, int n, const char* word) {
        const int length = int(std::strlen(word));
        for (int i = 0; i + length <= n; ++i) {
            int k = 0;
            while (k < length && (s[i + k] | 0x20) == word[k])
                ++k;
            if (k == length)
                return true;
        }
        return false;
    };
    // The last bytes of the piece before and the first of this one hold a word split
    // between them.
    char joint[12];
    const int fromTail = std::min(int(tail.size()), 6);
    const int fromBytes = std::min(int(bytes.size()), 6);
    std::memcpy(joint, tail.constData() + tail.size() - fromTail, size_t(fromTail));
    std::memcpy(joint + fromTail, bytes.constData(), size_t(fromBytes));
    for (const auto& [word, flag] : {std::make_pair("error", &errorWord), std::make_pair("warning", &warningWord)}) {
        if (!*flag)
            *flag = contains(joint, fromTail + fromBytes, word) || contains(bytes.constData(), bytes.size(), word);
    }
    // A copy: `bytes` may be the read's own buffer.
    if (bytes.size() >= 6)
        tail = QByteArray(bytes.constData() + bytes.size() - 6, 6);
    else
        tail = QByteArray(joint + std::max(0, fromTail + fromBytes - 6), std::min(6, fromTail + fromBytes));
}

// Output that the view would drop at once is dropped before it is shown.  Trimmed to the
// limits only when twice over them (or `toLimit`), so that a fast program costs a
// constant amount per character.
void DlgIPCImp::keepPendingBounded(bool toLimit)
{
    const int slack = toLimit ? 1 : 2;
    if (pendingLines <= slack * MaxKeptLines && pending.size() <= slack * MaxKeptChars)
        return;
    int cut = 0;
    if (pendingLines > MaxKeptLines) {
        for (int skip = pendingLines - MaxKeptLines; skip > 0; --skip)
            cut = pending.indexOf(QLatin1Char('\n'), cut) + 1;
    }
    cut = std::max(cut, pending.size() - MaxKeptChars);
    const int removedLines = pending.leftRef(cut).count(QLatin1Char('\n'));
    pending.remove(0, cut);
    pendingLines -= removedLines;
    droppedLines += removedLines;
}

// Shows what was read, a slice at a time when called by the timer: a slice costs the
// event loop a few milliseconds, where ten thousand lines at once would stall it.
void DlgIPCImp::flushPending(bool everything)
{
    flushTimer->stop();
    if (!pending.isEmpty())
        keepPendingBounded(true);
    const bool any = !pending.isEmpty();
    while (!pending.isEmpty()) {
        int end = 0;
        int lines = 0;
        while (lines < MaxLinesPerSlice && end < pending.size()) {
            const int next = pending.indexOf(QLatin1Char('\n'), end);
            if (next < 0) {
                end = pending.size();
                break;
            }
            end = next + 1;
            ++lines;
        }
        if (end > MaxCharsPerSlice) {
            end = MaxCharsPerSlice;
            lines = pending.leftRef(end).count(QLatin1Char('\n'));
        }
        if (!showInView(pending.left(end))) {
            // What the view cannot take is not shown; the run's end says so.
            end = pending.size();
            lines = pendingLines;
        }
        pending.remove(0, end);
        pendingLines -= lines;
        if (!everything)
            break;
    }
    if (any)
        ui->tb_output->moveCursor(QTextCursor::End);
    if (!pending.isEmpty()) {
        flushTimer->start();
    } else if (endToReport) {
        endToReport = false;
        reportEnd();
    }
}

// The view keeps the last MaxKeptLines lines and MaxKeptChars characters; above them a
// note says how many lines went.
void DlgIPCImp::trimOutput()
{
    QTextDocument* doc = ui->tb_output->document();
    const int noteBlocks = notedLines > 0 ? 1 : 0;
    const int excessLines = doc->blockCount() - continuationBlocks - noteBlocks - MaxKeptLines;
    const int excessChars = doc->characterCount() - MaxKeptChars;
    if (excessLines <= 0 && excessChars <= 0 && droppedLines == notedLines)
        return;
    const QTextBlock first = noteBlocks ? doc->firstBlock().next() : doc->firstBlock();
    const int start = first.position();
    // Whole blocks go from the top: the lines over the limit, then the blocks up to the
    // first whose start brings the characters under theirs.  Without such a block the
    // cut falls inside the last one.
    const int charsEnd = start + excessChars;
    int lineStarts = 0;
    int pieces = 0;
    QTextBlock keep = first;
    QTextBlock last = first;
    for (; keep.isValid(); keep = keep.next()) {
        const bool continues = LongLineText::continuesLine(keep);
        const bool linesDone = excessLines <= 0 || (lineStarts >= excessLines && !continues);
        if (linesDone && (excessChars <= 0 || keep.position() > charsEnd))
            break;
        (continues ? pieces : lineStarts) += 1;
        last = keep;
    }
    int cut = start;
    bool keptContinues = false;
    if (keep.isValid()) {
        cut = keep.position();
        keptContinues = LongLineText::continuesLine(keep);
    } else {
        cut = std::min(std::max(charsEnd, last.position()), doc->characterCount() - 1);
        keptContinues = LongLineText::continuesLine(last);
        if (keptContinues)
            --pieces;
    }
    const bool cutInsideLine = !keep.isValid() || keptContinues;
    QTextCursor cursor(doc);
    if (cut > start) {
        // A cut inside one long line counts it as a line, once: the first line shown
        // may be the rest of one counted already.
        droppedLines += lineStarts - (restOfRemovedLine ? 1 : 0);
        restOfRemovedLine = cutInsideLine;
        cursor.setPosition(start);
        cursor.setPosition(cut, QTextCursor::KeepAnchor);
        // What is left of a line whose start went begins the view's lines now; it keeps
        // how its line ended.
        const QTextBlockFormat keptFormat = LongLineText::lineStartFormat(keep.isValid() ? keep : last);
        cursor.removeSelectedText();
        cursor.setBlockFormat(keptFormat);
        continuationBlocks -= pieces + (keptContinues ? 1 : 0);
    }
    const QString note = tr("[%1 earlier lines of output were removed: the console keeps the last %2 lines]")
                             .arg(droppedLines)
                             .arg(MaxKeptLines);
    cursor.setPosition(0);
    if (notedLines > 0) {
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(note);
    } else {
        // The block split off takes the format of the one split, which is the first
        // line's; the note's own line is a plain one.
        cursor.insertText(note);
        cursor.insertBlock(cursor.blockFormat());
        cursor.setPosition(0);
        cursor.setBlockFormat(QTextBlockFormat());
    }
    notedLines = droppedLines;
}

// Inserts at the end of the view, an over-long line in blocks of bounded length.
void DlgIPCImp::insertAtEnd(const QString& text)
{
    QTextCursor cursor(ui->tb_output->document());
    continuationBlocks += LongLineText::insertAtEnd(cursor, text, LongLineText::Pieces::OneStream);
}

// Takes back the last `count` characters shown of the channel's current line, when they
// are the last ones shown and the view holds them as one block.
bool DlgIPCImp::retractShown(int channel, int count)
{
    // Only what this channel's line showed since the other channel's output last came.
    if (lastShownChannel != channel || count > lastLineTail)
        return false;
    const int fromPending = std::min(count, int(pending.size()));
    if (pending.rightRef(fromPending).contains(QLatin1Char('\n')))
        return false;
    const int fromView = count - fromPending;
    QTextDocument* doc = ui->tb_output->document();
    const QTextBlock last = doc->lastBlock();
    if (fromView > 0 && (LongLineText::continuesLine(last) || last.length() - 1 < fromView))
        return false;
    pending.chop(fromPending);
    if (fromView > 0) {
        QTextCursor cursor(doc);
        cursor.movePosition(QTextCursor::End);
        // Counted in UTF-16 units, as the text was: moving left would step over whole
        // characters (a surrogate pair, a letter with its marks) and take earlier output.
        cursor.setPosition(cursor.position() - fromView, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    return true;
}

void DlgIPCImp::appendToTextBrowser(const QString& text)
{
    // The program's output read so far comes first.
    flushPending(true);
    lastShownChannel = -1;
    showInView(text);
    ui->tb_output->moveCursor(QTextCursor::End);
}

// Adds `text` to the view and trims it; false when there was not enough memory for it
// (output of a run that is lost so fails it).
bool DlgIPCImp::showInView(const QString& text)
{
    bool added = false;
    try {
        insertAtEnd(text);
        added = true;
        trimOutput();
        return true;
    } catch (const std::bad_alloc&) {
        loseOutput(QStringLiteral("there was not enough memory to show it"));
    }
    return added;
}

void DlgIPCImp::slot_pb_test_run_clicked()
{
}

void DlgIPCImp::onChildStarted()
{
}

// The first program of the run has ended; the run goes on while other programs of it
// run or hold its output open.
void DlgIPCImp::onChildFinished(int code, QProcess::ExitStatus status)
{
    if (!runActive || launcherDone)
        return;
    exitCode = code;
    exitStatus = status;
    launcherDone = true;
    checkRunOver();
}

bool DlgIPCImp::groupAlive()
{
    return processGroupAlive(runGroup, groupMember);
}

bool DlgIPCImp::sendSignal(qint64 pid, int signal)
{
    return ::kill(static_cast<pid_t>(pid), signal) == 0;
}

void DlgIPCImp::signalGroup(int signal)
{
    if (runGroup > 1) {
        const bool sent = sendSignal(-runGroup, signal);
        if (signal == SIGKILL)
            killError = sent ? 0 : errno;
    } else if (signal == SIGKILL && process->state() != QProcess::NotRunning) {
        process->kill();
    }
}

void DlgIPCImp::killGroup()
{
    signalGroup(SIGKILL);
    if (!killSent) {
        killSent = true;
        checksAfterKill = 0;
    }
}

// The run is over when its first program has ended, every process of its group has
// ended and the output is closed.  Once the group is gone, a process that left it and
// still holds the output is no longer waited for: what is in the output is read, and the
// run ends.
void DlgIPCImp::checkRunOver()
{
    if (!runActive)
        return;
    // After SIGKILL the first program's end is looked for too: it may never come.
    if (!launcherDone && !killSent) {
        watchTimer->stop();
        return;
    }
    const bool outputOpen = outputFd[0] >= 0 || outputFd[1] >= 0;
    if (launcherDone && outputOpen && !stopping && groupAlive()) {
        // The end of the output comes as an event; the watch looks for the group's end,
        // which comes as none.
        if (!watchTimer->isActive() || watchTimer->interval() != 250)
            watchTimer->start(250);
        return;
    }
    bool givenUp = false;
    QList<qint64> unended;
    if (!launcherDone || groupAlive()) {
        if (!killSent || checksAfterKill < MaxChecksAfterKill) {
            // Quickly while the group is being ended, at ease while a program of the run
            // goes on with its output closed.
            const int interval = stopping ? StopWatchMs : 250;
            if (!watchTimer->isActive() || watchTimer->interval() != interval)
                watchTimer->start(interval);
            return;
        }
        // What SIGKILL did not end (a process that changed its user, say) is given up.
        unended = groupMembers(runGroup);
        if (!launcherDone && !unended.contains(process->processId()))
            unended.prepend(process->processId());
        giveUpRun();
        givenUp = true;
    }
    for (int channel : {0, 1}) {
        readOutput(channel);
        closeOutput(channel);
    }
    if (givenUp) {
        QStringList ids;
        for (qint64 pid : unended)
            ids.append(QString::number(pid));
        const QString why = killError != 0 ? QString::fromLocal8Bit(std::strerror(killError))
                                           : QStringLiteral("still running after SIGKILL");
        appendToTextBrowser(
            QStringLiteral("\nProcesses of the run that could not be ended: %1 (%2)\n").arg(ids.join(QStringLiteral(", ")), why));
    }
    watchTimer->stop();
    graceTimer->stop();
    runActive = false;
    ui->pb_close->setDefault(true);
    // Whether to end the run is no question any more.
    if (QMessageBox* box = question) {
        question = nullptr;
        box->done(QMessageBox::No);
    }
    if (runEndLoop)
        runEndLoop->quit();
    finishRun();
}

// A run whose first program could not be ended: its process object is left to it, and
// deletes itself once that program ends, if ever; a new one takes the next run.
void DlgIPCImp::giveUpRun()
{
    launcherDone = true;
    if (process->state() == QProcess::NotRunning)
        return;
    QProcess* left = process;
    left->disconnect(this);
    left->setParent(nullptr);
    connect(left, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), left, &QObject::deleteLater);
    makeProcess();
}

void DlgIPCImp::finishRun()
{
    if (failedToStart) {
        reportFailedStart(startError);
    } else {
        // How the run went is known now, however much of its output is still to be
        // shown: Close and hasErrors() go by it from here on.
        errorFound = stoppedByUser || exitStatus != QProcess::NormalExit || exitCode != 0 || errorWord
                     || !outputLost.isEmpty();
        // Much output still to show goes on in slices, the window reacting meanwhile; the
        // end is told after it, unless the dialog is to close now.
        if (!closeWhenOver && (pendingLines > MaxLinesPerSlice || pending.size() > MaxCharsPerSlice)) {
            endToReport = true;
            return;
        }
        flushPending(true);
        reportEnd();
    }
    if (closeWhenOver)
        closeDialog();
}

// A start that failed, or was refused, ends as a failed run: Close rejects at once.
void DlgIPCImp::reportFailedStart(const QString& why)
{
    exitCode = 1;
    exitStatus = QProcess::CrashExit;
    errorFound = true;
    ui->progressBar_ipc->setRange(0, 100);
    ui->progressBar_ipc->setValue(60);
    appendToTextBrowser(QStringLiteral("\nChild process could not be started: %1\n").arg(why));
}

void DlgIPCImp::reportEnd()
{
    const int code = exitCode;
    const QProcess::ExitStatus status = exitStatus;
    errorFound = false;
    ui->progressBar_ipc->setMaximum(100);
    if (!outputLost.isEmpty()) {
        appendToTextBrowser(
            QStringLiteral("\nOutput of the child process was lost (%1): the run has failed.\n").arg(outputLost));
    }
    // A run the user stopped may still have ended by itself just before: it failed all
    // the same.
    if (status == QProcess::NormalExit && code == 0 && !stoppedByUser) {
        if (errorWord) {
            ui->progressBar_ipc->setValue(90);
            appendToTextBrowser(QStringLiteral("\nChild process returns an error.\n"));
            errorFound = true;
        } else if (!outputLost.isEmpty()) {
            ui->progressBar_ipc->setValue(90);
            errorFound = true;
        } else if (warningWord) {
            ui->progressBar_ipc->setValue(100);
            appendToTextBrowser(QStringLiteral("\nChild process returns a warning.\n"));
        } else {
            ui->progressBar_ipc->setValue(100);
            if (!keepOpen && !startingNext)
                closeDialog();
        }
    } else {
        errorFound = true;
        ui->progressBar_ipc->setValue(60);
        appendToTextBrowser(QStringLiteral("\nChild process returns an error.\n"));
    }
}

void DlgIPCImp::onChildError(QProcess::ProcessError error)
{
    // Crashes and other ends come through onChildFinished; a program that never started
    // has no end of its own.
    if (error != QProcess::FailedToStart || !runActive || launcherDone)
        return;
    failedToStart = true;
    startError = process->errorString();
    launcherDone = true;
    checkRunOver();
}

void DlgIPCImp::closeDialog()
{
    if (closed)
        return;
    closed = true;
    if (exitStatus == QProcess::NormalExit && exitCode == 0 && !errorFound && !stoppedByUser)
        QDialog::accept();
    else
        QDialog::reject();
}

// The application quits: a run ends at once, with no grace, and a shown console closes
// once it is over.
void DlgIPCImp::applicationQuits()
{
    endNow(isVisible());
}

void DlgIPCImp::endNow(bool thenClose)
{
    if (runActive) {
        stopRun(thenClose);
        if (runActive) {
            graceTimer->stop();
            killGroup();
            checkRunOver();
        }
        waitForRunEnd();
    }
    if (thenClose) {
        if (endToReport)
            flushPending(true);
        closeDialog();
    }
}

void DlgIPCImp::done(int result)
{
    doneInExec = true;
    QDialog::done(result);
}

int DlgIPCImp::exec()
{
    // A nested call is QDialog's to refuse.
    if (inExec)
        return QDialog::exec();
    // Deleted here, once the end is reported, rather than by QDialog::exec.
    const bool deleteOnClose = testAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPointer<DlgIPCImp> alive(this);
    inExec = true;
    doneInExec = false;
    int result = QDialog::exec();
    if (!alive)
        return QDialog::Rejected;
    inExec = false;
    if (!doneInExec) {
        // The loop was left without a close: QCoreApplication::quit() ends every loop of
        // the thread, long before aboutToQuit.  The run ends now, as on that signal.
        endNow(true);
        result = this->result();
    }
    if (deleteOnClose)
        delete this;
    return result;
}

void DlgIPCImp::stopRun(bool thenClose)
{
    if (!runActive)
        return;
    closeWhenOver = closeWhenOver || thenClose;
    if (stopping) {
        checkRunOver();
        return;
    }
    stopping = true;
    stoppedByUser = true;
    errorFound = true;
    appendToTextBrowser(QStringLiteral("\nUser interrupted the child process.\n"));
    signalGroup(SIGTERM);
    graceTimer->start();
    checkRunOver();
}

void DlgIPCImp::slot_pb_stop_clicked()
{
    if (runActive)
        stopRun(false);
    else
        appendToTextBrowser(QStringLiteral("\nChild process is not running, Stop command ignored.\n"));
}

// Every way of closing but Stop: asks while a program of the run still runs (unless the
// user has already asked for the run to end), and closes once the run is over.  False
// when the user keeps the run going.
bool DlgIPCImp::closeByUser()
{
    if (runActive) {
        if (question) {
            // One question at a time: the one up decides.
            question->raise();
            question->activateWindow();
            return false;
        }
        if (!stopping) {
            QMessageBox box(
                QMessageBox::Warning, tr("Close"),
                tr("Closing this dialog (%1) will terminate the currently running process, do you want to continue?")
                    .arg(printableName(windowTitle())),
                QMessageBox::Yes | QMessageBox::No, this);
            showAsPlainText(box);
            question = &box;
            box.exec();
            // A question taken away because the run ended has no answer: the close goes
            // on as after that end.
            const bool taken = question != &box;
            question = nullptr;
            if (!taken && box.clickedButton() != box.button(QMessageBox::Yes))
                return false;
        }
        if (runActive) {
            stopRun(true);
            return true;
        }
    }
    // A run whose output is still being shown: its end is told now, which may close a
    // dialog not kept open.
    if (endToReport)
        flushPending(true);
    closeDialog();
    return true;
}

void DlgIPCImp::slot_pb_close_clicked()
{
    closeByUser();
}

void DlgIPCImp::reject()
{
    closeByUser();
}

void DlgIPCImp::closeEvent(QCloseEvent* event)
{
    if (!isVisible() && !runActive) {
        event->accept();
        return;
    }
    closeByUser();
    event->setAccepted(!isVisible());
}

void DlgIPCImp::waitForRunEnd()
{
    if (!runActive || runEndLoop)
        return;
    QEventLoop loop;
    runEndLoop = &loop;
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    runEndLoop = nullptr;
    // Once the application's quit has begun no loop runs until its own has returned;
    // the end is waited for event by event.  The watch timer runs while the run is being
    // stopped, and gives it up after a bounded number of looks.
    while (runActive)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
}

void DlgIPCImp::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        closed = false;
    QDialog::showEvent(event);
}

bool DlgIPCImp::eventFilter(QObject* watched, QEvent* event)
{
    // The parent window's close closes the console, or is refused when the user keeps
    // the run going.
    if (watched == watchedWindow && event->type() == QEvent::Close && (isVisible() || runActive)) {
        if (!closeByUser()) {
            event->ignore();
            return true;
        }
        // The window takes the application with it, as a rule: the run ends now, within
        // its grace, rather than with an event loop that may not come back.
        waitForRunEnd();
    }
    return QDialog::eventFilter(watched, event);
}

QString DlgIPCImp::askSaveFileName()
{
    return QFileDialog::getSaveFileName(this, tr("Save Console Output"), QString(),
                                        tr("Plain Text Files (*.txt *.log)"));
}

void DlgIPCImp::slot_btnSave_clicked()
{
    QString fileName = askSaveFileName();
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).completeSuffix().isEmpty())
        fileName += QStringLiteral(".log");
    flushPending(true);
    const QTextDocument* doc = ui->tb_output->document();
    const QByteArray text = LongLineText::writtenText(doc, 0, doc->characterCount() - 1).toUtf8();
    std::string error;
    if (!Vexil::saveFileAtomically(QFile::encodeName(fileName).toStdString(),
                                   std::string_view(text.constData(), static_cast<size_t>(text.size())), error)) {
        plainMessageBox(this, QMessageBox::Warning, tr("Save Console Output"),
                        tr("The output could not be saved to %1:\n%2")
                            .arg(printableName(fileName), printableName(QByteArray(error.c_str()))));
    }
}

void DlgIPCImp::slot_btnCopy_clicked()
{
    flushPending(true);
    const QTextDocument* doc = ui->tb_output->document();
    QApplication::clipboard()->setText(LongLineText::writtenText(doc, 0, doc->characterCount() - 1));
}

void DlgIPCImp::slot_btnClear_clicked()
{
    flushTimer->stop();
    pending.clear();
    pendingLines = 0;
    droppedLines = 0;
    notedLines = 0;
    continuationBlocks = 0;
    restOfRemovedLine = false;
    ui->tb_output->clear();
    if (endToReport) {
        endToReport = false;
        reportEnd();
    }
}

void DlgIPCImp::slot_btnDarkMode_clicked()
{
    ui->tb_output->setStyleSheet(QString::fromLatin1(ui->pb_darkmode->isChecked() ? DarkStyle : LightStyle));
}

} // namespace Gui
