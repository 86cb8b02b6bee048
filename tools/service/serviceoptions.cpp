#include "serviceoptions.h"

#include "scannedtext.h"

#include <cstdlib>

namespace korrelo_service {

namespace {

bool toInt(const std::string& text, long low, long high, long& out)
{
    const auto value = ServiceOptions::number(text, low, high);
    out = value.value_or(0);
    return value.has_value();
}

} // namespace

std::optional<long> ServiceOptions::number(const std::string& text, long low, long high)
{
    char* end = nullptr;
    const long out = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || out < low || out > high)
        return std::nullopt;
    return out;
}

std::optional<ServiceOptions> ServiceOptions::parse(const std::vector<std::string>& args, std::string& error)
{
    ServiceOptions options;
    bool accountsGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg == "--no-control") {
            options.control = false;
            continue;
        }
        if (arg == "--tls") {
            options.tlsSelfSigned = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = arg.rfind("--", 0) == 0 ? "option " + arg + " needs a value" : "unknown argument " + arg;
            return std::nullopt;
        }
        const std::string& value = args[++i];
        long number = 0;
        if (arg == "--host") {
            options.host = value;
        } else if (arg == "--port") {
            if (!toInt(value, 0, 65535, number)) {
                error = "--port needs a number from 0 to 65535";
                return std::nullopt;
            }
            options.port = static_cast<int>(number);
        } else if (arg == "--account") {
            const FormFields fields = FormFields::parse(value);
            if (fields.value("user_name").empty()) {
                error = "--account needs user_name=...";
                return std::nullopt;
            }
            if (!accountsGiven)
                options.accounts.clear();
            accountsGiven = true;
            options.accounts.push_back({fields.value("user_name"), fields.value("password"),
                                        fields.value("is_vip") == "1", fields.value("vip_end_date")});
        } else if (arg == "--local-access-token") {
            options.localAccessToken = value;
        } else if (arg == "--check-server") {
            options.checkServer = value;
        } else if (arg == "--check-char-max") {
            if (!toInt(value, 1, kMaxCheckCharMax, number)) {
                error = "--check-char-max needs a number from 1 to 1000000";
                return std::nullopt;
            }
            options.checkCharMax = static_cast<int>(number);
        } else if (arg == "--update-version") {
            // The version goes into the feed's JSON as it stands.
            if (!ScannedText::isUtf8(value)) {
                error = "--update-version needs UTF-8 text";
                return std::nullopt;
            }
            options.updateVersion = value;
        } else if (arg == "--update-size") {
            if (!toInt(value, 0, static_cast<long>(kMaxUpdateSize), number)) {
                error = "--update-size needs a number of bytes from 0 to " + std::to_string(kMaxUpdateSize);
                return std::nullopt;
            }
            options.updateSize = static_cast<uint64_t>(number);
        } else if (arg == "--max-body") {
            if (!toInt(value, 1, 1L << 30, number)) {
                error = "--max-body needs a number of bytes from 1 to 1073741824";
                return std::nullopt;
            }
            options.maxBody = static_cast<size_t>(number);
        } else if (arg == "--max-pending") {
            if (!toInt(value, 1, 1L << 34, number)) {
                error = "--max-pending needs a number of bytes from 1 to 17179869184";
                return std::nullopt;
            }
            options.maxPending = static_cast<size_t>(number);
        } else if (arg == "--tls-cert") {
            options.tlsCert = value;
        } else if (arg == "--tls-key") {
            options.tlsKey = value;
        } else if (arg == "--request-log") {
            options.requestLogFile = value;
        } else if (arg == "--request-log-size") {
            if (!toInt(value, 0, 1000000, number)) {
                error = "--request-log-size needs a number from 0 to 1000000";
                return std::nullopt;
            }
            options.requestLogSize = static_cast<size_t>(number);
        } else if (arg == "--request-log-bytes") {
            if (!toInt(value, 0, 1L << 34, number)) {
                error = "--request-log-bytes needs a number of bytes from 0 to 17179869184";
                return std::nullopt;
            }
            options.requestLogBytes = static_cast<size_t>(number);
        } else if (arg == "--misbehave") {
            auto rule = Misbehaviour::parse(FormFields::parse(value), error);
            if (!rule) {
                error = "--misbehave: " + error;
                return std::nullopt;
            }
            options.rules.push_back(*rule);
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (options.tlsCert.empty() != options.tlsKey.empty()) {
        error = "--tls-cert and --tls-key go together";
        return std::nullopt;
    }
    return options;
}

