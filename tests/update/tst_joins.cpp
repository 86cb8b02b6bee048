#include <QAction>
#include <QJsonArray>
#include <QToolButton>

#include "actions.h"
#include "checkerclient.h"
#include "dialogabout.h"
#include "dialogclient.h"
#include "dialogsetting.h"
#include "updatecenter.h"
#include "updatefixture.h"

// Where the shell's command set and the client window reach the updater, About and settings.
class TestJoins : public UpdateFixture
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(startFixture());
        qputenv("KORRELO_SERVICE_ROOTS", service.sites().toUtf8());
        getCheckerClient()->setMsgBoxHandler([](const QString&, QMessageBox::Icon, QMessageBox::StandardButtons) {
            return int(QMessageBox::Ok);
        });
    }
    void init() { resetFixture(); }
    void cleanupTestCase() { stopFixture(); }

    void updateCommandChecksTheServiceFeed();
    void aboutCommandShowsTheAboutBox();
    void settingButtonOpensTheSettings();
};

void TestJoins::updateCommandChecksTheServiceFeed()
{
    QVERIFY(service.control("config", {{"update_version", "3.6"}}));
    QAction* update = getActions()->actionUpdate;
    QVERIFY(update->isEnabled());
    defaultAnswer = QMessageBox::No;
    QSignalSpy finished(UpdateCenter::getInstance(), &UpdateCenter::checkingFinished);
    update->trigger();
    QVERIFY(finished.wait(15000));
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().text, QString("<h3>Version 3.6 of Korrelo has been released!</h3>"));
    const QJsonObject request = service.lastOf("update-feed");
    QCOMPARE(request.value("path").toString(), QString("/site0/krl/update/client/"));
    QVERIFY(!request.value("query").toArray().isEmpty());
}

void TestJoins::aboutCommandShowsTheAboutBox()
{
    QAction* about = getActions()->actionAbout;
    QVERIFY(about->isEnabled());
    about->trigger();
    DialogAbout* box = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<DialogAbout*>(widget); found && found->isVisible())
            box = found;
    }
    QVERIFY(box);
    QVERIFY(!box->parentWidget());
    box->close();
}

void TestJoins::settingButtonOpensTheSettings()
{
    DialogClient window;
    auto* button = window.findChild<QToolButton*>("btnSetting");
    QVERIFY(button->isEnabled());
    button->click();
    auto* setting = window.findChild<DialogSetting*>();
    QVERIFY(setting);
    QVERIFY(setting->isVisible());
    QVERIFY(setting->testAttribute(Qt::WA_DeleteOnClose));
    QPointer<DialogSetting> watch = setting;
    setting->close();
    QTRY_VERIFY(!watch);
}

QTEST_MAIN(TestJoins)
#include "tst_joins.moc"
