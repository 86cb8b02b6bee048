#include <QtTest>

#include "urls.h"

namespace {

const QStringList kRoots = {"https://www.korrelo.com/", "https://www.korrelo.cn/", "https://www.korrelo.net/",
                            "https://www.korrelo.org/"};

// What ids 0..19 append to the root for the query "q=1" and the path part "p.json", "{q}" marking where
// "?q=1" goes; with neither, both are simply left out. 12 has no entry, and other ids give the bare root.
const char* const kSuffixes[] = {
    "api/v3/auth/", "api/v3/auth/login/", "register/{q}", "user/{q}", "{q}", "{q}", "api/v3/report-error/{q}",
    "api/v3/add-to-dict/{q}", "contact/{q}", "krl/update/client/p.json{q}", "dict/q=1/", "errors/e-q=1", "{q}",
    "vip/{q}", "password-reset/{q}", "app/vip/p.json{q}", "app/user/p.json{q}", "api/v3/is-domain-ok/{q}", "tts/{q}"};

QString url(int id, const char* query, const char* pathPart, int site)
{
    return QString::fromStdString(GetWebUrl(static_cast<_URL_ID>(id), query, pathPart, site));
}

} // namespace

class TestUrls : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { qunsetenv("KORRELO_SERVICE_ROOTS"); }
    void everyIdAndSite_data();
    void everyIdAndSite();
    void rootsOverride_data();
    void rootsOverride();
};

void TestUrls::everyIdAndSite_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("site");
    QTest::addColumn<bool>("withQuery");
    QTest::addColumn<QString>("expected");
    for (int id = -1; id <= 20; ++id) {
        const int urlId = id == 20 ? 1000 : id;   // 19 is just past the table, 1000 far past it
        const QString suffix = urlId >= 0 && urlId < 19 ? kSuffixes[urlId] : "{q}";
        for (int site : {0, 1, 2, 3, 7, -1}) {
            const QString root = kRoots[(site >= 1 && site <= 3) ? site : 0];
            QTest::addRow("id %d site %d query", urlId, site) << urlId << site << true
                                                              << root + QString(suffix).replace("{q}", "?q=1");
            QTest::addRow("id %d site %d bare", urlId, site)
                << urlId << site << false << root + QString(suffix).remove("{q}").remove("p.json").remove("q=1");
        }
    }
}

void TestUrls::everyIdAndSite()
{
    QFETCH(int, id);
    QFETCH(int, site);
    QFETCH(bool, withQuery);
    QFETCH(QString, expected);
    QCOMPARE(url(id, withQuery ? "q=1" : "", withQuery ? "p.json" : "", site), expected);
}

void TestUrls::rootsOverride_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QStringList>("roots");   // sites 0..3
    const QString host = "http://127.0.0.1:8080/";
    const QStringList local{host, host, host, host};
    QTest::newRow("one root for every site") << QByteArray("http://127.0.0.1:8080/") << local;
    QTest::newRow("slash added") << QByteArray("http://127.0.0.1:8080") << local;
    QTest::newRow("four roots") << QByteArray("http://a/,http://b/, http://c/ ,http://d")
                                << QStringList{"http://a/", "http://b/", "http://c/", "http://d/"};
    QTest::newRow("two roots ignored") << QByteArray("http://a/,http://b/") << kRoots;
    QTest::newRow("empty root ignored") << QByteArray("http://a/,,http://c/,http://d/") << kRoots;
    QTest::newRow("empty value ignored") << QByteArray("") << kRoots;
}

void TestUrls::rootsOverride()
{
    QFETCH(QByteArray, value);
    QFETCH(QStringList, roots);
    qputenv("KORRELO_SERVICE_ROOTS", value);
    for (int site = -1; site <= 7; ++site) {
        const QString root = roots[(site >= 1 && site <= 3) ? site : 0];
        QCOMPARE(url(URL_CHECK, "", "", site), root);
        QCOMPARE(url(URL_IS_DOMAIN_OK, "a=b", "", site), root + "api/v3/is-domain-ok/?a=b");
    }
}

QTEST_APPLESS_MAIN(TestUrls)
#include "tst_urls.moc"
