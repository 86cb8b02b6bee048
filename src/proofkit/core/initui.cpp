#include "initui.h"

#include <QApplication>
#include <QFont>
#include <QTranslator>

#include "apppath.h"

namespace {

bool started = false;

// Kept for the life of the process: QApplication holds on to its argument count.
int appArgc = 0;
char* appArgv[] = {nullptr};

void installTranslator(const QString& file)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(file))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;  // the texts stay in English
}

} // namespace

void initUI()
{
    if (started)
        return;
    started = true;

    // Qt plug-ins shipped beside the library are found wherever the program itself lies.
    const std::string folder = GetAppPath(&started);
    if (!folder.empty())
        QCoreApplication::addLibraryPath(QString::fromStdString(folder));

    // The attribute only counts, and may only be set without a warning, before the application exists.
    if (!QCoreApplication::instance()) {
        QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
        new QApplication(appArgc, appArgv);
    }

    // Style and fonts belong to widget applications only.
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::setStyle(QStringLiteral("fusion"));
        if (!QCoreApplication::testAttribute(Qt::AA_EnableHighDpiScaling))
            QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
        QFont font = QApplication::font();
        font.setPointSize(9);
        font.setFamily(QStringLiteral("Microsoft Sans Serif"));
        QApplication::setFont(font);
        qApp->setStyleSheet(QStringLiteral("QPushButton { padding: 0.2em 1em 0.2em 1em; }"));
    }

    installTranslator(QStringLiteral(":/translations/proofkit_zh_CN.qm"));
    installTranslator(QStringLiteral(":/translations/qt_zh_CN.qm"));
}
