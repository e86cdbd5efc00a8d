#include "CatPainter.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QtMath>

// Everything is drawn on a 100 x 100 canvas, scaled to the frame size.
namespace {
constexpr double tau = 2 * M_PI;

double wave(double t, double cycles, double offset = 0)
{
    return std::sin(tau * (cycles * t + offset));
}

// 0..1, rising then falling once per cycle.
double pulse(double t, double cycles, double offset = 0)
{
    return 0.5 - 0.5 * std::cos(tau * (cycles * t + offset));
}

double fract(double value)
{
    return value - std::floor(value);
}

QPen pen(const QColor& colour, double width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void background(QPainter& p, const QColor& top, const QColor& bottom)
{
    QLinearGradient gradient(0, 0, 0, 100);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    p.fillRect(QRectF(0, 0, 100, 100), gradient);
}

void shadow(QPainter& p, QPointF centre, double rx, double ry, int alpha)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 30, 60, alpha));
    p.drawEllipse(centre, rx, ry);
}

QPainterPath starPath(QPointF centre, double outer, double inner, double rotation)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double angle = rotation + i * M_PI / 5 - M_PI / 2;
        const double radius = i % 2 ? inner : outer;
        const QPointF point = centre + QPointF(std::cos(angle) * radius, std::sin(angle) * radius);
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

// A "z" drawn as strokes: no font is needed, so every machine makes the same frames.
void drawZ(QPainter& p, QPointF centre, double size, const QColor& colour)
{
    QPainterPath path;
    path.moveTo(centre + QPointF(-size / 2, -size / 2));
    path.lineTo(centre + QPointF(size / 2, -size / 2));
    path.lineTo(centre + QPointF(-size / 2, size / 2));
    path.lineTo(centre + QPointF(size / 2, size / 2));
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(colour, size * 0.22));
    p.drawPath(path);
}

void drawQuestionMark(QPainter& p, QPointF centre, double size, const QColor& colour)
{
    QPainterPath hook;
    const double r = size * 0.28;
    const QPointF arcCentre = centre + QPointF(0, -size * 0.2);
    hook.arcMoveTo(QRectF(arcCentre.x() - r, arcCentre.y() - r, 2 * r, 2 * r), 160);
    hook.arcTo(QRectF(arcCentre.x() - r, arcCentre.y() - r, 2 * r, 2 * r), 160, -235);
    hook.quadTo(centre + QPointF(0, size * 0.02), centre + QPointF(0, size * 0.18));
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(colour, size * 0.17));
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(centre + QPointF(0, size * 0.42), size * 0.1, size * 0.1);
}
} // namespace

QPen CatPainter::outlinePen(double width) const
{
    return pen(m_coat.outline, width);
}

QImage CatPainter::frame(ClaudeStatus state, double phase, int size) const
{
    QImage image(size, size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);
    switch (state) {
    case ClaudeStatus::idle:
        drawIdle(p, phase);
        break;
    case ClaudeStatus::working:
        drawWorking(p, phase);
        break;
    case ClaudeStatus::needsInput:
        drawNeedsInput(p, phase, true);
        break;
    case ClaudeStatus::completed:
        drawCompleted(p, phase);
        break;
    }
    return image;
}

QImage CatPainter::thumbnail(int size) const
{
    QImage image(size, size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 100.0, size / 100.0);
    drawNeedsInput(p, 0, false);
    return image;
}

// ---- parts ----

void CatPainter::drawEar(QPainter& p, double side, double turn) const
{
    p.save();
    p.translate(side * 12, -11);
    p.rotate(side * (8 + turn));
    QPainterPath ear;
    ear.moveTo(side * -8, 4);
    ear.quadTo(side * -4, -9, side * 1, -13);
    ear.quadTo(side * 5, -5, side * 8, 3);
    ear.closeSubpath();
    p.setPen(outlinePen());
    p.setBrush(m_coat.base);
    p.drawPath(ear);
    QPainterPath inner;
    inner.moveTo(side * -4.5, 2);
    inner.quadTo(side * -2, -6, side * 0.8, -9);
    inner.quadTo(side * 3.5, -3, side * 4.8, 2);
    inner.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf4, 0xb4, 0xc0));
    p.drawPath(inner);
    p.restore();
}

