#include "iconfont.h"

#include <QDebug>
#include <QFile>
#include <QFontDatabase>

#include "iconfontcharpainter.h"
#include "iconfonticonengine.h"
#include "iconfontnames.h"

namespace {
// The font is added to the application once, whichever instance loads it.
int fontAwesomeId = -1;
}

IconFont::IconFont(QObject* parent)
    : QObject(parent), fontIconPainter(new IconFontCharPainter)
{
    defaultOptions.insert(ColorNormal, QColor(50, 50, 50, 255));
    defaultOptions.insert(ColorDisabled, QColor(70, 70, 70, 60));
    defaultOptions.insert(ColorActive, QColor(10, 10, 10, 255));
    defaultOptions.insert(ColorSelected, QColor(10, 10, 10, 255));
    defaultOptions.insert(ScaleFactor, 0.9);
    defaultOptions.insert(TextNormal, QString());
    defaultOptions.insert(TextDisabled, QString());
    defaultOptions.insert(TextActive, QString());
    defaultOptions.insert(TextSelected, QString());
}

IconFont::~IconFont()
{
    qDeleteAll(painterMap);
    delete fontIconPainter;
}

bool IconFont::initFontAwesome()
{
    if (fontAwesomeId < 0) {
        QFile file(QStringLiteral(":/fonts/fontawesome-4.7.0.ttf"));
        if (!file.open(QIODevice::ReadOnly)) {
            qDebug() << "Font awesome font could not be loaded!";
            return false;
        }
        fontAwesomeId = QFontDatabase::addApplicationFontFromData(file.readAll());
    }

    const QStringList families = QFontDatabase::applicationFontFamilies(fontAwesomeId);
    if (families.isEmpty()) {
        qDebug() << "Font awesome font is empty?!";
        fontAwesomeId = -1;
        return false;
    }
    fontName = families.first();

    namedCodepoints.reserve(iconFontNameCount);
    for (int i = 0; i < iconFontNameCount; ++i)
        namedCodepoints.insert(QLatin1String(iconFontNames[i].name), iconFontNames[i].codePoint);
    return true;
}

void IconFont::setDefaultOption(int option, const QVariant& value)
{
    defaultOptions.insert(option, value);
}

QVariant IconFont::defaultOption(int option) const
{
    return defaultOptions.value(option);
}

QIcon IconFont::icon(int codePoint, const QMap<int, QVariant>& options)
{
    QMap<int, QVariant> merged = defaultOptions;
    for (auto it = options.cbegin(); it != options.cend(); ++it)
        merged.insert(it.key(), it.value());
    const uint ucs4 = uint(codePoint);
    merged.insert(TextNormal, QString::fromUcs4(&ucs4, 1));
    return icon(fontIconPainter, merged);
}

QIcon IconFont::icon(const QString& name, const QMap<int, QVariant>& options)
{
    const auto named = namedCodepoints.constFind(name);
    if (named != namedCodepoints.cend())
        return icon(named.value(), options);
    if (IconFontPainter* painter = painterMap.value(name))
        return icon(painter, options);
    return QIcon();
}

QIcon IconFont::icon(IconFontPainter* painter, const QMap<int, QVariant>& options)
{
    return QIcon(new IconFontIconEngine(this, painter, options));
}

QFont IconFont::font(int size) const
{
    QFont glyphFont(fontName);
    glyphFont.setPixelSize(size);
    glyphFont.setWeight(QFont::Light);
    return glyphFont;
}

IconFont* getIconFont()
{
    static IconFont* instance = [] {
        auto* iconFont = new IconFont;
        iconFont->initFontAwesome();
        return iconFont;
    }();
    return instance;
}

QMap<int, QVariant> IconColorOptions(const QColor& normal, const QColor& disabled, const QColor& active,
                                     const QColor& selected)
{
    QMap<int, QVariant> options;
    options.insert(IconFont::ColorNormal, normal);
    options.insert(IconFont::ColorDisabled, disabled.isValid() ? disabled : normal);
    options.insert(IconFont::ColorActive, active.isValid() ? active : normal);
    options.insert(IconFont::ColorSelected, selected.isValid() ? selected : normal);
    return options;
}
