#include "servicecore.h"

#include "replywriter.h"
#include "scannedtext.h"
#include "updatefile.h"

#include <httplib.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cctype>
#include <chrono>
#include <cstring>
#include <sstream>

namespace korrelo_service {

namespace {

const char* const kJson = "application/json";

struct Endpoint
{
    const char* path;
    const char* kind;
};
// The paths under a site root, exactly as the client builds them.
const Endpoint kEndpoints[] = {
    {"/api/v3/is-domain-ok/", "probe"},
    {"/api/v3/auth/", "auth"},
    {"/api/v3/auth/login/", "login"},
    {"/api/v3/report-error/", "report-error"},
    {"/api/v3/add-to-dict/", "add-to-dict"},
    {"/api/v3/check", "check"},
    {"/krl/update/client/", "update-feed"},
};
const char* const kUpdateFiles = "/krl/update/files/";

bool isUpdate(const std::string& kind)
{
    return kind == "update-feed" || kind == "update-file";
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool isForm(const std::string& contentType)
{
    static const std::string form = "application/x-www-form-urlencoded";
    if (contentType.size() < form.size())
        return false;
    for (size_t i = 0; i < form.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(contentType[i])) != form[i])
            return false;
    }
    return contentType.size() == form.size() || contentType[form.size()] == ';';
}

std::string queryOf(const httplib::Request& request)
{
    const size_t mark = request.target.find('?');
    return mark == std::string::npos ? std::string() : request.target.substr(mark + 1);
}

// A list like 5,1,22 as the client sends it; pieces that are no positive number are ignored.
std::set<int> numberList(const std::string& text)
{
    std::set<int> out;
    std::stringstream stream(text);
    std::string piece;
    while (std::getline(stream, piece, ',')) {
        char* end = nullptr;
        const long n = std::strtol(piece.c_str(), &end, 10);
        if (end != piece.c_str() && n > 0 && n < 1000000)
            out.insert(static_cast<int>(n));
    }
    return out;
}

bool isDecimalByte(const std::string& text)
{
    return !text.empty() && text.size() <= 3 && text.find_first_not_of("0123456789") == std::string::npos
        && std::stoi(text) <= 255;
}

// Whether a Host header names this machine's loopback: localhost, 127.x.x.x or [::1], each with
// an optional port. A name that merely resolves there (a web page's own, rebound) is not one.
bool isLoopbackHost(const std::string& host)
{
    std::string name = host;
    const size_t colon = name.rfind(':');
    if (colon != std::string::npos && name.find(']', colon) == std::string::npos) {
        const std::string port = name.substr(colon + 1);
        if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
            return false;
        name.resize(colon);
    }
    std::string lower = name;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "localhost" || lower == "[::1]")
        return true;
    std::stringstream parts(name);
    std::string part;
    int count = 0;
    bool first127 = false;
    while (std::getline(parts, part, '.')) {
        if (!isDecimalByte(part))
            return false;
        if (count == 0)
            first127 = part == "127";
        ++count;
    }
    return count == 4 && first127 && name.back() != '.';
}

void reply(httplib::Response& response, int status, const std::string& body, const char* type = kJson)
{
    response.status = status;
    response.set_content(body, type);
}

std::string controlResult(bool ok, const std::string& error = std::string())
{
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> w(buffer);
    w.StartObject();
    w.Key("ok");
    w.Bool(ok);
    if (!ok) {
        w.Key("error");
        w.String(error.c_str(), static_cast<rapidjson::SizeType>(error.size()));
    }
    w.EndObject();
    return buffer.GetString();
}

} // namespace

ServiceCore::ServiceCore(ServiceOptions opts) : options(std::move(opts))
{
    log.setFile(options.requestLogFile);
    // Without the control interface nothing can ever read the log.
    log.setCapacity(options.control ? options.requestLogSize : 0, options.requestLogBytes);
    reset();
}

void ServiceCore::setPort(int p)
{
    std::lock_guard<std::mutex> lock(settingsMutex);
    port = p;
}

void ServiceCore::shutdown()
{
    std::lock_guard<std::mutex> lock(waitMutex);
    stopping = true;
    waitCondition.notify_all();
}

