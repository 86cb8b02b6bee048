#include "downloader.h"
#include "ui_downloader.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cmath>

#include "modalbox.h"
#include "quitapplication.h"
#include "sha256.h"
#include "updaterequest.h"

namespace {

const char* const kDefaultName = "Korrelo_Update.bin";
const int kMaxRedirects = 5;
// "name (1).ext" up to this many; a folder with that many copies takes no more.
const int kMaxNumbered = 1000;

QString defaultDownloadDir()
{
    const QString location = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return location.isEmpty() ? QDir::homePath() + QStringLiteral("/Downloads/") : location;
}

uint now()
{
    return static_cast<uint>(QDateTime::currentSecsSinceEpoch());
}

// The n-th name tried for a file: the name itself, then "name (n).ext".
QString numbered(const QString& name, int n)
{
    if (n == 0)
        return name;
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString suffix = dot > 0 ? name.mid(dot) : QString();
    // One pass, so a "%2" inside the name stays as it is.
    return QStringLiteral("%1 (%2)%3").arg(stem, QString::number(n), suffix);
}

// True when something, even a dangling link, already has this name.
bool taken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

Downloader::Downloader(QWidget* parent)
    : QWidget(parent)
    , dir(defaultDownloadDir())
    , ui(new Ui::Downloader)
    , manager(new QNetworkAccessManager())
    , hash(std::make_unique<Sha256>())
{
    ui->setupUi(this);
    stallTimer.setSingleShot(true);
    connect(&stallTimer, &QTimer::timeout, this, [this] {
        if (!reply)
            return;
        stalled = true;
        reply->abort();
    });
    setWindowIcon(QIcon());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    ui->openButton->setEnabled(false);
    ui->openButton->hide();
    connect(ui->stopButton, &QPushButton::clicked, this, &Downloader::cancelDownload);
    connect(ui->openButton, &QPushButton::clicked, this, &Downloader::installUpdate);
    setFixedSize(minimumSizeHint());
}

Downloader::~Downloader()
{
    dropReply();
    if (part.isOpen()) {
        part.close();
        part.remove();
    }
    delete manager;
    delete ui;
}

bool Downloader::useCustomInstallProcedures() const { return useCustomProcedures; }
QString Downloader::downloadDir() const { return dir.absolutePath(); }
QString Downloader::fileName() const { return targetName; }
bool Downloader::isDownloading() const { return reply != nullptr; }

void Downloader::setDownloadDir(const QString& path)
{
    if (dir.absolutePath() != path)
        dir.setPath(path);
}

void Downloader::setChecksum(const QString& sha256Hex)
{
    checksum = sha256Hex.trimmed().toLower();
}

void Downloader::setUrlId(const QString& address) { url = address; }
void Downloader::setUserAgentString(const QString& agent) { userAgentString = agent; }
void Downloader::setUseCustomInstallProcedures(bool custom) { useCustomProcedures = custom; }
void Downloader::setMandatoryUpdate(bool mandatory_update) { mandatoryUpdate = mandatory_update; }

QString Downloader::fitFileName(const QString& name)
{
    // Only the last piece of a path, so the file cannot land outside the download folder; no
    // leading dot, so it can be neither a hidden settings file nor "..".
    QString base = name.mid(std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))) + 1);
    base.remove(QRegularExpression(QStringLiteral("[\\x00-\\x1f\\x7f]")));
    while (base.startsWith(QLatin1Char('.')) || base.startsWith(QLatin1Char(' ')))
        base.remove(0, 1);
    return base.trimmed().isEmpty() ? QString::fromLatin1(kDefaultName) : base;
}

void Downloader::setFileName(const QString& file)
{
    targetName = fitFileName(file);
}

QString Downloader::partPath() const { return part.fileName(); }
QString Downloader::savedFile() const { return savedPath; }

void Downloader::setSizeLimit(qint64 bytes) { limitBytes = bytes; }
qint64 Downloader::sizeLimit() const { return limitBytes; }

