#include <QtTest>

#include "checkdata.h"
#include "dataitem.h"
#include "dataitemvalue.h"
#include "jsonconvert.h"
#include "serverinfo.h"

namespace {

// One line per item: words|key|level|types|pos|dataItem key:values.
QString describe(const CheckData& d)
{
    QStringList types;
    for (int t : d.errorTypes)
        types << QString::number(t);
    QStringList pos;
    for (const _CHECK_DATA_POS_& p : d.pos)
        pos << QString("%1-%2").arg(p.begin).arg(p.end);
    QString item = "none";
    if (d.dataItem) {
        QStringList values;
        for (const DataItemValue* v : d.dataItem->values)
            values << QString::fromUtf8(v->value) + ":" + QString::number(v->GetCount());
        item = QString::fromUtf8(d.dataItem->key ? d.dataItem->key : "(null)") + ":" + values.join(';');
    }
    return QStringList{QString::fromStdString(d.words), QString::fromStdString(d.key), QString::number(d.errorLevel),
                       types.join(','), pos.join(','), item}
        .join('|');
}

QStringList describe(const CHECK_DATAS& items)
{
    QStringList out;
    for (const auto& d : items)
        out << describe(*d);
    return out;
}

std::shared_ptr<CheckData> makeItem(const std::string& words, int level, std::vector<int> types = {},
                                    int suggestions = 0)
{
    auto d = std::make_shared<CheckData>();
    d->words = words;
    d->key = "k-" + words;
    d->errorLevel = level;
    d->errorTypes = std::move(types);
    if (suggestions > 0) {
        d->dataItem = std::make_shared<DataItem>();
        d->dataItem->setKey("dk");
        for (int k = 0; k < suggestions; ++k)
            d->dataItem->addValue("s" + std::to_string(k), k + 1.7);
    }
    return d;
}

} // namespace

class TestJsonConvert : public QObject
{
    Q_OBJECT
private slots:
    void checkReplies_data();
    void checkReplies();
    void serverReplies_data();
    void serverReplies();
    void writeResults_data();
    void writeResults();
    void writtenTextIsExact();
    void resultsRoundTrip();
    void cleanJoinsOnlyEqualFindings_data();
    void cleanJoinsOnlyEqualFindings();
    void serverInfoMoves();
};

void TestJsonConvert::checkReplies_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("items");   // after the one pre-existing item when "pre" is set
    QTest::addColumn<QString>("other");       // error_id|error_msg|vip_error_count
    QTest::addColumn<bool>("pre");
    auto row = [](const char* name, const QByteArray& json, bool result, const QStringList& items = {},
                  const QString& other = "old|old msg|9", bool pre = false) {
        QTest::newRow(name) << json << result << items << other << pre;
    };
    row("error only", R"({"error_id":"no_text","error_msg":"没有要校对的文字。"})", true, {},
        QString::fromUtf8("no_text|没有要校对的文字。|9"));
    row("empty object keeps stale error", "{}", true);
    row("settings key beside findings", R"({"check_char_max":10,"check_data":[{"words":"a"}]})", true, {"a||0|||none"});
    row("settings key beside an error", R"({"check_char_max":10,"error_id":"e","error_msg":"m"})", true, {},
        "e|m|9");
    row("syntax error", R"({"error_id":"x",)", false);
    row("root not an object", R"([{"words":"a"}])", false);
    row("empty array", R"({"check_data":[]})", false);
    row("empty array after earlier items", R"({"check_data":[]})", true, {}, "old|old msg|9", true);
    row("check_data not an array", R"({"check_data":{"words":"a"}})", false);
    row("wrong top-level types ignored",
        R"({"error_id":5,"error_msg":null,"vip_error_count":"3","check_data":[{"words":"a"}]})", true, {"a||0|||none"});
    row("full item",
        R"({"check_data":[{"error_level":3,"error_type":[1,21],"key":"k","words":"他门",)"
        R"("pos":[{"index_begin":10,"index_end":11}],)"
        R"("data_item":{"key":"dk","values":[{"value":"他们","frequency":3}]}}]})",
        true, {QString::fromUtf8("他门|k|3|1,21|10-11|dk:他们:3")});
    row("level only is dropped", R"({"check_data":[{"error_level":2},5,"x"]})", false);
    row("level forms",
        R"({"check_data":[{"words":"a","error_level":"3"},{"words":"b","error_level":3.5},)"
        R"({"words":"c","error_level":"99999999999"},{"words":"d","error_level":" -7x"},)"
        R"({"words":"e","error_level":true},{"words":"f","error_level":-99999999999}]})",
        true,
        {"a||3|||none", "b||0|||none", "c||2147483647|||none", "d||-7|||none", "e||0|||none", "f||-2147483648|||none"});
    row("type forms",
        R"({"check_data":[{"words":"a","error_type":2},{"words":"b","error_type":[1,"x",2.5,21]},)"
        R"({"words":"c","error_type":"4"}]})",
        true, {"a||0|2||none", "b||0|1,21||none", "c||0|||none"});
    row("wrong string types",
        R"({"check_data":[{"words":7,"key":[],"data_item":{"values":[{"value":"v","frequency":1}]}}]})", true,
        {"||0|||(null):v:1"});
    row("positions checked",
        R"({"check_data":[{"words":"a","pos":[{"index_begin":1},{"index_begin":-1,"index_end":2},)"
        R"({"index_begin":4294967296,"index_end":1},{"index_begin":"1","index_end":2},7,)"
        R"({"index_begin":4294967295,"index_end":0},{"index_begin":3,"index_end":4}]}]})",
        true, {"a||0||4294967295-0,3-4|none"});
    row("bad values skipped",
        R"({"check_data":[{"words":"a","data_item":{"key":"dk","values":[{"value":"x","frequency":"2"},)"
        R"({"value":"y","frequency":2.5},{"value":1,"frequency":1},{"frequency":1},)"
        R"({"value":"z","frequency":4294967296},{"value":"ok","frequency":-1},3]}}]})",
        true, {"a||0|||dk:ok:-1"});
    row("data_item not an object",
        R"({"check_data":[{"words":"a","data_item":[1]},{"data_item":[{"value":"x","frequency":1}]}]})", true,
        {"a||0|||(null):"});
    // Nested far deeper than any stack would allow a recursive reader.
    const int depth = 200000;
    row("deep arrays in check_data", "{\"check_data\":" + QByteArray(depth, '[') + QByteArray(depth, ']') + "}", false);
    row("deep objects in an item",
        "{\"check_data\":[{\"words\":\"a\",\"data_item\":" + QByteArray("{\"a\":").repeated(depth) + "1"
            + QByteArray(depth, '}') + "}]}",
        true, {"a||0|||(null):"});
    row("deep and unterminated", "{\"check_data\":" + QByteArray(depth, '['), false);
}

