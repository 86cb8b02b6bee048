// The check reply reader against a reference that parses the whole reply into a document first and
// looks members up in it: odd replies must give the same results either way.

#include <QtTest>

#include <rapidjson/document.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "checkdata.h"
#include "dataitem.h"
#include "dataitemvalue.h"
#include "jsonconvert.h"

namespace reference {

using rapidjson::Value;

// FindMember gives the first of repeated members, whatever its type.
const Value* member(const Value& object, const char* name)
{
    const auto it = object.FindMember(name);
    return it == object.MemberEnd() ? nullptr : &it->value;
}

const Value* typed(const Value& object, const char* name, bool (Value::*test)() const)
{
    const Value* v = member(object, name);
    return (v && (v->*test)()) ? v : nullptr;
}

void readString(const Value& object, const char* name, std::string& target)
{
    if (const Value* v = typed(object, name, &Value::IsString))
        target.assign(v->GetString(), v->GetStringLength());
}

int level(const Value& v)
{
    if (v.IsInt())
        return v.GetInt();
    if (v.IsInt64())
        return static_cast<int>(std::clamp<long long>(v.GetInt64(), INT_MIN, INT_MAX));
    if (v.IsUint64())
        return INT_MAX;
    if (v.IsString())   // a leading integer, kept within int
        return static_cast<int>(std::clamp<long>(std::strtol(v.GetString(), nullptr, 10), INT_MIN, INT_MAX));
    return 0;
}

std::shared_ptr<DataItem> suggestions(const Value& v)
{
    auto item = std::make_shared<DataItem>();
    if (!v.IsObject())
        return item;
    if (const Value* key = typed(v, "key", &Value::IsString))
        item->setKey(std::string(key->GetString(), key->GetStringLength()));
    if (const Value* values = typed(v, "values", &Value::IsArray)) {
        for (const Value& e : values->GetArray()) {
            const Value* frequency = e.IsObject() ? typed(e, "frequency", &Value::IsInt) : nullptr;
            const Value* text = e.IsObject() ? typed(e, "value", &Value::IsString) : nullptr;
            if (frequency && text)
                item->addValue(std::string(text->GetString(), text->GetStringLength()), frequency->GetInt());
        }
    }
    return item;
}

std::shared_ptr<CheckData> item(const Value& v)
{
    if (!v.IsObject())
        return nullptr;
    auto data = std::make_shared<CheckData>();
    if (const Value* l = member(v, "error_level"))
        data->errorLevel = level(*l);
    if (const Value* types = member(v, "error_type")) {
        if (types->IsInt())
            data->errorTypes.push_back(types->GetInt());
        for (rapidjson::SizeType k = 0; types->IsArray() && k < types->Size(); ++k) {
            if ((*types)[k].IsInt())
                data->errorTypes.push_back((*types)[k].GetInt());
        }
    }
    readString(v, "key", data->key);
    readString(v, "words", data->words);
    if (const Value* pos = typed(v, "pos", &Value::IsArray)) {
        for (const Value& e : pos->GetArray()) {
            const Value* begin = e.IsObject() ? typed(e, "index_begin", &Value::IsUint) : nullptr;
            const Value* end = e.IsObject() ? typed(e, "index_end", &Value::IsUint) : nullptr;
            if (begin && end)
                data->pos.push_back({begin->GetUint(), end->GetUint()});
        }
    }
    if (const Value* s = member(v, "data_item"))
        data->dataItem = suggestions(*s);
    if ((!data->dataItem || data->dataItem->values.empty()) && data->words.empty())
        return nullptr;
    return data;
}

bool read(const std::string& json, CHECK_DATAS& items, _CHECK_OTHER_DATA_& other)
{
    rapidjson::Document doc;
    doc.Parse<rapidjson::kParseIterativeFlag>(json.data(), json.size());
    if (doc.HasParseError() || !doc.IsObject())
        return false;
    readString(doc, "error_id", other.error_id);
    if (const Value* v = typed(doc, "vip_error_count", &Value::IsInt))
        other.vip_error_count = v->GetInt();
    readString(doc, "error_msg", other.error_msg);
    const Value* list = member(doc, "check_data");
    if (!list)
        return !other.error_msg.empty() || !other.error_id.empty();
    if (!list->IsArray())
        return false;
    for (const Value& e : list->GetArray()) {
        if (std::shared_ptr<CheckData> data = item(e))
            items.push_back(std::move(data));
    }
    return !items.empty();
}

} // namespace reference

