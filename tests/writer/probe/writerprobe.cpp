// Runs the Writer program in a process of its own, acting on its window as the scenario on the
// command line says, and prints what is left when the program returns.
#include <QApplication>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

#include "dialogwriter.h"
#include "sim/speech.h"
#include "writermain.h"

namespace {
QString scenario;

DialogWriter* writerWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* writer = qobject_cast<DialogWriter*>(widget))
            return writer;
    }
    return nullptr;
}

void act()
{
    DialogWriter* writer = writerWindow();
    if (!writer || !writer->isVisible()) {
        std::printf("no window\n");
        QCoreApplication::exit(99);
        return;
    }
    if (scenario == QLatin1String("speak"))
        writer->findChild<QToolButton*>(QStringLiteral("btnSpeak"))->click();
    QTimer::singleShot(100, writer, [writer] { writer->close(); });
}

void scheduleActing()
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QTimer::singleShot(200, act); }, Qt::QueuedConnection);
}
}

int main(int argc, char** argv)
{
    scenario = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    sim::setSpeechOutput(sim::SpeechOutput::Stepped);
    qAddPreRoutine(scheduleActing);
    const int code = writerMain(argc, argv);
    std::printf("returned %d\n", code);
    std::fflush(stdout);
    return code;
}