bool Downloader::openFreshPart()
{
    // Exclusive creation: a file or link already there is never opened, let alone truncated.
    for (int n = 0; n < kMaxNumbered; ++n) {
        part.setFileName(dir.filePath(numbered(targetName + QStringLiteral(".part"), n)));
        if (part.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        if (!taken(part.fileName()))
            break;
    }
    fail(tr("Cannot write %1: %2").arg(part.fileName(), part.errorString()));
    return false;
}

QString Downloader::keepUnderFreshName()
{
    // A rename that refuses to replace: an existing file of the user's keeps its name and bytes.
    for (int n = 0; n < kMaxNumbered; ++n) {
        const QString path = dir.filePath(numbered(targetName, n));
        if (taken(path))
            continue;
        if (part.rename(path))
            return path;
        if (!taken(path))
            break;
    }
    return QString();
}

float Downloader::round(const qreal& input)
{
    return std::roundf(float(input * 100)) / 100;
}

void Downloader::setStallTimeout(int ms)
{
    stallMs = ms;
}

int Downloader::stallTimeout() const
{
    return stallMs;
}

void Downloader::dropReply()
{
    stallTimer.stop();
    if (!reply)
        return;
    QNetworkReply* old = reply;
    reply = nullptr;
    old->disconnect(this);
    old->abort();
    old->deleteLater();
}

void Downloader::restartFile()
{
    part.resize(0);
    part.seek(0);
    hash->reset();
    written = 0;
}

void Downloader::startDownload(const QUrl& address)
{
    dropReply();
    // Only a partial file of our own goes; anything else in the folder is the user's.
    if (part.isOpen()) {
        part.close();
        part.remove();
    }
    stopped = false;
    tooLarge = false;
    savedPath.clear();
    writeError.clear();
    ui->progressBar->setRange(0, 100);
    ui->progressBar->setValue(0);
    ui->stopButton->setText(tr("Stop"));
    ui->openButton->setEnabled(false);
    ui->openButton->hide();
    ui->downloadLabel->setText(tr("Downloading updates"));
    ui->timeLabel->setText(tr("Time remaining") + QStringLiteral(": ") + tr("unknown"));
    if (targetName.isEmpty())
        setFileName(QString());
    showNormal();

    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        fail(tr("The download address is not valid."));
        return;
    }
    dir.mkpath(QStringLiteral("."));
    if (!openFreshPart())
        return;
    restartFile();

    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    reply = getForUpdate(*manager, request, userAgentString);
    stalled = false;
    stallTimer.start(stallMs);
    // Any byte, of this address or after a redirect, shows the transfer still moves.
    connect(reply, &QNetworkReply::downloadProgress, &stallTimer, [this] { stallTimer.start(stallMs); });
    connect(reply, &QNetworkReply::readyRead, this, &Downloader::saveFile);
    connect(reply, &QNetworkReply::downloadProgress, this, &Downloader::updateProgress);
    connect(reply, &QNetworkReply::finished, this, &Downloader::finished);
    // Bytes that came before a redirect belong to the redirect, not to the file.
    connect(reply, &QNetworkReply::redirected, this, [this](const QUrl&) { restartFile(); });
    startTime = now();
}

void Downloader::saveFile()
{
    if (!reply || !writeError.isEmpty())
        return;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // Read through one reused buffer: a fresh allocation per piece costs page faults that grow with
    // the pieces, which grow whenever this side falls behind.
    if (chunk.size() == 0)
        chunk.resize(256 * 1024);
    qint64 length = 0;
    while ((length = reply->read(chunk.data(), chunk.size())) > 0) {
        if (status >= 300)
            continue;
        if (written + length > limitBytes) {
            tooLarge = true;
            reply->abort();
            return;
        }
        if (part.write(chunk.constData(), length) != length) {
            writeError = tr("Cannot write %1: %2").arg(partPath(), part.errorString());
            reply->abort();
            return;
        }
        if (!checksum.isEmpty())
            hash->addData(chunk.constData(), length);
        written += length;
    }
}

