#include "CheckUpdatesDialog.h"

#include "core/PrintableText.h"

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
#include <QTimer>
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
// A server that trickles its answer never trips the idle timeout above; the whole check
// ends after this long.
constexpr int checkDeadlineMs = 60000;
// A release feed is a few hundred kilobytes; a bigger answer is not one, and reading it
// whole would only eat memory.
constexpr qint64 maxFeedBytes = 4 * 1024 * 1024;
// Longer titles are no version number, and would not fit the dialog either.
constexpr int maxVersionLength = 64;

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
    // The feed's text is shown here: it must not be read as markup.
    messageLabel->setTextFormat(Qt::PlainText);
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
    QNetworkReply* reply = manager->get(request);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64 total) {
        if (received > maxFeedBytes || total > maxFeedBytes) {
            reply->setProperty("oversized", true);
            reply->abort();
        }
    });
    QTimer::singleShot(checkDeadlineMs, reply, [reply] { reply->abort(); });
    connect(manager, &QNetworkAccessManager::finished, this, &CheckUpdatesDialog::networkRequestFinished);
}

void CheckUpdatesDialog::nightlyBuildCheck()
{
    headerLabel->setText(tr("<b>You are using a Pelmora nightly build</b>"));
    messageLabel->setText(tr("Please go %1 here %2 to check new nightly builds.")
                              .arg(QStringLiteral("<a href=\"%1#nightly\">").arg(downloadAddress()),
                                   QStringLiteral("</a>")));
    messageLabel->setTextFormat(Qt::RichText);
    messageLabel->setOpenExternalLinks(true);
    progressBar->setRange(0, 1);
    progressBar->setValue(1);
    downloadButton->setEnabled(false);
}

void CheckUpdatesDialog::networkRequestFinished(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply->property("oversized").toBool()) {
        invalidReleaseXml();
        return;
    }
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
        // The version comes from the release feed: shown as plain, printable text.
        messageLabel->setTextFormat(Qt::PlainText);
        messageLabel->setText(tr("Pelmora %1 is now available -- you have %2. Would you like to download it?")
                                  .arg(Gui::printableName(latest), current));
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
                QString title = reader.readElementText().trimmed();
                // A feed cut off inside the title tells nothing; it must not read as
                // "up to date".
                if (reader.hasError())
                    break;
                static const QRegularExpression leadingV(QStringLiteral("^v"));
                title.remove(leadingV);
                // Neither may a title that is no version number ("Release notes", "V2"):
                // it would compare below ours and claim there is nothing newer.
                if (title.size() > maxVersionLength || QVersionNumber::fromString(title).isNull())
                    break;
                return title;
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
    // Trailing zeros say nothing: 2.1.0 is the version we have, not a newer one.
    return QVersionNumber::compare(QVersionNumber::fromString(current).normalized(),
                                   QVersionNumber::fromString(latest).normalized())
           < 0;
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
