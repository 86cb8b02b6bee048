#include <QAction>
#include <QCheckBox>
#include <QFormLayout>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include "actions.h"
#include "clientfixture.h"
#include "config.h"
#include "dialogsetting.h"
#include "keysequenceedit.h"
#include "settingkeys.h"
#include "showsettingwindow.h"

class TestDialogSetting : public QObject, public ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void loadsStoredSettings();
    void okStoresEveryPage();
    void cancelStoresNothing();
    void localFields_data();
    void localFields();
    void hotkeyFieldKeepsOnlyUsableChords_data();
    void hotkeyFieldKeepsOnlyUsableChords();
    void reopenedUnderItsOwnBoxOutlivesTheBox();
    void checkSizeLimits_data();
    void checkSizeLimits();
    void openingAgainReplacesWindow();

private:
    Config* config = nullptr;
};

namespace {
template <typename T>
T* child(QWidget* dialog, const char* name)
{
    T* widget = dialog->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no %s", name);
    return widget;
}

bool isRed(QWidget* field)
{
    return field->styleSheet().contains(QLatin1String("color: red"));
}
}

void TestDialogSetting::initTestCase()
{
    QVERIFY(startClient());
    config = GetConfig();
    // Offscreen no chord can be grabbed, so every hot key starts empty.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Failed to register hotkey"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Failed to register hotkey"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Failed to register hotkey"));
    QVERIFY(getActions());
}

void TestDialogSetting::init()
{
    resetClient();
}

void TestDialogSetting::cleanupTestCase()
{
    stopClient();
}

void TestDialogSetting::loadsStoredSettings()
{
    config->setValueString(SettingKeys::CheckServer, "http://10.0.0.5:8080");
    config->setValueString(SettingKeys::LocalAccessToken, "secret");
    config->setValueInt(SettingKeys::CheckCharMax, 1200);
    config->setValueBool(SettingKeys::AutoUpdate, false);
    config->setValueInt(SettingKeys::SettingTabIndex, 1);
    DialogSetting dialog;
    QCOMPARE(child<QLineEdit>(&dialog, "lineEditServerUrl")->text(), QStringLiteral("http://10.0.0.5:8080"));
    QCOMPARE(child<QLineEdit>(&dialog, "lineEditAccessToken")->text(), QStringLiteral("secret"));
    QCOMPARE(child<QSpinBox>(&dialog, "lineEditCheckCharMax")->value(), 1200);
    QVERIFY(!child<QCheckBox>(&dialog, "cbAutoUpdate")->isChecked());
    QCOMPARE(child<QTabWidget>(&dialog, "tabWidget")->currentIndex(), 1);
    QVERIFY(child<QLabel>(&dialog, "labelErrorType")->isHidden());

    auto* rows = child<QFormLayout>(&dialog, "layoutHotkey");
    QCOMPARE(rows->rowCount(), 13);
    auto label = [rows](int row) {
        return qobject_cast<QLabel*>(rows->itemAt(row, QFormLayout::LabelRole)->widget())->text();
    };
    auto field = [rows](int row) { return rows->itemAt(row, QFormLayout::FieldRole)->widget()->objectName(); };
    QCOMPARE(label(0), QStringLiteral("Apply By Double Click"));
    QCOMPARE(field(0), QStringLiteral("actionApplyByDoubleClick"));
    QCOMPARE(label(5), QStringLiteral("Show Writer "));
    QCOMPARE(field(12), QStringLiteral("actionShowErrorList"));
}

void TestDialogSetting::okStoresEveryPage()
{
    DialogSetting dialog;
    dialog.show();
    child<QLineEdit>(&dialog, "lineEditServerUrl")->setText(service.sites().section(',', 0, 0));
    child<QLineEdit>(&dialog, "lineEditAccessToken")->setText("local-token");
    child<QSpinBox>(&dialog, "lineEditCheckCharMax")->setValue(2500);
    child<QCheckBox>(&dialog, "cbAutoUpdate")->setChecked(false);
    child<QTabWidget>(&dialog, "tabWidget")->setCurrentIndex(2);
    QMetaObject::invokeMethod(&dialog, "on_btnOK_clicked");

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(config->getValueString(SettingKeys::CheckServer), service.sites().section(',', 0, 0));
    QCOMPARE(config->getValueString(SettingKeys::LocalAccessToken), QStringLiteral("local-token"));
    QCOMPARE(config->getValueInt(SettingKeys::CheckCharMax), 2500);
    QCOMPARE(config->getValueBool(SettingKeys::AutoUpdate, true), false);
    QCOMPARE(config->getValueInt(SettingKeys::SettingTabIndex), 2);
    // The client took the private server at once.
    QVERIFY(client->isLocal());
    // Rows left as shown store nothing: a default that could not be grabbed this time stays the
    // default for the next start.
    QVERIFY(!config->getValue("actionShowWriter", QVariant(), SettingKeys::GroupHotkey).isValid());
    config->setValueString(SettingKeys::CheckServer, QString());
    config->setValueString(SettingKeys::LocalAccessToken, QString());
    client->loadSetting();
}