QString Downloader::verify() const
{
    if (!writeError.isEmpty())
        return writeError;
    if (stalled)
        return tr("The download stalled (no data for %1 s).").arg((stallMs + 999) / 1000);
    if (tooLarge)
        return tr("The download is larger than an update can be (over %1).").arg(sizeText(limitBytes, false));
    if (reply->error() != QNetworkReply::NoError)
        return reply->errorString();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 400)
        return tr("The server answered %1.").arg(status);
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() != written)
        return tr("Only %1 of %2 bytes arrived.").arg(written).arg(length.toLongLong());
    if (written == 0)
        return tr("The download is empty.");
    // Without either, a connection that closed halfway looks exactly like a whole file.
    if (!length.isValid() && checksum.isEmpty())
        return tr("The download cannot be verified: the server sent neither its length nor a checksum.");
    return QString();
}

void Downloader::finished()
{
    stallTimer.stop();
    if (!reply)
        return;
    if (stopped) {
        part.close();
        part.remove();
        dropReply();
        return;
    }
    saveFile();
    QString reason = verify();
    if (reason.isEmpty() && !checksum.isEmpty() && hash->hexResult() != checksum.toLatin1())
        reason = tr("The downloaded file is damaged (its checksum does not match).");
    if (reason.isEmpty() && !part.flush())
        reason = tr("Cannot write %1: %2").arg(partPath(), part.errorString());
    part.close();
    if (reason.isEmpty()) {
        savedPath = keepUnderFreshName();
        if (savedPath.isEmpty())
            reason = tr("Cannot save %1.").arg(dir.filePath(targetName));
    }
    QNetworkReply* done = reply;
    reply = nullptr;
    done->deleteLater();
    if (!reason.isEmpty()) {
        part.remove();
        fail(reason);
        return;
    }
    ui->progressBar->setRange(0, 100);
    ui->progressBar->setValue(100);
    emit downloadFinished(url, savedPath);
    installUpdate();
    if (useCustomProcedures)
        setVisible(false);
}

void Downloader::fail(const QString& reason)
{
    ui->downloadLabel->setText(tr("Download failed"));
    ui->timeLabel->setText(reason);
    ui->stopButton->setText(tr("Close"));
    showNormal();
}

void Downloader::installUpdate()
{
    if (useCustomProcedures)
        return;
    ui->stopButton->setText(tr("Close"));
    ui->downloadLabel->setText(tr("Download complete!"));
    ui->timeLabel->setText(tr("The installer will open separately") + QStringLiteral("..."));

    QMessageBox box;
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Ok);
    box.setInformativeText(tr("Click \"OK\" to begin installing the update"));
    box.setWindowTitle(tr("Updater"));
    widenBox(box);
    const QString text = mandatoryUpdate
        ? tr("In order to install the update, you may need to quit the application. This is a mandatory update, "
             "exiting now will close the application")
        : tr("In order to install the update, you may need to quit the application.");
    box.setText(QStringLiteral("<h3>") + text + QStringLiteral("</h3>"));
    if (runModalBox(box) == QMessageBox::Ok) {
        openDownload();
        setVisible(false);
        return;
    }
    if (mandatoryUpdate)
        quitApplication(0);
    ui->openButton->setEnabled(true);
    ui->openButton->show();
    ui->timeLabel->setText(tr("Click the \"Open\" button to apply the update"));
}

void Downloader::openDownload()
{
    if (savedPath.isEmpty()) {
        QMessageBox box(QMessageBox::Critical, tr("Error"), tr("Cannot find downloaded update!"), QMessageBox::Close,
                        this);
        runModalBox(box);
        return;
    }
    // The desktop's handler for the file decides what "installing" means; we never run it.
    QDesktopServices::openUrl(QUrl::fromLocalFile(savedPath));
}

