#pragma once

#include <QColor>
#include <QFont>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QString>
#include <QVector>

// A paint device that draws nothing and keeps every text drawn on it with its font and pen, so a test
// can see what an icon painter asked for.
class RecordingPaintEngine : public QPaintEngine
{
public:
    struct Text
    {
        QString text;
        QFont font;
        QColor color;
    };
    QVector<Text> texts;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF&, const QTextItem& item) override
    {
        texts.append({item.text(), item.font(), painter()->pen().color()});
    }
    Type type() const override { return User; }
};

class RecordingPaintDevice : public QPaintDevice
{
public:
    RecordingPaintEngine engine;

    QPaintEngine* paintEngine() const override { return const_cast<RecordingPaintEngine*>(&engine); }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 256;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        default:
            return QPaintDevice::metric(metric);
        }
    }
};