void CatPainter::drawEye(QPainter& p, QPointF c, const Face& face) const
{
    switch (face.eyes) {
    case Eyes::closed: {
        QPainterPath lid;
        lid.moveTo(c + QPointF(-3.6, -0.5));
        lid.quadTo(c + QPointF(0, 3.2), c + QPointF(3.6, -0.5));
        p.setBrush(Qt::NoBrush);
        p.setPen(outlinePen(1.4));
        p.drawPath(lid);
        return;
    }
    case Eyes::happy: {
        QPainterPath arc;
        arc.moveTo(c + QPointF(-3.6, 1.5));
        arc.quadTo(c + QPointF(0, -4.2), c + QPointF(3.6, 1.5));
        p.setBrush(Qt::NoBrush);
        p.setPen(outlinePen(1.6));
        p.drawPath(arc);
        return;
    }
    case Eyes::open:
    case Eyes::focused:
        break;
    }
    const double openness = std::clamp(face.openness, 0.0, 1.0);
    if (openness < 0.12) {
        p.setBrush(Qt::NoBrush);
        p.setPen(outlinePen(1.4));
        p.drawLine(c + QPointF(-3.6, 0.6), c + QPointF(3.6, 0.6));
        return;
    }
    const double rx = 4.0;
    const double ry = 4.8;
    p.save();
    // Closing eyes shut from the top, as lids do.
    QPainterPath visible;
    const double top = c.y() + ry - 2 * ry * openness - 0.01;
    visible.addRect(QRectF(c.x() - rx - 2, top, 2 * rx + 4, 2 * ry + 4));
    p.setClipPath(visible);
    p.setPen(outlinePen(1.1));
    p.setBrush(m_coat.eye);
    p.drawEllipse(c, rx, ry);
    const QPointF pupil = c + face.look;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1e, 0x1a, 0x22));
    p.drawEllipse(pupil, face.eyes == Eyes::focused ? 1.8 : 2.3, face.eyes == Eyes::focused ? 2.8 : 3.5);
    p.setBrush(Qt::white);
    p.drawEllipse(pupil + QPointF(-1.1, -1.5), 1.2, 1.2);
    p.drawEllipse(pupil + QPointF(1.0, 1.3), 0.5, 0.5);
    p.setClipping(false);
    p.restore();
    if (openness < 0.97) {
        p.setPen(outlinePen(1.3));
        p.drawLine(QPointF(c.x() - rx + 0.3, top), QPointF(c.x() + rx - 0.3, top));
    }
    if (face.eyes == Eyes::focused) {
        // Heavy upper lids: concentration.
        p.setPen(outlinePen(1.3));
        p.setBrush(m_coat.tuxedo ? m_coat.base : m_coat.base);
        QPainterPath lid;
        lid.moveTo(c + QPointF(-rx - 0.4, -0.2));
        lid.quadTo(c + QPointF(0, -ry - 3), c + QPointF(rx + 0.4, -0.2));
        lid.quadTo(c + QPointF(0, -1.6), c + QPointF(-rx - 0.4, -0.2));
        p.drawPath(lid);
    }
}

