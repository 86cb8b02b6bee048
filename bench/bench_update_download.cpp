// A 64 MiB update fetched through the download window from korrelo-service on loopback (window
// shown offscreen, the install question answered at once), with and without the SHA-256 check,
// against a bare network manager GET writing the same bytes to a file.

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>

#include <cstdlib>

#include "downloader.h"
#include "modalbox.h"
#include "ratio.h"
#include "testservice.h"

namespace {

const qint64 kSize = 64 * 1024 * 1024;

struct Fixture
{
    QString fileUrl;
    QString sha256;
    QTemporaryDir folder;
};

// The service's answer to one GET, whole.
QByteArray fetch(QNetworkAccessManager& nam, const QString& url)
{
    QNetworkReply* reply = nam.get(QNetworkRequest(QUrl(url)));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const QByteArray body = reply->readAll();
    reply->deleteLater();
    return body;
}

Fixture& fixture()
{
    static Fixture* f = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_update_download";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
        setModalBoxHandler([](QMessageBox&) { return int(QMessageBox::Cancel); });

        auto* made = new Fixture;
        // Stopped at exit, so repeated runs leave no services behind.
        static auto* service = new TestService;
        std::atexit([] { delete service; });
        if (!service->start({"--update-size", QString::number(kSize)}))
            return made;
        QNetworkAccessManager nam;
        const QJsonObject entry = QJsonDocument::fromJson(fetch(nam, service->root() + "krl/update/client/"))
                                      .object().value("updates").toObject().value("linux").toObject();
        made->fileUrl = entry.value("download-url").toString();
        made->sha256 = entry.value("sha256").toString();
        // The first transfer pays for warming the page cache and the service; neither side should.
        fetch(nam, made->fileUrl);
        return made;
    }();
    return *f;
}

void BM_Downloader(benchmark::State& state)
{
    Fixture& f = fixture();
    if (f.fileUrl.isEmpty()) {
        state.SkipWithError("korrelo-service did not start");
        return;
    }
    Downloader downloader;
    downloader.setDownloadDir(f.folder.path());
    downloader.setFileName("update.bin");
    downloader.setChecksum(state.range(0) ? f.sha256 : QString());
    for (auto _ : state) {
        QEventLoop loop;
        bool ok = false;
        auto done = QObject::connect(&downloader, &Downloader::downloadFinished, &loop,
                                     [&](const QString&, const QString& path) {
            // Each download keeps a fresh name beside the last one: gone, they don't fill the disk.
            QFile::remove(path);
            ok = true;
            loop.quit();
        });
        downloader.startDownload(QUrl(f.fileUrl));
        loop.exec();
        QObject::disconnect(done);
        if (!ok) {
            state.SkipWithError("the download failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}

void BM_BareGet(benchmark::State& state)
{
    Fixture& f = fixture();
    if (f.fileUrl.isEmpty()) {
        state.SkipWithError("korrelo-service did not start");
        return;
    }
    QNetworkAccessManager nam;
    // The same reused read buffer as the download window: the floor is the transfer and the write.
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    for (auto _ : state) {
        QFile file(f.folder.filePath("bare.bin"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        QNetworkReply* reply = nam.get(QNetworkRequest(QUrl(f.fileUrl)));
        const auto drain = [&] {
            qint64 n = 0;
            while ((n = reply->read(buffer.data(), buffer.size())) > 0)
                file.write(buffer.constData(), n);
        };
        QObject::connect(reply, &QNetworkReply::readyRead, drain);
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        drain();
        file.close();
        reply->deleteLater();
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}

} // namespace

// A few seconds each: one cold 64 MiB transfer says little about the steady rate.
BENCHMARK(BM_Downloader)->Arg(0)->Arg(1)->MinTime(2.0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareGet)->MinTime(2.0)->Unit(benchmark::kMillisecond)->UseRealTime();

KORRELO_BENCH_RATIO(download_without_sha256, "BM_Downloader/0/min_time:2.000/real_time",
                    "BM_BareGet/min_time:2.000/real_time");
KORRELO_BENCH_RATIO(download_with_sha256, "BM_Downloader/1/min_time:2.000/real_time",
                    "BM_BareGet/min_time:2.000/real_time");

KORRELO_BENCH_MAIN()
