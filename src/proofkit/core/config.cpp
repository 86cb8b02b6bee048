#include "config.h"

#include <QCoreApplication>
#include <QSettings>

Config::Config()
    : settings(new QSettings(QStringLiteral("Korrelo"), QStringLiteral("client")))
{
    syncAtQuit();
}

void Config::syncAtQuit()
{
    // QSettings writes its file from the event loop; values set while the last window closes would
    // otherwise never reach the disk, since the store itself is never destroyed. A store made before
    // the application connects on its first change after the application exists.
    if (quitConnected || !settings)
        return;
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QSettings* store = settings;
        QObject::connect(app, &QCoreApplication::aboutToQuit, store, [store] { store->sync(); });
        quitConnected = true;
    }
}

Config::~Config()
{
    delete settings;
    settings = nullptr;
}

void Config::setValue(const QString& key, const QVariant& value, QString group)
{
    if (!settings)
        return;
    syncAtQuit();
    if (!group.isEmpty())
        settings->beginGroup(group);
    // Every change rewrites (and flushes) the whole file: an unchanged value is not a change.
    if (!settings->contains(key) || settings->value(key) != value)
        settings->setValue(key, value);
    if (!group.isEmpty())
        settings->endGroup();
}

QVariant Config::getValue(const QString& key, const QVariant& defaultValue, QString group) const
{
    if (!settings)
        return QVariant();
    if (!group.isEmpty())
        settings->beginGroup(group);
    QVariant value = settings->value(key, defaultValue);
    if (!group.isEmpty())
        settings->endGroup();
    return value;
}

void Config::setValueBool(const QString& key, bool value, QString group)
{
    setValue(key, QVariant(value), group);
}

bool Config::getValueBool(const QString& key, bool defaultValue, QString group) const
{
    return getValue(key, QVariant(defaultValue), group).toBool();
}

void Config::setValueInt(const QString& key, int value, QString group)
{
    setValue(key, QVariant(value), group);
}

int Config::getValueInt(const QString& key, int defaultValue, QString group) const
{
    return getValue(key, QVariant(defaultValue), group).toInt();
}

void Config::setValueString(const QString& key, const QString& value, QString group)
{
    setValue(key, QVariant(value), group);
}

QString Config::getValueString(const QString& key, const QString& defaultValue, QString group) const
{
    return getValue(key, QVariant(defaultValue), group).toString();
}

void Config::setValueBinary(const QString& key, const QByteArray& value, QString group)
{
    setValue(key, QVariant(value), group);
}

QByteArray Config::getValueBinary(const QString& key, QString group) const
{
    return getValue(key, QVariant(), group).toByteArray();
}

Config* GetConfig()
{
    static Config* config = new Config;
    return config;
}
