#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QIcon>
#include <QMap>
#include <QObject>
#include <QVariant>

#include "proofkit_export.h"

class IconFontPainter;

// Makes QIcons out of glyphs of the bundled icon font, picked by name or code point, and colours
// them by the mode the icon is drawn in (normal, disabled, active, selected). Windows share the one
// instance that getIconFont() returns.
class PROOFKIT_EXPORT IconFont : public QObject
{
    Q_OBJECT
public:
    // Option numbers of an option map. An empty text of a mode falls back to TextNormal.
    enum Option {
        ColorNormal = 1,
        ColorDisabled = 2,
        ColorActive = 3,
        ColorSelected = 4,
        ScaleFactor = 5,   // glyph size against the icon height
        TextNormal = 6,
        TextDisabled = 7,
        TextActive = 8,
        TextSelected = 9,
    };

    explicit IconFont(QObject* parent = nullptr);
    ~IconFont() override;

    bool initFontAwesome();

    void setDefaultOption(int option, const QVariant& value);
    QVariant defaultOption(int option) const;

    QIcon icon(int codePoint, const QMap<int, QVariant>& options = QMap<int, QVariant>());
    QIcon icon(const QString& name, const QMap<int, QVariant>& options = QMap<int, QVariant>());
    QIcon icon(IconFontPainter* painter, const QMap<int, QVariant>& options = QMap<int, QVariant>());

    QFont font(int size) const;

    // The loaded name table (name -> code point); empty until the font is loaded.
    const QHash<QString, int>& codePoints() const { return namedCodepoints; }

private:
    QString fontName;
    QHash<QString, int> namedCodepoints;
    QHash<QString, IconFontPainter*> painterMap;  // owned
    QMap<int, QVariant> defaultOptions;
    IconFontPainter* fontIconPainter = nullptr;   // owned
};

PROOFKIT_EXPORT IconFont* getIconFont();

// Option map of the four mode colours; an invalid disabled, active or selected colour takes the normal one.
PROOFKIT_EXPORT QMap<int, QVariant> IconColorOptions(const QColor& normal, const QColor& disabled = QColor(),
                                                     const QColor& active = QColor(),
                                                     const QColor& selected = QColor());
