#include "clientfixture.h"
#include "config.h"
#include "settingkeys.h"
#include "dataitem.h"
#include "dialoglogin.h"
#include "dialogprogress.h"

using Ranges = QVector<QPair<unsigned, unsigned>>;
Q_DECLARE_METATYPE(Ranges)
Q_DECLARE_METATYPE(Fields)

namespace {

std::shared_ptr<CheckData> makeData(const QString& words, const Ranges& ranges,
                                    const QStringList& values)
{
    auto data = std::make_shared<CheckData>();
    data->words = words.toStdString();
    for (const auto& range : ranges) {
        _CHECK_DATA_POS_ pos;
        pos.begin = range.first;
        pos.end = range.second;
        data->pos.push_back(pos);
    }
    if (!values.isEmpty()) {
        data->dataItem = std::make_shared<DataItem>();
        for (const QString& value : values)
            data->dataItem->addValue(value.toStdString(), 1);
    }
    return data;
}

// A reply that ended without error yet brought less than its promised length: what Qt 5 may hand
// over when the service closes the connection halfway and the close is seen first.
class CutReply : public QNetworkReply
{
public:
    CutReply(const QUrl& url, const QByteArray& body, qint64 promised) : body(body)
    {
        setRequest(QNetworkRequest(url));
        setUrl(url);
        setOperation(QNetworkAccessManager::PostOperation);
        setHeader(QNetworkRequest::ContentLengthHeader, promised);
        setAttribute(QNetworkRequest::HttpStatusCodeAttribute, 200);
        open(QIODevice::ReadOnly);
        setFinished(true);
    }
    void abort() override {}
    qint64 bytesAvailable() const override { return body.size() - offset + QNetworkReply::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 count = qMin(maxSize, qint64(body.size()) - offset);
        memcpy(data, body.constData() + offset, size_t(count));
        offset += count;
        return count;
    }

private:
    const QByteArray body;
    qint64 offset = 0;
};

} // namespace

class TestCheckRun : public QObject, private ClientFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(startClient()); }
    void init() { resetClient(); }

    void splitsAtPunctuationWithoutEmptyOrBrokenPieces_data();
    void splitsAtPunctuationWithoutEmptyOrBrokenPieces();
    void replacementTextJoinsSuggestionParts_data();
    void replacementTextJoinsSuggestionParts();

    void piecesSentToTheService_data();
    void piecesSentToTheService();
    void cancelDuringSecondPieceKeepsFirstErrors();
    void failuresEndTheCheckCleanly_data();
    void failuresEndTheCheckCleanly();
    void redirectedPiecesKeepTheirFindings_data();
    void redirectedPiecesKeepTheirFindings();
    void replyCutShortEndsTheCheckAsANetworkError();
    void secondCheckIsRefusedAndShowsProgress();
    void checkRefusedDuringLoginLeavesNoProgress();
    void withheldFindingsAreCounted();
    void positionsCountInTheWholeText();
    void badReplyEndsTheCheckWithOneBox_data();
    void badReplyEndsTheCheckWithOneBox();
    void oversizedReplyIsRefused_data();
    void oversizedReplyIsRefused();
    void damagedPageSizeReadsAsTheDefault_data();
    void damagedPageSizeReadsAsTheDefault();

private:
    int checkRequests() { return service.requestsOf(QStringLiteral("check")).size(); }
};

void TestCheckRun::splitsAtPunctuationWithoutEmptyOrBrokenPieces_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pageSize");
    QTest::addColumn<QVector<int>>("lengths");

    const QString han = QStringLiteral("字");
    QTest::newRow("full page ending in a full stop") << han.repeated(2999) + QStringLiteral("。") << 3000
                                                     << QVector<int>{3000};
    QTest::newRow("no punctuation: half pages") << han.repeated(3000) << 3000 << QVector<int>{1500, 1500};
    QTest::newRow("last mark of the second half")
        << QStringLiteral("一二三四五六，七八九十一二三四五") << 10 << QVector<int>{7, 9};
    QTest::newRow("mark in the first half only")
        << QStringLiteral("一，三四五六七八九十一二") << 10 << QVector<int>{5, 7};
    QTest::newRow("at most ten pieces") << han.repeated(40000) << 3000 << QVector<int>(10, 1500);
    QTest::newRow("page size 1") << QStringLiteral("a。b") << 1 << QVector<int>{1, 1, 1};
    QTest::newRow("pair kept whole at a forced cut")
        << QStringLiteral("一\U0001F600二三四五") << 4 << QVector<int>{1, 2, 2, 2};
    QTest::newRow("pair kept whole with page size 1") << QStringLiteral("\U0001F600a") << 1 << QVector<int>{2, 1};
    QTest::newRow("page size 0") << QStringLiteral("abc") << 0 << QVector<int>{};
}

