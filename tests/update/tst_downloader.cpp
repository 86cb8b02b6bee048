#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <csignal>
#include <sys/resource.h>

#include "downloader.h"
#include "updatefixture.h"

Q_DECLARE_METATYPE(Fields)

// The download window against the service's update file: only a complete, verified file ever
// appears, and the window says what happened.
class TestDownloader : public UpdateFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(startFixture()); }
    void init() { resetFixture(); }
    void cleanupTestCase() { stopFixture(); }

    void sizeTexts_data();
    void sizeTexts();
    void timeTexts_data();
    void timeTexts();
    void fileNames_data();
    void fileNames();
    void outcomes_data();
    void outcomes();
    void writeFailureLeavesNothing();
    void neverOverwrites_data();
    void neverOverwrites();
    void startedAgainLeavesOneFile();
    void stopHalfwayThenStartOver_data();
    void stopHalfwayThenStartOver();
    void installAnswers_data();
    void installAnswers();

private:
    QString fileUrl(const QString& query = QString()) const
    {
        return service.root() + "krl/update/files/korrelo-3.5.bin" + query;
    }
    QString finalPath() const { return QDir(folder->path()).filePath("korrelo-3.5.bin"); }
    std::unique_ptr<Downloader> makeDownloader()
    {
        auto downloader = std::make_unique<Downloader>();
        downloader->setDownloadDir(folder->path());
        downloader->setFileName("korrelo-3.5.bin");
        downloader->setUrlId("feed");
        return downloader;
    }
    static QString label(Downloader& d, const char* name) { return d.findChild<QLabel*>(name)->text(); }
    static QPushButton* button(Downloader& d, const char* name) { return d.findChild<QPushButton*>(name); }
    // Waits until the transfer has ended one way or the other.
    static bool settle(Downloader& d)
    {
        QElapsedTimer clock;
        clock.start();
        while (d.isDownloading() && clock.elapsed() < 20000)
            QTest::qWait(20);
        return !d.isDownloading();
    }
    QStringList folderEntries() const { return QDir(folder->path()).entryList(QDir::Files); }
};

void TestDownloader::sizeTexts_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<bool>("rounded");
    QTest::addColumn<QString>("text");
    QTest::newRow("500 bytes") << qint64(500) << true << "500 bytes";
    QTest::newRow("3 MB") << qint64(3145728) << true << "3 MB";
    QTest::newRow("just below 1 MB") << qint64(1048575) << true << "1023 KB";
    QTest::newRow("1536 received") << qint64(1536) << false << "1 KB";
    QTest::newRow("1023 bytes") << qint64(1023) << false << "1023 bytes";
    QTest::newRow("64 MiB") << qint64(64) * 1048576 << false << "64 MB";
}

void TestDownloader::sizeTexts()
{
    QFETCH(qint64, bytes);
    QFETCH(bool, rounded);
    QFETCH(QString, text);
    QCOMPARE(Downloader::sizeText(bytes, rounded), text);
}

void TestDownloader::timeTexts_data()
{
    QTest::addColumn<qint64>("received");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("elapsed");
    QTest::addColumn<QString>("text");
    // 1000 bytes a second; what is left decides.
    QTest::newRow("90 s reads 2 minutes") << qint64(10000) << qint64(100000) << qint64(10) << "2 minutes";
    QTest::newRow("89 s reads 1 minute") << qint64(10000) << qint64(99000) << qint64(10) << "1 minute";
    QTest::newRow("7201 s about 2 hours") << qint64(1000) << qint64(7202000) << qint64(1) << "about 2 hours";
    QTest::newRow("3600 s reads 60 minutes") << qint64(1000) << qint64(3601000) << qint64(1) << "60 minutes";
    QTest::newRow("1 s") << qint64(1000) << qint64(2000) << qint64(1) << "1 second";
    QTest::newRow("45 s") << qint64(5000) << qint64(50000) << qint64(5) << "45 seconds";
    QTest::newRow("nothing left") << qint64(5000) << qint64(5000) << qint64(5) << "1 second";
    QTest::newRow("speed 0") << qint64(3) << qint64(5000) << qint64(5) << "unknown";
    QTest::newRow("no time yet") << qint64(3000) << qint64(5000) << qint64(0) << "unknown";
}

