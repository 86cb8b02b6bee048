// The notice of errors withheld from an account without VIP rights, after a real check against the
// local service.

#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

#include "../client/testservice.h"
#include "../client/uirecorder.h"
#include "checkerclient.h"
#include "contextshow.h"
#include "dialoglogin.h"
#include "widgeterrorlist.h"

class TestErrorsVip : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void noticeAndUpgradeLink_data();
    void noticeAndUpgradeLink();
    void listNoticeClearedByLaterResult();

private:
    CHECK_DATAS check(const QString& text);
    QLabel* notice(QWidget* display, bool popup)
    {
        return display->findChild<QLabel*>(popup ? "labelMsg" : "labelVip");
    }

    TestService service;
    BoxRecorder boxes;
    CheckerClient* client = nullptr;
    const QString withheldText = QStringLiteral("我们要再接再励，他门也是。");
};

void TestErrorsVip::initTestCase()
{
    QVERIFY(service.start());
    qputenv("KORRELO_SERVICE_ROOTS", service.sites().toUtf8());
    QSettings("Korrelo", "client").clear();
    client = getCheckerClient();
    client->loadSetting();
    boxes.install(client);
    QVERIFY(client->login("demo", "demo"));
    QVERIFY(!client->isVIP());
}

CHECK_DATAS TestErrorsVip::check(const QString& text)
{
    QSignalSpy done(client, &CheckerClient::checkDone);
    QString copy = text;
    if (!client->checkText(copy) || !done.wait(10000))
        return {};
    return done.first().first().value<CHECK_DATAS>();
}

void TestErrorsVip::noticeAndUpgradeLink_data()
{
    QTest::addColumn<bool>("popup");
    QTest::addColumn<bool>("upgradeLink");
    QTest::newRow("pop-up, upgrade link") << true << true;
    QTest::newRow("pop-up, other link") << true << false;
    QTest::newRow("error list, upgrade link") << false << true;
    QTest::newRow("error list, other link") << false << false;
}

void TestErrorsVip::noticeAndUpgradeLink()
{
    QFETCH(bool, popup);
    QFETCH(bool, upgradeLink);
    QVERIFY(client->login("demo", "demo"));
    const CHECK_DATAS results = check(withheldText);
    QVERIFY(!results.empty());
    const int withheld = client->getVipErrorCount();
    QVERIFY(withheld > 0);
    const QString url = client->getWebUrl(URL_APP_VIP, QString());

    ContextShow contextShow;
    WidgetErrorList errorList;
    QWidget* display = popup ? static_cast<QWidget*>(&contextShow) : &errorList;
    if (popup)
        QVERIFY(contextShow.showCheckData(results, withheldText));
    else
        errorList.setCheckData(results, "doc");

    QLabel* label = notice(display, popup);
    QVERIFY(!label->isHidden());
    // The link the user clicks is the upgrade address exactly, query included.
    QTextDocument doc;
    doc.setHtml(label->text());
    QStringList links;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isAnchor())
                links << it.fragment().charFormat().anchorHref();
    links.removeDuplicates();
    QCOMPARE(links, QStringList{ url });
    const QString shown = label->text() + label->toolTip();
    QVERIFY(shown.contains(QString::number(withheld)));
    if (popup)
        QVERIFY(label->text().startsWith(QString::number(results.size())));

    // Logged out, the upgrade asks for the login first; the dialog is closed as soon as it shows.
    QVERIFY(client->logout());
    bool loginAsked = false;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<DialogLogin*>(widget);
            if (dialog && dialog->isVisible()) {
                loginAsked = true;
                dialog->reject();
            }
        }
    });
    closer.start(20);
    const QString link = upgradeLink ? client->getWebUrl(URL_APP_VIP, QString())
                                     : QStringLiteral("http://127.0.0.1/elsewhere");
    QVERIFY(QMetaObject::invokeMethod(label, "linkActivated", Q_ARG(QString, link)));
    QTest::qWait(60);
    QCOMPARE(loginAsked, upgradeLink);
}

void TestErrorsVip::listNoticeClearedByLaterResult()
{
    QVERIFY(client->login("demo", "demo"));
    WidgetErrorList errorList;
    errorList.setCheckData(check(withheldText), "doc");
    QVERIFY(!notice(&errorList, false)->isHidden());

    // A later check without withheld findings and without any error at all.
    const CHECK_DATAS none = check(QStringLiteral("今天天气很好。"));
    QVERIFY(none.empty());
    QCOMPARE(client->getVipErrorCount(), 0);
    errorList.setCheckData(none, "doc");
    QVERIFY(notice(&errorList, false)->isHidden());
}

QTEST_MAIN(TestErrorsVip)
#include "tst_errorsvip.moc"
