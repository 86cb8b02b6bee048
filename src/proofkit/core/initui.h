#pragma once

#include "proofkit_export.h"

// Call before showing any Proofkit window. Sets up the application's look and Chinese texts the
// first time (making the application if the caller has none); later calls do nothing.
PROOFKIT_EXPORT void initUI();
