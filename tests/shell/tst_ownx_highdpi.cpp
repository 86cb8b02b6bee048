#include <QtTest>

#include <QAbstractButton>
#include <QMessageBox>

#include "clientfixture.h"
#include "desktopfixture.h"
#include "screenfit.h"
#include "texteditex.h"
#include "waitfor.h"

namespace {

// The window manager has framed the window and Qt has it where the X server does, look after look: a
// fit on its way shows as a look where they differ.
bool waitSettled(QWidget* window)
{
    int inRow = 0;
    return waitFor(
        [&] {
            inRow = ScreenFit::settled(window) ? inRow + 1 : 0;
            return inRow >= 10;
        },
        30000);
}

// Where the X server shows a point of a widget, in device pixels: where a user sees it.
QPoint onScreen(QWidget* widget, QPoint local)
{
    QWidget* window = widget->window();
    const QPointF inWindow = QPointF(widget->mapTo(window, local)) * window->devicePixelRatioF();
    return placedAt(window) + inWindow.toPoint();
}

QString text(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}
} // namespace

// At scale factor 2 the layouts made for scale 1 are larger than the screen; under openbox on an X
// server of this test's own every window must still open inside the available area, where the X server
// has it, and take the mouse there.
class TestHighDpiX : public QObject, public ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void firstShowFitsTheScreen_data();
    void firstShowFitsTheScreen();
    void promptTakesTheMouse_data();
    void promptTakesTheMouse();

private:
    Openbox windowManager;
};

void TestHighDpiX::initTestCase()
{
    QVERIFY(QGuiApplication::platformName() == QLatin1String("xcb"));
    QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
    QVERIFY(windowManager.start());
    QVERIFY(startClient());
}

void TestHighDpiX::cleanupTestCase()
{
    stopClient();
}

void TestHighDpiX::firstShowFitsTheScreen_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<int>("widest");
    for (const char* kind : {"writing window", "tips window", "settings", "error list"}) {
        QTest::newRow(kind) << kind << QSize() << 0;
        // Asked for more than the screen before the first showing, as a size kept from a larger
        // screen would: the frame the window manager adds comes on top of the fitted size.
        QTest::newRow(qPrintable(QStringLiteral("%1 asked too large").arg(kind))) << kind << QSize(2000, 2000) << 0;
    }
    // Wider than the screen even at its smallest, as the writing window is on a 1280 pixel screen:
    // it can only be moved, and its title bar must stay on the screen.
    QTest::newRow("writing window wider than the screen") << "writing window" << QSize(2000, 2000) << 100;
}

void TestHighDpiX::firstShowFitsTheScreen()
{
    QFETCH(QString, kind);
    QFETCH(QSize, asked);
    QFETCH(int, widest);
    QSettings("Korrelo", "client").clear();
    std::unique_ptr<QWidget> window = makeWindow(kind);
    if (widest)
        window->setMinimumWidth(available().width() + widest);
    if (asked.isValid())
        window->resize(asked);
    window->show();
    QTRY_VERIFY_WITH_TIMEOUT(framed(window.get()), 20000);
    // What fits is inside the area; what cannot has its frame's corner at the area's.
    auto inside = [&] {
        const QRect frame = window->frameGeometry();
        if (!widest)
            return available().contains(frame);
        return frame.topLeft() == available().topLeft() && frame.height() <= available().height();
    };
    QTRY_VERIFY2_WITH_TIMEOUT(inside(), qPrintable(text(window->frameGeometry())), 20000);
    // Where Qt has it is where the X server has it: a fit carried out by the window manager was
    // waited for.
    QVERIFY2(waitSettled(window.get()), qPrintable(QStringLiteral("Qt %1, X server %2,%3")
                                                       .arg(text(window->geometry()))
                                                       .arg(placedAt(window.get()).x())
                                                       .arg(placedAt(window.get()).y())));
    QVERIFY2(inside(), qPrintable(text(window->frameGeometry())));
}

