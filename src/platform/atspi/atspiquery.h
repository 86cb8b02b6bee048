#pragma once

#include <atspi/atspi.h>

#include <QString>

#include <optional>

#include "../wintypes.h"

// Questions put to one accessible over the bus. Each runs on the bus thread (AtspiDesktop::call) and
// answers a failed or timed-out call as "no" or false.
namespace atspi_detail {

// ATSPI_ROLE_INVALID when the bus does not answer.
AtspiRole roleOf(AtspiAccessible* accessible);
// A password field: role password text, or a text field whose attributes call it a password.
bool isPassword(AtspiAccessible* accessible);
// An editor the system may take: editable, with the Text interface (or a document of one object per
// paragraph, see documenttext.h), no password field and not one of this program's own objects.
// Reads role, state and interfaces only, never the text.
bool isEditableText(AtspiAccessible* accessible);
// The whole text in UTF-16 units (the bus counts characters), a paragraph document's joined; false
// for password fields. A caller that found the object no password field by its attributes already
// passes attributesChecked, so only the role, which the bus library keeps up to date locally, is
// asked again.
bool readText(AtspiAccessible* accessible, QString& text, bool attributesChecked = false);
// Whether the object has the keyboard focus; a paragraph document has it while one of its
// paragraphs does.
bool holdsFocus(AtspiAccessible* accessible);
// In screen coordinates; none for a null accessible.
std::optional<RECT> extents(AtspiAccessible* accessible);
// The MSAA role of the accessible; false when the bus does not answer.
bool msaaRole(AtspiAccessible* accessible, LONG& role);

} // namespace atspi_detail
