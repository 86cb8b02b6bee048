#include "updatefeed.h"

#include "updatefile.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace korrelo_service {

namespace {

using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

void field(JsonWriter& w, const char* key, const std::string& value)
{
    w.Key(key);
    w.String(value.c_str(), static_cast<rapidjson::SizeType>(value.size()));
}

void entry(JsonWriter& w, const char* platform, const std::string& version, const std::string& url,
           const std::string& openUrl, const std::string& changelog, int mandatory, const std::string& sha256)
{
    w.Key(platform);
    w.StartObject();
    field(w, "latest-version", version);
    field(w, "download-url", url);
    field(w, "open-url", openUrl);
    field(w, "changelog", changelog);
    if (mandatory >= 0) {
        w.Key("mandatory-update");
        w.Bool(mandatory == 1);
    }
    field(w, "sha256", sha256);
    w.EndObject();
}

} // namespace

std::string UpdateFeed::fileName(const std::string& version)
{
    return "korrelo-" + version + ".bin";
}

std::string UpdateFeed::json(const UpdateSettings& s, const std::string& root)
{
    rapidjson::StringBuffer buffer;
    JsonWriter w(buffer);
    w.StartObject();
    w.Key("updates");
    w.StartObject();
    entry(w, "linux", s.version, root + "krl/update/files/" + fileName(s.version), s.openUrl,
          "Korrelo " + s.version + " for Linux", s.mandatory, UpdateFile::sha256Hex(s.size));
    entry(w, "windows", s.version + "9", root + "krl/update/files/korrelo-setup.exe", root + "windows/",
          "Korrelo for Windows", s.mandatory == 1 ? 0 : 1, std::string(64, '0'));
    w.EndObject();
    w.EndObject();
    return buffer.GetString();
}

} // namespace korrelo_service
