#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include "proofkit_export.h"

class QSettings;

// Typed reads and writes of the user's settings file; a value lives under a key, optionally in a
// group. Use GetConfig() rather than making one.
class PROOFKIT_EXPORT Config
{
public:
    Config();
    ~Config();
    Config(const Config&) = delete;
    Config& operator=(const Config&) = delete;

    void setValue(const QString& key, const QVariant& value, QString group = QString());
    QVariant getValue(const QString& key, const QVariant& defaultValue = QVariant(),
                      QString group = QString()) const;

    void setValueBool(const QString& key, bool value, QString group = QString());
    bool getValueBool(const QString& key, bool defaultValue = false, QString group = QString()) const;

    void setValueInt(const QString& key, int value, QString group = QString());
    int getValueInt(const QString& key, int defaultValue = 0, QString group = QString()) const;

    void setValueString(const QString& key, const QString& value, QString group = QString());
    QString getValueString(const QString& key, const QString& defaultValue = QString(),
                           QString group = QString()) const;

    void setValueBinary(const QString& key, const QByteArray& value, QString group = QString());
    QByteArray getValueBinary(const QString& key, QString group = QString()) const;

private:
    void syncAtQuit();

    QSettings* settings = nullptr;
    bool quitConnected = false;
};

// The process-wide store, made on first use and kept until the process ends.
PROOFKIT_EXPORT Config* GetConfig();