void ServiceCore::reset()
{
    users.reset(options.accounts);
    rules.clear();
    for (const MisbehaviourRule& rule : options.rules)
        rules.add(rule);
    log.clear();
    {
        std::lock_guard<std::mutex> lock(settingsMutex);
        current.checkCharMax = options.checkCharMax;
        current.checkServer = options.checkServer;
        current.localAccessToken = options.localAccessToken;
        current.update = UpdateSettings();
        current.update.version = options.updateVersion;
        current.update.size = options.updateSize;
    }
    std::lock_guard<std::mutex> lock(waitMutex);
    ++releases;
    waitCondition.notify_all();
}

ServiceCore::Settings ServiceCore::settings() const
{
    std::lock_guard<std::mutex> lock(settingsMutex);
    return current;
}

bool ServiceCore::wait(int ms)
{
    std::unique_lock<std::mutex> lock(waitMutex);
    const unsigned generation = releases;
    const auto released = [&] { return stopping || releases != generation; };
    if (ms < 0) {
        waitCondition.wait(lock, released);
        return false;
    }
    return !waitCondition.wait_for(lock, std::chrono::milliseconds(ms), released);
}

ServiceCore::Route ServiceCore::route(const std::string& fullPath)
{
    Route r;
    std::string path = fullPath;
    if (startsWith(path, "/moved/")) {
        r.moved = true;
        path = path.substr(6);
    }
    if (path.size() > 6 && startsWith(path, "/site") && path[5] >= '0' && path[5] <= '3' && path[6] == '/') {
        r.site = path[5] - '0';
        path = path.substr(6);
    }
    for (const Endpoint& e : kEndpoints) {
        if (path == e.path) {
            r.kind = e.kind;
            break;
        }
    }
    if (r.kind.empty() && startsWith(path, kUpdateFiles) && path.size() > std::strlen(kUpdateFiles)) {
        r.kind = "update-file";
        r.fileName = path.substr(std::strlen(kUpdateFiles));
    }
    return r;
}

std::string ServiceCore::ownRoot(const httplib::Request& request) const
{
    const std::string scheme = options.tls() ? "https://" : "http://";
    // The address the client used, so a client that reached us as localhost stays on it; only a
    // plain host[:port] is taken.
    const std::string host = request.get_header_value("Host");
    const bool plain = !host.empty() && host.find_first_not_of("abcdefghijklmnopqrstuvwxyz"
                                                               "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-:[]")
                                            == std::string::npos;
    if (plain)
        return scheme + host + "/";
    std::lock_guard<std::mutex> lock(settingsMutex);
    return scheme + options.host + ":" + std::to_string(port) + "/";
}

void ServiceCore::handle(const httplib::Request& request, httplib::Response& response)
{
    if (startsWith(request.path, "/control/") && options.control) {
        if (!isLoopbackHost(request.get_header_value("Host"))) {
            reply(response, 403, controlResult(false, "control requests must name the loopback as their Host"));
            return;
        }
        handleControl(request, response);
        return;
    }
    const Route r = route(request.path);
    if (r.kind.empty()) {
        reply(response, 404, "Not Found", "text/plain");
        return;
    }
    // The update feed and file are plain downloads.
    const bool allowed = isUpdate(r.kind) ? request.method == "GET"
                                          : request.method == "POST" || (request.method == "GET" && r.kind == "probe");
    if (!allowed) {
        response.set_header("Allow", isUpdate(r.kind) ? "GET" : r.kind == "probe" ? "GET, POST" : "POST");
        reply(response, 405, "Method Not Allowed", "text/plain");
        return;
    }
    handleService(request, response, r);
}

