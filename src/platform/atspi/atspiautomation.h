#pragma once

#include "../uiautomation.h"

// UI Automation over the accessibility bus. Elements lie over the same accessibles as the MSAA
// objects; the text pattern exists only on editable Text accessibles that are no password field,
// and its document range reads the whole text in UTF-16 units. FindAll walks the subtree within the
// limits stated in atspidesktop.h.
namespace atspi_detail {

HRESULT createAutomation(REFIID iid, void** object);

} // namespace atspi_detail