void TestDownloader::timeTexts()
{
    QFETCH(qint64, received);
    QFETCH(qint64, total);
    QFETCH(qint64, elapsed);
    QFETCH(QString, text);
    QCOMPARE(Downloader::timeText(Downloader::secondsLeft(received, total, elapsed)), text);
}

void TestDownloader::fileNames_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << "http://h/krl/update/files/korrelo-3.6.bin" << "korrelo-3.6.bin";
    QTest::newRow("query left out") << "http://h/files/a.bin?x=1/b" << "a.bin";
    QTest::newRow("path ends in slash") << "http://h/files/" << "Korrelo_Update.bin";
    QTest::newRow("dot dot") << "http://h/files/.." << "Korrelo_Update.bin";
    QTest::newRow("encoded slashes stay in the folder") << "http://h/files/..%2F..%2Fx" << "x";
    QTest::newRow("encoded backslash") << "http://h/files/a%5Cb" << "b";
    QTest::newRow("hidden file") << "http://h/files/.bashrc" << "bashrc";
    QTest::newRow("hidden file up a folder") << "http://h/files/..%2F.profile" << "profile";
    QTest::newRow("leading dots and blanks") << "http://h/files/.%20..setup.bin" << "setup.bin";
    QTest::newRow("only dots") << "http://h/files/..." << "Korrelo_Update.bin";
    QTest::newRow("control characters") << "http://h/files/a%0A%00b.bin" << "ab.bin";
    QTest::newRow("empty") << "" << "Korrelo_Update.bin";
}

void TestDownloader::fileNames()
{
    QFETCH(QString, address);
    QFETCH(QString, name);
    Downloader downloader;
    downloader.setFileName(QUrl(address).fileName());
    QCOMPARE(downloader.fileName(), name);
}

void TestDownloader::outcomes_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<Fields>("rule");
    QTest::addColumn<QString>("checksum");   // right, wrong or none
    QTest::addColumn<qint64>("limit");       // largest file taken; 0: the default
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<QString>("reason");   // the failure's text, empty: not compared
    const QString unverified =
        QStringLiteral("The download cannot be verified: the server sent neither its length nor a checksum.");
    const QString tooLarge = QStringLiteral("The download is larger than an update can be (over 512 KB).");
    QTest::newRow("with length") << "" << Fields{} << "right" << qint64(0) << true << "";
    QTest::newRow("without length") << "?chunked=1" << Fields{} << "right" << qint64(0) << true << "";
    QTest::newRow("length alone") << "" << Fields{} << "none" << qint64(0) << true << "";
    QTest::newRow("neither length nor checksum") << "?chunked=1" << Fields{} << "none" << qint64(0) << false
                                                 << unverified;
    QTest::newRow("empty file") << "" << Fields{{"mode", "body"}, {"body", ""}} << "none" << qint64(0) << false
                                << "The download is empty.";
    QTest::newRow("redirect without body") << "" << Fields{{"mode", "redirect"}} << "right" << qint64(0) << true << "";
    QTest::newRow("redirect with body")
        << "" << Fields{{"mode", "redirect"}, {"body", QString(3000, 'r')}, {"content_type", "text/plain"}}
        << "right" << qint64(0) << true << "";
    QTest::newRow("dropped halfway") << "" << Fields{{"mode", "drop"}} << "right" << qint64(0) << false << "";
    QTest::newRow("dropped halfway, no checksum") << "" << Fields{{"mode", "drop"}} << "none" << qint64(0) << false
                                                  << "";
    QTest::newRow("404") << "" << Fields{{"mode", "status"}, {"status", "404"}} << "right" << qint64(0) << false
                         << "";
    QTest::newRow("checksum mismatch") << "" << Fields{} << "wrong" << qint64(0) << false << "";
    QTest::newRow("chunked, checksum mismatch") << "?chunked=1" << Fields{} << "wrong" << qint64(0) << false << "";
    QTest::newRow("stalled before the first byte")
        << "" << Fields{{"mode", "hang"}} << "right" << qint64(0) << false << "The download stalled (no data for 1 s).";
    QTest::newRow("announced over the limit") << "" << Fields{} << "right" << qint64(512 * 1024) << false << tooLarge;
    QTest::newRow("grows over the limit") << "?chunked=1" << Fields{} << "right" << qint64(512 * 1024) << false
                                          << tooLarge;
}