void Downloader::cancelDownload()
{
    if (!reply) {
        if (mandatoryUpdate)
            quitApplication(0);
        setVisible(false);
        return;
    }
    QMessageBox box;
    box.setWindowTitle(tr("Updater"));
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setText(mandatoryUpdate ? tr("Are you sure you want to cancel the download? This is a mandatory update, "
                                     "exiting now will close the application")
                                : tr("Are you sure you want to cancel the download?"));
    if (runModalBox(box) != QMessageBox::Yes || !reply)
        return;
    setVisible(false);
    stopped = true;
    reply->abort();
    if (mandatoryUpdate)
        quitApplication(0);
}

void Downloader::closeEvent(QCloseEvent* event)
{
    // The window manager's close button means Stop.
    event->ignore();
    cancelDownload();
}

void Downloader::updateProgress(qint64 received, qint64 total)
{
    // A length beyond the bound is refused before its first byte is written.
    if (total > limitBytes && reply) {
        tooLarge = true;
        reply->abort();
        return;
    }
    if (total > 0) {
        // Texts change once per percent: redrawing the window for every arriving piece would cost
        // more than the transfer itself.
        const int percent = static_cast<int>(received * 100 / total);
        if (percent == ui->progressBar->value() && ui->progressBar->maximum() == 100)
            return;
        ui->progressBar->setRange(0, 100);
        ui->progressBar->setValue(percent);
        calculateSizes(received, total);
        calculateTimeRemaining(received, total);
        return;
    }
    if (ui->progressBar->maximum() == 0)
        return;
    ui->progressBar->setRange(0, 0);
    ui->progressBar->setValue(-1);
    ui->downloadLabel->setText(tr("Downloading Updates") + QStringLiteral("..."));
    ui->timeLabel->setText(QStringLiteral("%1: %2").arg(tr("Time Remaining"), tr("Unknown")));
}

QString Downloader::sizeText(qint64 bytes, bool rounded)
{
    if (bytes < 1024)
        return tr("%1 bytes").arg(bytes);
    const bool kilo = bytes < 1048576;
    const qint64 whole = bytes / (kilo ? 1024 : 1048576);
    const QString number = rounded ? QString::number(round(qreal(whole)), 'g') : QString::number(whole);
    return (kilo ? tr("%1 KB") : tr("%1 MB")).arg(number);
}

void Downloader::calculateSizes(qint64 received, qint64 total)
{
    ui->downloadLabel->setText(tr("Downloading updates") + QStringLiteral(" (") + sizeText(received, false)
                               + QLatin1Char(' ') + tr("of") + QLatin1Char(' ') + sizeText(total, true)
                               + QLatin1Char(')'));
}

qint64 Downloader::secondsLeft(qint64 received, qint64 total, qint64 elapsed)
{
    const qint64 speed = elapsed > 0 ? received / elapsed : 0;
    if (speed <= 0)
        return -1;
    return std::max<qint64>(0, total - received) / speed;
}

QString Downloader::timeText(qint64 seconds)
{
    if (seconds < 0)
        return tr("unknown");
    const double estimate = double(seconds);
    if (estimate > 7200)
        return tr("about %1 hours").arg(int(estimate / 3600 + 0.5));
    if (estimate > 60) {
        const int minutes = int(estimate / 60 + 0.5);
        return minutes > 1 ? tr("%1 minutes").arg(minutes) : tr("1 minute");
    }
    const int secs = int(estimate + 0.5);
    return secs > 1 ? tr("%1 seconds").arg(secs) : tr("1 second");
}

void Downloader::calculateTimeRemaining(qint64 received, qint64 total)
{
    const qint64 elapsed = qint64(now()) - qint64(startTime);
    if (elapsed <= 0)
        return;
    ui->timeLabel->setText(tr("Time remaining") + QStringLiteral(": ") + timeText(secondsLeft(received, total, elapsed)));
}