void TestCheckRun::splitsAtPunctuationWithoutEmptyOrBrokenPieces()
{
    QFETCH(QString, text);
    QFETCH(int, pageSize);
    QFETCH(QVector<int>, lengths);

    QStringList pieces;
    QCOMPARE(CheckerClient::splitText(text, pageSize, pieces), !lengths.isEmpty());
    QVector<int> actual;
    for (const QString& piece : pieces) {
        actual << piece.length();
        QVERIFY(!piece.isEmpty());
        QVERIFY(!piece.at(0).isLowSurrogate());
        QVERIFY(!piece.at(piece.length() - 1).isHighSurrogate());
    }
    QCOMPARE(actual, lengths);
    QVERIFY(text.startsWith(pieces.join(QString())));
}

void TestCheckRun::replacementTextJoinsSuggestionParts_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<Ranges>("ranges");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("replacement");   // "-": refused

    QTest::newRow("one stretch") << "他门" << Ranges{{10, 11}} << "他们" << "他们";
    QTest::newRow("text between two stretches is kept")
        << "甲乙丙丁戊己" << Ranges{{10, 11}, {14, 15}} << "X*Y" << "X丙丁Y";
    QTest::newRow("more parts than stretches") << "他门" << Ranges{{3, 4}} << "他们*多余" << "他们";
    QTest::newRow("overlapping stretches copy nothing twice")
        << "甲乙丙丁" << Ranges{{10, 12}, {11, 13}} << "A*B" << "AB";
    QTest::newRow("empty parts") << "甲乙丙丁" << Ranges{{0, 0}, {3, 3}} << "*" << "乙丙";
    QTest::newRow("no suggestion") << "他门" << Ranges{{0, 1}} << "" << "-";
    // Nothing says where the suggestion goes: an empty replacement would delete the words.
    QTest::newRow("no position") << "他门" << Ranges{} << "他们" << "-";
}

void TestCheckRun::replacementTextJoinsSuggestionParts()
{
    QFETCH(QString, words);
    QFETCH(Ranges, ranges);
    QFETCH(QString, value);
    QFETCH(QString, replacement);

    const QStringList values = value.isEmpty() ? QStringList() : QStringList{QStringLiteral("unused"), value};
    const CHECK_DATAS datas = {makeData(words, ranges, values), nullptr};
    QString outWords;
    QString outReplacement;
    QCOMPARE(CheckerClient::getReplaceText(datas, 0, 1, outWords, outReplacement), replacement != "-");
    if (replacement != "-") {
        QCOMPARE(outWords, words);
        QCOMPARE(outReplacement, replacement);
    }
    // Beyond the list, a missing entry or a missing value: no replacement.
    QVERIFY(!CheckerClient::getReplaceText(datas, 2, 0, outWords, outReplacement));
    QVERIFY(!CheckerClient::getReplaceText(datas, -1, 0, outWords, outReplacement));
    QVERIFY(!CheckerClient::getReplaceText(datas, 1, 0, outWords, outReplacement));
    QVERIFY(!CheckerClient::getReplaceText(datas, 0, 2, outWords, outReplacement));
}

void TestCheckRun::piecesSentToTheService_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pageSize");
    QTest::addColumn<int>("pieces");
    QTest::addColumn<QStringList>("boxTexts");

    QTest::newRow("too long for one check") << QStringLiteral("他门在这里。").repeated(6667) << 3000 << 10
                                            << QStringList{"Max 30000 words!"};
    // "Nothing found" speaks for the whole check: once at its end, and only when nothing was found.
    QTest::newRow("page size 1") << QStringLiteral("他门") << 1 << 2 << QStringList{"没有找到错误。"};
    QTest::newRow("clean piece before errors") << QStringLiteral("这里很好。他门来了。") << 5 << 2 << QStringList{};
    QTest::newRow("clean piece after errors") << QStringLiteral("他门来了。这里很好。") << 5 << 2 << QStringList{};
    // Pieces cut at half a page for want of punctuation: the ten allowed cover only part of it.
    QTest::newRow("text left over by short pieces")
        << QStringLiteral("abcdefghijklmnopqrstuvwxyzabcd") << 4 << 10
        << QStringList{"Max 20 words!", "没有找到错误。"};
    // An empty last piece would add a "not found" box after the errors found.
    QTest::newRow("errors, text ends at the cut") << QStringLiteral("他门在这里。") << 6 << 1 << QStringList{};
}