void TestDialogSetting::cancelStoresNothing()
{
    config->setValueInt(SettingKeys::CheckCharMax, 3000);
    {
        DialogSetting dialog;
        dialog.show();
        child<QSpinBox>(&dialog, "lineEditCheckCharMax")->setValue(40);
        child<QLineEdit>(&dialog, "lineEditServerUrl")->setText("http://10.0.0.9");
        child<QCheckBox>(&dialog, "cbAutoUpdate")->setChecked(false);
        child<QTabWidget>(&dialog, "tabWidget")->setCurrentIndex(1);
        QMetaObject::invokeMethod(&dialog, "on_btnCancel_clicked");
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
    QCOMPARE(config->getValueInt(SettingKeys::CheckCharMax), 3000);
    QVERIFY(!config->getValue(SettingKeys::CheckServer).isValid());
    QVERIFY(!config->getValue(SettingKeys::AutoUpdate).isValid());
    // Only the page shown last is kept, and the next opening shows it with the stored values.
    DialogSetting reopened;
    QCOMPARE(child<QTabWidget>(&reopened, "tabWidget")->currentIndex(), 1);
    QCOMPARE(child<QSpinBox>(&reopened, "lineEditCheckCharMax")->value(), 3000);
    QVERIFY(child<QLineEdit>(&reopened, "lineEditServerUrl")->text().isEmpty());
    QVERIFY(child<QCheckBox>(&reopened, "cbAutoUpdate")->isChecked());
}

void TestDialogSetting::localFields_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("token");
    QTest::addColumn<bool>("urlRed");
    QTest::addColumn<bool>("tokenRed");
    QTest::newRow("no private server") << "" << "" << false << false;
    QTest::newRow("both filled") << "http://10.0.0.5" << "secret" << false << false;
    QTest::newRow("address without password") << "http://10.0.0.5" << "" << false << true;
    QTest::newRow("password without address") << "" << "secret" << true << false;
}

void TestDialogSetting::localFields()
{
    QFETCH(QString, url);
    QFETCH(QString, token);
    QFETCH(bool, urlRed);
    QFETCH(bool, tokenRed);
    DialogSetting dialog;
    dialog.show();
    auto* urlField = child<QLineEdit>(&dialog, "lineEditServerUrl");
    auto* tokenField = child<QLineEdit>(&dialog, "lineEditAccessToken");
    auto* tabs = child<QTabWidget>(&dialog, "tabWidget");
    tabs->setCurrentIndex(2);
    urlField->setText(url);
    tokenField->setText(token);
    // Marked while typing, before OK.
    QCOMPARE(isRed(urlField), urlRed);
    QCOMPARE(isRed(tokenField), tokenRed);

    QMetaObject::invokeMethod(&dialog, "on_btnOK_clicked");
    const bool invalid = urlRed || tokenRed;
    QCOMPARE(dialog.isVisible(), invalid);
    QCOMPARE(boxes.texts(), invalid ? QStringList{"local server setting error"} : QStringList());
    if (invalid) {
        QCOMPARE(tabs->currentWidget()->objectName(), QStringLiteral("tabLocal"));
        QVERIFY(!config->getValue(SettingKeys::CheckServer).isValid());
        QVERIFY(!config->getValue(SettingKeys::LocalAccessToken).isValid());
    }
    config->setValueString(SettingKeys::CheckServer, QString());
    config->setValueString(SettingKeys::LocalAccessToken, QString());
    client->loadSetting();
}

