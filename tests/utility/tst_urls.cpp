#include <QtTest>

#include "urls.h"

namespace {

const QStringList kRoots = {"https://www.korrelo.com/", "https://www.korrelo.cn/", "https://www.korrelo.net/",
                            "https://www.korrelo.org/"};

struct Expected
{
    int id;
    int site;
    const char* withQuery;   // for the query "q=1" and the path part "p.json"
    const char* bare;        // for neither
};

// Every id on the first site (12 has no entry of its own; ids outside the table give the bare
// root), then two ids on each other site (7 and -1 fall back to the first).
const Expected kExpected[] = {
        {-1, 0, "https://www.korrelo.com/?q=1", "https://www.korrelo.com/"},
        {0, 0, "https://www.korrelo.com/api/v3/auth/", "https://www.korrelo.com/api/v3/auth/"},
        {1, 0, "https://www.korrelo.com/api/v3/auth/login/", "https://www.korrelo.com/api/v3/auth/login/"},
        {2, 0, "https://www.korrelo.com/register/?q=1", "https://www.korrelo.com/register/"},
        {3, 0, "https://www.korrelo.com/user/?q=1", "https://www.korrelo.com/user/"},
        {4, 0, "https://www.korrelo.com/?q=1", "https://www.korrelo.com/"},
        {5, 0, "https://www.korrelo.com/?q=1", "https://www.korrelo.com/"},
        {6, 0, "https://www.korrelo.com/api/v3/report-error/?q=1", "https://www.korrelo.com/api/v3/report-error/"},
        {7, 0, "https://www.korrelo.com/api/v3/add-to-dict/?q=1", "https://www.korrelo.com/api/v3/add-to-dict/"},
        {8, 0, "https://www.korrelo.com/contact/?q=1", "https://www.korrelo.com/contact/"},
        {9, 0, "https://www.korrelo.com/krl/update/client/p.json?q=1", "https://www.korrelo.com/krl/update/client/"},
        {10, 0, "https://www.korrelo.com/dict/q=1/", "https://www.korrelo.com/dict//"},
        {11, 0, "https://www.korrelo.com/errors/e-q=1", "https://www.korrelo.com/errors/e-"},
        {12, 0, "https://www.korrelo.com/?q=1", "https://www.korrelo.com/"},
        {13, 0, "https://www.korrelo.com/vip/?q=1", "https://www.korrelo.com/vip/"},
        {14, 0, "https://www.korrelo.com/password-reset/?q=1", "https://www.korrelo.com/password-reset/"},
        {15, 0, "https://www.korrelo.com/app/vip/p.json?q=1", "https://www.korrelo.com/app/vip/"},
        {16, 0, "https://www.korrelo.com/app/user/p.json?q=1", "https://www.korrelo.com/app/user/"},
        {17, 0, "https://www.korrelo.com/api/v3/is-domain-ok/?q=1", "https://www.korrelo.com/api/v3/is-domain-ok/"},
        {18, 0, "https://www.korrelo.com/tts/?q=1", "https://www.korrelo.com/tts/"},
        {19, 0, "https://www.korrelo.com/?q=1", "https://www.korrelo.com/"},
        {1000, 0, "https://www.korrelo.com/?q=1", "https://www.korrelo.com/"},
        {3, 1, "https://www.korrelo.cn/user/?q=1", "https://www.korrelo.cn/user/"},
        {9, 1, "https://www.korrelo.cn/krl/update/client/p.json?q=1", "https://www.korrelo.cn/krl/update/client/"},
        {3, 2, "https://www.korrelo.net/user/?q=1", "https://www.korrelo.net/user/"},
        {9, 2, "https://www.korrelo.net/krl/update/client/p.json?q=1", "https://www.korrelo.net/krl/update/client/"},
        {3, 3, "https://www.korrelo.org/user/?q=1", "https://www.korrelo.org/user/"},
        {9, 3, "https://www.korrelo.org/krl/update/client/p.json?q=1", "https://www.korrelo.org/krl/update/client/"},
        {3, 7, "https://www.korrelo.com/user/?q=1", "https://www.korrelo.com/user/"},
        {9, 7, "https://www.korrelo.com/krl/update/client/p.json?q=1", "https://www.korrelo.com/krl/update/client/"},
        {3, -1, "https://www.korrelo.com/user/?q=1", "https://www.korrelo.com/user/"},
        {9, -1, "https://www.korrelo.com/krl/update/client/p.json?q=1", "https://www.korrelo.com/krl/update/client/"},
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
    for (const Expected& row : kExpected) {
        QTest::addRow("id %d site %d query", row.id, row.site) << row.id << row.site << true << row.withQuery;
        QTest::addRow("id %d site %d bare", row.id, row.site) << row.id << row.site << false << row.bare;
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
