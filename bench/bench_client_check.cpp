// A 30,000-character Chinese text checked end to end through the client (authorisation, ten
// pieces, reply conversion) against korrelo-service on loopback, compared with the least a client
// can do: the same eleven requests posted over one kept-alive connection by plain sockets, each
// request in one write. Also the bare network manager on the same bodies, and the service's own
// rate on 3000-character pieces.

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSettings>
#include <QUrl>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "checkerclient.h"
#include "testservice.h"
#include "ratio.h"

namespace {

// HTTP/1.1 over one socket: TCP_NODELAY, each request in a single write, the connection kept
// until the service closes it.
class PlainHttpClient
{
public:
    PlainHttpClient(std::string host, int port) : host(std::move(host)), port(port) {}
    ~PlainHttpClient() { disconnect(); }

    // The reply's body; empty on failure.
    std::string post(const std::string& path, const QByteArray& body)
    {
        std::string request = "POST " + path + " HTTP/1.1\r\nHost: " + host + ":" + std::to_string(port)
                + "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: "
                + std::to_string(body.size()) + "\r\n\r\n";
        request.append(body.constData(), size_t(body.size()));
        // A connection the service closed meanwhile fails at once; one new connection is tried.
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (fd < 0 && !connectNow())
                return {};
            std::string reply;
            if (sendAll(request) && readReply(reply))
                return reply;
            disconnect();
        }
        return {};
    }

private:
    bool connectNow()
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(quint16(port));
        ::inet_pton(AF_INET, host.c_str(), &address.sin_addr);
        int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            disconnect();
            return false;
        }
        return true;
    }

    void disconnect()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        pending.clear();
    }

    bool sendAll(const std::string& data)
    {
        for (size_t done = 0; done < data.size();) {
            const ssize_t sent = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
            if (sent <= 0)
                return false;
            done += size_t(sent);
        }
        return true;
    }

    bool fill()
    {
        char chunk[16384];
        const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
        if (got <= 0)
            return false;
        pending.append(chunk, size_t(got));
        return true;
    }

    bool readReply(std::string& body)
    {
        size_t headerEnd = 0;
        while ((headerEnd = pending.find("\r\n\r\n")) == std::string::npos) {
            if (!fill())
                return false;
        }
        std::string headers = pending.substr(0, headerEnd);
        for (char& c : headers)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        const size_t field = headers.find("\r\ncontent-length:");
        const size_t length = field == std::string::npos ? 0 : std::strtoul(headers.c_str() + field + 17, nullptr, 10);
        while (pending.size() < headerEnd + 4 + length) {
            if (!fill())
                return false;
        }
        body = pending.substr(headerEnd + 4, length);
        pending.erase(0, headerEnd + 4 + length);
        if (headers.find("\r\nconnection: close") != std::string::npos)
            disconnect();
        return true;
    }

    const std::string host;
    const int port;
    int fd = -1;
    std::string pending;
};

struct Fixture
{
    QString host;
    int port = 0;
    QString root;
    QString checkUrl;
    QByteArray authBody;        // the authorisation every check starts with
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
        // Stopped at exit, so repeated runs leave no services behind.
        static auto* service = new TestService;
        std::atexit([] { delete service; });
        if (!service->start())
            return made;
        made->root = service->root();
        made->host = QUrl(made->root).host();
        made->port = QUrl(made->root).port();
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
        made->authBody = field("client_id", client->getClientId()) + '&' + field("client_ver", client->getClientVer())
                + '&' + field("host_id", QString()) + '&' + field("host_ver", QString()) + '&'
                + field("access_token", token) + '&' + field("local_access_token", QString()) + '&'
                + field("text_length", QString::number(made->text.length())) + '&'
                + field("user_name", client->getUserName());
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
        benchmark::DoNotOptimize(postAndWait(nam, f.root + QStringLiteral("api/v3/auth/"), f.authBody).size());
        for (const QByteArray& body : f.bodies)
            benchmark::DoNotOptimize(postAndWait(nam, f.checkUrl, body).size());
    }
}

// The floor: what the eleven requests cost the service and the loopback, and nothing else.
void BM_SocketPost(benchmark::State& state)
{
    Fixture& f = fixture();
    if (!f.ready) {
        state.SkipWithError("korrelo-service did not start or refused the login");
        return;
    }
    PlainHttpClient http(f.host.toStdString(), f.port);
    for (auto _ : state) {
        if (http.post("/api/v3/auth/", f.authBody).empty()) {
            state.SkipWithError("the service did not answer");
            return;
        }
        for (const QByteArray& body : f.bodies) {
            const std::string reply = http.post("/api/v3/check", body);
            if (reply.empty()) {
                state.SkipWithError("the service did not answer");
                return;
            }
            benchmark::DoNotOptimize(reply.size());
        }
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
BENCHMARK(BM_SocketPost)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BarePost)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ServicePiece)->Unit(benchmark::kMillisecond)->UseRealTime();

KORRELO_BENCH_RATIO(client_check, "BM_ClientCheckText/real_time", "BM_SocketPost/real_time");
KORRELO_BENCH_RATIO(network_manager_post, "BM_BarePost/real_time", "BM_SocketPost/real_time");

KORRELO_BENCH_MAIN()
