#include "requestlog.h"

#include "scannedtext.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace korrelo_service {

namespace {

using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

// Bytes that are not UTF-8 (a client sending another encoding) become U+FFFD, so the log stays
// readable JSON whatever arrived.
void writeString(JsonWriter& w, const std::string& text)
{
    const std::string clean = ScannedText::toUtf8(ScannedText::toUtf32(text));
    w.String(clean.c_str(), static_cast<rapidjson::SizeType>(clean.size()));
}

// Pairs rather than an object: order and repeated keys are part of what a test checks.
void writeFields(JsonWriter& w, const FormFields& fields)
{
    w.StartArray();
    for (const auto& field : fields.items()) {
        w.StartArray();
        writeString(w, field.first);
        writeString(w, field.second);
        w.EndArray();
    }
    w.EndArray();
}

void writeEntry(JsonWriter& w, const LoggedRequest& e)
{
    w.StartObject();
    w.Key("seq");
    w.Int(e.seq);
    w.Key("method");
    writeString(w, e.method);
    w.Key("path");
    writeString(w, e.path);
    w.Key("kind");
    writeString(w, e.kind);
    w.Key("site");
    w.Int(e.site);
    w.Key("redirected");
    w.Bool(e.redirected);
    w.Key("content_type");
    writeString(w, e.contentType);
    w.Key("user_agent");
    writeString(w, e.userAgent);
    w.Key("query");
    writeFields(w, e.query);
    w.Key("fields");
    writeFields(w, e.fields);
    w.Key("body");
    writeString(w, e.body);
    w.EndObject();
}

} // namespace

void RequestLog::setFile(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex);
    file.close();
    if (!path.empty())
        file.open(path, std::ios::out | std::ios::app | std::ios::binary);
}

void RequestLog::setCapacity(size_t entries, size_t bytes)
{
    std::lock_guard<std::mutex> lock(mutex);
    capacity = entries;
    capacityBytes = bytes;
    trim();
}

size_t RequestLog::sizeOf(const LoggedRequest& e)
{
    // Each string's own bookkeeping and the entry's place in the list are counted too, so that
    // many small requests are not taken for free.
    constexpr size_t perString = 32;
    size_t size = sizeof(LoggedRequest) + 64;
    for (const std::string* text : {&e.method, &e.path, &e.kind, &e.contentType, &e.userAgent, &e.body})
        size += text->capacity() + perString;
    for (const FormFields* fields : {&e.query, &e.fields}) {
        for (const auto& field : fields->items())
            size += field.first.capacity() + field.second.capacity() + 2 * perString;
    }
    return size;
}

size_t RequestLog::bytes() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return heldBytes;
}

void RequestLog::trim()
{
    while (!list.empty() && (list.size() > capacity || (heldBytes > capacityBytes && list.size() > 1))) {
        heldBytes -= sizeOf(list.front());
        list.pop_front();
    }
}

void RequestLog::add(LoggedRequest entry)
{
    std::lock_guard<std::mutex> lock(mutex);
    entry.seq = next++;
    if (file.is_open()) {
        file << toJson(entry) << '\n';
        file.flush();
    }
    if (capacity == 0)
        return;
    // A body read in pieces may hold more room than text.
    entry.body.shrink_to_fit();
    heldBytes += sizeOf(entry);
    list.push_back(std::move(entry));
    trim();
}

void RequestLog::clear()
{
    std::lock_guard<std::mutex> lock(mutex);
    list.clear();
    heldBytes = 0;
}

std::vector<LoggedRequest> RequestLog::entries() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return std::vector<LoggedRequest>(list.begin(), list.end());
}

std::string RequestLog::toJson(const LoggedRequest& entry)
{
    rapidjson::StringBuffer buffer;
    JsonWriter w(buffer);
    writeEntry(w, entry);
    return buffer.GetString();
}

std::string RequestLog::toJsonArray() const
{
    std::lock_guard<std::mutex> lock(mutex);
    rapidjson::StringBuffer buffer;
    JsonWriter w(buffer);
    w.StartArray();
    for (const LoggedRequest& e : list)
        writeEntry(w, e);
    w.EndArray();
    return buffer.GetString();
}

} // namespace korrelo_service
