#include "CheckUpdatesDialog.h"

#include <QDebug>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpacerItem>
#include <QUrl>
#include <QVBoxLayout>
#include <QVersionNumber>
#include <QXmlStreamReader>

namespace {

const char* const builtVersion = "2.1";
// What the feed reader answers when it finds no version.
const char* const noVersion = "0.0.1";
// An unanswered request ends as a network error instead of leaving the dialog busy.
constexpr int requestTimeoutMs = 20000;

QString& feedAddress()
{
    static QString address = QStringLiteral("https://github.com/pelmora/pelmora/releases.atom");
    return address;
}

QString& downloadAddress()
{
    static QString address = QStringLiteral("https://www.pelmora.com/download");
    return address;
}

} // namespace

CheckUpdatesDialog::CheckUpdatesDialog()
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setMinimumSize(400, 150);

    progressBar = new QProgressBar(this);
    progressBar->setRange(0, 0);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);
    headerLabel = new QLabel(tr("Checking for Updates...", "status description in the check-for-update dialog"), this);
    messageLabel = new QLabel(this);
    messageLabel->setWordWrap(true);
    downloadButton = new QPushButton(tr("Download"), this);
    downloadButton->setEnabled(false);
    closeButton = new QPushButton(tr("Close"), this);

    auto* logo = new QLabel(this);
    logo->setPixmap(QPixmap(QStringLiteral(":/Icons/about_pelmora_logo.png")));

    auto* column = new QVBoxLayout();
    column->addWidget(headerLabel);
    column->addWidget(messageLabel);
    column->addWidget(progressBar);
    column->addItem(new QSpacerItem(20, 20, QSizePolicy::Minimum, QSizePolicy::Expanding));
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(downloadButton);
    buttons->addWidget(closeButton);
    column->addLayout(buttons);

    auto* outer = new QHBoxLayout(this);
    outer->addWidget(logo);
    outer->addLayout(column);

    connect(downloadButton, &QPushButton::clicked, this, &CheckUpdatesDialog::gotoDownloadPage);
    connect(closeButton, &QPushButton::clicked, this, &CheckUpdatesDialog::closeDialog);
}

CheckUpdatesDialog::~CheckUpdatesDialog()
{
    if (manager)
        manager->deleteLater();
}

void CheckUpdatesDialog::setReleaseFeedAddress(const QString& url) { feedAddress() = url; }
QString CheckUpdatesDialog::releaseFeedAddress() { return feedAddress(); }
void CheckUpdatesDialog::setDownloadPageAddress(const QString& url) { downloadAddress() = url; }
QString CheckUpdatesDialog::downloadPageAddress() { return downloadAddress(); }

QString CheckUpdatesDialog::headerText() const { return headerLabel->text(); }
QString CheckUpdatesDialog::messageText() const { return messageLabel->text(); }
bool CheckUpdatesDialog::isDownloadEnabled() const { return downloadButton->isEnabled(); }

void CheckUpdatesDialog::startChecking()
{
    regularBuildCheck();
}

void CheckUpdatesDialog::regularBuildCheck()
{
    // A second check drops the first one's manager together with its pending reply.
    if (manager)
        manager->deleteLater();
    manager = new QNetworkAccessManager(this);
    QNetworkRequest request{QUrl(feedAddress())};
    request.setRawHeader("User-Agent", "Mozilla Firefox");
#if QT_VERSION >= QT_VERSION_CHECK(5, 15, 0)
    request.setTransferTimeout(requestTimeoutMs);
#endif
    manager->get(request);
    connect(manager, &QNetworkAccessManager::finished, this, &CheckUpdatesDialog::networkRequestFinished);
}

void CheckUpdatesDialog::nightlyBuildCheck()
{
    headerLabel->setText(tr("<b>You are using a Pelmora nightly build</b>"));
    messageLabel->setText(tr("Please go %1 here %2 to check new nightly builds.")
                              .arg(QStringLiteral("<a href=\"%1#nightly\">").arg(downloadAddress()),
                                   QStringLiteral("</a>")));
    messageLabel->setOpenExternalLinks(true);
    progressBar->setRange(0, 1);
    progressBar->setValue(1);
    downloadButton->setEnabled(false);
}

void CheckUpdatesDialog::networkRequestFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << reply->errorString();
        networkErrorHappened();
        return;
    }
    const QString body = QString::fromUtf8(reply->readAll()).trimmed();
    if (body.isEmpty()) {
        networkResponseIsEmpty();
        return;
    }
    const QString latest = getVersionNumberFromXml(body);
    if (latest == QLatin1String(noVersion)) {
        invalidReleaseXml();
        return;
    }
    const QString current = QString::fromLatin1(builtVersion);
    if (compareVersion(current, latest)) {
        headerLabel->setText(tr("<b>A new version of Pelmora is available!</b>"));
        messageLabel->setText(tr("Pelmora %1 is now available -- you have %2. Would you like to download it?")
                                  .arg(latest, current));
        progressBar->hide();
        downloadButton->setEnabled(true);
    }
    else {
        headerLabel->setText(tr("<b>Pelmora is up to date</b>"));
        messageLabel->setText(tr("Version %1").arg(current));
        progressBar->setRange(0, 1);
        progressBar->setValue(1);
        downloadButton->setEnabled(false);
    }
}

QString CheckUpdatesDialog::getVersionNumberFromXml(const QString& xml) const
{
    // Only the first entry counts: a releases feed lists the newest release first.
    QXmlStreamReader reader(xml);
    while (!reader.atEnd() && !reader.hasError()) {
        reader.readNext();
        if (!reader.isStartElement() || reader.name() != QLatin1String("entry"))
            continue;
        while (!reader.atEnd() && !reader.hasError()) {
            reader.readNext();
            if (reader.name() == QLatin1String("title")) {
                QString title = reader.readElementText();
                // A feed cut off inside the title tells nothing; it must not read as
                // "up to date".
                if (reader.hasError())
                    break;
                static const QRegularExpression leadingV(QStringLiteral("^v"));
                return title.remove(leadingV);
            }
        }
        break;
    }
    if (reader.hasError())
        qDebug() << reader.errorString();
    return QString::fromLatin1(noVersion);
}

bool CheckUpdatesDialog::compareVersion(const QString& current, const QString& latest) const
{
    return QVersionNumber::compare(QVersionNumber::fromString(current), QVersionNumber::fromString(latest)) < 0;
}

void CheckUpdatesDialog::showFailure(const QString& message)
{
    headerLabel->setText(tr("<b>An error occurred while checking for updates</b>"));
    messageLabel->setText(message);
    progressBar->setRange(0, 1);
    progressBar->setValue(1);
    downloadButton->setEnabled(false);
}

void CheckUpdatesDialog::networkErrorHappened()
{
    showFailure(tr("Please check your internet connection and try again later.", "error msg of check-for-update"));
}

void CheckUpdatesDialog::networkResponseIsEmpty()
{
    showFailure(tr("Network response is empty", "error msg of check-for-update"));
}

void CheckUpdatesDialog::invalidReleaseXml()
{
    showFailure(tr("Couldn't retrieve the version information", "error msg of check-for-update"));
}

void CheckUpdatesDialog::gotoDownloadPage()
{
    QDesktopServices::openUrl(QUrl(downloadAddress()));
}

void CheckUpdatesDialog::closeDialog()
{
    done(QDialog::Accepted);
}