void TestCheckRun::piecesSentToTheService()
{
    QFETCH(QString, text);
    QFETCH(int, pageSize);
    QFETCH(int, pieces);
    QFETCH(QStringList, boxTexts);

    loginWithPageSize(pageSize);
    QSignalSpy begin(client, &CheckerClient::checkBegin);
    QVERIFY(checkAndWait(text));
    QCOMPARE(begin.size(), 1);
    QCOMPARE(checkRequests(), pieces);
    QCOMPARE(boxes.texts(), boxTexts);
    QVERIFY(!client->isChecking());
}

void TestCheckRun::cancelDuringSecondPieceKeepsFirstErrors()
{
    loginWithPageSize(10);
    QVERIFY(service.misbehave({{"target", "check"}, {"mode", "hang"}, {"skip", "1"}}));
    QSignalSpy done(client, &CheckerClient::checkDone);
    QString text = QStringLiteral("他门在这里说话。以经走了。");
    QVERIFY(client->checkText(text));
    QTRY_COMPARE_WITH_TIMEOUT(checkRequests(), 2, 10000);
    client->cancelCheck();
    QTRY_COMPARE(done.size(), 1);
    const CHECK_DATAS datas = done.first().first().value<CHECK_DATAS>();
    QCOMPARE(datas.size(), size_t(1));
    QCOMPARE(QString::fromStdString(datas.front()->words), QStringLiteral("他门"));
    QVERIFY(boxes.boxes.isEmpty());
    QVERIFY(!client->isChecking());
    QVERIFY(client->getCheckData().empty());
    service.control(QStringLiteral("release"));
}

void TestCheckRun::failuresEndTheCheckCleanly_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("errorsKept");

    QTest::newRow("server error") << "status" << "Connect Server Error!" << 1;
    QTest::newRow("malformed JSON") << "malformed" << "JSON Data Error!" << 1;
    QTest::newRow("deeply nested JSON") << "nested" << "JSON Data Error!" << 1;
    QTest::newRow("no answer in time") << "hang" << "Connect Server Error! [Request timed out ]" << 1;
    QTest::newRow("dropped connection") << "drop" << "Connect Server Error!" << 1;
}

void TestCheckRun::failuresEndTheCheckCleanly()
{
    QFETCH(QString, mode);
    QFETCH(QString, box);
    QFETCH(int, errorsKept);

    loginWithPageSize(10);
    // Only the row that waits for a time-out gets a short one, so a slow machine fails no other row.
    if (mode == QLatin1String("hang"))
        client->setTransferTimeout(1000);
    // The second piece fails.
    const QString count = mode == "nested" ? "1" : "0";
    QVERIFY(service.misbehave({{"target", "check"}, {"mode", mode}, {"skip", "1"}, {"count", count}}));
    const QString text = QStringLiteral("他门在这里说话。以经走了。");
    CHECK_DATAS found;
    QVERIFY(checkAndWait(text, &found));
    QCOMPARE(int(found.size()), errorsKept);
    QCOMPARE(boxes.boxes.size(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty()) {
        QVERIFY2(boxes.boxes.first().text.startsWith(box), qPrintable(boxes.boxes.first().text));
        QCOMPARE(boxes.boxes.first().icon, QMessageBox::Critical);
    }
    // The client is ready for the next check.
    QVERIFY(!client->isChecking());
    service.control(QStringLiteral("reset"));
    QVERIFY(client->login("demo", "demo"));
    QVERIFY(checkAndWait(text));
}

void TestCheckRun::redirectedPiecesKeepTheirFindings_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("location");   // empty: the same address under /moved
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("errorsKept");

    // Each of the six pieces is redirected on a kept-alive connection; every one must arrive.
    QTest::newRow("307 keeps the POST") << "307" << "" << "" << 6;
    QTest::newRow("308 keeps the POST") << "308" << "" << "" << 6;
    // The service takes no GET for a check.
    QTest::newRow("303 turns into a GET") << "303" << "" << "Connect Server Error!" << 0;
    QTest::newRow("endless redirect is given up")
        << "307" << "/api/v3/check" << "Connect Server Error! [Temporary Redirect ]" << 0;
    QTest::newRow("no other scheme") << "307" << "ftp://127.0.0.1/api/v3/check" << "Connect Server Error!" << 0;
}