namespace {

// Everything a reading sets, bytes kept as they are (hex for anything outside printable ASCII).
QByteArray bytes(const std::string& s)
{
    QByteArray out;
    for (unsigned char c : s)
        out += (c >= 0x20 && c < 0x7F) ? QByteArray(1, static_cast<char>(c)) : "\\x" + QByteArray::number(c, 16);
    return out;
}

QByteArray describe(bool result, const CHECK_DATAS& items, const _CHECK_OTHER_DATA_& other)
{
    QByteArray out = (result ? "true" : "false") + QByteArray("|") + bytes(other.error_id) + "|"
        + bytes(other.error_msg) + "|" + QByteArray::number(other.vip_error_count);
    for (const auto& d : items) {
        out += "\n" + bytes(d->words) + "|" + bytes(d->key) + "|" + QByteArray::number(d->errorLevel) + "|";
        for (int t : d->errorTypes)
            out += QByteArray::number(t) + ",";
        out += "|";
        for (const _CHECK_DATA_POS_& p : d->pos)
            out += QByteArray::number(p.begin) + "-" + QByteArray::number(p.end) + ",";
        if (!d->dataItem)
            continue;
        out += "|" + (d->dataItem->key ? bytes(std::string(d->dataItem->key)) : QByteArray("(null)")) + ":";
        for (const DataItemValue* v : d->dataItem->values)
            out += bytes(std::string(v->value)) + "=" + QByteArray::number(v->GetCount()) + ";";
    }
    return out;
}

// Both readings from the same start: one earlier item and a stale reply-level error.
void compareReadings(const QByteArray& json)
{
    auto earlier = std::make_shared<CheckData>();
    earlier->words = "earlier";
    CHECK_DATAS expectedItems{earlier};
    CHECK_DATAS actualItems{earlier};
    _CHECK_OTHER_DATA_ expectedOther{"old", "old msg", 9};
    _CHECK_OTHER_DATA_ actualOther = expectedOther;
    std::string text = json.toStdString();
    const bool expected = reference::read(text, expectedItems, expectedOther);
    const bool actual = JSONToCheckData(text, actualItems, actualOther);
    QCOMPARE(describe(actual, actualItems, actualOther), describe(expected, expectedItems, expectedOther));
    QCOMPARE(QByteArray::fromStdString(text), json);   // the caller's reply is left as it was
}

QByteArray nested(int depth, const QByteArray& inner = "1")
{
    return QByteArray("[").repeated(depth) + inner + QByteArray("]").repeated(depth);
}

} // namespace

class TestJsonConvertDom : public QObject
{
    Q_OBJECT
private slots:
    void sameAsDocument_data();
    void sameAsDocument();
    void sameAsDocumentWhenCut_data();
    void sameAsDocumentWhenCut();
};