void TestJsonConvert::checkReplies()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, result);
    QFETCH(QStringList, items);
    QFETCH(QString, other);
    QFETCH(bool, pre);
    CHECK_DATAS list;
    if (pre)
        list.push_back(makeItem("earlier", 1));
    _CHECK_OTHER_DATA_ extra{"old", "old msg", 9};
    std::string text = json.toStdString();
    QCOMPARE(JSONToCheckData(text, list, extra), result);
    if (pre)
        list.erase(list.begin());
    QCOMPARE(describe(list), items);
    QCOMPARE(QString::fromStdString(extra.error_id + "|" + extra.error_msg + "|")
                 + QString::number(extra.vip_error_count),
             other);
}

void TestJsonConvert::serverReplies_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("fields");   // error_id|error_msg|access_token|check_server|max|vip|end|user

    const QString old = "e|m|t|s|3000|1|d|u";
    QTest::newRow("full reply")
        << QByteArray(R"({"error_id":"","error_msg":"","access_token":"T","check_server":"http://c/","check_char_max":4000,)"
                      R"("is_vip":false,"vip_end_date":"2027-01-01","user_name":"张三"})")
        << true << QString::fromUtf8("||T|http://c/|4000|0|2027-01-01|张三");
    QTest::newRow("missing keys keep values") << QByteArray("{}") << true << old;
    QTest::newRow("syntax error") << QByteArray("{\"user_name\":") << false << old;
    QTest::newRow("not an object") << QByteArray("\"x\"") << false << old;
    QTest::newRow("vip number is not true") << QByteArray(R"({"is_vip":1})") << true << "e|m|t|s|3000|0|d|u";
    QTest::newRow("page size zero kept") << QByteArray(R"({"check_char_max":0})") << true << old;
    QTest::newRow("page size as text kept") << QByteArray(R"({"check_char_max":"4000"})") << true << old;
    QTest::newRow("wrong string types kept")
        << QByteArray(R"({"error_id":1,"error_msg":[],"access_token":{},"check_server":true,"vip_end_date":2,"user_name":null})")
        << true << old;
}

void TestJsonConvert::serverReplies()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, result);
    QFETCH(QString, fields);
    ServerInfo info;
    std::string seed = R"({"error_id":"e","error_msg":"m","access_token":"t","check_server":"s","is_vip":true,)"
                       R"("vip_end_date":"d","user_name":"u"})";
    QVERIFY(JSONToServer(seed, info));
    info.local_access_token = "local";
    std::string text = json.toStdString();
    QCOMPARE(JSONToServer(text, info), result);
    const QString actual = QString::fromStdString(info.error_id + "|" + info.error_msg + "|" + info.access_token + "|"
                                                  + info.check_server + "|" + std::to_string(info.check_char_max) + "|"
                                                  + std::to_string(info.is_vip) + "|" + info.vip_end_date + "|"
                                                  + info.user_name);
    QCOMPARE(actual, fields);
    QCOMPARE(info.local_access_token, std::string("local"));
}

