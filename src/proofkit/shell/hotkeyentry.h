#pragma once

#include <QString>

// One row of the hot-key page: the command's object name, the text shown for it and its key.
struct HotkeyEntry
{
    QString objectName;
    QString text;
    QString key;
};
