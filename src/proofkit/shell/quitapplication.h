#pragma once

#include <functional>

#include "proofkit_export.h"

// Every way out of the tray program (Exit, a refused mandatory update) ends here, so tests can catch
// the quit instead of ending the event loop of every later modal dialog.
using QuitFunction = std::function<void(int returnCode)>;

// Replaces the quit function; an empty function restores the default (QCoreApplication::exit).
PROOFKIT_EXPORT void setQuitFunction(QuitFunction function);
PROOFKIT_EXPORT void quitApplication(int returnCode = 0);