void TestJsonConvertDom::sameAsDocument_data()
{
    QTest::addColumn<QByteArray>("json");
    const QByteArray item = R"({"words":"w","key":"k","error_level":2,"error_type":[1],"pos":[{"index_begin":1,"index_end":2}],)"
                            R"("data_item":{"key":"dk","values":[{"value":"v","frequency":3}]}})";
    auto row = [](const char* name, const QByteArray& json) { QTest::newRow(name) << json; };

    // Every member with every wrong type, and null.
    const QByteArray wrong[] = {"null", "true", "1.5", "\"7\"", "[7]", "{\"words\":\"x\"}", "-1", "4294967296"};
    const char* members[] = {"words", "key", "error_level", "error_type", "pos", "data_item"};
    for (const QByteArray& w : wrong) {
        for (const char* m : members) {
            const QByteArray json = "{\"check_data\":[{\"words\":\"w\",\"" + QByteArray(m) + "\":" + w + "}]}";
            QTest::newRow(qPrintable(QString("item %1 = %2").arg(m, w))) << json;
        }
        for (const char* m : {"error_id", "error_msg", "vip_error_count", "check_data"})
            QTest::newRow(qPrintable(QString("reply %1 = %2").arg(m, w))) << "{\"" + QByteArray(m) + "\":" + w + "}";
        QTest::newRow(qPrintable("position = " + w))
            << "{\"check_data\":[{\"words\":\"w\",\"pos\":[{\"index_begin\":" + w + ",\"index_end\":1}," + w + "]}]}";
        QTest::newRow(qPrintable("value = " + w))
            << "{\"check_data\":[{\"data_item\":{\"key\":" + w + ",\"values\":[{\"value\":" + w
                + ",\"frequency\":1},{\"value\":\"v\",\"frequency\":" + w + "}," + w + "]}}]}";
    }

    row("first repeated member counts",
        R"({"error_id":5,"error_id":"x","vip_error_count":1,"vip_error_count":2,"check_data":[)"
        R"({"words":"a","words":"b","key":null,"key":"k","error_level":1,"error_level":4,"error_type":7,"error_type":[8],)"
        R"("pos":[{"index_begin":-1,"index_begin":1,"index_end":2}],"pos":[{"index_begin":5,"index_end":6}],)"
        R"("data_item":{"key":"d1","key":"d2","values":[{"value":"x","value":"y","frequency":2,"frequency":3}],"values":[]},)"
        R"("data_item":{"key":"d3"}}],"check_data":[{"words":"second list"}]})");
    row("object list then array", R"({"check_data":{},"check_data":[{"words":"a"}],"error_id":"e"})");
    row("array list then object", R"({"check_data":[{"words":"a"}],"check_data":{}})");
    row("known names at the wrong level",
        R"({"words":"top","index_begin":1,"check_data":[{"error_id":"in item","values":[{"value":"v","frequency":1}],)"
        R"("words":"a","data_item":{"words":"in data","pos":[],"values":[{"words":"x","value":"v","frequency":1,"key":"k"}]}}]})");
    row("unknown members nested",
        R"({"x":{"check_data":[{"words":"hidden"}],"error_id":"hidden"},"check_data":[{"extra":[[{"words":"hidden"}]],)"
        R"("words":"a","data_item":{"more":{"values":[{"value":"h","frequency":1}]},"values":[{"n":[{}],"value":"v","frequency":1}]}}]})");
    row("items of every shape", "{\"check_data\":[" + item + ",[" + item + "],null,1,\"s\",{}," + item + "]}");
    row("numbers at the edges",
        R"({"vip_error_count":-2147483648,"check_data":[{"words":"a","error_level":-0,"error_type":[2147483647,2147483648,-2147483648,)"
        R"(-2147483649,1e2,-0,9223372036854775807,9223372036854775808,18446744073709551615],"pos":[{"index_begin":0,"index_end":4294967295},)"
        R"({"index_begin":-0,"index_end":1.0},{"index_begin":18446744073709551616,"index_end":1}]},)"
        R"({"words":"b","error_level":-9223372036854775808},{"words":"c","error_level":9223372036854775808},)"
        R"({"words":"d","error_level":18446744073709551615},{"words":"e","error_level":-9223372036854775809},)"
        R"({"words":"f","error_level":2147483648},{"words":"g","error_level":"  +12x"},{"words":"h","error_level":""},)"
        R"({"data_item":{"values":[{"value":"a","frequency":-2147483649},{"value":"b","frequency":2147483647}]}}]})");
    const QByteArray longText(300000, 'x');   // the reply passes a megabyte
    row("very long strings",
        "{\"error_msg\":\"" + longText + "\",\"check_data\":[{\"words\":\"" + longText + "\",\"" + longText
            + "\":1,\"data_item\":{\"key\":\"" + longText + "\",\"values\":[{\"value\":\"" + longText
            + "\",\"frequency\":1}]}}]}");
    row("escapes", R"({"error_id":"a\u0000b","check_data":[{"words":"\"\\\/\b\f\n\r\t\u4ed6\ud83d\ude00","w\u006frds":"x",)"
                   R"("\u006bey":"k","data_item":{"values":[{"value":"\u0000","frequency":1}]}}]})");
    row("lone surrogate", R"({"check_data":[{"words":"\ud800"}]})");
    row("invalid UTF-8", "{\"error_id\":\"\xC3\x28\xFF\",\"check_data\":[{\"words\":\"\xF8\x80\x80\x80\x80\",\"\xE4\xBB\":1}]}");
    row("byte-order mark", "\xEF\xBB\xBF{\"error_id\":\"bom\"}");
    row("part of a byte-order mark", "\xBB\xBF{\"error_id\":\"bom\"}");
    row("two byte-order marks", "\xEF\xBB\xBF\xEF\xBB\xBF{\"error_id\":\"bom\"}");
    row("NUL after the reply", QByteArray("{\"error_id\":\"e\"}\0garbage", 25));
    row("NUL inside a string", QByteArray("{\"error_id\":\"e\0\"}", 17));
    row("text after the reply", R"({"error_id":"e"} x)");
    row("empty", "");
    row("white space only", " \n\t");
    row("root not an object", R"(["error_id","e"])");
    for (const char* root : {R"("e")", "5", "-5", "1.5", "null", "true"})
        QTest::newRow(qPrintable(QString("root %1").arg(root))) << QByteArray(root);
    for (int depth : {1, 58, 59, 60, 61, 62, 63, 64, 65, 200000}) {
        const QByteArray depthText = QByteArray::number(depth);
        QTest::newRow(qPrintable("nested " + depthText + " in an item"))
            << "{\"error_id\":\"e\",\"check_data\":[" + item + ",{\"x\":" + nested(depth) + ",\"words\":\"w\"}," + item + "]}";
        QTest::newRow(qPrintable("nested " + depthText + " in values"))
            << "{\"check_data\":[{\"data_item\":{\"values\":[" + nested(depth, "{\"value\":\"v\",\"frequency\":1}")
                + ",{\"value\":\"v\",\"frequency\":1}]}}]}";
        QTest::newRow(qPrintable("nested " + depthText + " then cut"))
            << "{\"error_id\":\"e\",\"check_data\":[" + item + "," + QByteArray("[").repeated(depth);
    }
}

