#pragma once

#include "window.h"

// The word processor's document pane is the window of class "_WwG".
bool isWordPane(HWND hwnd);
// The first pane found depth first among the window's descendants; null when there is none.
HWND findWordPaneUnder(HWND parent);
