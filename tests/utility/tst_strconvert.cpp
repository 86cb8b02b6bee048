#include <QtTest>

#include <clocale>
#include <random>

#include "strconvert.h"

namespace {

std::string bytes(const QByteArray& b)
{
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

std::u16string units(const QVector<int>& v)
{
    std::u16string s;
    for (int u : v)
        s += static_cast<char16_t>(u);
    return s;
}

} // namespace

class TestStrConvert : public QObject
{
    Q_OBJECT
private slots:
    void utf8Strictness_data();
    void utf8Strictness();
    void roundTrips();
    void codePage_data();
    void codePage();
    void characterWalk_data();
    void characterWalk();
    void oneEnChar_data();
    void oneEnChar();
    void characterClasses_data();
    void characterClasses();
    void splitAndReplace_data();
    void splitAndReplace();
    void trimAndCaseIgnoreLocale();
    void wildcard_data();
    void wildcard();
};

enum Direction { Both, DecodeOnly, EncodeOnly };

void TestStrConvert::utf8Strictness_data()
{
    QTest::addColumn<QByteArray>("utf8");    // empty: refused when encoding
    QTest::addColumn<QVector<int>>("utf16");   // empty: refused when decoding
    QTest::addColumn<int>("direction");
    QTest::newRow("three-byte CJK") << QByteArray("\xE4\xB8\xAD") << QVector<int>{0x4E2D} << int(Both);
    QTest::newRow("truncated") << QByteArray("\xE4\xB8") << QVector<int>{} << int(DecodeOnly);
    QTest::newRow("overlong two-byte NUL") << QByteArray("\xC0\x80", 2) << QVector<int>{} << int(DecodeOnly);
    QTest::newRow("overlong three-byte") << QByteArray("\xE0\x9F\xBF") << QVector<int>{} << int(DecodeOnly);
    QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << QVector<int>{} << int(DecodeOnly);
    QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << QVector<int>{} << int(DecodeOnly);
    QTest::newRow("five-byte form") << QByteArray("\xF8\x88\x80\x80\x80") << QVector<int>{} << int(DecodeOnly);
    QTest::newRow("stray continuation") << QByteArray("a\x80") << QVector<int>{} << int(DecodeOnly);
    QTest::newRow("supplementary and pair") << QByteArray("\xF0\x9F\x98\x80") << QVector<int>{0xD83D, 0xDE00} << int(Both);
    QTest::newRow("mixed") << QByteArray("a\xC3\xA4\xE4\xB8\xAD") << QVector<int>{'a', 0xE4, 0x4E2D} << int(Both);
    QTest::newRow("embedded NUL ends text") << QByteArray("a\0b", 3) << QVector<int>{'a'} << int(DecodeOnly);
    QTest::newRow("trailing lone high surrogate") << QByteArray() << QVector<int>{'a', 0xD800} << int(EncodeOnly);
    QTest::newRow("high surrogate then letter") << QByteArray("\xED\xA0\x80" "a") << QVector<int>{0xD800, 'a'}
                                                << int(EncodeOnly);
}

void TestStrConvert::utf8Strictness()
{
    QFETCH(QByteArray, utf8);
    QFETCH(QVector<int>, utf16);
    QFETCH(int, direction);
    if (direction != EncodeOnly) {
        const std::u16string wide = toWString(bytes(utf8));
        QCOMPARE(wide, units(utf16));
        // The UTF-32 reader applies the same legality rules.
        const std::u32string u32 = toU32String(bytes(utf8));
        QCOMPARE(u32.empty(), utf16.isEmpty());
        if (!u32.empty())
            QCOMPARE(toU8String(u32), toU8String(wide));
    }
    if (direction != DecodeOnly)
        QCOMPARE(toU8String(units(utf16)), bytes(utf8));
}

void TestStrConvert::roundTrips()
{
    std::mt19937 rng(20261208);
    std::uniform_int_distribution<int> unit(1, 0xFFFF);
    std::uniform_int_distribution<int> point(1, 0x10FFFF);
    for (int round = 0; round < 200; ++round) {
        // Unit by unit between UTF-16 and UTF-32 keeps every unit, surrogates included.
        std::u16string wide;
        for (int k = 0; k < 40; ++k)
            wide += static_cast<char16_t>(unit(rng));
        const std::u32string unitwise = toU32String(wide);
        QCOMPARE(unitwise.size(), wide.size());
        QCOMPARE(toWString(unitwise), wide);

        // Legal code points survive UTF-32 -> UTF-8 -> UTF-16 -> UTF-8 -> UTF-32.
        std::u32string text;
        while (text.size() < 40) {
            const auto c = static_cast<char32_t>(point(rng));
            if (c < 0xD800 || c > 0xDFFF)
                text += c;
        }
        const std::string u8 = toU8String(text);
        QVERIFY(!u8.empty());
        QCOMPARE(toU8String(toWString(u8)), u8);
        QCOMPARE(toU32String(u8), text);
        QCOMPARE(u8Strlen(u8.c_str()), text.size());
    }
    // UTF-32 -> UTF-8 refuses the whole text for one value out of range, but writes surrogates.
    QCOMPARE(toU8String(std::u32string{U'a', char32_t(0x110000), U'b'}), std::string());
    QCOMPARE(toU8String(std::u32string{char32_t(0xD800)}), std::string("\xED\xA0\x80"));
    // Unit-by-unit UTF-32 -> UTF-16 keeps only the low 16 bits.
    QCOMPARE(toWString(std::u32string(1, U'\U0001F600')), std::u16string(1, char16_t(0xF600)));
}

void TestStrConvert::codePage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("encoded");   // empty: not representable
    QTest::newRow("Chinese") << QString::fromUtf8("中文") << QByteArray("\xD6\xD0\xCE\xC4");
    QTest::newRow("emoji") << QString::fromUtf8("中\xF0\x9F\x98\x80") << QByteArray();
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray();
    QTest::newRow("empty") << QString() << QByteArray();
}

