#pragma once

// Whether the accessibility bus can be reached, asked before the bus library is started (it ends the
// process when it finds no bus). *switchedOn: whether the desktop's accessibility setting is on.
namespace atspi_detail {

bool accessibilityBusAnswers(bool* switchedOn);

// Whether the X display's root window names the accessibility bus (AT_SPI_BUS), through which Qt
// programs join it whatever the desktop's setting says; false without an X display.
bool displayNamesBus();

} // namespace atspi_detail
