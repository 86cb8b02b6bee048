#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

#include <memory>

#include "actions.h"
#include "clientfixture.h"
#include "desktopfixture.h"
#include "contextshow.h"
#include "dialogfloat.h"
#include "dialogprogress.h"
#include "menuex.h"
#include "shellfixture.h"
#include "uirecorder.h"

// Our windows under a real window manager (openbox) on an X server of this test's own.
class TestDesktopX : public QObject, public ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void buttonLeavesWithTheFocus_data();
    void buttonLeavesWithTheFocus();
    void checkLeavesTheFocusInTheEditor();
    void writingWindowKeepsItsPlace();
    void tipsInFrontWithNextAsDefault();
    void toolTipsOnInactiveWindows_data();
    void toolTipsOnInactiveWindows();
    void menuHalfShowsItsArrow();

private:
    Openbox windowManager;
    RecordingTracker tracker;
};

void TestDesktopX::initTestCase()
{
    QVERIFY(QGuiApplication::platformName() == QLatin1String("xcb"));
    QVERIFY(windowManager.start());
    QVERIFY(startClient());
    QSettings("Korrelo", "client").clear();
}

void TestDesktopX::init()
{
    resetClient();
    sim::reset();
    tracker.editRect = QRect();
}

void TestDesktopX::cleanup()
{
    if (DialogFloat* button = existingDialogFloat())
        button->hide();
    QToolTip::hideText();
}

void TestDesktopX::cleanupTestCase()
{
    stopClient();
}

void TestDesktopX::buttonLeavesWithTheFocus_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("hides");
    QTest::newRow("tips window") << "tips window" << true;
    QTest::newRow("writing window") << "writing window" << true;
    QTest::newRow("settings") << "settings" << true;
    QTest::newRow("error list for the editor") << "error list" << false;
    QTest::newRow("the button's own menu") << "menu" << false;
}

void TestDesktopX::buttonLeavesWithTheFocus()
{
    QFETCH(QString, kind);
    QFETCH(bool, hides);
    activateEditor(&tracker, createEditor(QRect(100, 100, 500, 300)));
    DialogFloat* button = getDialogFloat();
    button->show();
    QVERIFY(button->isVisible());

    if (kind == QLatin1String("menu")) {
        MenuEx* menu = button->menu();
        menu->popup(button->mapToGlobal(QPoint(0, button->height())));
        QTRY_VERIFY(menu->isVisible());
        QCoreApplication::processEvents();
        QVERIFY(button->isVisible());
        menu->close();
        return;
    }
    std::unique_ptr<QWidget> window = makeWindow(kind);
    window->show();
    window->activateWindow();
    QTRY_VERIFY_WITH_TIMEOUT(QGuiApplication::focusWindow() == window->windowHandle(), 20000);
    QCOMPARE(button->isVisible(), !hides);
    window->hide();
    // Our window gone, the editor is the user's again, and so is the button.
    QTRY_VERIFY_WITH_TIMEOUT(button->isVisible(), 5000);
}

void TestDesktopX::checkLeavesTheFocusInTheEditor()
{
    QVERIFY(client->login("demo", "demo"));
    QPlainTextEdit typing;
    typing.show();
    QVERIFY(QTest::qWaitForWindowActive(&typing));
    typing.setFocus();
    QTRY_COMPARE_WITH_TIMEOUT(focusedWindow(), typing.winId(), 20000);

    // The check waits on the service until the progress window is up and the window manager has it;
    // the check runs its own event loop meanwhile.
    QVERIFY(service.misbehave({{"target", "check"}, {"mode", "hang"}, {"count", "1"}}));
    QPointer<QWidget> progress;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        progress = topLevel<DialogProgress>(true);
        if (progress && managed(progress)) {
            watch.stop();
            service.control(QStringLiteral("release"));
        }
    });
    watch.start(20);
    QSignalSpy done(client, &CheckerClient::checkDone);
    QString text = QStringLiteral("他们在那里等待。本周他门都以经按装好了。");
    QVERIFY(client->checkText(text));
    QVERIFY(done.count() == 1 || done.wait(30000));
    QVERIFY(progress);

    WidgetErrorList list;
    list.setCheckData(done.first().first().value<CHECK_DATAS>(), QStringLiteral("typing"));
    list.showAsDialog();
    QTRY_VERIFY_WITH_TIMEOUT(managed(&list), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!progress->isVisible(), 20000);
    QCoreApplication::processEvents();
    QCOMPARE(focusedWindow(), typing.winId());
    QCOMPARE(QApplication::focusWidget(), &typing);
}