void ServiceCore::handleService(const httplib::Request& request, httplib::Response& response, const Route& r)
{
    LoggedRequest entry;
    entry.method = request.method;
    entry.path = request.path;
    entry.kind = r.kind;
    entry.site = r.site;
    entry.redirected = r.moved;
    entry.query = FormFields::parse(queryOf(request));
    entry.contentType = request.get_header_value("Content-Type");
    entry.userAgent = request.get_header_value("User-Agent");
    // Like a real server, only a form body has fields; anything else is logged but not read.
    if (isForm(entry.contentType))
        entry.fields = FormFields::parse(request.body);
    entry.body = request.body;
    const FormFields fields = entry.fields;
    log.add(std::move(entry));

    // Redirect targets answer plainly, or a redirect rule would send the client round in circles.
    if (!r.moved) {
        if (auto rule = rules.strike(r.kind, r.site)) {
            if (misbehave(*rule, r.kind, request, response))
                return;
        }
    }
    answer(r.kind, fields, request, response);
}

bool ServiceCore::misbehave(const MisbehaviourRule& rule, const std::string& kind, const httplib::Request& request,
                            httplib::Response& response)
{
    if (rule.ms > 0 && !wait(rule.ms)) {
        reply(response, 503, "released", "text/plain");
        return true;
    }
    if (rule.mode == "delay")
        return false;
    if (rule.mode == "status" || rule.mode == "body") {
        const std::string body = rule.body.empty() && rule.mode == "status"
                                     ? "status " + std::to_string(rule.status) : rule.body;
        reply(response, rule.status, body, rule.contentType.c_str());
        return true;
    }
    if (rule.mode == "malformed") {
        reply(response, 200, "{\"check_data\":[{\"words\":\"他门\",\"pos\":[{\"index_begin\":0,");
        return true;
    }
    if (rule.mode == "nested") {
        reply(response, 200, ReplyWriter::nestedReply(rule.depth));
        return true;
    }
    if (rule.mode == "redirect") {
        response.status = rule.status;
        response.set_header("Location", rule.location.empty() ? "/moved" + request.target : rule.location);
        if (!rule.body.empty())
            response.set_content(rule.body, rule.contentType.c_str());
        return true;
    }
    if (rule.mode == "drop" && kind == "update-file") {
        answerUpdateFile(request, response, true);
        return true;
    }
    if (rule.mode == "drop") {
        // Headers promise a whole reply; half of it goes out, then the connection is closed.
        auto body = std::make_shared<std::string>(ReplyWriter::errorReply("server_busy"));
        response.status = 200;
        response.set_content_provider(body->size(), kJson,
                                      [body](size_t, size_t, httplib::DataSink& sink) {
                                          sink.write(body->data(), body->size() / 2);
                                          return false;
                                      });
        return true;
    }
    // hang
    wait(-1);
    reply(response, 503, "released", "text/plain");
    return true;
}

std::optional<Account> ServiceCore::accountOf(const FormFields& fields, std::string& errorId)
{
    const std::string token = fields.value("access_token");
    if (token.empty()) {
        errorId = "no_login";
        return std::nullopt;
    }
    auto account = users.byToken(token);
    if (!account)
        errorId = "login_again";
    return account;
}

void ServiceCore::answer(const std::string& kind, const FormFields& fields, const httplib::Request& request,
                         httplib::Response& response)
{
    if (kind == "probe") {
        reply(response, 200, "OK", "text/plain");
        return;
    }
    if (kind == "check") {
        answerCheck(fields, request, response);
        return;
    }
    const Settings s = settings();
    if (kind == "update-feed") {
        reply(response, 200, UpdateFeed::json(s.update, ownRoot(request)));
        return;
    }
    if (kind == "update-file") {
        answerUpdateFile(request, response, false);
        return;
    }
    const std::string checkServer = s.checkServer.empty() ? ownRoot(request) : s.checkServer;
    if (kind == "login") {
        const std::string userName = fields.value("user_name");
        const auto token = users.login(userName, fields.value("password"));
        const auto account = token ? users.byToken(*token) : std::nullopt;
        if (!account) {
            reply(response, 200, ReplyWriter::errorReply("login_error"));
            return;
        }
        reply(response, 200, ReplyWriter::accountReply(*account, *token, checkServer, s.checkCharMax));
        return;
    }
    std::string errorId;
    auto account = accountOf(fields, errorId);
    if (account && kind == "auth") {
        const std::string userName = fields.value("user_name");
        if (!userName.empty() && userName != account->userName) {
            account.reset();
            errorId = "login_again";
        }
    }
    if (!account) {
        reply(response, 200, ReplyWriter::errorReply(errorId));
        return;
    }
    if (kind == "auth") {
        reply(response, 200, ReplyWriter::accountReply(*account, fields.value("access_token"), checkServer,
                                                       s.checkCharMax));
        return;
    }
    if (kind == "add-to-dict") {
        const std::string word = fields.value("new_word");
        if (word.empty()) {
            reply(response, 200, ReplyWriter::errorReply("param_error"));
            return;
        }
        users.addWord(account->userName, word);
    }
    reply(response, 200, "{}");
}

