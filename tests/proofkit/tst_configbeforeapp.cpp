// The settings store made before any application exists must still be written when the program quits.
#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

#include "config.h"

int main(int argc, char** argv)
{
    // A file left by an earlier run would hold the value already.
    QFile::remove(QSettings(QStringLiteral("Korrelo"), QStringLiteral("client")).fileName());
    Config* config = GetConfig();
    config->getValueString(QStringLiteral("WrittenAtQuit"));

    QCoreApplication app(argc, argv);
    const QString file = QSettings(QStringLiteral("Korrelo"), QStringLiteral("client")).fileName();

    // Set as the last window closes: no event loop turns again to let QSettings write on its own.
    config->setValueString(QStringLiteral("WrittenAtQuit"), QStringLiteral("kept"));
    QMetaObject::invokeMethod(&app, "aboutToQuit", Qt::DirectConnection);

    // The file itself: another QSettings in this process would share the unwritten cache.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("copy.conf"));
    const bool copied = QFile::copy(file, copy);
    QSettings onDisk(copy, QSettings::IniFormat);
    const bool ok = copied && onDisk.value(QStringLiteral("WrittenAtQuit")).toString() == QLatin1String("kept");
    std::printf("%s: a value set at quit is on disk\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