void CatPainter::drawHead(QPainter& p, QPointF centre, double tilt, double scale, const Face& face) const
{
    p.save();
    p.translate(centre);
    p.rotate(tilt);
    p.scale(scale, scale);

    drawEar(p, -1, face.leftEarTurn);
    drawEar(p, 1, face.rightEarTurn);

    QPainterPath head;
    head.moveTo(0, -15);
    head.cubicTo(12, -15, 20, -9, 20.5, 1);
    head.cubicTo(21, 10, 12, 15.5, 0, 15.5);
    head.cubicTo(-12, 15.5, -21, 10, -20.5, 1);
    head.cubicTo(-20, -9, -12, -15, 0, -15);
    p.setPen(outlinePen());
    p.setBrush(m_coat.base);
    p.drawPath(head);

    p.save();
    p.setClipPath(head);
    p.setPen(Qt::NoPen);
    if (m_coat.tuxedo) {
        QPainterPath blaze;
        blaze.moveTo(0, -8);
        blaze.cubicTo(3, -2, 5, 2, 11, 6);
        blaze.cubicTo(9, 14, -9, 14, -11, 6);
        blaze.cubicTo(-5, 2, -3, -2, 0, -8);
        p.setBrush(m_coat.light);
        p.drawPath(blaze);
    } else {
        p.setBrush(m_coat.light);
        p.drawEllipse(QPointF(-4.5, 8), 7, 5.5);
        p.drawEllipse(QPointF(4.5, 8), 7, 5.5);
        p.drawEllipse(QPointF(0, 12), 7, 4.5);
    }
    if (m_coat.stripe.isValid()) {
        // The tabby "M" on the forehead and stripes on the cheeks.
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(m_coat.stripe, 1.7));
        p.drawLine(QPointF(0, -14.5), QPointF(0, -8.5));
        p.drawLine(QPointF(-5, -14), QPointF(-3.2, -8.5));
        p.drawLine(QPointF(5, -14), QPointF(3.2, -8.5));
        p.drawLine(QPointF(-9.5, -12.5), QPointF(-7.2, -8));
        p.drawLine(QPointF(9.5, -12.5), QPointF(7.2, -8));
        for (double side : {-1.0, 1.0}) {
            p.drawLine(QPointF(side * 21, 0), QPointF(side * 15.5, 1.5));
            p.drawLine(QPointF(side * 21, 4.5), QPointF(side * 16, 5));
        }
    }
    p.restore();

    // Blush.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0x8a, 0xa0, m_coat.tuxedo ? 150 : 110));
    p.drawEllipse(QPointF(-12.5, 6.5), 3.2, 1.9);
    p.drawEllipse(QPointF(12.5, 6.5), 3.2, 1.9);

    drawEye(p, QPointF(-7.8, -0.5), face);
    drawEye(p, QPointF(7.8, -0.5), face);

    // Nose and mouth.
    QPainterPath nose;
    nose.moveTo(-2.2, 4.2);
    nose.quadTo(0, 3.4, 2.2, 4.2);
    nose.quadTo(0.6, 6.4, 0, 6.6);
    nose.quadTo(-0.6, 6.4, -2.2, 4.2);
    p.setPen(pen(m_coat.outline, 0.7));
    p.setBrush(QColor(0xf0, 0x7f, 0x96));
    p.drawPath(nose);
    if (face.mouthOpen) {
        QPainterPath mouth;
        mouth.moveTo(-4.2, 7.6);
        mouth.quadTo(0, 8.6, 4.2, 7.6);
        mouth.cubicTo(3.8, 13.5, -3.8, 13.5, -4.2, 7.6);
        p.setPen(outlinePen(1.1));
        p.setBrush(QColor(0x8a, 0x2c, 0x3c));
        p.drawPath(mouth);
        p.save();
        p.setClipPath(mouth);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xff, 0x8f, 0xa3));
        p.drawEllipse(QPointF(0, 12.4), 3.2, 2.2);
        p.restore();
    } else {
        if (face.tongue) {
            p.setPen(pen(m_coat.outline, 0.8));
            p.setBrush(QColor(0xff, 0x8f, 0xa3));
            p.drawChord(QRectF(-1.9, 6.6, 3.8, 5.2), 180 * 16, 180 * 16);
        }
        QPainterPath mouth;
        mouth.moveTo(0, 6.6);
        mouth.quadTo(-0.4, 9, -3.2, 8.6);
        mouth.moveTo(0, 6.6);
        mouth.quadTo(0.4, 9, 3.2, 8.6);
        p.setBrush(Qt::NoBrush);
        p.setPen(outlinePen(1.0));
        p.drawPath(mouth);
    }

    // Whiskers.
    const QColor whisker = m_coat.tuxedo ? QColor(0xf2, 0xf2, 0xf2) : m_coat.outline;
    p.setPen(pen(whisker, 0.55));
    for (double side : {-1.0, 1.0}) {
        p.drawLine(QPointF(side * 11, 6), QPointF(side * 26, 3));
        p.drawLine(QPointF(side * 11, 8), QPointF(side * 26, 9));
    }
    p.restore();
}