void ServiceCore::answerUpdateFile(const httplib::Request& request, httplib::Response& response, bool drop)
{
    const uint64_t size = settings().update.size;
    const FormFields query = FormFields::parse(queryOf(request));
    const long rate = std::strtol(query.value("rate").c_str(), nullptr, 10);
    // Paced in twentieths of a second; otherwise in pieces large enough to keep loopback busy.
    const size_t piece = rate > 0 ? std::max<size_t>(1, static_cast<size_t>(rate) / 20) : 256 * 1024;
    const uint64_t sent = drop ? size / 2 : size;
    const char* const type = "application/octet-stream";
    response.status = 200;
    const auto start = std::make_shared<std::chrono::steady_clock::time_point>(std::chrono::steady_clock::now());
    auto provide = [this, piece, rate, sent, start](size_t offset, httplib::DataSink& sink) {
        if (offset >= sent)
            return false;
        if (rate > 0) {
            // Each piece waits for the moment the bytes before it are due.
            const auto due = *start + std::chrono::milliseconds(static_cast<int64_t>(offset) * 1000 / rate);
            const auto now = std::chrono::steady_clock::now();
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count();
            if (ms > 0 && !wait(static_cast<int>(ms)))
                return false;
        }
        std::vector<char> buffer(static_cast<size_t>(std::min<uint64_t>(piece, sent - offset)));
        UpdateFile::fill(offset, buffer.data(), buffer.size());
        return sink.write(buffer.data(), buffer.size());
    };
    if (query.value("chunked") == "1" && !drop) {
        response.set_chunked_content_provider(type, [provide, sent](size_t offset, httplib::DataSink& sink) {
            if (offset >= sent) {
                sink.done();
                return true;
            }
            return provide(offset, sink);
        });
        return;
    }
    if (size == 0) {
        response.set_content(std::string(), type);
        return;
    }
    // A drop promises the whole file and closes the connection halfway.
    response.set_content_provider(static_cast<size_t>(size), type,
                                  [provide](size_t offset, size_t, httplib::DataSink& sink) {
                                      return provide(offset, sink);
                                  });
}

void ServiceCore::answerCheck(const FormFields& fields, const httplib::Request& request, httplib::Response& response)
{
    const Settings s = settings();
    CheckOptions check;
    bool vip = false;
    const std::string localToken = fields.value("local_access_token");
    if (!localToken.empty()) {
        if (!s.localAccessToken.empty() && localToken != s.localAccessToken) {
            reply(response, 200, ReplyWriter::errorReply("local_access_token_error"));
            return;
        }
        vip = true;   // a local deployment has every feature
    } else {
        std::string errorId;
        const auto account = accountOf(fields, errorId);
        if (!account) {
            reply(response, 200, ReplyWriter::errorReply(errorId));
            return;
        }
        vip = account->isVip;
        check.userWords = users.words(account->userName);
    }
    const std::string text = fields.value("text");
    if (text.empty()) {
        reply(response, 200, ReplyWriter::errorReply("no_text"));
        return;
    }
    if (fields.has("check")) {
        check.allTypes = false;
        check.types = numberList(fields.value("check"));
    }
    if (fields.has("dict_id"))
        check.dicts = numberList(fields.value("dict_id"));
    check.minLevel = fields.intValue("min_error_level", 0);

    std::vector<Finding> shown;
    int withheld = 0;
    for (Finding& f : checker.check(text, check)) {
        if (f.vipOnly && !vip)
            ++withheld;
        else
            shown.push_back(std::move(f));
    }
    reply(response, 200, ReplyWriter::checkReply(shown, withheld, ownRoot(request) + "vip/"));
}

