#pragma once

#include <QDir>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <memory>

#include "proofkit_export.h"

namespace Ui { class Downloader; }
class QNetworkAccessManager;
class QNetworkReply;
class QUrl;
class Sha256;

// The window that fetches an update: progress, sizes and time left while it arrives under a
// ".part" name, then the finished file handed to the desktop. Only a complete, verified download
// ever takes the final name.
class PROOFKIT_EXPORT Downloader : public QWidget
{
    Q_OBJECT
public:
    explicit Downloader(QWidget* parent = nullptr);
    ~Downloader() override;

    bool useCustomInstallProcedures() const;
    QString downloadDir() const;
    void setDownloadDir(const QString& path);
    QString fileName() const;
    // Expected SHA-256 in hex; empty: only the length the server announced can vouch for the file,
    // and without one the download fails.
    void setChecksum(const QString& sha256Hex);
    bool isDownloading() const;
    // Where the last verified download was kept: the file name, or "name (n).ext" beside a file
    // of that name already there. Empty until one is.
    QString savedFile() const;
    // Largest file taken; a longer transfer fails before it fills the disk.
    void setSizeLimit(qint64 bytes);
    qint64 sizeLimit() const;
    // Longest wait for the next byte before the download fails, in milliseconds.
    void setStallTimeout(int ms);
    int stallTimeout() const;

    static float round(const qreal& input);
    // The window's texts for a byte count (KB and MB rounded or cut) and for seconds left.
    static QString sizeText(qint64 bytes, bool rounded);
    static QString timeText(qint64 seconds);
    // Seconds still needed at the speed so far; -1 when it cannot be told.
    static qint64 secondsLeft(qint64 received, qint64 total, qint64 elapsed);
    // The name itself when it is fit to be a file in the download folder, else the default name.
    static QString fitFileName(const QString& name);

signals:
    void downloadFinished(QString url, QString filepath);

public slots:
    void setUrlId(const QString& url);
    void startDownload(const QUrl& url);
    void setFileName(const QString& file);
    void setUserAgentString(const QString& agent);
    void setUseCustomInstallProcedures(bool custom);
    void setMandatoryUpdate(bool mandatory_update);

private slots:
    void finished();
    void openDownload();
    void installUpdate();
    void cancelDownload();
    void saveFile();
    void calculateSizes(qint64 received, qint64 total);
    void updateProgress(qint64 received, qint64 total);
    void calculateTimeRemaining(qint64 received, qint64 total);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString partPath() const;
    bool openFreshPart();
    QString keepUnderFreshName();
    void dropReply();
    void restartFile();
    void fail(const QString& reason);
    QString verify() const;

    QString url;
    uint startTime = 0;
    QDir dir;
    QString targetName;
    Ui::Downloader* ui = nullptr;
    QNetworkReply* reply = nullptr;
    QString userAgentString;
    bool useCustomProcedures = false;
    bool mandatoryUpdate = false;
    QNetworkAccessManager* manager = nullptr;

    QFile part;
    std::unique_ptr<Sha256> hash;
    QString checksum;
    QString savedPath;
    // An installer is tens of megabytes; four gigabytes is far beyond any real one.
    qint64 limitBytes = qint64(4) * 1024 * 1024 * 1024;
    bool tooLarge = false;  // the transfer was aborted for going over limitBytes
    QByteArray chunk;       // read buffer, kept for the window's life
    qint64 written = 0;
    QString writeError;     // set when the file refused data; the transfer is then aborted
    bool stopped = false;   // the user stopped the transfer
    // No byte for this long ends the download as failed; the system's other transfers give up
    // after half a minute too.
    int stallMs = 30000;
    QTimer stallTimer;
    bool stalled = false;   // the transfer was aborted for it
};