void CatPainter::drawPaw(QPainter& p, QPointF centre, double rx, double ry) const
{
    p.setPen(outlinePen(1.1));
    p.setBrush(m_coat.tuxedo ? m_coat.light : m_coat.base);
    p.drawEllipse(centre, rx, ry);
    p.setPen(pen(m_coat.outline, 0.6));
    p.drawLine(centre + QPointF(-rx * 0.3, ry * 0.1), centre + QPointF(-rx * 0.3, ry * 0.75));
    p.drawLine(centre + QPointF(rx * 0.3, ry * 0.1), centre + QPointF(rx * 0.3, ry * 0.75));
}

void CatPainter::drawLimb(QPainter& p, QPointF from, QPointF to, double width, bool withPaw) const
{
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(m_coat.outline, width + 2.4));
    p.drawLine(from, to);
    p.setPen(pen(m_coat.base, width));
    p.drawLine(from, to);
    if (m_coat.tuxedo) {
        // White socks on the lower half.
        const QPointF middle = from + (to - from) * 0.55;
        p.setPen(pen(m_coat.light, width));
        p.drawLine(middle, to);
    }
    if (withPaw)
        drawPaw(p, to, width * 0.62, width * 0.5);
}

void CatPainter::drawTail(QPainter& p, const QPainterPath& path, double width) const
{
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(m_coat.outline, width + 2.6));
    p.drawPath(path);
    p.setPen(pen(m_coat.base, width));
    p.drawPath(path);
    if (m_coat.stripe.isValid()) {
        QPen rings(m_coat.stripe, width, Qt::CustomDashLine, Qt::FlatCap);
        rings.setDashPattern({0.35, 0.55});
        rings.setDashOffset(0.9);
        p.setPen(rings);
        p.drawPath(path);
    } else if (m_coat.tuxedo) {
        // A white tip.
        const QPointF tip = path.pointAtPercent(1);
        const QPointF before = path.pointAtPercent(0.9);
        p.setPen(pen(m_coat.light, width));
        p.drawLine(before, tip);
    }
}

void CatPainter::drawBodyStripes(QPainter& p, QPointF centre, double rx, double ry, int count) const
{
    if (!m_coat.stripe.isValid())
        return;
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(m_coat.stripe, 1.8));
    for (int i = 0; i < count; ++i) {
        const double y = centre.y() - ry * 0.55 + i * ry * 0.45;
        for (double side : {-1.0, 1.0}) {
            QPainterPath stripe;
            stripe.moveTo(centre.x() + side * rx * 1.02, y);
            stripe.quadTo(centre.x() + side * rx * 0.78, y + ry * 0.05, centre.x() + side * rx * 0.62,
                          y + ry * 0.2);
            p.drawPath(stripe);
        }
    }
}

void CatPainter::drawSittingBody(QPainter& p, QPointF c, double sx, double sy) const
{
    p.save();
    p.translate(c);
    p.scale(sx, sy);
    QPainterPath body;
    body.moveTo(0, -17);
    body.cubicTo(10, -17, 16, -6, 17, 5);
    body.cubicTo(18, 14, 11, 18, 0, 18);
    body.cubicTo(-11, 18, -18, 14, -17, 5);
    body.cubicTo(-16, -6, -10, -17, 0, -17);
    p.setPen(outlinePen());
    p.setBrush(m_coat.base);
    p.drawPath(body);
    p.save();
    p.setClipPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(m_coat.light);
    p.drawEllipse(QPointF(0, 2), m_coat.tuxedo ? 9.5 : 7.5, m_coat.tuxedo ? 17 : 13);
    p.restore();
    drawBodyStripes(p, QPointF(0, 2), 16, 15, 3);
    p.restore();
}

// ---- states ----

