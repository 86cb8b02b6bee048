// A 30,000-character Chinese text checked end to end through the client (authorisation, ten
// pieces, reply conversion) against korrelo-service on loopback, compared with a bare network
// manager posting the same ten bodies one after another; and the service's own rate on
// 3000-character pieces.

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

#include "checkerclient.h"
#include "ratio.h"

namespace {

struct Fixture
{
    QProcess service;
    QString root;
    QString checkUrl;
    QList<QByteArray> bodies;   // the ten check pieces as the client sends them
    QString text;
    bool ready = false;
};

QString benchText()
{
    const QStringList sentences = {
        QStringLiteral("他门在会议上讨论了明年的计划，大家都很认真。"),
        QStringLiteral("这个问题我以经说过很多次了，请大家注意。"),
        QStringLiteral("今天天气很好，我们一起去公园散步吧。"),
        QStringLiteral("我们要再接再励，争取更大的进步。"),
        QStringLiteral("他的的确确是一个好人，从来不说谎。"),
        QStringLiteral("《红楼梦》是一部伟大的作品,值得反复阅读。"),
    };
    QString text;
    for (int i = 0; text.length() < 30000; ++i)
        text += sentences.at(i % sentences.size());
    return text.left(30000);
}

QByteArray field(const char* key, const QString& value)
{
    return QByteArray(key) + '=' + QUrl::toPercentEncoding(value);
}

Fixture& fixture()
{
    static Fixture* f = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_client_check";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);

        auto* made = new Fixture;
        made->service.setProgram(QStringLiteral(KORRELO_SERVICE_PATH));
        made->service.setArguments({QStringLiteral("--port"), QStringLiteral("0")});
        made->service.start();
        QByteArray line;
        for (int i = 0; i < 50 && !line.contains('\n'); ++i) {
            made->service.waitForReadyRead(200);
            line += made->service.readAllStandardOutput();
        }
        const auto match = QRegularExpression(QStringLiteral("listening on ([^:\\s]+):(\\d+)")).match(QString::fromUtf8(line));
        if (!match.hasMatch())
            return made;
        made->root = QStringLiteral("http://%1:%2/").arg(match.captured(1), match.captured(2));
        made->checkUrl = made->root + QStringLiteral("api/v3/check");
        qputenv("KORRELO_SERVICE_ROOTS", made->root.toUtf8());

        CheckerClient* client = getCheckerClient();
        client->setMsgBoxHandler([](const QString&, QMessageBox::Icon, QMessageBox::StandardButtons) {
            return int(QMessageBox::Ok);
        });
        if (!client->login(QStringLiteral("demo"), QStringLiteral("demo")))
            return made;
        made->text = benchText();
        QStringList pieces;
        CheckerClient::splitText(made->text, 3000, pieces);
        const QString token = QSettings(QStringLiteral("Korrelo"), QStringLiteral("client")).value("access_token").toString();
        for (const QString& piece : pieces) {
            made->bodies << field("client_id", client->getClientId()) + '&' + field("client_ver", client->getClientVer())
                    + '&' + field("host_id", QString()) + '&' + field("host_ver", QString()) + '&'
                    + field("text", piece) + '&' + field("access_token", token) + '&'
                    + field("local_access_token", QString()) + '&' + field("is_vip", "0") + '&'
                    + field("main_lang", "zh-CN") + '&' + field("other_lang", "en-US") + '&'
                    + field("min_error_level", "3") + '&' + field("check", client->getErrorTypeInfos()) + '&'
                    + field("dict_id", client->getDictInfos());
        }
        made->ready = made->bodies.size() == 10;
        return made;
    }();
    return *f;
}

QByteArray postAndWait(QNetworkAccessManager& nam, const QString& url, const QByteArray& body)
{
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    QNetworkReply* reply = nam.post(request, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    const QByteArray answer = reply->readAll();
    reply->deleteLater();
    return answer;
}

void BM_ClientCheckText(benchmark::State& state)
{
    Fixture& f = fixture();
    if (!f.ready) {
        state.SkipWithError("korrelo-service did not start or refused the login");
        return;
    }
    CheckerClient* client = getCheckerClient();
    for (auto _ : state) {
        QEventLoop loop;
        auto connection = QObject::connect(client, &CheckerClient::checkDone, &loop, &QEventLoop::quit,
                                           Qt::QueuedConnection);
        QString text = f.text;
        if (!client->checkText(text)) {
            state.SkipWithError("the check did not start");
            break;
        }
        loop.exec();
        QObject::disconnect(connection);
        benchmark::DoNotOptimize(client->getCheckData().size());
    }
}

void BM_BarePost(benchmark::State& state)
{
    Fixture& f = fixture();
    if (!f.ready) {
        state.SkipWithError("korrelo-service did not start or refused the login");
        return;
    }
    QNetworkAccessManager nam;
    for (auto _ : state) {
        for (const QByteArray& body : f.bodies)
            benchmark::DoNotOptimize(postAndWait(nam, f.checkUrl, body).size());
    }
}

// One 3000-character piece per iteration: items per second is the service's checks per second.
void BM_ServicePiece(benchmark::State& state)
{
    Fixture& f = fixture();
    if (!f.ready) {
        state.SkipWithError("korrelo-service did not start or refused the login");
        return;
    }
    QNetworkAccessManager nam;
    for (auto _ : state)
        benchmark::DoNotOptimize(postAndWait(nam, f.checkUrl, f.bodies.first()).size());
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(BM_ClientCheckText)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BarePost)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ServicePiece)->Unit(benchmark::kMillisecond)->UseRealTime();

KORRELO_BENCH_RATIO(client_check, "BM_ClientCheckText/real_time", "BM_BarePost/real_time");

KORRELO_BENCH_MAIN()
