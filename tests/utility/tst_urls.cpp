#include <QtTest>

#include "urls.h"

namespace {

const QStringList kRoots = {"https://www.korrelo.com/", "https://www.korrelo.cn/", "https://www.korrelo.net/",
                            "https://www.korrelo.org/"};

// What each id appends to the root, for the query "q=1" and the path part "p.json";
// "{q}" marks where "?q=1" goes when the id uses the query.
struct Expected { int id; const char* suffix; const char* suffixNoQuery; };   // bare: no query, no path part

const Expected kTable[] = {
    {-1, "{q}", ""},
    {0, "api/v3/auth/", "api/v3/auth/"},
    {1, "api/v3/auth/login/", "api/v3/auth/login/"},
    {2, "register/{q}", "register/"},
    {3, "user/{q}", "user/"},
    {4, "{q}", ""},
    {5, "{q}", ""},
    {6, "api/v3/report-error/{q}", "api/v3/report-error/"},
    {7, "api/v3/add-to-dict/{q}", "api/v3/add-to-dict/"},
    {8, "contact/{q}", "contact/"},
    {9, "krl/update/client/p.json{q}", "krl/update/client/"},
    {10, "dict/q=1/", "dict//"},
    {11, "errors/e-q=1", "errors/e-"},
    {12, "{q}", ""},
    {13, "vip/{q}", "vip/"},
    {14, "password-reset/{q}", "password-reset/"},
    {15, "app/vip/p.json{q}", "app/vip/"},
    {16, "app/user/p.json{q}", "app/user/"},
    {17, "api/v3/is-domain-ok/{q}", "api/v3/is-domain-ok/"},
    {18, "tts/{q}", "tts/"},
    {19, "{q}", ""},
    {1000, "{q}", ""},
};

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
    for (const Expected& e : kTable) {
        for (int site : {0, 1, 2, 3, 7, -1}) {
            const QString root = kRoots[(site >= 1 && site <= 3) ? site : 0];
            QString full = QString::fromLatin1(e.suffix);
            full.replace("{q}", "?q=1");
            QTest::addRow("id %d site %d query", e.id, site) << e.id << site << true << root + full;
            QTest::addRow("id %d site %d bare", e.id, site) << e.id << site << false
                                                             << root + QString::fromLatin1(e.suffixNoQuery);
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
