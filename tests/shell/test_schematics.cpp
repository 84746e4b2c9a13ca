// The interface picture as a user wires from it: each line's label carries the pins that the
// connector standards give that line.

#include "shell/schematics.h"

#include <QPaintEngine>
#include <QPainter>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace {

// A page that keeps the texts drawn on it, with where they stand.
class TextPage : public QPaintDevice {
public:
    struct Text {
        QPointF at;
        QString text;
    };

    QPaintEngine *paintEngine() const override { return &m_engine; }
    const std::vector<Text> &texts() const { return m_engine.texts; }

    // The texts drawn on each line of the page, joined from left to right, top line first.
    std::vector<Text> lines() const
    {
        std::map<int, std::map<double, QString>> rows;
        for (const Text &t : texts())
            rows[qRound(t.at.y())][t.at.x()] += t.text;
        std::vector<Text> joined;
        for (const auto &[y, row] : rows) {
            QString line;
            for (const auto &[x, text] : row)
                line += text;
            joined.push_back({QPointF(row.begin()->first, y), line.simplified()});
        }
        return joined;
    }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return SchematicsWidth;
        case PdmHeight:
            return SchematicsHeight;
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
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    struct Recorder : QPaintEngine {
        Recorder()
            : QPaintEngine(QPaintEngine::AllFeatures)
        {
        }
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawPath(const QPainterPath &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF &at, const QTextItem &item) override { texts.push_back({at, item.text()}); }
        Type type() const override { return QPaintEngine::User; }
        std::vector<Text> texts;
    };
    mutable Recorder m_engine;
};

std::vector<QString> drawnLines(double fromY, double toY)
{
    TextPage page;
    {
        QPainter painter(&page);
        PaintInterfaceSchematics(painter);
    }
    std::vector<QString> lines;
    for (const TextPage::Text &line : page.lines())
        if (line.at.y() > fromY && line.at.y() < toY)
            lines.push_back(line.text);
    return lines;
}

// The serial port's lines on its 9-pin connector (TIA-574) and on the 25-pin one (RS-232).
TEST(InterfaceSchematics, EachSerialLineShowsItsOwnPinsOnBothConnectors)
{
    struct Pins {
        int db9, db25;
    };
    const std::map<QString, Pins> standard = {{"DTR", {4, 20}}, {"RTS", {7, 4}}, {"GND", {5, 7}}};

    const std::vector<QString> lines = drawnLines(0, 322);
    EXPECT_NE(std::find(lines.begin(), lines.end(), QStringLiteral("COM DB9 (DB25)")), lines.end())
        << "the connector no longer says which number is which";
    const QRegularExpression row(QStringLiteral("^(DTR|RTS|GND) pin (\\d+) \\((\\d+)\\)$"));
    std::map<QString, Pins> shown;
    for (const QString &line : lines)
        if (const QRegularExpressionMatch m = row.match(line); m.hasMatch()) {
            EXPECT_EQ(shown.count(m.captured(1)), 0u) << "drawn twice: " << m.captured(1).toStdString();
            shown[m.captured(1)] = {m.captured(2).toInt(), m.captured(3).toInt()};
        }
    ASSERT_EQ(shown.size(), standard.size());
    for (const auto &[line, pins] : standard) {
        SCOPED_TRACE(line.toStdString());
        EXPECT_EQ(shown[line].db9, pins.db9);
        EXPECT_EQ(shown[line].db25, pins.db25);
    }
}

// The parallel port's control lines that the program keys, and its grounds (IEEE 1284, 25 pins).
TEST(InterfaceSchematics, EachParallelControlLineShowsItsOwnPin)
{
    const std::map<QString, QString> standard = {{"Strobe", "1"},     {"Auto feed", "14"}, {"Init", "16"},
                                                 {"Select in", "17"}, {"GND", "18-25"}};
    const std::vector<QString> lines = drawnLines(322, SchematicsHeight);
    const QRegularExpression row(QStringLiteral("^pins? ([\\d-]+) (.+)$"));
    std::map<QString, QString> shown;
    for (const QString &line : lines)
        if (const QRegularExpressionMatch m = row.match(line); m.hasMatch())
            shown[m.captured(2)] = m.captured(1);
    EXPECT_EQ(shown, standard);
}

} // namespace
