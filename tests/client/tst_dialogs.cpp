#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTranslator>

#include "clientfixture.h"
#include "dialoglogin.h"
#include "dialogreporterror.h"

class TestDialogs : public QObject, private ClientFixture
{
    Q_OBJECT
public slots:
    void openUrl(const QUrl& url) { openedUrls << url; }

private slots:
    void initTestCase() { QVERIFY(startClient(this)); }
    void init() { resetClient(); }
    void cleanupTestCase() { stopClient(); }

    void formsCarryTheirObjects_data();
    void formsCarryTheirObjects();
    void loginFocusDefaultsAndLink();
    void loginResults_data();
    void loginResults();
    void loginDialogThroughTheClient();
    void chineseTexts_data();
    void chineseTexts();
};

void TestDialogs::formsCarryTheirObjects_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QStringList>("objects");   // name:class

    QTest::newRow("login") << "DialogLogin"
                           << QStringList{"labelUserName:QLabel", "editUserName:QLineEdit", "labelPassword:QLabel",
                                          "editPassword:QLineEdit", "widget_3:QWidget", "labelForgetPassword:QLabel",
                                          "btnLogin:QPushButton", "btnRegister:QPushButton", "line:QFrame",
                                          "labelMsg:QLabel"};
    QTest::newRow("report") << "DialogReportError"
                            << QStringList{"label:QLabel", "editError:QLineEdit", "label_2:QLabel",
                                           "editSentence:QPlainTextEdit", "label_3:QLabel", "editNote:QPlainTextEdit",
                                           "widget:QWidget", "btnSend:QPushButton"};
}

void TestDialogs::formsCarryTheirObjects()
{
    QFETCH(QString, form);
    QFETCH(QStringList, objects);

    DialogLogin login;
    DialogReportError report;
    QDialog* dialog = form == QLatin1String("DialogLogin") ? static_cast<QDialog*>(&login) : &report;
    QCOMPARE(dialog->objectName(), form);
    for (const QString& object : objects) {
        QObject* found = dialog->findChild<QObject*>(object.section(':', 0, 0));
        QVERIFY2(found && found->inherits(qPrintable(object.section(':', 1))), qPrintable(object));
    }
}

void TestDialogs::loginFocusDefaultsAndLink()
{
    DialogLogin dialog;
    dialog.show();
    QStringList order;
    QWidget* widget = dialog.findChild<QWidget*>("editUserName");
    for (int i = 0; i < 4 && widget; ++i) {
        order << widget->objectName();
        do {
            widget = widget->nextInFocusChain();
        } while (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(&dialog));
    }
    QCOMPARE(order, QStringList({"editUserName", "editPassword", "btnLogin", "btnRegister"}));
    QVERIFY(dialog.findChild<QPushButton*>("btnLogin")->isDefault());
    QCOMPARE(dialog.findChild<QLineEdit*>("editPassword")->echoMode(), QLineEdit::Password);

    auto* label = dialog.findChild<QLabel*>("labelForgetPassword");
    QVERIFY(label->openExternalLinks());
    const QString text = label->text();
    const int start = text.indexOf(QLatin1String("href=\"")) + 6;
    const QUrl link(text.mid(start, text.indexOf(QLatin1Char('"'), start) - start).replace("&amp;", "&"));
    QCOMPARE(link.path(), QStringLiteral("/site0/password-reset/"));
}

void TestDialogs::loginResults_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("registering");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("open");

    QTest::newRow("right password, Return") << "demo" << false << 2 << false;
    QTest::newRow("wrong password stays open") << "nope" << false << -1 << true;
    QTest::newRow("register") << "" << true << 3 << false;
}

void TestDialogs::loginResults()
{
    QFETCH(QString, password);
    QFETCH(bool, registering);
    QFETCH(int, result);
    QFETCH(bool, open);

    DialogLogin dialog;
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.setUserName(QStringLiteral("demo"));
    dialog.show();
    if (registering) {
        QTest::mouseClick(dialog.findChild<QPushButton*>("btnRegister"), Qt::LeftButton);
        QCOMPARE(openedUrls.size(), 1);
        QCOMPARE(openedUrls.first().path(), QStringLiteral("/site0/register/"));
    } else {
        auto* edit = dialog.findChild<QLineEdit*>("editPassword");
        QTest::keyClicks(edit, password);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    QCOMPARE(dialog.isVisible(), open);
    QCOMPARE(finished.size(), open ? 0 : 1);
    if (!open)
        QCOMPARE(finished.first().first().toInt(), result);
    QVERIFY(dialog.findChild<QPushButton*>("btnLogin")->isEnabled());
    QCOMPARE(client->isLogin(), result == 2);
    QCOMPARE(dialog.password(), password);
}

void TestDialogs::loginDialogThroughTheClient()
{
    whenShown<DialogLogin>([](DialogLogin* dialog) {
        QCOMPARE(dialog->username(), QString());
        dialog->findChild<QLineEdit*>("editUserName")->setText("vip");
        dialog->findChild<QLineEdit*>("editPassword")->setText("vip");
        QTest::mouseClick(dialog->findChild<QPushButton*>("btnLogin"), Qt::LeftButton);
    });
    QCOMPARE(client->showLogin(0), 2);
    QCOMPARE(client->getUserName(), QStringLiteral("vip"));
    QVERIFY(client->isVIP());

    // Shown again, it offers the current user and an empty password; closing it is not a login.
    whenShown<DialogLogin>([](DialogLogin* dialog) {
        QCOMPARE(dialog->username(), QStringLiteral("vip"));
        QCOMPARE(dialog->password(), QString());
        dialog->close();
    });
    QCOMPARE(client->showLogin(0), 0);
}

void TestDialogs::chineseTexts_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("shortName");
    QTest::addColumn<bool>("withExperimental");
    QTest::addColumn<QString>("name");

    QTest::newRow("experimental short name with suffix") << 3 << true << true << "音近字（实验功能，误报多）";
    QTest::newRow("full name, suffix only for experimental") << 5 << false << true << "错误词库校对";
    QTest::newRow("unknown type") << 99 << false << false << "";
}

void TestDialogs::chineseTexts()
{
    QFETCH(int, type);
    QFETCH(bool, shortName);
    QFETCH(bool, withExperimental);
    QFETCH(QString, name);

    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/translations/proofkit_zh_CN.qm")));
    QCoreApplication::installTranslator(&translator);
    QCOMPARE(client->getErrorTypeName(type, shortName, withExperimental), name);
    DialogLogin login;
    QCOMPARE(login.windowTitle(), QStringLiteral("登录"));
    QVERIFY(login.findChild<QLabel*>("labelForgetPassword")->text().contains(QStringLiteral("忘记密码")));
    QCoreApplication::removeTranslator(&translator);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