void TestDownloader::outcomes()
{
    QFETCH(QString, query);
    QFETCH(Fields, rule);
    QFETCH(QString, checksum);
    QFETCH(qint64, limit);
    QFETCH(bool, succeeds);
    QFETCH(QString, reason);
    if (!rule.isEmpty())
        QVERIFY(service.misbehave(Fields{{"target", "update-file"}} + rule));
    const QString sha = feedEntry().value("sha256").toString();
    // An older download of the same name survives, whatever becomes of the new one.
    {
        QFile older(finalPath());
        QVERIFY(older.open(QIODevice::WriteOnly));
        older.write("older");
    }
    auto downloader = makeDownloader();
    downloader->setStallTimeout(1000);
    if (limit)
        downloader->setSizeLimit(limit);
    downloader->setChecksum(checksum == "none" ? QString() : checksum == "wrong" ? QString(64, 'a') : sha.toUpper());
    QSignalSpy finished(downloader.get(), &Downloader::downloadFinished);
    defaultAnswer = QMessageBox::Cancel;
    downloader->startDownload(QUrl(fileUrl(query)));
    QVERIFY(downloader->isVisible());
    QVERIFY(settle(*downloader));
    QCOMPARE(finished.size(), succeeds ? 1 : 0);
    const QString kept = QDir(folder->path()).filePath("korrelo-3.5 (1).bin");
    const QStringList entries = succeeds ? QStringList{"korrelo-3.5 (1).bin", "korrelo-3.5.bin"}
                                         : QStringList{"korrelo-3.5.bin"};
    QCOMPARE(folderEntries(), entries);
    QCOMPARE(sha256Of(finalPath()), QString(QCryptographicHash::hash("older", QCryptographicHash::Sha256).toHex()));
    QCOMPARE(sha256Of(kept) == sha, succeeds);
    QCOMPARE(boxes.size(), succeeds ? 1 : 0);
    QVERIFY(downloader->isVisible());
    if (succeeds) {
        QCOMPARE(finished.first().at(0).toString(), QString("feed"));
        QCOMPARE(finished.first().at(1).toString(), kept);
        QCOMPARE(downloader->savedFile(), kept);
        QCOMPARE(label(*downloader, "downloadLabel"), QString("Download complete!"));
        QVERIFY(button(*downloader, "openButton")->isVisible());
        return;
    }
    QCOMPARE(label(*downloader, "downloadLabel"), QString("Download failed"));
    QVERIFY(!label(*downloader, "timeLabel").isEmpty());
    if (!reason.isEmpty())
        QCOMPARE(label(*downloader, "timeLabel"), reason);
    QCOMPARE(button(*downloader, "stopButton")->text(), QString("Close"));
    button(*downloader, "stopButton")->click();
    QVERIFY(!downloader->isVisible());
    QVERIFY(boxes.isEmpty());
}

void TestDownloader::writeFailureLeavesNothing()
{
    auto downloader = makeDownloader();
    // Files of this process may grow to 100 KB only: the write of the download fails on the way.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 100 * 1024;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    downloader->startDownload(QUrl(fileUrl()));
    const bool settled = settle(*downloader);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(settled);
    QVERIFY(folderEntries().isEmpty());
    QVERIFY(boxes.isEmpty());
    QCOMPARE(label(*downloader, "downloadLabel"), QString("Download failed"));
    QVERIFY(label(*downloader, "timeLabel").startsWith("Cannot write"));
}