void CatPainter::drawIdle(QPainter& p, double t) const
{
    // Night: a deep calm teal, a moon and slow stars.
    background(p, QColor(0x2f, 0x4e, 0x62), QColor(0x6f, 0xa8, 0x9e));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xfc, 0xf3, 0xc8));
    QPainterPath moon;
    moon.addEllipse(QPointF(17, 18), 8, 8);
    QPainterPath bite;
    bite.addEllipse(QPointF(21.5, 15), 7.5, 7.5);
    p.drawPath(moon.subtracted(bite));
    const QPointF stars[] = {{36, 12}, {84, 16}, {70, 30}, {90, 44}, {8, 40}, {52, 8}};
    for (int i = 0; i < 6; ++i) {
        const double glow = 0.55 + 0.45 * wave(t, 1 + i % 2, i * 0.17);
        p.setBrush(QColor(0xff, 0xf6, 0xd0, int(110 + 120 * glow)));
        p.drawPath(starPath(stars[i], 1.2 + 0.7 * glow, 0.5, 0));
    }

    // The bed.
    p.setPen(outlinePen(1.2));
    p.setBrush(QColor(0xb5, 0x5d, 0x74));
    p.drawEllipse(QPointF(50, 80), 43, 15);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe0, 0x8f, 0xa2));
    p.drawEllipse(QPointF(50, 77), 36, 10.5);

    const double breath = pulse(t, 2); // two slow breaths per loop
    const double bodyRy = 15 + 1.4 * breath;
    const QPointF bodyCentre(55, 71 - (bodyRy - 15));

    // Curled body.
    QPainterPath body;
    body.addEllipse(bodyCentre, 28 + 0.6 * breath, bodyRy);
    p.setPen(outlinePen());
    p.setBrush(m_coat.base);
    p.drawPath(body);
    p.save();
    p.setClipPath(body);
    if (m_coat.tuxedo) {
        p.setPen(Qt::NoPen);
        p.setBrush(m_coat.light);
        p.drawEllipse(bodyCentre + QPointF(-18, 10), 13, 9);
    }
    if (m_coat.stripe.isValid()) {
        p.setBrush(Qt::NoBrush);
        p.setPen(pen(m_coat.stripe, 2.0));
        for (int i = 0; i < 5; ++i) {
            const double x = bodyCentre.x() - 6 + i * 7;
            QPainterPath stripe;
            stripe.moveTo(x - 3, bodyCentre.y() - bodyRy - 1);
            stripe.quadTo(x + 1.5, bodyCentre.y() - bodyRy * 0.45, x - 0.5, bodyCentre.y() - bodyRy * 0.05);
            p.drawPath(stripe);
        }
    }
    p.restore();

    // Back paw and the tail wrapped round the front.
    drawPaw(p, QPointF(73, 82), 5.5, 3.2);
    QPainterPath tail;
    tail.moveTo(82, 74);
    tail.cubicTo(86, 90, 50, 92, 34, 86);
    tail.quadTo(26, 83, 27 + 1.2 * wave(t, 1, 0.1), 78);
    drawTail(p, tail, 5.5);

    // Front paws under the chin.
    drawPaw(p, QPointF(30, 80), 5, 3);
    drawPaw(p, QPointF(40, 82), 5, 3);

    // Head resting on the paws; it rises a little with each breath. Once per loop the cat opens
    // its eyes a crack and an ear twitches.
    Face face;
    const double peek = std::max(0.0, wave(t, 1, -0.58));
    if (peek > 0.55) {
        face.eyes = Eyes::open;
        face.openness = 0.15 + 0.35 * (peek - 0.55) / 0.45;
        face.look = QPointF(1.0, 0.6);
    } else {
        face.eyes = Eyes::closed;
    }
    face.rightEarTurn = 10 * std::pow(std::max(0.0, wave(t, 1, 0.05)), 12) * wave(t, 8);
    drawHead(p, QPointF(32, 63 - 0.8 * breath), -12, 0.86, face);

    // Three z's drifting up and away.
    for (int i = 0; i < 3; ++i) {
        const double life = fract(t + i / 3.0);
        const QPointF at(46 + 30 * life + 2.5 * wave(life, 1.5), 44 - 34 * life);
        const double fade = std::min({1.0, life * 5, (1 - life) * 3});
        QColor colour(0xe8, 0xf1, 0xff, int(235 * fade));
        drawZ(p, at, 3.5 + 5 * life, colour);
    }
}