void TestStrConvert::codePage()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, encoded);
    const std::u16string wide = text.toStdU16String();

    std::string out = "untouched";
    QCOMPARE(WStringToStringA(wide, out), !encoded.isEmpty());
    QCOMPARE(out, encoded.isEmpty() ? std::string("untouched") : bytes(encoded));
    QCOMPARE(toString(wide), bytes(encoded));
    QCOMPARE(toString(toU8String(wide)), bytes(encoded));
    if (encoded.isEmpty())
        return;

    std::u16string back = u"untouched";
    QVERIFY(StringAToWString(bytes(encoded), back));
    QCOMPARE(back, wide);
    QCOMPARE(toU8StringA(bytes(encoded)), text.toUtf8().toStdString());
    QCOMPARE(toU32StringA(bytes(encoded)), text.toStdU32String());
}

void TestStrConvert::characterWalk_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("forward");
    QTest::addColumn<QByteArray>("reverse");
    const QByteArray aZh("a\xE4\xB8\xAD");
    QTest::newRow("ASCII at start") << aZh << 0 << QByteArray("a") << QByteArray("a");
    QTest::newRow("lead byte") << aZh << 1 << QByteArray("\xE4\xB8\xAD") << QByteArray("\xE4");
    QTest::newRow("last byte") << aZh << 3 << QByteArray("\xAD") << QByteArray("\xE4\xB8\xAD");
    QTest::newRow("at end") << aZh << 4 << QByteArray() << QByteArray();
    QTest::newRow("continuation at start") << QByteArray("\xB8\xAD") << 1 << QByteArray("\xAD") << QByteArray("\xB8\xAD");
}

void TestStrConvert::characterWalk()
{
    QFETCH(QByteArray, text);
    QFETCH(int, offset);
    QFETCH(QByteArray, forward);
    QFETCH(QByteArray, reverse);
    QCOMPARE(u8GetChar(bytes(text), static_cast<unsigned>(offset)), bytes(forward));
    QCOMPARE(u8GetCharReverse(bytes(text), static_cast<unsigned>(offset)), bytes(reverse));

    // Walking the whole text in pieces gives the text back.
    std::vector<std::string> pieces{"stale"};
    const unsigned count = u8GetChars(bytes(text), pieces);
    QCOMPARE(count, static_cast<unsigned>(pieces.size()));
    std::string joined;
    for (const std::string& p : pieces)
        joined += p;
    QCOMPARE(joined, bytes(text));
}

