#pragma once

// The floor of reading an editor's text over the accessibility bus: one bare atspi_text_get_text of
// the whole text, handed to the bus thread as every bus call from another thread is.

#include <atspi/atspi.h>
#include <benchmark/benchmark.h>

#include "atspi/atspidesktop.h"

inline void runBareGetText(benchmark::State& state, HWND hwnd)
{
    using atspi_detail::AtspiDesktop;
    AtspiDesktop* bus = AtspiDesktop::instance();
    AtspiText* text = bus ? AtspiDesktop::call(
                                [bus, hwnd]() -> AtspiText* {
                                    AtspiAccessible* accessible = bus->accessibleOf(hwnd);
                                    return accessible ? atspi_accessible_get_text_iface(accessible) : nullptr;
                                },
                                nullptr)
                          : nullptr;
    if (!text) {
        state.SkipWithError("the editor has no text");
        return;
    }
    for (auto _ : state) {
        AtspiDesktop::call(
            [text] {
                gchar* whole = atspi_text_get_text(text, 0, -1, nullptr);
                const bool read = whole != nullptr;
                g_free(whole);
                return read;
            },
            false);
    }
    AtspiDesktop::post([text] { g_object_unref(text); });
}
