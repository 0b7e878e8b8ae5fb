// The host's start-up with a window, opening FIRST from the command line; once its
// projects are open and the event loop has turned, SECOND is opened over them as a user
// does (Ctrl+O, "Remove existing projects": Yes).  Prints how long each took:
//   open_ms=...   from the start of the process until FIRST's projects were open
//   over_ms=...   the Ctrl+O of SECOND, the closing of every project of FIRST included
//   projects=...  how many projects are open afterwards
// Usage: open_over_driver FIRST SECOND PROJECTS-IN-FIRST

#include <support/ApplicationRun.h>

#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/MainWindow.h>
#include <obj/Application.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

namespace {

QElapsedTimer sinceStart;
std::string second;
std::size_t expected = 0;

// Answers Yes to every message box while the Ctrl+O runs.
void answerYes()
{
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
        if (QAbstractButton* yes = box->button(QMessageBox::Yes))
            yes->click();
}

void openOver()
{
    Gui::MainWindow* mw = Gui::MainWindow::get_main_window_inst();
    Gui::FileDialog::Backend backend;
    backend.openFileNames = [](QWidget*, const QString&, const QString&, const QString&, QString*,
                               QFileDialog::Options) { return QStringList{QString::fromStdString(second)}; };
    Gui::FileDialog::setBackend(backend);
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, answerYes);
    answerer.start(5);
    QApplication::setActiveWindow(mw);
    QElapsedTimer over;
    over.start();
    QTest::keyClick(mw, Qt::Key_O, Qt::ControlModifier);
    QCoreApplication::processEvents();
    std::printf("over_ms=%lld\nprojects=%zu\n", static_cast<long long>(over.elapsed()),
                Obj::Application::instance().get_projects().size());
    std::fflush(stdout);
    QCoreApplication::quit();
}

void waitForFirst(int triesLeft)
{
    if (Obj::Application::instance().get_projects().size() < expected && triesLeft > 0) {
        QTimer::singleShot(20, [triesLeft] { waitForFirst(triesLeft - 1); });
        return;
    }
    std::printf("open_ms=%lld\n", static_cast<long long>(sinceStart.elapsed()));
    QTimer::singleShot(0, openOver);
}

} // namespace

int main(int argc, char** argv)
{
    sinceStart.start();
    if (argc < 4) {
        std::fprintf(stderr, "usage: open_over_driver FIRST SECOND PROJECTS-IN-FIRST\n");
        return 2;
    }
    second = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath().toStdString();
    expected = std::stoul(argv[3]);
    auto config = PelmoraTest::hostConfiguration("open_over_driver");
    return PelmoraTest::runApplication(config, {argv[0], argv[1]}, [] { waitForFirst(30000); });
}