void TestStrConvert::oneEnChar_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("expected");   // false only for exactly one whole multi-byte character
    QTest::newRow("empty") << QByteArray("") << true;
    QTest::newRow("ASCII letter") << QByteArray("a") << true;
    QTest::newRow("one ideograph") << QByteArray("\xE4\xB8\xAD") << false;
    QTest::newRow("two-byte letter") << QByteArray("\xC3\xA4") << false;
    QTest::newRow("four-byte character") << QByteArray("\xF0\x9F\x98\x80") << false;
    QTest::newRow("two characters") << QByteArray("\xE4\xB8\xAD\xE4\xB8\xAD") << true;
    QTest::newRow("truncated") << QByteArray("\xE4\xB8") << true;
    QTest::newRow("ASCII after a lead byte") << QByteArray("\xC3" "A") << true;
    QTest::newRow("five-byte form") << QByteArray("\xF8\x80\x80\x80\x80") << true;
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << true;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << true;
}

void TestStrConvert::oneEnChar()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, expected);
    QCOMPARE(IsOneEnChar(text.constData()), expected);
}

void TestStrConvert::characterClasses_data()
{
    QTest::addColumn<QString>("test");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    auto ch = [](int c) { return QString(QChar(c)); };
    QTest::newRow("ideographic space") << "IsWhiteSpace" << ch(0x3000) << true;
    QTest::newRow("letter not space") << "IsWhiteSpace" << "a" << false;
    QTest::newRow("multiplication sign") << "IsEnPunctuation" << ch(0xD7) << true;
    QTest::newRow("A umlaut is a letter") << "IsEnPunctuation" << ch(0xC4) << false;
    QTest::newRow("ASCII punctuation") << "IsEnPunctuation" << "!" << true;
    QTest::newRow("ideographic full stop") << "IsCnPunctuation" << ch(0x3002) << true;
    QTest::newRow("full-width digit") << "IsCnPunctuation" << ch(0xFF10) << false;
    QTest::newRow("em dash") << "IsCnPunctuation" << ch(0x2014) << true;
    QTest::newRow("CJK ideograph") << "IsCnChar" << ch(0x4E2D) << true;
    QTest::newRow("after unified block") << "IsCnChar" << ch(0x9FC0) << false;
    QTest::newRow("hiragana plain") << "IsCnChar" << ch(0x3042) << false;
    QTest::newRow("hiragana with kana") << "IsCnCharKana" << ch(0x3042) << true;
    QTest::newRow("hangul with hangul") << "IsCnCharHangul" << ch(0xAC00) << true;
    QTest::newRow("number with exponent") << "IsAllNumber" << "3.5e+2%" << true;
    QTest::newRow("number empty") << "IsAllNumber" << "" << false;
    QTest::newRow("number with letter") << "IsAllNumber" << "12a" << false;
    QTest::newRow("en-number full width") << "IsAllEnNumberU32" << QString::fromUtf8("ＡＢ１２") << true;
    QTest::newRow("en-number symbols") << "IsAllEnNumber" << "a1.+-,%&#@$*" << true;
    QTest::newRow("punctuation mixed") << "IsAllPunctuation" << QString::fromUtf8("，。!?") << true;
    QTest::newRow("Latin-1 is English") << "IsAllEnCharU32" << QString::fromUtf8("Ä") << true;
}

void TestStrConvert::characterClasses()
{
    QFETCH(QString, test);
    QFETCH(QString, text);
    QFETCH(bool, expected);
    const std::u32string u32 = text.toStdU32String();
    const std::string u8 = text.toUtf8().toStdString();
    const char32_t c = u32.empty() ? 0 : u32[0];
    bool result = !expected;
    if (test == "IsCnPunctuation") result = IsCnPunctuation(c);
    else if (test == "IsCnChar") result = IsCnChar(c, false, false);
    else if (test == "IsCnCharKana") result = IsCnChar(c, true, false);
    else if (test == "IsCnCharHangul") result = IsCnChar(c, false, true);
    else if (test == "IsAllNumber") result = IsAllNumber(u32);
    else if (test == "IsAllEnNumber") result = IsAllEnNumber(u8);
    else if (test == "IsAllEnNumberU32") result = IsAllEnNumber(u32);
    else if (test == "IsAllPunctuation") result = IsAllPunctuation(u32);
    else if (test == "IsAllEnCharU32") result = IsAllEnChar(u32);
    else if (test == "IsWhiteSpace") {
        result = u32IsWhiteSpace(c);
        QCOMPARE(IsWhiteSpaceW(static_cast<char16_t>(c)), expected);
    } else if (test == "IsEnPunctuation") {
        result = IsEnPunctuation(c);
        QCOMPARE(IsEnPunctuation(static_cast<char>(c)), c < 0x80 && expected);   // the byte form knows ASCII only
    }
    else QFAIL("unknown test");
    QCOMPARE(result, expected);
}

