// Prints which desktop the platform chose for this process: "atspi" or "sim".
#include <cstdio>

#include "atspi/atspidesktop.h"

int main()
{
    std::puts(atspi_detail::AtspiDesktop::instance() ? "atspi" : "sim");
    return 0;
}
