#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QCheckBox>
#include <QStackedWidget>
#include <QTextEdit>

#include "clientfixture.h"
#include "config.h"
#include "dialogabout.h"
#include "dialogcontact.h"
#include "dialogtip.h"

// About, the contact form and the tips window.
class TestSmallWindows : public QObject, public ClientFixture
{
    Q_OBJECT

public slots:
    void openUrl(const QUrl& url) { openedUrls.append(url); }

private slots:
    void initTestCase() { QVERIFY(startClient(this)); }
    void init() { resetClient(); }
    void cleanupTestCase() { stopClient(); }

    void aboutNamesProductVersionAndMaker();
    void showAboutDialogKeepsOneWindow();
    void contactForm_data();
    void contactForm();
    void tipsWrapAround_data();
    void tipsWrapAround();
    void tipCheckBoxWritesAtOnce();
};

void TestSmallWindows::aboutNamesProductVersionAndMaker()
{
    client->setClient("client", "3.5");
    DialogAbout about;
    QCOMPARE(about.findChild<QLabel*>("lblKorrelo")->text(), QString("Korrelo 3.5"));
    auto* maker = about.findChild<QLabel*>("label");
    QVERIFY(maker->text().contains("href=\"http://www.korrelo.com/\""));
    QVERIFY(maker->openExternalLinks());
    QVERIFY(maker->textInteractionFlags() & Qt::LinksAccessibleByKeyboard);
    QVERIFY(!(about.windowFlags() & Qt::BypassWindowManagerHint));
    about.show();
    about.findChild<QPushButton*>("btnOk")->click();
    QVERIFY(!about.isVisible());
}

void TestSmallWindows::showAboutDialogKeepsOneWindow()
{
    showAboutDialog();
    DialogAbout* first = topLevel<DialogAbout>(true);
    QVERIFY(first);
    QVERIFY(!first->parentWidget());
    first->close();
    showAboutDialog();
    QCOMPARE(topLevel<DialogAbout>(true), first);
    // Made again once destroyed.
    delete first;
    showAboutDialog();
    DialogAbout* second = topLevel<DialogAbout>(true);
    QVERIFY(second);
    second->close();
}

void TestSmallWindows::contactForm_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<bool>("pageOpened");
    QTest::newRow("empty message") << "" << "a@b.c" << "Please input message." << "" << false;
    QTest::newRow("blank message") << "  \n " << "" << "Please input message." << "" << false;
    QTest::newRow("message and address")
        << "有个建议" << "a@b.c" << "Your message was copied; please paste it on the contact page."
        << "有个建议\n\na@b.c" << true;
    QTest::newRow("message only") << "<b>hi</b>" << ""
                                  << "Your message was copied; please paste it on the contact page."
                                  << "<b>hi</b>" << true;
}

void TestSmallWindows::contactForm()
{
    QFETCH(QString, message);
    QFETCH(QString, address);
    QFETCH(QString, box);
    QFETCH(QString, clipboard);
    QFETCH(bool, pageOpened);
    QApplication::clipboard()->clear();
    DialogContact contact;
    contact.show();
    contact.findChild<QTextEdit*>("editMsg")->setPlainText(message);
    contact.findChild<QLineEdit*>("editEmail")->setText(address);
    contact.findChild<QPushButton*>("btnSend")->click();
    QCOMPARE(boxes.texts(), QStringList{box});
    QCOMPARE(contact.isVisible(), !pageOpened);
    QCOMPARE(QApplication::clipboard()->text(), clipboard);
    QCOMPARE(openedUrls.size(), pageOpened ? 1 : 0);
    if (pageOpened)
        QVERIFY(openedUrls.first().path().endsWith("/contact/"));
}

void TestSmallWindows::tipsWrapAround_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("page");
    QTest::newRow("first page at start") << QStringList{} << "page1";
    QTest::newRow("next") << QStringList{"btnNext"} << "page3";
    QTest::newRow("next past the last") << QStringList{"btnNext", "btnNext", "btnNext"} << "page1";
    QTest::newRow("prev before the first") << QStringList{"btnPrev"} << "page2";
    QTest::newRow("there and back") << QStringList{"btnNext", "btnPrev"} << "page1";
}

void TestSmallWindows::tipsWrapAround()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, page);
    DialogTip tip;
    QVERIFY(!(tip.windowFlags() & Qt::BypassWindowManagerHint));
    for (const QString& name : clicks)
        tip.findChild<QPushButton*>(name)->click();
    QCOMPARE(tip.findChild<QStackedWidget*>("stackedWidget")->currentWidget()->objectName(), page);
    // Every page shows its picture.
    for (const char* image : {"labelImg1", "labelImg2", "labelImg3"})
        QVERIFY(!tip.findChild<QLabel*>(image)->pixmap(Qt::ReturnByValue).isNull());
}

void TestSmallWindows::tipCheckBoxWritesAtOnce()
{
    DialogTip tip;
    tip.show();
    auto* box = tip.findChild<QCheckBox*>("cbDisable");
    box->click();
    QCOMPARE(QSettings("Korrelo", "client").value("ShowTip").toBool(), false);
    QVERIFY(tip.isVisible());
    box->click();
    QCOMPARE(QSettings("Korrelo", "client").value("ShowTip").toBool(), true);
}

QTEST_MAIN(TestSmallWindows)
#include "tst_smallwindows.moc"