void TestJsonConvertDom::sameAsDocument()
{
    QFETCH(QByteArray, json);
    compareReadings(json);
}

void TestJsonConvertDom::sameAsDocumentWhenCut_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("full reply")
        << QByteArray(R"({"error_id":"e","vip_error_count":3,"check_data":[{"words":"他门","key":"k","error_level":"3",)"
                      R"("error_type":[1,21],"pos":[{"index_begin":10,"index_end":11},{"index_begin":-1}],"x":{"y":[1,{"z":null}]},)"
                      R"("data_item":{"key":"dk","values":[{"value":"他们","frequency":3},{"value":"x"}]}},{"words":"b"}],"error_msg":"m"})");
    QTest::newRow("escapes and a mark")
        << QByteArray("\xEF\xBB\xBF{\"check_data\":[{\"words\":\"\\u4ed6\\n\",\"data_item\":{\"values\":[{\"value\":\"\\ud83d\\ude00\","
                      "\"frequency\":-7}]}}],\"error_id\":\"\\\"\"}");
}

// Every prefix of a reply: a cut anywhere may neither crash nor read differently.
void TestJsonConvertDom::sameAsDocumentWhenCut()
{
    QFETCH(QByteArray, json);
    for (int size = 0; size <= json.size(); ++size) {
        compareReadings(json.left(size));
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QString("cut at %1").arg(size)));
    }
}

QTEST_APPLESS_MAIN(TestJsonConvertDom)
#include "tst_jsonconvert_dom.moc"
