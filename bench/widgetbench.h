#pragma once

// Shared main of the benchmark programs that show widgets: the offscreen platform unless one is
// chosen, only critical messages printed (offscreen reports every shown window), then the
// benchmarks and their ratio lines.

#include <QApplication>

#include <cstdio>
#include <functional>

#include "ratio.h"

namespace korrelo_bench {

// setUp runs once the application exists, before the first benchmark.
inline int runWidgetBenchmarks(int argc, char** argv, const std::function<void()>& setUp = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (type >= QtCriticalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(msg));
    });
    QApplication app(argc, argv);
    if (setUp)
        setUp();
    return runWithRatios(argc, argv);
}

} // namespace korrelo_bench