void TestCheckRun::redirectedPiecesKeepTheirFindings()
{
    QFETCH(QString, status);
    QFETCH(QString, location);
    QFETCH(QString, box);
    QFETCH(int, errorsKept);

    loginWithPageSize(10);
    QVERIFY(service.misbehave({{"target", "check"}, {"mode", "redirect"}, {"status", status}, {"location", location}}));
    CHECK_DATAS found;
    // One finding in each piece of ten characters or fewer.
    const QString text = QStringLiteral("他门在这里说话。以经走了。我门来了。你门好。在次见面。做为朋友。");
    QVERIFY(checkAndWait(text, &found));
    QCOMPARE(int(found.size()), errorsKept);
    QCOMPARE(boxes.boxes.size(), box.isEmpty() ? 0 : 1);
    if (!box.isEmpty())
        QVERIFY2(boxes.boxes.first().text.startsWith(box), qPrintable(boxes.boxes.first().text));
    QVERIFY(!client->isChecking());
}

void TestCheckRun::replyCutShortEndsTheCheckAsANetworkError()
{
    loginWithPageSize(10);
    QVERIFY(service.misbehave({{"target", "check"}, {"mode", "hang"}}));
    QSignalSpy done(client, &CheckerClient::checkDone);
    QString text = QStringLiteral("他门在这里说话。以经走了。");
    QVERIFY(client->checkText(text));
    QTRY_COMPARE_WITH_TIMEOUT(checkRequests(), 1, 10000);

    const QByteArray start = "{\"check_data\":[{\"words\":\"他门\",";
    client->finishedSlot(new CutReply(QUrl(client->getWebUrl(URL_CHECK, QString())), start, 4 * start.size()));
    QCOMPARE(done.size(), 1);
    QVERIFY(!client->isChecking());
    QCOMPARE(checkRequests(), 1);
    QCOMPARE(boxes.texts(),
             QStringList{"Connect Server Error! [The connection closed before the whole reply arrived ]"});

    // The piece still in flight ends without a second box.
    client->cancelCheck();
    QTRY_COMPARE(done.size(), 2);
    QCOMPARE(boxes.boxes.size(), 1);
    service.control(QStringLiteral("release"));
}

void TestCheckRun::secondCheckIsRefusedAndShowsProgress()
{
    loginWithPageSize(3000);
    QVERIFY(service.misbehave({{"target", "check"}, {"mode", "hang"}}));
    QSignalSpy done(client, &CheckerClient::checkDone);
    QString text = QStringLiteral("他门来了。");
    QVERIFY(client->checkText(text));
    DialogProgress* progress = topLevel<DialogProgress>();
    QVERIFY(progress && progress->isVisible());
    progress->hide();

    QVERIFY(!client->checkText(text));
    QVERIFY(progress->isVisible());
    QCOMPARE(boxes.texts(), QStringList{"checking, please wait."});
    QVERIFY(client->isChecking());

    // Closing the dialog cancels the check.
    progress->close();
    QTRY_COMPARE(done.size(), 1);
    QVERIFY(!client->isChecking());
    QCOMPARE(boxes.boxes.size(), 1);
    service.control(QStringLiteral("release"));
}

void TestCheckRun::checkRefusedDuringLoginLeavesNoProgress()
{
    QString text = QStringLiteral("他门来了。");
    bool refused = false;
    whenShown<DialogLogin>([&](DialogLogin* login) {
        refused = !client->checkText(text);
        login->reject();
    });
    QVERIFY(!client->checkText(text));
    QVERIFY(refused);
    QCOMPARE(boxes.texts(), QStringList{"checking, please wait."});
    // Neither check runs: no progress dialog may stay on screen.
    QVERIFY(!topLevel<DialogProgress>()->isVisible());
    QVERIFY(!client->isChecking());
}

void TestCheckRun::withheldFindingsAreCounted()
{
    loginWithPageSize(3000);
    QVERIFY(checkAndWait(QStringLiteral("我们要再接再励，他门也是。")));
    QVERIFY(client->getVipErrorCount() > 0);
    QCOMPARE(boxes.boxes.size(), 1);
    QVERIFY(boxes.boxes.first().text.contains(QStringLiteral("VIP")));
}

