// initUI() called before any application exists must make one that stays usable.
#include <QtTest>

#include <QApplication>
#include <QPushButton>

#include "initui.h"

namespace {

int failures = 0;
QStringList warnings;

void recordMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type != QtDebugMsg && text.contains(QLatin1String("Qt::AA_")))
        warnings << text;
}

void check(bool ok, const char* what)
{
    if (!ok) {
        ++failures;
        fprintf(stderr, "FAIL: %s\n", what);
    }
}

__attribute__((noinline)) void startFromLibrary()
{
    // Deep call frames after initUI() returns overwrite whatever stack it used.
    initUI();
}

__attribute__((noinline)) void scribbleOnStack()
{
    volatile char scratch[4096];
    for (auto& c : scratch)
        c = char(0x5a);
}

} // namespace

int main()
{
    qInstallMessageHandler(recordMessage);
    startFromLibrary();
    scribbleOnStack();
    check(QCoreApplication::testAttribute(Qt::AA_EnableHighDpiScaling), "high-DPI scaling is on");
    check(warnings.isEmpty(), "no warning about attributes set too late");
    for (const QString& warning : warnings)
        fprintf(stderr, "warning: %s\n", qPrintable(warning));

    check(qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr, "a QApplication exists");
    check(QCoreApplication::arguments().isEmpty(), "the argument list stays empty");
    check(QCoreApplication::translate("DialogProgress", "Cancel") == QString::fromUtf8("取消"),
          "the catalogue is installed");

    QPushButton button(QStringLiteral("x"));
    button.show();
    QCoreApplication::processEvents();
    check(button.isVisible(), "a widget can be shown");
    check(QApplication::font().pointSize() == 9, "the application font is set");

    initUI();
    check(QCoreApplication::arguments().isEmpty(), "a second call keeps the application");
    if (failures == 0)
        printf("PASS: application made by initUI\n");
    return failures == 0 ? 0 : 1;
}