void TestHighDpiX::promptTakesTheMouse_data()
{
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<bool>("byWindowManager");
    QTest::addColumn<bool>("oneMotion");
    QTest::addColumn<int>("button");

    QTest::newRow("discard, closed from the title bar")
        << QSize() << true << false << int(QMessageBox::Discard);
    QTest::newRow("cancel, closed from the title bar") << QSize() << true << false << int(QMessageBox::Cancel);
    QTest::newRow("cancel, window larger than the screen")
        << QSize(2000, 2000) << true << false << int(QMessageBox::Cancel);
    QTest::newRow("discard, window larger than the screen, click while moving")
        << QSize(2000, 2000) << false << true << int(QMessageBox::Discard);
}

// The writing window's question about unsaved text, answered with a real click where the user sees
// its button.
void TestHighDpiX::promptTakesTheMouse()
{
    QFETCH(QSize, asked);
    QFETCH(bool, byWindowManager);
    QFETCH(bool, oneMotion);
    QFETCH(int, button);
    QSettings("Korrelo", "client").clear();
    std::unique_ptr<QWidget> window = makeWindow(QStringLiteral("writing window"));
    if (asked.isValid())
        window->resize(asked);
    window->show();
    QVERIFY(waitSettled(window.get()));
    auto* editor = window->findChild<TextEditEx*>();
    QVERIFY(editor);
    editor->setFocus();
    QTest::keyClicks(editor, QStringLiteral("draft"));
    QVERIFY(editor->document()->isModified());

    QString trouble;
    bool prompted = false;
    QRect promptAt;
    editor->setMessageBoxHandler([&](QMessageBox::Icon icon, const QString& title, const QString& question,
                                     QMessageBox::StandardButtons buttons) {
        prompted = true;
        // The editor's own prompt, modal as it is there; the test only waits for it so long.
        QMessageBox box(icon, title, question, buttons, editor);
        box.setWindowModality(Qt::ApplicationModal);
        box.show();
        if (!waitSettled(&box)) {
            trouble = QStringLiteral("the prompt was never placed");
            return QMessageBox::NoButton;
        }
        promptAt = box.frameGeometry();
        QAbstractButton* target = box.button(QMessageBox::StandardButton(button));
        const QPoint at = onScreen(target, target->rect().center());
        const QString x = QString::number(at.x());
        const QString y = QString::number(at.y());
        run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("1"), QStringLiteral("1")});
        if (oneMotion) {
            run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), x, y, QStringLiteral("click"), QStringLiteral("1")});
        } else {
            run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), x, y});
            // The X server has the pointer over the button before it is pressed.
            const QRect onButton(target->mapToGlobal(QPoint()), target->size());
            if (!waitFor([&] { return onButton.contains(QCursor::pos()); }, 10000))
                trouble = QStringLiteral("the pointer never reached the button");
            run(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")});
        }
        if (!waitFor([&] { return box.clickedButton() != nullptr; }, 10000)) {
            trouble = QStringLiteral("the click at %1,%2 was not taken").arg(x, y);
            return QMessageBox::Cancel;
        }
        return box.standardButton(box.clickedButton());
    });

    if (byWindowManager)
        QCOMPARE(QProcess::execute(QStringLiteral("wmctrl"),
                                   {QStringLiteral("-i"), QStringLiteral("-c"), QString::number(window->winId())}),
                 0);
    else
        QTimer::singleShot(0, window.get(), &QWidget::close);
    QTRY_VERIFY_WITH_TIMEOUT(prompted, 20000);
    const bool discard = button == QMessageBox::Discard;
    QTRY_VERIFY2_WITH_TIMEOUT(!trouble.isEmpty() || window->isVisible() != discard, qPrintable(trouble), 40000);
    QVERIFY2(trouble.isEmpty(), qPrintable(trouble));
    QVERIFY2(available().contains(promptAt), qPrintable(text(promptAt)));
    // The handler's answer came back before the close went on: a kept window is still open with its
    // text, still modified.
    QCOMPARE(window->isVisible(), !discard);
    QCOMPARE(editor->toPlainText(), QStringLiteral("draft"));
    if (!discard)
        QVERIFY(editor->document()->isModified());
    editor->setMessageBoxHandler(nullptr);
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestHighDpiX test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ownx_highdpi.moc"
