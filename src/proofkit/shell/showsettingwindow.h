#pragma once

#include "proofkit_export.h"

class DialogSetting;

// Opens a new settings window (without parent, not modal), replacing the one opened before, so
// every opening shows the stored settings afresh.
PROOFKIT_EXPORT void showSettingWindow();
// The window opened last; null when none is open.
PROOFKIT_EXPORT DialogSetting* currentSettingWindow();
