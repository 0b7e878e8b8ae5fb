// The host's start-up with a window, opening FIRST from the command line; once its
// projects are open and the event loop has turned, SECOND is opened over them as a user
// does, having clicked its first project in the tree (Ctrl+O, "Remove existing projects":
// Yes).  FIRST "-" opens nothing first: SECOND
// then opens into an empty solution.  Prints how long each took:
//   open_ms=...   from the start of the process until FIRST's projects were open
//   over_ms=...   the Ctrl+O of SECOND, the closing of every project of FIRST included,
//                 until the window has answered the events the opening left
//   projects=...  how many projects are open afterwards
// Usage: open_over_driver FIRST SECOND PROJECTS-IN-FIRST

#include <support/ApplicationRun.h>

#include <dialogs/widgets/FileDialog.h>
#include <mainwindow/MainWindow.h>
#include <selection/TreeWidget.h>
#include <obj/Application.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
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
    // As a user who worked in the project tree: the first project's item clicked.
    if (auto* tree = mw->findChild<Gui::TreeWidget*>()) {
        if (QTreeWidgetItem* first = tree->getRootItem()->child(0)) {
            const QRect rect = tree->visualItemRect(first);
            if (!rect.isEmpty())
                QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
            QCoreApplication::processEvents();
        }
    }
    QElapsedTimer over;
    over.start();
    QTest::keyClick(mw, Qt::Key_O, Qt::ControlModifier);
    // The window answers once the layout and painting the opening left pending are done.
    QCoreApplication::processEvents();
    QEventLoop settled;
    QTimer::singleShot(0, &settled, &QEventLoop::quit);
    settled.exec();
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
    std::vector<char*> args{argv[0]};
    if (std::string(argv[1]) != "-")
        args.push_back(argv[1]);
    return PelmoraTest::runApplication(config, args, [] { waitForFirst(30000); });
}
