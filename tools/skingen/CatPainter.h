#pragma once

#include "ClaudeStatus.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>

// The colours of one cat.
struct Coat
{
    QColor base;
    QColor stripe; // tabby stripes; invalid for none
    QColor light;  // muzzle, chest, paws of a tabby; white patches of a tuxedo
    QColor eye;
    QColor outline;
    bool tuxedo = false; // white muzzle, chest and paws on a dark coat
};

// Draws the cartoon cat of one state at a moment of its loop. Every motion is periodic in the loop's
// phase (0..1), so the last frame runs into the first without a jump.
class CatPainter
{
public:
    explicit CatPainter(Coat coat) : m_coat(std::move(coat)) {}

    QImage frame(ClaudeStatus state, double phase, int size) const;
    QImage thumbnail(int size) const;

private:
    enum class Eyes
    {
        open,
        closed,
        happy,
        focused,
    };
    struct Face
    {
        Eyes eyes = Eyes::open;
        double openness = 1;     // of open eyes, 0..1
        QPointF look;            // pupil offset
        bool mouthOpen = false;  // a big smile
        bool tongue = false;     // the tip out, concentrating
        double leftEarTurn = 0;  // degrees
        double rightEarTurn = 0; // degrees
    };

    void drawIdle(QPainter& p, double t) const;
    void drawWorking(QPainter& p, double t) const;
    void drawNeedsInput(QPainter& p, double t, bool withBubble) const;
    void drawCompleted(QPainter& p, double t) const;

    void drawHead(QPainter& p, QPointF centre, double tilt, double scale, const Face& face) const;
    void drawEar(QPainter& p, double side, double turn) const;
    void drawEye(QPainter& p, QPointF centre, const Face& face) const;
    void drawSittingBody(QPainter& p, QPointF centre, double scaleX, double scaleY) const;
    void drawTail(QPainter& p, const QPainterPath& path, double width) const;
    void drawLimb(QPainter& p, QPointF from, QPointF to, double width, bool withPaw) const;
    void drawPaw(QPainter& p, QPointF centre, double rx, double ry) const;
    void drawBodyStripes(QPainter& p, QPointF centre, double rx, double ry, int count) const;

    QPen outlinePen(double width = 1.3) const;
    const Coat m_coat;
};