void TestDialogSetting::hotkeyFieldKeepsOnlyUsableChords_data()
{
    QTest::addColumn<QKeySequence>("entered");
    QTest::addColumn<bool>("kept");
    QTest::newRow("Ctrl and a letter") << QKeySequence("Ctrl+Shift+A") << true;
    QTest::newRow("Alt and a function key") << QKeySequence("Alt+F1") << true;
    QTest::newRow("Shift alone") << QKeySequence("Shift+A") << false;
    QTest::newRow("Meta alone") << QKeySequence("Meta+A") << false;
    QTest::newRow("no modifier") << QKeySequence("A") << false;
    QTest::newRow("two chords") << QKeySequence("Ctrl+A, Ctrl+B") << false;
}

void TestDialogSetting::hotkeyFieldKeepsOnlyUsableChords()
{
    QFETCH(QKeySequence, entered);
    QFETCH(bool, kept);
    KeySequenceEdit field(QKeySequence("Ctrl+Q"));
    auto* inner = field.findChild<QKeySequenceEdit*>();
    QCOMPARE(field.focusProxy(), inner);
    QSignalSpy finished(&field, &KeySequenceEdit::editingFinished);
    QSignalSpy innerFinished(inner, &QKeySequenceEdit::editingFinished);
    for (int i = 0; i < entered.count(); ++i) {
        QTest::keyClick(inner, Qt::Key(entered[i] & ~Qt::KeyboardModifierMask),
                        Qt::KeyboardModifiers(entered[i] & Qt::KeyboardModifierMask));
    }
    // Read before the editor's own pause after the last key has passed: a refused entry is
    // already no key.
    QCOMPARE(field.keySequence(), kept ? entered : QKeySequence());
    QCOMPARE(field.isRefused(), !kept);
    QVERIFY(innerFinished.wait(10000));
    QCOMPARE(field.keySequence(), kept ? entered : QKeySequence());
    QVERIFY(!field.isRefused());
    QCOMPARE(finished.count(), kept ? 1 : 0);

    field.findChild<QToolButton*>()->click();
    QVERIFY(field.keySequence().isEmpty());
}

void TestDialogSetting::reopenedUnderItsOwnBoxOutlivesTheBox()
{
    showSettingWindow();
    QPointer<DialogSetting> first = currentSettingWindow();
    // One of the two private-server fields alone makes OK open its box.
    child<QLineEdit>(first, "lineEditServerUrl")->setText("http://10.0.0.5");
    bool aliveUnderBox = false;
    client->setMsgBoxHandler([&](const QString&, QMessageBox::Icon, QMessageBox::StandardButtons) {
        // The settings command, from a hot key, arrives while the box runs its event loop.
        getActions()->actionSetting->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        aliveUnderBox = !first.isNull();
        return int(QMessageBox::Ok);
    });
    QMetaObject::invokeMethod(first, "on_btnOK_clicked");
    boxes.install(client);
    QVERIFY(aliveUnderBox);
    QVERIFY(currentSettingWindow() != first);
    QVERIFY(currentSettingWindow()->isVisible());
    QTRY_VERIFY(!first);
    currentSettingWindow()->close();
}

void TestDialogSetting::checkSizeLimits_data()
{
    QTest::addColumn<int>("entered");
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("shown");
    QTest::newRow("below the least") << 5 << 0 << 10;
    QTest::newRow("above the most") << 200000 << 0 << 100000;
    QTest::newRow("steps of ten") << 3000 << 2 << 3020;
    QTest::newRow("no step past the most") << 100000 << 1 << 100000;
    QTest::newRow("no step below the least") << 10 << -1 << 10;
}

void TestDialogSetting::checkSizeLimits()
{
    QFETCH(int, entered);
    QFETCH(int, steps);
    QFETCH(int, shown);
    DialogSetting dialog;
    auto* spin = child<QSpinBox>(&dialog, "lineEditCheckCharMax");
    spin->setValue(entered);
    spin->stepBy(steps);
    QCOMPARE(spin->value(), shown);
}

void TestDialogSetting::openingAgainReplacesWindow()
{
    showSettingWindow();
    QPointer<DialogSetting> first = currentSettingWindow();
    QVERIFY(first && first->isVisible());
    showSettingWindow();
    QPointer<DialogSetting> second = currentSettingWindow();
    QVERIFY(second && second != first);
    QVERIFY(!first || !first->isVisible());
    QTRY_VERIFY(!first);
    QVERIFY(second->isVisible());
    // The command runs the same.
    getActions()->actionSetting->trigger();
    QTRY_VERIFY(!second);
    QVERIFY(currentSettingWindow()->isVisible());
    currentSettingWindow()->close();
}

QTEST_MAIN(TestDialogSetting)
#include "tst_dialogsetting.moc"