void CatPainter::drawWorking(QPainter& p, double t) const
{
    // Daylight blue; a desk in front.
    background(p, QColor(0xcf, 0xe3, 0xfb), QColor(0xa9, 0xc9, 0xf2));
    // A window frame behind, for depth.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawRoundedRect(QRectF(8, 8, 30, 26), 3, 3);
    p.drawRoundedRect(QRectF(62, 8, 30, 26), 3, 3);

    const double tap = 8; // key strokes per paw per loop
    const double bob = 0.6 * wave(t, 2 * tap, 0.25);

    // Tail swishing behind, on the right.
    const double swish = wave(t, 2);
    QPainterPath tail;
    tail.moveTo(62, 72);
    tail.cubicTo(80, 72, 78 + 4 * swish, 56, 84 + 7 * swish, 44 + 2 * wave(t, 2, 0.25));
    drawTail(p, tail, 5.5);

    drawSittingBody(p, QPointF(50, 66 + 0.3 * bob), 1.04, 1.0);

    // The desk.
    p.setPen(outlinePen(1.2));
    p.setBrush(QColor(0xc8, 0x8d, 0x5a));
    p.drawRect(QRectF(-2, 80, 104, 24));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xdb, 0xa5, 0x72));
    p.drawRect(QRectF(-2, 80.6, 104, 3));

    // A mug with a curl of steam.
    p.setPen(outlinePen(1.1));
    p.setBrush(QColor(0xf4, 0x7c, 0x6a));
    p.drawRoundedRect(QRectF(82, 70, 11, 12), 1.5, 1.5);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(90, 72.5, 6, 6), -90 * 16, 180 * 16);
    for (int i = 0; i < 2; ++i) {
        const double life = fract(t * 2 + i * 0.5);
        QPainterPath steam;
        const double x = 85.5 + i * 4;
        steam.moveTo(x, 68 - 10 * life);
        steam.cubicTo(x + 2.5, 66 - 10 * life, x - 2.5, 63 - 10 * life, x, 61 - 10 * life);
        p.setPen(pen(QColor(255, 255, 255, int(230 * std::sin(M_PI * life))), 1.4));
        p.drawPath(steam);
    }

    // The keyboard, in slight perspective.
    QPainterPath board;
    board.moveTo(24, 78);
    board.lineTo(76, 78);
    board.lineTo(80, 91);
    board.lineTo(20, 91);
    board.closeSubpath();
    p.setPen(outlinePen(1.2));
    p.setBrush(QColor(0x4a, 0x50, 0x62));
    p.drawPath(board);
    const int lit = int(std::floor(t * tap * 2)) % 7;
    for (int row = 0; row < 3; ++row) {
        const double y = 79.8 + row * 3.7;
        const double inset = 3.5 - row * 1.2;
        const int keys = 9 + row;
        const double left = 24 + inset - row * 0.2;
        const double width = (52 - 2 * inset + row * 0.4) / keys;
        for (int k = 0; k < keys; ++k) {
            const bool pressed = (k * 3 + row * 5) % 7 == lit;
            p.setPen(Qt::NoPen);
            p.setBrush(pressed ? QColor(0x8f, 0xd3, 0xff) : QColor(0xe6, 0xe9, 0xf2));
            p.drawRoundedRect(QRectF(left + k * width + 0.35, y, width - 0.7, 2.8), 0.6, 0.6);
        }
    }

    // Head, focused on the keys, nodding to the typing.
    Face face;
    face.look = QPointF(0, 1.7);
    face.tongue = true;
    face.leftEarTurn = 2 * wave(t, 1);
    drawHead(p, QPointF(50, 36 + bob), 2 * wave(t, 1), 1.0, face);

    // Paws take turns on the keys.
    const double left = std::max(0.0, wave(t, tap));
    const double right = std::max(0.0, wave(t, tap, 0.5));
    drawLimb(p, QPointF(41, 60), QPointF(39, 80.5 - 4 * left), 6.5, true);
    drawLimb(p, QPointF(59, 60), QPointF(61, 80.5 - 4 * right), 6.5, true);

    // Little bits of code fly off the keyboard.
    for (int i = 0; i < 3; ++i) {
        const double life = fract(t * 2 + i / 3.0);
        const double fade = std::sin(M_PI * life);
        const QPointF at = i == 1 ? QPointF(80 + 4 * wave(life, 0.5), 62 - 22 * life)
                                  : QPointF(16 + 5 * i + 4 * wave(life, 0.5), 76 - 30 * life);
        p.setPen(pen(QColor(0x2f, 0x6f, 0xd6, int(230 * fade)), 1.1));
        p.setBrush(Qt::NoBrush);
        const double s = 2.2;
        if (i == 1) { // braces
            p.drawLine(at + QPointF(-s, -s), at + QPointF(-s * 1.6, 0));
            p.drawLine(at + QPointF(-s * 1.6, 0), at + QPointF(-s, s));
            p.drawLine(at + QPointF(s, -s), at + QPointF(s * 1.6, 0));
            p.drawLine(at + QPointF(s * 1.6, 0), at + QPointF(s, s));
        } else { // </>
            p.drawLine(at + QPointF(-s * 0.6, -s), at + QPointF(-s * 1.6, 0));
            p.drawLine(at + QPointF(-s * 1.6, 0), at + QPointF(-s * 0.6, s));
            p.drawLine(at + QPointF(s * 0.6, -s), at + QPointF(s * 1.6, 0));
            p.drawLine(at + QPointF(s * 1.6, 0), at + QPointF(s * 0.6, s));
            p.drawLine(at + QPointF(0.5, -s * 1.1), at + QPointF(-0.5, s * 1.1));
        }
    }
}