void TestJsonConvert::writeResults_data()
{
    QTest::addColumn<QList<int>>("levels");
    QTest::addColumn<int>("minLevel");
    QTest::addColumn<bool>("isVip");
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<int>("withheld");
    QTest::addColumn<QString>("errorId");
    QTest::newRow("every fourth withheld") << QList<int>{2, 2, 2, 2, 2} << 1 << false
                                          << QStringList{"w0", "w1", "w2", "w4"} << 1 << "vip_error_count";
    QTest::newRow("vip sees all") << QList<int>{2, 2, 2, 2, 2} << 1 << true
                                  << QStringList{"w0", "w1", "w2", "w3", "w4"} << 0 << "";
    QTest::newRow("all below level") << QList<int>{1, 1, 1} << 2 << false << QStringList{} << 0 << "not_found_error";
    // The VIP notice is then the one error pair, and the reply still reads as one.
    QTest::newRow("only withheld findings") << QList<int>{0, 0, 0, 3} << 2 << false << QStringList{} << 1
                                            << "vip_error_count";
}

void TestJsonConvert::writeResults()
{
    QFETCH(QList<int>, levels);
    QFETCH(int, minLevel);
    QFETCH(bool, isVip);
    QFETCH(QStringList, written);
    QFETCH(int, withheld);
    QFETCH(QString, errorId);
    CHECK_DATAS items;
    for (int level : levels)
        items.push_back(makeItem("w" + std::to_string(items.size()), level));
    const std::string json = ResultToJSON(items, minLevel, 3, false, isVip);

    CHECK_DATAS back;
    _CHECK_OTHER_DATA_ other;
    std::string text = json;
    QVERIFY(JSONToCheckData(text, back, other));
    QStringList words;
    for (const auto& d : back)
        words << QString::fromStdString(d->words);
    QCOMPARE(words, written);
    QCOMPARE(other.vip_error_count, withheld);
    QCOMPARE(QString::fromStdString(other.error_id), errorId);
    const QByteArray bytes = QByteArray::fromStdString(json);
    QCOMPARE(bytes.count("\"error_id\""), errorId.isEmpty() ? 0 : 1);
    QCOMPARE(bytes.count("\"error_msg\""), errorId.isEmpty() ? 0 : 1);
    QCOMPARE(bytes.count("check_data"), written.isEmpty() ? 0 : 1);
    if (withheld > 0)
        QCOMPARE(QString::fromStdString(other.error_msg),
                 QString::fromUtf8(" %1 个高级错误未显示，只提供给 VIP 会员。访问下面网址升级为 VIP。https://www.korrelo.com/vip/")
                     .arg(withheld));
}

void TestJsonConvert::writtenTextIsExact()
{
    auto d = makeItem("他门", 2, {1, 21}, 1);
    d->pos = {{10, 11}};
    auto skip = makeItem("x", 3, {4});
    skip->skipWords = "<skip>";
    CHECK_DATAS items{d, skip};
    QCOMPARE(QString::fromStdString(ResultToJSON(items, 0, 3, false, true)),
             QString::fromUtf8(R"({"vip_error_count":0,"check_data":[{"words":"他门","key":"k-他门","error_level":2,)"
                               R"("error_type":[1,21],"pos":[{"index_begin":10,"index_end":11}],)"
                               R"("data_item":{"key":"dk","values":[{"value":"s0","frequency":1}]}},)"
                               R"({"words":"<skip>","key":"k-x","error_level":3,"error_type":[4]}]})"));

    // Version 2 writes the old bit form of the types; only the first eleven suggestions are written.
    CHECK_DATAS old{makeItem("a", 2, {1, 2, 3, 4, 21, 31, 42}, 12)};
    CHECK_DATAS back;
    _CHECK_OTHER_DATA_ other;
    std::string text = ResultToJSON(old, 0, 2, false, true);
    QVERIFY(text.find("\"error_type\":63") != std::string::npos);
    QVERIFY(JSONToCheckData(text, back, other));
    QCOMPARE(back[0]->dataItem->values.size(), std::size_t(11));

    // Dedupe drops repeats only when level and types agree too.
    CHECK_DATAS repeats{makeItem("a", 2, {1}), makeItem("a", 2, {1}), makeItem("a", 3, {1}), makeItem("a", 2, {1, 2}),
                        nullptr};
    text = ResultToJSON(repeats, 0, 3, true, true);
    back.clear();
    QVERIFY(JSONToCheckData(text, back, other));
    QCOMPARE(back.size(), std::size_t(3));
}

