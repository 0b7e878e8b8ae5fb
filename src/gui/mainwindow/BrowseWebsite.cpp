#include "BrowseWebsite.h"

#include "mainwindow/MainWindow.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

bool Gui::browse_website_with_url(const char* url)
{
    const QUrl address(QString::fromLatin1(url ? url : ""), QUrl::TolerantMode);
    if (QDesktopServices::openUrl(address))
        return true;
    QMessageBox::critical(MainWindow::get_main_window_inst(),
                          QCoreApplication::translate("QObject", "No Browser"),
                          QCoreApplication::translate("QObject", "Unable to open your system browser."),
                          QMessageBox::Ok);
    return false;
}