void TestCheckRun::positionsCountInTheWholeText()
{
    // Three pieces, one finding in each: the service counts from the start of its piece.
    loginWithPageSize(5);
    CHECK_DATAS found;
    QVERIFY(checkAndWait(QStringLiteral("他门来了。这是他门。他门"), &found));
    QCOMPARE(checkRequests(), 3);
    QCOMPARE(found.size(), size_t(1));
    Ranges ranges;
    for (const _CHECK_DATA_POS_& p : found.front()->pos)
        ranges << qMakePair(p.begin, p.end);
    QCOMPARE(ranges, (Ranges{{0, 1}, {7, 8}, {10, 11}}));
}

void TestCheckRun::badReplyEndsTheCheckWithOneBox_data()
{
    QTest::addColumn<Fields>("rule");
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("errorsKept");
    QTest::newRow("malformed from the first piece") << Fields{{"mode", "malformed"}} << 1 << 0;
    QTest::newRow("nested from the first piece") << Fields{{"mode", "nested"}} << 1 << 0;
    QTest::newRow("garbage from the first piece") << Fields{{"mode", "body"}, {"body", "<html>"}} << 1 << 0;
    QTest::newRow("malformed from the second piece") << Fields{{"mode", "malformed"}, {"skip", "1"}} << 2 << 1;
}

void TestCheckRun::badReplyEndsTheCheckWithOneBox()
{
    QFETCH(Fields, rule);
    QFETCH(int, requests);
    QFETCH(int, errorsKept);
    loginWithPageSize(10);
    QVERIFY(service.misbehave(Fields{{"target", "check"}} + rule));
    CHECK_DATAS found;
    // Six pieces, one finding in each.
    QVERIFY(checkAndWait(QStringLiteral("他门在这里说话。以经走了。我门来了。你门好。在次见面。做为朋友。"), &found));
    QCOMPARE(boxes.texts(), QStringList{"JSON Data Error!"});
    QCOMPARE(checkRequests(), requests);
    QCOMPARE(int(found.size()), errorsKept);
    QVERIFY(!client->isChecking());
}

void TestCheckRun::oversizedReplyIsRefused_data()
{
    QTest::addColumn<int>("blanks");   // after an otherwise plain reply
    QTest::addColumn<QStringList>("boxTexts");
    QTest::addColumn<int>("errorsKept");
    QTest::newRow("within the bound") << 200000 << QStringList{} << 1;
    QTest::newRow("beyond the bound") << 300000
                                      << QStringList{"Connect Server Error! [The reply is too large ]"} << 0;
}

void TestCheckRun::oversizedReplyIsRefused()
{
    QFETCH(int, blanks);
    QFETCH(QStringList, boxTexts);
    QFETCH(int, errorsKept);
    loginWithPageSize(3000);
    const QString reply = QStringLiteral("{\"check_data\":[{\"words\":\"他门\"}]}") + QString(blanks, ' ');
    QVERIFY(service.misbehave({{"target", "check"}, {"mode", "body"}, {"body", reply}}));
    CHECK_DATAS found;
    QVERIFY(checkAndWait(QStringLiteral("他门来了。"), &found));
    QCOMPARE(boxes.texts(), boxTexts);
    QCOMPARE(int(found.size()), errorsKept);
    QVERIFY(!client->isChecking());
}

void TestCheckRun::damagedPageSizeReadsAsTheDefault_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("text") << "abc";
    QTest::newRow("zero") << "0";
    QTest::newRow("negative") << "-5";
}

void TestCheckRun::damagedPageSizeReadsAsTheDefault()
{
    QFETCH(QString, stored);
    // A local service: the page size comes from the settings alone, never from an account.
    Config* config = GetConfig();
    config->setValueString(QLatin1String(SettingKeys::LocalAccessToken), QStringLiteral("local"));
    config->setValueString(QLatin1String(SettingKeys::CheckServer), service.root());
    config->setValueString(QLatin1String(SettingKeys::CheckCharMax), stored);
    client->loadSetting();
    QVERIFY(client->isLocal());
    CHECK_DATAS found;
    QVERIFY(checkAndWait(QStringLiteral("他门来了。"), &found));
    QCOMPARE(int(found.size()), 1);
    QVERIFY(boxes.boxes.isEmpty());
    QCOMPARE(checkRequests(), 1);
}

QTEST_MAIN(TestCheckRun)
#include "tst_checkrun.moc"
