#include "showsettingwindow.h"

#include <QPointer>

#include "dialogsetting.h"

namespace {
QPointer<DialogSetting>& settingWindow()
{
    static QPointer<DialogSetting> window;
    return window;
}
}

void showSettingWindow()
{
    if (settingWindow())
        settingWindow()->retire();
    settingWindow() = new DialogSetting(nullptr);
    settingWindow()->show();
}

DialogSetting* currentSettingWindow()
{
    return settingWindow();
}