void TestJsonConvert::resultsRoundTrip()
{
    // Texts that need escaping, a supplementary character, extreme positions and a full suggestion list.
    auto odd = makeItem("他\"\\\n\x01/ \xF0\xA0\x80\x80", 4, {1, 21, 61}, 11);
    odd->key = "\\k\"\t";
    odd->pos = {{0, 4294967295u}, {7, 3}};
    odd->dataItem->setKey("\"/\\");
    odd->dataItem->values[3]->setValue("\n\"\xF0\xA0\x80\x80");
    auto skip = makeItem("skipped", 2, {4});
    skip->skipWords = skip->words;
    CHECK_DATAS items{odd, skip, makeItem("plain", 0)};
    std::string json = ResultToJSON(items, 0, 3, false, true);
    CHECK_DATAS back;
    _CHECK_OTHER_DATA_ other;
    QVERIFY(JSONToCheckData(json, back, other));
    QCOMPARE(describe(back), describe(items));
    QCOMPARE(other.vip_error_count, 0);
    QVERIFY(other.error_id.empty());
}

void TestJsonConvert::cleanJoinsOnlyEqualFindings_data()
{
    // Items as "words|types|suggestions|places", suggestions and places split by ',' and types by ' '.
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("same words and suggestion join")
        << QStringList{"b||x|0", "", "a|||", "b||x|7,9"} << QStringList{"a|||", "b||x|0,7,9"};
    QTest::newRow("same words, other suggestion stays apart")
        << QStringList{"的|1|地|2", "的|1|得|9", "的|1|地|20"} << QStringList{"的|1|地|2,20", "的|1|得|9"};
    QTest::newRow("suggestion order matters")
        << QStringList{"的|1|地,得|2", "的|1|得,地|9"} << QStringList{"的|1|地,得|2", "的|1|得,地|9"};
    QTest::newRow("same words, other type stays apart")
        << QStringList{"的|1|地|2", "的|2|地|9"} << QStringList{"的|1|地|2", "的|2|地|9"};
    QTest::newRow("no suggestion against one")
        << QStringList{"的|1||2", "的|1|地|9", "的|1||4"} << QStringList{"的|1||2,4", "的|1|地|9"};
    QTest::newRow("equal words keep first order among other words")
        << QStringList{"c|||1", "b||y|2", "a|||3", "b||x|4"} << QStringList{"a|||3", "b||y|2", "b||x|4", "c|||1"};
}

void TestJsonConvert::cleanJoinsOnlyEqualFindings()
{
    QFETCH(QStringList, input);
    QFETCH(QStringList, expected);
    CHECK_DATAS items;
    for (const QString& line : input) {
        if (line.isEmpty()) {
            items.push_back(nullptr);
            continue;
        }
        const QStringList f = line.split('|');
        std::vector<int> types;
        for (const QString& t : f[1].split(' ', Qt::SkipEmptyParts))
            types.push_back(t.toInt());
        auto d = makeItem(f[0].toStdString(), 1, types);
        if (!f[2].isEmpty()) {
            d->dataItem = std::make_shared<DataItem>();
            d->dataItem->setKey("dk");
            for (const QString& s : f[2].split(','))
                d->dataItem->addValue(s.toStdString(), 0);
        }
        for (const QString& p : f[3].split(',', Qt::SkipEmptyParts))
            d->pos.push_back({p.toUInt(), p.toUInt()});
        items.push_back(d);
    }
    CleanCheckData(items);
    QStringList got;
    for (const auto& d : items) {
        QStringList types, suggestions, places;
        for (int t : d->errorTypes)
            types << QString::number(t);
        if (d->dataItem)
            for (const DataItemValue* v : d->dataItem->values)
                suggestions << QString::fromUtf8(v->value);
        for (const _CHECK_DATA_POS_& p : d->pos)
            places << QString::number(p.begin);
        got << QStringList{QString::fromStdString(d->words), types.join(' '), suggestions.join(','), places.join(',')}
                   .join('|');
    }
    QCOMPARE(got, expected);
}

void TestJsonConvert::serverInfoMoves()
{
    ServerInfo info;
    info.check_char_max = 500;
    info.is_vip = true;
    info.user_name = std::string(100, 'u');   // long enough to live outside the object
    info.error_id = "e";
    ServerInfo moved(std::move(info));
    QVERIFY(info.user_name.empty() && info.error_id.empty() && info.is_vip && info.check_char_max == 500);
    ServerInfo target;
    target = std::move(moved);
    QVERIFY(moved.user_name.empty() && target.error_id == "e");
    target.clearError();
    QVERIFY(target.error_id.empty() && target.error_msg.empty() && target.user_name == std::string(100, 'u'));
}

QTEST_APPLESS_MAIN(TestJsonConvert)
#include "tst_jsonconvert.moc"