void TestDownloader::neverOverwrites_data()
{
    QTest::addColumn<QString>("name");        // from the feed
    QTest::addColumn<QStringList>("files");   // there before the download; "name>target" is a link
    QTest::addColumn<QString>("saved");
    const QString name = "korrelo-3.5.bin";
    QTest::newRow("free name") << name << QStringList{} << "korrelo-3.5.bin";
    QTest::newRow("name taken") << name << QStringList{"korrelo-3.5.bin"} << "korrelo-3.5 (1).bin";
    QTest::newRow("first numbers taken") << name << QStringList{"korrelo-3.5.bin", "korrelo-3.5 (1).bin"}
                                         << "korrelo-3.5 (2).bin";
    QTest::newRow("partial name taken") << name << QStringList{"korrelo-3.5.bin.part"} << "korrelo-3.5.bin";
    QTest::newRow("dangling link on the name") << name << QStringList{"korrelo-3.5.bin>missing/file"}
                                               << "korrelo-3.5 (1).bin";
    QTest::newRow("partial name links outside") << name << QStringList{"korrelo-3.5.bin.part>../outside"}
                                                << "korrelo-3.5.bin";
    QTest::newRow("hidden name taken") << ".notes.txt" << QStringList{"notes.txt", ".notes.txt"} << "notes (1).txt";
    QTest::newRow("percent sign in the name") << "a%2b" << QStringList{"a%2b"} << "a%2b (1)";
}

void TestDownloader::neverOverwrites()
{
    QFETCH(QString, name);
    QFETCH(QStringList, files);
    QFETCH(QString, saved);
    const QDir dir(folder->path());
    QVERIFY(dir.mkpath("inner"));
    const QDir inner(dir.filePath("inner"));
    // The download folder is a folder inside the temporary one, so a link can point just outside it.
    QFile outside(dir.filePath("outside"));
    QVERIFY(outside.open(QIODevice::WriteOnly));
    outside.write("mine");
    outside.close();
    QStringList names;
    for (const QString& file : files) {
        const QString there = file.section('>', 0, 0);
        const QString target = file.section('>', 1);
        names << there;
        if (!target.isEmpty()) {
            QVERIFY(QFile::link(target, inner.filePath(there)));
            continue;
        }
        QFile mine(inner.filePath(there));
        QVERIFY(mine.open(QIODevice::WriteOnly));
        mine.write("mine");
    }
    auto downloader = makeDownloader();
    downloader->setDownloadDir(inner.path());
    downloader->setFileName(name);
    QSignalSpy finished(downloader.get(), &Downloader::downloadFinished);
    defaultAnswer = QMessageBox::Cancel;
    downloader->startDownload(QUrl(fileUrl()));
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.first().at(1).toString(), inner.filePath(saved));
    QCOMPARE(sha256Of(inner.filePath(saved)), feedEntry().value("sha256").toString());
    names << saved;
    names.sort();
    QCOMPARE(inner.entryList(QDir::Files | QDir::System | QDir::Hidden), names);
    const QString mineSha = QCryptographicHash::hash("mine", QCryptographicHash::Sha256).toHex();
    QCOMPARE(sha256Of(dir.filePath("outside")), mineSha);
    for (const QString& file : files) {
        if (!file.contains('>'))
            QCOMPARE(sha256Of(inner.filePath(file)), mineSha);
    }
    // "Open" hands over the file that was kept, not the one that was there before.
    replies = {QMessageBox::Ok};
    button(*downloader, "openButton")->click();
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(inner.filePath(saved))});
}

void TestDownloader::startedAgainLeavesOneFile()
{
    auto downloader = makeDownloader();
    QSignalSpy finished(downloader.get(), &Downloader::downloadFinished);
    defaultAnswer = QMessageBox::Cancel;
    downloader->startDownload(QUrl(fileUrl("?rate=200000")));
    QTRY_VERIFY_WITH_TIMEOUT(downloader->findChild<QProgressBar*>()->value() >= 10, 10000);
    // A second start drops its own partial file, and only that.
    downloader->startDownload(QUrl(fileUrl()));
    QVERIFY(finished.wait(20000));
    QCOMPARE(folderEntries(), QStringList{"korrelo-3.5.bin"});
    // A later download of the same update sits beside the first.
    downloader->startDownload(QUrl(fileUrl()));
    QVERIFY(finished.wait(20000));
    QCOMPARE(folderEntries(), (QStringList{"korrelo-3.5 (1).bin", "korrelo-3.5.bin"}));
    QCOMPARE(finished.last().at(1).toString(), QDir(folder->path()).filePath("korrelo-3.5 (1).bin"));
}

