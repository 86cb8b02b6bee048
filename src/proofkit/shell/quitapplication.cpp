#include "quitapplication.h"

#include <QCoreApplication>

namespace {
QuitFunction& currentQuitFunction()
{
    static QuitFunction function;
    return function;
}
}

void setQuitFunction(QuitFunction function)
{
    currentQuitFunction() = std::move(function);
}

void quitApplication(int returnCode)
{
    if (const QuitFunction& function = currentQuitFunction()) {
        function(returnCode);
        return;
    }
    QCoreApplication::exit(returnCode);
}
