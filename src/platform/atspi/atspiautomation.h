#pragma once

#include "../uiautomation.h"

// UI Automation over the accessibility bus. Elements lie over the same accessibles as the MSAA
// objects; the text pattern exists only on the editors isEditableText takes (atspiquery.h), and its
// document range reads the whole text in UTF-16 units. A paragraph document's element has the
// keyboard focus while one of its paragraphs does. FindAll walks the subtree within the
// limits stated in atspidesktop.h.
namespace atspi_detail {

HRESULT createAutomation(REFIID iid, void** object);

} // namespace atspi_detail