void TestDownloader::stopHalfwayThenStartOver_data()
{
    QTest::addColumn<bool>("throughWindowManager");
    QTest::addColumn<bool>("mandatory");
    QTest::newRow("stop button") << false << false;
    QTest::newRow("window closed") << true << false;
    QTest::newRow("mandatory update quits") << false << true;
}

void TestDownloader::stopHalfwayThenStartOver()
{
    QFETCH(bool, throughWindowManager);
    QFETCH(bool, mandatory);
    auto downloader = makeDownloader();
    downloader->setMandatoryUpdate(mandatory);
    downloader->setChecksum(feedEntry().value("sha256").toString());
    QSignalSpy finished(downloader.get(), &Downloader::downloadFinished);
    downloader->startDownload(QUrl(fileUrl("?rate=200000")));
    QTRY_VERIFY_WITH_TIMEOUT(downloader->findChild<QProgressBar*>()->value() >= 10, 10000);
    QVERIFY(folderEntries().contains("korrelo-3.5.bin.part"));
    // "No" keeps the transfer going.
    replies = {QMessageBox::No, QMessageBox::Yes};
    button(*downloader, "stopButton")->click();
    QVERIFY(downloader->isDownloading());
    if (throughWindowManager)
        downloader->close();
    else
        button(*downloader, "stopButton")->click();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.last().buttons, QMessageBox::Yes | QMessageBox::No);
    QVERIFY(settle(*downloader));
    QVERIFY(!downloader->isVisible());
    QVERIFY(folderEntries().isEmpty());
    QCOMPARE(finished.size(), 0);
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(quits.size(), mandatory ? 1 : 0);

    // Started again it begins at the first byte.
    defaultAnswer = QMessageBox::Cancel;
    downloader->startDownload(QUrl(fileUrl()));
    QVERIFY(finished.wait(20000));
    QCOMPARE(sha256Of(finalPath()), feedEntry().value("sha256").toString());
    QCOMPARE(folderEntries(), QStringList{"korrelo-3.5.bin"});
}

void TestDownloader::installAnswers_data()
{
    QTest::addColumn<bool>("mandatory");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("handedOver");
    QTest::addColumn<bool>("stillShown");
    QTest::addColumn<int>("quitCount");
    QTest::newRow("ok hands the file over") << false << int(QMessageBox::Ok) << true << false << 0;
    QTest::newRow("cancel keeps the window") << false << int(QMessageBox::Cancel) << false << true << 0;
    QTest::newRow("cancel on a mandatory update quits") << true << int(QMessageBox::Cancel) << false << true << 1;
}

void TestDownloader::installAnswers()
{
    QFETCH(bool, mandatory);
    QFETCH(int, answer);
    QFETCH(bool, handedOver);
    QFETCH(bool, stillShown);
    QFETCH(int, quitCount);
    auto downloader = makeDownloader();
    downloader->setMandatoryUpdate(mandatory);
    replies = {answer};
    QSignalSpy finished(downloader.get(), &Downloader::downloadFinished);
    downloader->startDownload(QUrl(fileUrl()));
    QVERIFY(finished.wait(20000));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().informative, QString("Click \"OK\" to begin installing the update"));
    QCOMPARE(boxes.first().text.contains("mandatory"), mandatory);
    QCOMPARE(opened, handedOver ? QList<QUrl>{QUrl::fromLocalFile(finalPath())} : QList<QUrl>{});
    QCOMPARE(downloader->isVisible(), stillShown);
    QCOMPARE(quits.size(), quitCount);
    if (!stillShown)
        return;
    // Open asks again; this time the file goes to the desktop.
    QVERIFY(button(*downloader, "openButton")->isVisible());
    replies = {QMessageBox::Ok};
    button(*downloader, "openButton")->click();
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(finalPath())});
    QVERIFY(!downloader->isVisible());
}

QTEST_MAIN(TestDownloader)
#include "tst_downloader.moc"
