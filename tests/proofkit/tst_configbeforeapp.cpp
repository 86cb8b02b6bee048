// The settings store made before any application exists must still be written when the program quits.
#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

#include "config.h"

int main(int argc, char** argv)
{
    Config* config = GetConfig();
    config->setValueString(QStringLiteral("WrittenBeforeApp"), QStringLiteral("early"));

    QCoreApplication app(argc, argv);
    const QString file = QSettings(QStringLiteral("Korrelo"), QStringLiteral("client")).fileName();
    // Set as the last window closes: the event loop ends before QSettings would write on its own.
    QTimer::singleShot(0, [config] {
        config->setValueString(QStringLiteral("WrittenAtQuit"), QStringLiteral("kept"));
        QCoreApplication::quit();
    });
    QCoreApplication::exec();

    // The file itself: another QSettings in this process would share the unwritten cache.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("copy.conf"));
    const bool copied = QFile::copy(file, copy);
    QSettings onDisk(copy, QSettings::IniFormat);
    const bool ok = copied && onDisk.value(QStringLiteral("WrittenBeforeApp")).toString() == QLatin1String("early")
                    && onDisk.value(QStringLiteral("WrittenAtQuit")).toString() == QLatin1String("kept");
    std::printf("%s: values set before and at quit are on disk\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
