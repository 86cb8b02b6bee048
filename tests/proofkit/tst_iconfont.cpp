#include <QtTest>

#include <QFontDatabase>
#include <QImage>
#include <QSet>

#include "iconfont.h"
#include "iconfontcharpainter.h"
#include "recordingpaintdevice.h"

using Options = QMap<int, QVariant>;

class TestIconFont : public QObject
{
    Q_OBJECT
private slots:
    void tableHasEveryName();
    void namesMapToCodePoints_data();
    void namesMapToCodePoints();
    void glyphSizeFollowsHeight_data();
    void glyphSizeFollowsHeight();
    void colorsFollowMode_data();
    void colorsFollowMode();
    void textOfModeFallsBackToNormal();
    void pixmapShowsTheGlyph();

private:
    static RecordingPaintEngine::Text paintOnce(const QIcon& icon, const QRect& rect, QIcon::Mode mode,
                                                int* count = nullptr);
};

RecordingPaintEngine::Text TestIconFont::paintOnce(const QIcon& icon, const QRect& rect, QIcon::Mode mode,
                                                   int* count)
{
    RecordingPaintDevice device;
    {
        QPainter painter(&device);
        icon.paint(&painter, rect, Qt::AlignCenter, mode);
    }
    if (count)
        *count = device.engine.texts.size();
    return device.engine.texts.value(0);
}

void TestIconFont::tableHasEveryName()
{
    IconFont* iconFont = getIconFont();
    QVERIFY(iconFont);
    QCOMPARE(getIconFont(), iconFont);
    const QHash<QString, int>& table = iconFont->codePoints();
    QCOMPARE(table.size(), 786);
    const QList<int> values = table.values();
    QCOMPARE(QSet<int>(values.begin(), values.end()).size(), 675);
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        QVERIFY2(!it.key().contains('-'), qPrintable(it.key()));
        QVERIFY2(!it.key().at(0).isDigit(), qPrintable(it.key()));
    }
    // The font really came from the resources.
    QCOMPARE(iconFont->font(10).family(), QString("FontAwesome"));
    QCOMPARE(iconFont->font(10).pixelSize(), 10);
}

void TestIconFont::namesMapToCodePoints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("codePoint");
    const QList<QPair<const char*, int>> used = {
        {"envelopeo", 0xF003}, {"user", 0xF007}, {"check", 0xF00C}, {"close", 0xF00D},
        {"remove", 0xF00D}, {"times", 0xF00D}, {"cog", 0xF013}, {"trasho", 0xF014},
        {"download", 0xF019}, {"refresh", 0xF021}, {"listalt", 0xF022}, {"book", 0xF02D},
        {"font", 0xF031}, {"edit", 0xF044}, {"stepbackward", 0xF048}, {"fastbackward", 0xF049},
        {"play", 0xF04B}, {"pause", 0xF04C}, {"fastforward", 0xF050}, {"stepforward", 0xF051},
        {"infocircle", 0xF05A}, {"arrowleft", 0xF060}, {"arrowright", 0xF061}, {"arrowup", 0xF062},
        {"arrowdown", 0xF063}, {"chevronup", 0xF077}, {"chevrondown", 0xF078}, {"signout", 0xF08B},
        {"signin", 0xF090}, {"bullhorn", 0xF0A1}, {"globe", 0xF0AC}, {"copy", 0xF0C5},
        {"save", 0xF0C7}, {"undo", 0xF0E2}, {"exchange", 0xF0EC}, {"angleleft", 0xF104},
        {"angleup", 0xF106}, {"angledown", 0xF107}, {"folderopeno", 0xF115}, {"smileo", 0xF118},
        {"arrowcircleoright", 0xF18E}, {"arrowcircleoleft", 0xF190}, {"history", 0xF1DA},
        {"wikipediaw", 0xF266}, {"fa_500px", 0xF26E},
    };
    for (const auto& entry : used)
        QTest::newRow(entry.first) << QString::fromLatin1(entry.first) << entry.second;
    // Unknown names, and the stylesheet's own spellings, give a null icon.
    for (const char* unknown : {"nosuchicon", "500px", "arrow-left"})
        QTest::newRow(unknown) << QString::fromLatin1(unknown) << -1;
}

void TestIconFont::namesMapToCodePoints()
{
    QFETCH(QString, name);
    QFETCH(int, codePoint);
    IconFont* iconFont = getIconFont();
    QCOMPARE(iconFont->codePoints().value(name, -1), codePoint);
    QCOMPARE(iconFont->icon(name).isNull(), codePoint < 0);
    if (codePoint < 0)
        return;
    const auto drawn = paintOnce(iconFont->icon(name), QRect(0, 0, 20, 20), QIcon::Normal);
    QCOMPARE(drawn.text, QString(QChar(codePoint)));
}