std::string ServiceOptions::helpText()
{
    return R"(Usage: korrelo-service [options]

A local checking service for Korrelo: the site probe, the account calls, the check, error
reports, the user dictionary and the update feed with its download, over HTTP (HTTPS with --tls), with a deterministic checker.
It runs until SIGINT or SIGTERM.

Options:
  --host ADDR              address to bind (default 127.0.0.1)
  --port N                 port to bind (default 8765); 0 picks a free port. The first line on
                           standard output is always "listening on ADDR:PORT".
  --account FORM           an account, as form text: user_name=NAME&password=PASS[&is_vip=1]
                           [&vip_end_date=DATE] (percent-encode '&', '+', '%'). Repeatable; the
                           first one replaces the built-in accounts, which are
                           demo/demo, vip/vip (VIP until 2099-12-31) and plus/"p+ss&w=rd%".
  --local-access-token T   local access token a check must carry in "local_access_token";
                           a different non-empty one gets "local_access_token_error". Without
                           this option a non-empty local access token is accepted unchecked.
  --check-server URL       "check_server" handed out by login and auth (default: this server's
                           root, http://HOST:PORT/, or https:// with TLS)
  --check-char-max N       "check_char_max" handed out by login and auth (default 3000)
  --update-version V       "latest-version" of the update feed (default 3.5, the client's own)
  --update-size BYTES      size of the update file (default 1048576, at most 268435456)
  --max-body BYTES         larger request bodies are refused with 413 (default 1048576);
                           chunked bodies are refused with 411
  --max-pending BYTES      bytes held for requests still arriving, all connections together
                           (default 67108864; never below --max-body and a head); over it the
                           request that has been arriving longest is refused with 503
  --request-log FILE       append every service request to FILE, one JSON object per line
  --request-log-size N     keep the last N service requests for /control/requests
                           (default 256; none with --no-control)
  --request-log-bytes N    ... and no more than N bytes of them (default 33554432; the
                           latest request is kept whatever its size)
  --misbehave FORM         fail on purpose; FORM as for POST /control/misbehave (below).
                           Repeatable.
  --no-control             switch the /control/ interface off
  --tls                    serve HTTPS with a self-signed certificate for 127.0.0.1 and
                           localhost, made at start-up (clients must accept it as untrusted)
  --tls-cert FILE          serve HTTPS with this PEM certificate (with --tls-key)
  --tls-key FILE           the PEM private key of --tls-cert
  -h, --help               this text

Site roots: the bare root http://HOST:PORT/ and four sites http://HOST:PORT/site0/ ..
/site3/ serve the same protocol (KORRELO_SERVICE_ROOTS may name one root or the four sites).
Under each root (POST, form-encoded; replies are JSON unless noted):
  api/v3/is-domain-ok/     site probe; body exactly OK (text/plain); GET works too
  api/v3/auth/             fields access_token, user_name: the account object (access_token,
                           check_server, check_char_max, is_vip, vip_end_date, user_name);
                           no token: "no_login"; unknown token or other user: "login_again"
  api/v3/auth/login/       fields user_name, password: the account object with a new token;
                           wrong name or password: "login_error"
  api/v3/report-error/     fields text_error, text_sentence, msg (token needed): {}
  api/v3/add-to-dict/      field new_word (token needed): {}; the word is no longer flagged
                           for that account
  api/v3/check             field text and the check options: the findings, "not_found_error"
                           when there are none, "no_text" for an empty text; needs a known
                           access_token or a local access token (see above)
  krl/update/client/       GET, any query: the update feed {"updates":{"linux":{...},
                           "windows":{...}}}; "linux" holds "latest-version", "download-url"
                           (this server's root + krl/update/files/korrelo-VERSION.bin),
                           "open-url" (default ""), "changelog", "mandatory-update" (default
                           false) and "sha256" (hex) of the file; "windows" differs in every value
  krl/update/files/NAME    GET: the update file, the same deterministic bytes for every NAME,
                           with Content-Length; ?chunked=1 sends it without a length,
                           ?rate=N at most N bytes per second
Unknown paths get 404, other methods 405. Over plain HTTP a request reaches a worker only when it
has arrived whole, and connections between requests hold no worker. A head (request line and
headers, lines ended by CRLF or LF) over 32 KiB or 100 header lines gets 431, one with Expect 417,
a Transfer-Encoding other than chunked 501, a Content-Length over --max-body 413 and one that is
no number 400, each at once and without reading the body; the connection is then closed. Under
/moved/... the same paths are served without misbehaviour (the default redirect target).

Checker (types and levels as the client's error-type table numbers them):
  misspelling table     type 1 (same sound), 2 (similar shape), 3 (similar sound) or 5 (error-word
                        dictionary), level 4 (作客, 身分证: level 2), e.g. 他门->他们, 以经->已经,
                        自已->自己, 部份->部分, 震憾->震撼; dictionary 101, or 102 for
                        截止目前, 签定合同, 合法权力. Idioms (再接再励 ...), type 3 rows and
                        dictionary 102 are VIP only.
  repeated characters   type 22, level 3: runs of 的 了 是 在 和 与 及 把 被 就 也 都 而 或 对 从 向
                        于 之 其 这 那 and of ， 。 、 ； ： (not in 的的确确, 不了了之, 是是非非)
  unpaired marks        type 41, level 3: “” ‘’ 《》 （） 【】 「」 『』 〈〉 ｛｝
  half-width marks      type 42, level 3: , . ; : ? ! ( ) beside Chinese text (dot runs -> ……)
  Positions are UTF-16 units of the piece, end inclusive. Only types listed in "check" (all when
  absent), levels >= "min_error_level", dictionaries in "dict_id" (101 when absent). VIP-only
  findings are withheld from other accounts: "vip_error_count" holds their number and the reply
  carries error_id "vip_error_count".

Control interface (same port, unless --no-control; only for a Host header naming the loopback,
localhost, 127.x.x.x or [::1] with an optional port, others get 403):
  POST /control/misbehave  fields target (probe|auth|login|report-error|add-to-dict|check|
                           update-feed|update-file|any),
                           site (0-3|root|any), mode (delay|status|malformed|nested|redirect|drop|
                           hang|body), skip, count (0 = always), ms, status, body, content_type,
                           location, depth. Rules are tried in order; the first that strikes wins.
      delay      wait ms, then answer normally (ms delays every other mode too)
      status     answer with status (default 500) and body (default "status N", text/plain)
      malformed  200 with truncated JSON
      nested     200 with {"check_data":[[[...]]]} nested depth (default 100000) deep
      redirect   status (default 307) to location (default /moved + the same path and query),
                 with body when given
      drop       send the headers and half the body, then close the connection (for
                 update-file: half the file under the whole file's Content-Length)
      hang       never answer (until /control/release, /control/reset or shutdown; each
                 hanging request holds one of 32 workers)
      body       answer with status (default 200), body and content_type (default
                 application/json)
  POST /control/reset      back to the start-up state: rules, log, accounts, tokens, words, settings
  POST /control/release    let every hanging request go (answered 503)
  POST /control/config     fields check_char_max, check_server, local_access_token,
                           update_version, update_size, update_open_url, update_mandatory
                           (true|false|empty: the key is left out of the feed). Text that
                           is not UTF-8, numbers out of range (check_char_max 1-1000000) and
                           other values of update_mandatory are refused with 400, and nothing
                           changes.
  POST /control/account    fields user_name, password, is_vip (1|0), vip_end_date: add or replace
  GET  /control/requests   the latest requests (see --request-log-size) as a JSON array of
                           {seq, method, path, kind, site,
                           redirected, content_type, query: [[key, value]...],
                           fields: [[key, value]...], body, user_agent}. Fields are read from
                           application/x-www-form-urlencoded bodies only.
  POST /control/clear-requests   empty the request log
)";
}

} // namespace korrelo_service
