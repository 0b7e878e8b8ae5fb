#pragma once
// Asks the product's release feed for the newest published version and tells the user
// whether it is newer than this build, with a button to the download page.

#include "PelmoraGuiExport.h"

#include <QDialog>

QT_BEGIN_NAMESPACE
class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QProgressBar;
class QPushButton;
QT_END_NAMESPACE

class PELMORAGUI_EXPORT CheckUpdatesDialog : public QDialog
{
    Q_OBJECT
public:
    CheckUpdatesDialog();
    ~CheckUpdatesDialog() override;

    void startChecking();

    // Where the feed and the download page are; the product's addresses by default.
    static void setReleaseFeedAddress(const QString& url);
    static QString releaseFeedAddress();
    static void setDownloadPageAddress(const QString& url);
    static QString downloadPageAddress();

    QString headerText() const;
    QString messageText() const;
    bool isDownloadEnabled() const;

private:
    void regularBuildCheck();
    void nightlyBuildCheck();
    void networkRequestFinished(QNetworkReply* reply);
    QString getVersionNumberFromXml(const QString& xml) const;
    bool compareVersion(const QString& current, const QString& latest) const;
    void networkErrorHappened();
    void networkResponseIsEmpty();
    void invalidReleaseXml();
    void showFailure(const QString& message);
    void gotoDownloadPage();
    void closeDialog();

    QNetworkAccessManager* manager = nullptr;
    QProgressBar* progressBar = nullptr;
    QLabel* headerLabel = nullptr;
    QLabel* messageLabel = nullptr;
    QPushButton* downloadButton = nullptr;
    QPushButton* closeButton = nullptr;
};
