#pragma once

#include "proofkit_export.h"

// Prepares the Qt application for Proofkit's windows, once per process: plug-in path, style, scaling,
// font, style sheet and the Chinese translations. Creates the QApplication when none exists yet.
PROOFKIT_EXPORT void initUI();
