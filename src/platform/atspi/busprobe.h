#pragma once

// Whether the accessibility bus can be reached, asked before the bus library is started (it ends the
// process when it finds no bus). *switchedOn: whether the desktop's accessibility setting is on.
namespace atspi_detail {

bool accessibilityBusAnswers(bool* switchedOn);

} // namespace atspi_detail