void TestStrConvert::splitAndReplace_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("keepSep");
    QTest::addColumn<QStringList>("pieces");
    QTest::newRow("empty pieces kept") << "a,,b," << false << QStringList{"a", "", "b", ""};
    QTest::newRow("separators kept") << "a,,b," << true << QStringList{"a,", ",", "b,", ""};
    QTest::newRow("empty text") << "" << false << QStringList{""};
}

void TestStrConvert::splitAndReplace()
{
    QFETCH(QString, text);
    QFETCH(bool, keepSep);
    QFETCH(QStringList, pieces);
    std::vector<std::string> out{"kept"};
    QCOMPARE(split(text.toUtf8().toStdString(), ',', keepSep, out), static_cast<unsigned>(pieces.size() + 1));
    QCOMPARE(out.front(), std::string("kept"));
    std::vector<std::u16string> wide;
    QCOMPARE(splitW(text.toStdU16String(), u',', keepSep, wide), static_cast<unsigned>(pieces.size()));
    for (int k = 0; k < pieces.size(); ++k) {
        QCOMPARE(QString::fromStdString(out[static_cast<std::size_t>(k) + 1]), pieces[k]);
        QCOMPARE(QString::fromStdU16String(wide[static_cast<std::size_t>(k)]), pieces[k]);
    }

    // Replacing never searches the inserted text again.
    std::string s = "aaa";
    QCOMPARE(ReplaceAll(s, "a", "aa"), std::string("aaaaaa"));
    QCOMPARE(ReplaceAll(s, "", "x"), std::string("aaaaaa"));
    std::u16string w = u"他门他门";
    QCOMPARE(ReplaceAllW(w, u"门", u"们门"), std::u16string(u"他们门他们门"));
}

void TestStrConvert::trimAndCaseIgnoreLocale()
{
    // Results must not follow the global locale a host program happens to set.
    const QByteArray saved = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");

    std::u16string wide = u"\u3000 中文\t\u3000";
    QCOMPARE(wtrim(wide), std::u16string(u"中文"));
    std::string u8 = "\xE3\x80\x80" "a b\xE3\x80\x80";
    QCOMPARE(u8trim(u8), std::string("a b"));
    std::string bad = " \xC0\x80 ";
    QCOMPARE(u8trim(bad), std::string());
    std::string narrow = "\t a b \r\n";
    QCOMPARE(trim(narrow), std::string("a b"));
    std::string highBytes = "\xA0x\xA0";   // never a space byte by itself
    QCOMPARE(trim(highBytes), std::string("\xA0x\xA0"));

    QCOMPARE(StringToLower(u"ÄÖÜ ABC 中"), std::u16string(u"äöü abc 中"));
    QCOMPARE(StringToUpper(u"äbc"), std::u16string(u"ÄBC"));
    QCOMPARE(u8StringToLower("\xC3\x84X"), std::string("\xC3\xA4x"));
    QVERIFY(StringCompareNoCase(u"Straße", u"STRAßE"));
    QVERIFY(!StringCompareNoCase(u"abc", u"abd"));

    std::setlocale(LC_ALL, saved.constData());
}

void TestStrConvert::wildcard_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("escapes");
    QTest::addColumn<QString>("regex");
    QTest::newRow("star dot") << "*.txt" << false << ".*\\.txt";
    QTest::newRow("escaped star") << "\\*a" << true << "\\*a";
    QTest::newRow("backslash literal without escapes") << "\\*" << false << "\\\\.*";
    QTest::newRow("trailing backslash") << "a\\" << true << "a\\\\";
    QTest::newRow("escaped ordinary char") << "\\a" << true << "\\\\a";
    QTest::newRow("escaped bracket") << "\\[x]" << true << "\\[x]";
    QTest::newRow("class copied") << "[^]a\\]z" << false << "[^]a\\\\]z";
    QTest::newRow("unclosed class") << "ab[cd" << false << "ab[cd";
}

void TestStrConvert::wildcard()
{
    QFETCH(QString, pattern);
    QFETCH(bool, escapes);
    QFETCH(QString, regex);
    QCOMPARE(QString::fromStdU16String(wildcard2Regex(pattern.toStdU16String(), escapes)), regex);
}

QTEST_APPLESS_MAIN(TestStrConvert)
#include "tst_strconvert.moc"