bool ServiceCore::configure(const FormFields& fields, std::string& error)
{
    // Every value lands in a JSON reply as it stands: a byte that is not UTF-8 would make the
    // reply unreadable, so such a change is refused whole.
    for (const auto& field : fields.items()) {
        if (!ScannedText::isUtf8(field.second)) {
            error = field.first + " is not UTF-8";
            return false;
        }
    }
    // Numbers are read as the command line reads them, and a change is made whole or not at all.
    std::optional<long> checkCharMax;
    if (fields.has("check_char_max")) {
        checkCharMax = ServiceOptions::number(fields.value("check_char_max"), 1, ServiceOptions::kMaxCheckCharMax);
        if (!checkCharMax) {
            error = "check_char_max needs a number from 1 to " + std::to_string(ServiceOptions::kMaxCheckCharMax);
            return false;
        }
    }
    std::optional<long> updateSize;
    if (fields.has("update_size")) {
        updateSize = ServiceOptions::number(fields.value("update_size"), 0,
                                            static_cast<long>(ServiceOptions::kMaxUpdateSize));
        if (!updateSize) {
            error = "update_size needs a number of bytes from 0 to " + std::to_string(ServiceOptions::kMaxUpdateSize);
            return false;
        }
    }
    const std::string mandatory = fields.value("update_mandatory");
    if (mandatory != "true" && mandatory != "false" && !mandatory.empty()) {
        error = "update_mandatory needs true, false or nothing";
        return false;
    }
    std::lock_guard<std::mutex> lock(settingsMutex);
    if (checkCharMax)
        current.checkCharMax = static_cast<int>(*checkCharMax);
    if (fields.has("check_server"))
        current.checkServer = fields.value("check_server");
    if (fields.has("local_access_token"))
        current.localAccessToken = fields.value("local_access_token");
    if (fields.has("update_version"))
        current.update.version = fields.value("update_version");
    if (updateSize)
        current.update.size = static_cast<uint64_t>(*updateSize);
    if (fields.has("update_open_url"))
        current.update.openUrl = fields.value("update_open_url");
    if (fields.has("update_mandatory"))
        current.update.mandatory = mandatory == "true" ? 1 : mandatory == "false" ? 0 : -1;
    return true;
}

void ServiceCore::handleControl(const httplib::Request& request, httplib::Response& response)
{
    const std::string& path = request.path;
    const FormFields fields = FormFields::parse(request.body);
    if (path == "/control/requests" && request.method == "GET") {
        reply(response, 200, log.toJsonArray());
        return;
    }
    if (request.method != "POST") {
        reply(response, path == "/control/requests" ? 405 : 404, "Not Found", "text/plain");
        return;
    }
    if (path == "/control/misbehave") {
        std::string error;
        auto rule = Misbehaviour::parse(fields, error);
        if (!rule) {
            reply(response, 400, controlResult(false, error));
            return;
        }
        rules.add(*rule);
        reply(response, 200, controlResult(true));
    } else if (path == "/control/reset") {
        reset();
        reply(response, 200, controlResult(true));
    } else if (path == "/control/release") {
        std::lock_guard<std::mutex> lock(waitMutex);
        ++releases;
        waitCondition.notify_all();
        reply(response, 200, controlResult(true));
    } else if (path == "/control/clear-requests") {
        log.clear();
        reply(response, 200, controlResult(true));
    } else if (path == "/control/config") {
        std::string error;
        if (!configure(fields, error)) {
            reply(response, 400, controlResult(false, error));
            return;
        }
        reply(response, 200, controlResult(true));
    } else if (path == "/control/account") {
        if (fields.value("user_name").empty()) {
            reply(response, 400, controlResult(false, "user_name missing"));
            return;
        }
        users.addOrReplace({fields.value("user_name"), fields.value("password"), fields.value("is_vip") == "1",
                            fields.value("vip_end_date")});
        reply(response, 200, controlResult(true));
    } else {
        reply(response, 404, "Not Found", "text/plain");
    }
}

} // namespace korrelo_service
