// korrelo-service started for one benchmark program: on a free port, and stopped when the program
// ends, so repeated runs leave no services behind.
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include <cstdlib>

namespace korrelo_bench {

struct ServiceAddress
{
    QString host;
    int port = 0;
    QString root() const { return QStringLiteral("http://%1:%2/").arg(host).arg(port); }
    bool valid() const { return port > 0; }
};

// Starts the service with extra arguments; an invalid address when it did not come up.
inline ServiceAddress startService(const QStringList& arguments = {})
{
    static QProcess* service = nullptr;
    if (service)
        return {};
    service = new QProcess;
    std::atexit([] {
        service->kill();
        service->waitForFinished(2000);
    });
    service->setProgram(QStringLiteral(KORRELO_SERVICE_PATH));
    service->setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0")} + arguments);
    service->start();
    QByteArray line;
    for (int i = 0; i < 50 && !line.contains('\n'); ++i) {
        service->waitForReadyRead(200);
        line += service->readAllStandardOutput();
    }
    const auto match = QRegularExpression(QStringLiteral("listening on ([^:\\s]+):(\\d+)")).match(QString::fromUtf8(line));
    if (!match.hasMatch())
        return {};
    return {match.captured(1), match.captured(2).toInt()};
}

} // namespace korrelo_bench