void CatPainter::drawNeedsInput(QPainter& p, double t, bool withBubble) const
{
    background(p, QColor(0xff, 0xf2, 0xc2), QColor(0xff, 0xdc, 0x8a));
    // Off centre when there is a bubble to make room for.
    const double x = withBubble ? 44 : 50;
    shadow(p, QPointF(x, 89), 26, 4.5, 45);

    // Tail curling up on the left.
    QPainterPath tail;
    const double sway = withBubble ? wave(t, 1) : 0;
    tail.moveTo(x - 10, 84);
    tail.cubicTo(x - 30, 88, x - 34 + 2 * sway, 70, x - 28 + 3 * sway, 58);
    tail.quadTo(x - 25 + 3 * sway, 52, x - 21 + 2 * sway, 54);
    drawTail(p, tail, 5.5);

    drawSittingBody(p, QPointF(x, 70), 1.0, 1.0);
    drawPaw(p, QPointF(x - 12, 87), 6, 3.4);
    drawPaw(p, QPointF(x + 12, 87), 6, 3.4);
    drawLimb(p, QPointF(x - 7, 64), QPointF(x - 7, 85), 6.5, true);
    if (!withBubble)
        drawLimb(p, QPointF(x + 7, 64), QPointF(x + 7, 85), 6.5, true);

    // Facing the viewer, head tilted in question.
    Face face;
    face.look = QPointF(0.3, 0.2);
    if (withBubble) {
        // One quick blink per loop.
        const double blink = std::max(0.0, wave(t, 1, 0.1));
        face.openness = 1 - std::pow(blink, 24);
        face.rightEarTurn = -6 * pulse(t, 2);
    }
    drawHead(p, QPointF(x, 38), withBubble ? 6 * wave(t, 1, 0.25) : 0, 1.04, face);
    if (!withBubble)
        return;

    // The other paw up beside the head, waving.
    const double angle = qDegreesToRadians(38 + 14 * wave(t, 4));
    const QPointF shoulder(x + 9, 61);
    drawLimb(p, shoulder, shoulder + QPointF(std::sin(angle) * 22, -std::cos(angle) * 22), 6.5, true);

    // A pulsing question in a speech bubble.
    const double beat = pulse(t, 2);
    p.save();
    p.translate(81, 18);
    p.scale(1 + 0.12 * beat, 1 + 0.12 * beat);
    QPainterPath shape;
    shape.addEllipse(QPointF(0, 0), 13, 11.5);
    QPainterPath pointer;
    pointer.moveTo(-8, 6);
    pointer.lineTo(-15, 15);
    pointer.lineTo(-2, 10);
    pointer.closeSubpath();
    shape = shape.united(pointer);
    p.setPen(outlinePen(1.3));
    p.setBrush(Qt::white);
    p.drawPath(shape);
    drawQuestionMark(p, QPointF(0, -0.5), 15, QColor::fromHsvF(0.03 + 0.03 * beat, 0.85, 0.95));
    p.restore();
}