void TestDesktopX::writingWindowKeepsItsPlace()
{
    QPoint first;
    for (int opening = 0; opening < 5; ++opening) {
        DialogWriter writer;
        writer.show();
        QTRY_VERIFY_WITH_TIMEOUT(framed(&writer), 20000);
        QCoreApplication::processEvents();
        const QPoint at = writer.geometry().topLeft();
        if (opening == 0)
            first = at;
        QVERIFY2((at - first).manhattanLength() <= 1,
                 qPrintable(QStringLiteral("opening %1 at %2,%3, first at %4,%5")
                                .arg(opening).arg(at.x()).arg(at.y()).arg(first.x()).arg(first.y())));
        writer.close();
    }
}

void TestDesktopX::tipsInFrontWithNextAsDefault()
{
    DialogTip tip;
    tip.show();
    QTRY_VERIFY_WITH_TIMEOUT(managed(&tip), 20000);
    QVERIFY(tip.findChild<QPushButton*>("btnNext")->isDefault());
    QVERIFY(!tip.findChild<QPushButton*>("btnPrev")->isDefault());
    // The word processor comes up after it.
    QPlainTextEdit wordProcessor;
    wordProcessor.resize(900, 500);
    wordProcessor.show();
    wordProcessor.activateWindow();
    QTRY_VERIFY_WITH_TIMEOUT(managed(&wordProcessor), 20000);
    const QList<WId> order = stacking();
    QVERIFY(order.indexOf(tip.winId()) > order.indexOf(wordProcessor.winId()));
}

void TestDesktopX::toolTipsOnInactiveWindows_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("tip");
    QTest::newRow("pop-up: previous") << "pop-up" << "btnPrev" << "Prev";
    QTest::newRow("pop-up: close") << "pop-up" << "btnHide" << "Close";
    QTest::newRow("floating button: check") << "floating button" << "btnLogo" << "click to check";
}

void TestDesktopX::toolTipsOnInactiveWindows()
{
    QFETCH(QString, window);
    QFETCH(QString, button);
    QFETCH(QString, tip);
    // Another program's window is the active one, as the user's editor would be, and none of ours:
    // a window of ours in front would hide the button. The window manager settles the focus first.
    QProcess typing;
    typing.start(QStringLiteral("xmessage"), {QStringLiteral("-title"), QStringLiteral("typing"),
                                              QStringLiteral("-geometry"), QStringLiteral("600x300+900+500"),
                                              QStringLiteral("他们在那里等待。")});
    QVERIFY(typing.waitForStarted());
    QString typingWindow;
    QTRY_VERIFY_WITH_TIMEOUT(!(typingWindow = run(QStringLiteral("xdotool"), {"search", "--name", "^typing$"})).isEmpty(),
                             20000);
    run(QStringLiteral("xdotool"), {"windowactivate", "--sync", typingWindow.section('\n', 0, 0)});
    QTRY_COMPARE_WITH_TIMEOUT(run(QStringLiteral("xdotool"), {"getactivewindow"}), typingWindow.section('\n', 0, 0),
                              20000);
    QVERIFY(!QGuiApplication::focusWindow());

    std::unique_ptr<ContextShow> popup;
    QWidget* shown = nullptr;
    if (window == QLatin1String("pop-up")) {
        popup = std::make_unique<ContextShow>();
        popup->move(400, 100);
        popup->show();
        shown = popup.get();
    } else {
        activateEditor(&tracker, createEditor(QRect(100, 100, 500, 300)));
        shown = getDialogFloat();
        getDialogFloat()->show();
    }
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    QVERIFY(!shown->isActiveWindow());
    auto* target = shown->findChild<QToolButton*>(button);
    QVERIFY(target && target->isVisible());
    // The pointer is warped on the X server: a window not there yet would never see it arrive.
    QTRY_COMPARE_WITH_TIMEOUT(placedAt(shown), shown->geometry().topLeft(), 20000);
    QTest::mouseMove(target, target->rect().center());
    QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 20000);
    QCOMPARE(QToolTip::text(), tip);
    QVERIFY(shown->isVisible());
    typing.kill();
    typing.waitForFinished();
}

void TestDesktopX::menuHalfShowsItsArrow()
{
    auto* menuHalf = getDialogFloat()->findChild<QToolButton*>("btnLogoMenu");
    const QImage image = menuHalf->grab().toImage();
    // Past the blue line at its left, anything dark is the arrow.
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 2; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 128;
    }
    QVERIFY(dark > 0);
}

int main(int argc, char** argv)
{
    // Focus, stacking and frames need the X server.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestDesktopX test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ownx_desktop.moc"