void TestIconFont::glyphSizeFollowsHeight_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("pixelSize");  // 0: nothing drawn
    QTest::newRow("16 px icon") << QRect(0, 0, 16, 16) << 0.9 << 14;
    QTest::newRow("half rounds up") << QRect(0, 0, 40, 5) << 0.9 << 5;  // 4.5
    QTest::newRow("height not width") << QRect(0, 0, 100, 20) << 0.9 << 18;
    QTest::newRow("full scale") << QRect(0, 0, 32, 32) << 1.0 << 32;
    QTest::newRow("zero height") << QRect(0, 0, 16, 0) << 0.9 << 0;
    QTest::newRow("glyph rounds to nothing") << QRect(0, 0, 1, 1) << 0.4 << 0;
}

void TestIconFont::glyphSizeFollowsHeight()
{
    QFETCH(QRect, rect);
    QFETCH(double, scale);
    QFETCH(int, pixelSize);

    static QStringList warnings;
    warnings.clear();
    QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
        if (type != QtDebugMsg)
            warnings << msg;
    });
    Options options;
    options.insert(IconFont::ScaleFactor, scale);
    options.insert(IconFont::TextNormal, QString(QChar(0xF00C)));
    IconFontCharPainter charPainter;
    RecordingPaintDevice device;
    {
        QPainter painter(&device);
        charPainter.paint(getIconFont(), &painter, rect, QIcon::Normal, QIcon::Off, options);
    }
    qInstallMessageHandler(previous);

    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    if (pixelSize == 0) {
        QVERIFY(device.engine.texts.isEmpty());
        return;
    }
    QCOMPARE(device.engine.texts.size(), 1);
    QCOMPARE(device.engine.texts.at(0).font.pixelSize(), pixelSize);
    QCOMPARE(device.engine.texts.at(0).font.weight(), int(QFont::Light));
}

void TestIconFont::colorsFollowMode_data()
{
    QTest::addColumn<Options>("options");
    QTest::addColumn<QColor>("normal");
    QTest::addColumn<QColor>("disabled");
    QTest::addColumn<QColor>("active");
    QTest::addColumn<QColor>("selected");

    const QColor blue(77, 130, 184);
    const QColor grey(176, 176, 176);
    QTest::newRow("defaults") << Options() << QColor(50, 50, 50) << QColor(70, 70, 70, 60)
                              << QColor(10, 10, 10) << QColor(10, 10, 10);
    QTest::newRow("only normal colour") << IconColorOptions(blue) << blue << blue << blue << blue;
    QTest::newRow("normal and disabled") << IconColorOptions(blue, grey) << blue << grey << blue << blue;
    QTest::newRow("all four") << IconColorOptions(blue, grey, Qt::red, Qt::white)
                              << blue << grey << QColor(Qt::red) << QColor(Qt::white);
}

void TestIconFont::colorsFollowMode()
{
    QFETCH(Options, options);
    QFETCH(QColor, normal);
    QFETCH(QColor, disabled);
    QFETCH(QColor, active);
    QFETCH(QColor, selected);
    const QIcon icon = getIconFont()->icon(0xF013, options);
    const QRect rect(0, 0, 24, 24);
    QCOMPARE(paintOnce(icon, rect, QIcon::Normal).color, normal);
    QCOMPARE(paintOnce(icon, rect, QIcon::Disabled).color, disabled);
    QCOMPARE(paintOnce(icon, rect, QIcon::Active).color, active);
    QCOMPARE(paintOnce(icon, rect, QIcon::Selected).color, selected);
}

void TestIconFont::textOfModeFallsBackToNormal()
{
    Options options;
    options.insert(IconFont::TextDisabled, QString(QChar(0xF00D)));
    const QIcon icon = getIconFont()->icon(0xF00C, options);
    const QRect rect(0, 0, 24, 24);
    QCOMPARE(paintOnce(icon, rect, QIcon::Normal).text, QString(QChar(0xF00C)));
    QCOMPARE(paintOnce(icon, rect, QIcon::Disabled).text, QString(QChar(0xF00D)));
    QCOMPARE(paintOnce(icon, rect, QIcon::Selected).text, QString(QChar(0xF00C)));

    // A changed default reaches icons made afterwards, and a copy of an icon paints the same.
    IconFont own;
    own.setDefaultOption(IconFont::ColorNormal, QColor(1, 2, 3));
    QCOMPARE(own.defaultOption(IconFont::ColorNormal).value<QColor>(), QColor(1, 2, 3));
    QIcon copy = own.icon(0xF00C);
    copy.detach();
    QCOMPARE(paintOnce(copy, rect, QIcon::Normal).color, QColor(1, 2, 3));
}

void TestIconFont::pixmapShowsTheGlyph()
{
    const QColor blue(77, 130, 184);
    const QIcon icon = getIconFont()->icon(QStringLiteral("square"), IconColorOptions(blue));
    const QPixmap pixmap = icon.pixmap(QSize(32, 32));
    QCOMPARE(pixmap.size(), QSize(32, 32));
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    // Corners stay transparent; the middle of the filled square carries the colour.
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(QColor(image.pixel(16, 16)).rgb(), blue.rgb());
    QVERIFY(icon.pixmap(QSize(0, 0)).isNull());
}

QTEST_MAIN(TestIconFont)
#include "tst_iconfont.moc"