void CatPainter::drawCompleted(QPainter& p, double t) const
{
    background(p, QColor(0xf0, 0xdc, 0xff), QColor(0xc9, 0xa6, 0xf0));

    // Two happy jumps per loop: in the air 70 % of the time, then a squash on landing.
    const double jump = fract(2 * t);
    double height = 0;
    double squash = 0;
    if (jump < 0.7)
        height = 17 * std::sin(M_PI * jump / 0.7);
    else
        squash = std::sin(M_PI * (jump - 0.7) / 0.3);
    const double sy = 1 - 0.1 * squash + 0.04 * (height / 17);
    const double sx = 1 + 0.08 * squash - 0.02 * (height / 17);

    shadow(p, QPointF(50, 90), 24 * (1 - height / 45), 4.2 * (1 - height / 45), 55);

    // Confetti everywhere, falling and spinning.
    QRandomGenerator random(7);
    const QColor colours[] = {QColor(0xff, 0x5c, 0x8a), QColor(0xff, 0xc9, 0x3c), QColor(0x4c, 0xc9, 0xf0),
                              QColor(0x7b, 0xd8, 0x6a), QColor(0xa7, 0x7b, 0xff), QColor(0xff, 0x8a, 0x3d)};
    struct Piece
    {
        double x, offset, speed, spin, size;
        int colour;
    };
    QList<Piece> pieces;
    for (int i = 0; i < 36; ++i)
        pieces.append({random.bounded(100.0), random.bounded(1.0), double(1 + random.bounded(2)),
                       double(1 + random.bounded(3)), 1.4 + random.bounded(1.2), int(random.bounded(6))});
    auto drawPieces = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            const Piece& piece = pieces[i];
            const double fall = fract(piece.offset + piece.speed * t);
            const QPointF at(piece.x + 3 * wave(t, piece.speed, piece.offset), -6 + 112 * fall);
            p.save();
            p.translate(at);
            p.rotate(360 * piece.spin * t + 90 * piece.offset);
            p.scale(1, 0.35 + 0.65 * std::abs(wave(t, piece.spin, piece.offset)));
            p.setPen(Qt::NoPen);
            p.setBrush(colours[piece.colour]);
            if (i % 3 == 0)
                p.drawEllipse(QPointF(0, 0), piece.size * 0.6, piece.size * 0.6);
            else
                p.drawRect(QRectF(-piece.size, -piece.size * 0.5, piece.size * 2, piece.size));
            p.restore();
        }
    };
    drawPieces(0, 28); // behind the cat

    // Twinkling stars around.
    const QPointF starsAt[] = {{16, 24}, {84, 22}, {12, 62}, {88, 60}, {50, 8}};
    for (int i = 0; i < 5; ++i) {
        const double glow = pulse(t, 2, i * 0.2);
        p.setPen(pen(QColor(0xd9, 0x8e, 0x04), 0.8));
        p.setBrush(QColor(0xff, 0xd8, 0x3a));
        p.drawPath(starPath(starsAt[i], 2.5 + 2.5 * glow, 1.2 + 1.1 * glow, wave(t, 1, i * 0.3) * 0.3));
    }

    p.save();
    // Squash and stretch about the feet.
    p.translate(50, 88 - height);
    p.scale(sx, sy);
    p.translate(-50, -88);

    QPainterPath tail;
    const double flick = wave(t, 2, 0.1);
    tail.moveTo(60, 80);
    tail.cubicTo(78, 82, 80 + 3 * flick, 66, 76 + 5 * flick, 54);
    drawTail(p, tail, 5.5);

    // Feet dangle apart in the air.
    const double spread = 3 * (height / 17);
    drawPaw(p, QPointF(39 - spread, 86 + spread * 0.3), 6, 3.4);
    drawPaw(p, QPointF(61 + spread, 86 + spread * 0.3), 6, 3.4);
    // Both paws up behind the head: hooray!
    const double cheer = 3 * wave(t, 4);
    drawLimb(p, QPointF(42, 60), QPointF(19 - cheer * 0.5, 29 + cheer), 6.5, true);
    drawLimb(p, QPointF(58, 60), QPointF(81 + cheer * 0.5, 29 - cheer), 6.5, true);
    drawSittingBody(p, QPointF(50, 69), 1.0, 1.0);

    Face face;
    face.eyes = Eyes::happy;
    face.mouthOpen = true;
    face.leftEarTurn = -4 * (height / 17);
    face.rightEarTurn = -4 * (height / 17);
    drawHead(p, QPointF(50, 37), 4 * wave(t, 2), 1.04, face);
    p.restore();

    drawPieces(28, 36); // in front
}
