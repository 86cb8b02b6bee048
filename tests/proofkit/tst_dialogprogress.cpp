#include <QtTest>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "dialogprogress.h"

class TestDialogProgress : public QObject
{
    Q_OBJECT
private slots:
    void formHasItsObjects();
    void progressSetsMaximumAndValue_data();
    void progressSetsMaximumAndValue();
    void everyCloseCancelsOnce_data();
    void everyCloseCancelsOnce();
    void hidingDoesNotCancel();
};

void TestDialogProgress::formHasItsObjects()
{
    DialogProgress dialog;
    QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    dialog.setTitle(QStringLiteral("Checking page 2 ..."));
    QCOMPARE(dialog.findChild<QLabel*>("labelMsg")->text(), QString("Checking page 2 ..."));
}

void TestDialogProgress::progressSetsMaximumAndValue_data()
{
    QTest::addColumn<QList<int>>("calls");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    QTest::newRow("busy") << QList<int>{0} << 0 << 0;
    QTest::newRow("busy then half") << QList<int>{0, 50} << 100 << 50;
    QTest::newRow("half then busy") << QList<int>{50, 0} << 0 << 0;
    QTest::newRow("full") << QList<int>{30, 100} << 100 << 100;
    QTest::newRow("past the end shows full") << QList<int>{30, 130} << 100 << 100;
}

void TestDialogProgress::progressSetsMaximumAndValue()
{
    QFETCH(QList<int>, calls);
    QFETCH(int, maximum);
    QFETCH(int, value);
    DialogProgress dialog;
    for (int n : calls)
        dialog.setProgress(n);
    auto* bar = dialog.findChild<QProgressBar*>("progressBar");
    QCOMPARE(bar->maximum(), maximum);
    QCOMPARE(bar->value(), value);
}

void TestDialogProgress::everyCloseCancelsOnce_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cancel button") << "button";
    QTest::newRow("escape key") << "escape";
    QTest::newRow("title bar close") << "close";
}

void TestDialogProgress::everyCloseCancelsOnce()
{
    QFETCH(QString, how);
    DialogProgress dialog;
    QSignalSpy cancelled(&dialog, &DialogProgress::cancel);
    for (int round = 1; round <= 2; ++round) {  // the client shows the same dialog for every check
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        if (how == "button")
            QTest::mouseClick(dialog.findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
        else if (how == "escape")
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.close();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(cancelled.count(), round);
    }
}

void TestDialogProgress::hidingDoesNotCancel()
{
    DialogProgress dialog;
    QSignalSpy cancelled(&dialog, &DialogProgress::cancel);
    dialog.show();
    dialog.hide();  // the end of a check
    dialog.close();
    QCOMPARE(cancelled.count(), 0);
}

QTEST_MAIN(TestDialogProgress)
#include "tst_dialogprogress.moc"
