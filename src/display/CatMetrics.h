#pragma once

#include "ClaudeStatus.h"
#include "LayoutMetrics.h"
#include "LayoutMode.h"

#include <QColor>
#include <QObject>
#include <QSizeF>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

// LayoutMetrics for QML.
class CatMetrics : public QObject
{
    Q_OBJECT
    QML_NAMED_ELEMENT(Metrics)
    QML_SINGLETON
    // {label, side, toolTip} for S, M, L, XL.
    Q_PROPERTY(QVariantList sizeChoices READ sizeChoices CONSTANT)
    Q_PROPERTY(QColor textBackdrop READ textBackdrop CONSTANT)
    Q_PROPERTY(double controlStripHeight READ controlStripHeight CONSTANT)
    // {mode (a LayoutMode), name (its raw value), symbol, toolTip, accessibleName} for grid, horizontal
    // bar, list.
    Q_PROPERTY(QVariantList layoutChoices READ layoutChoices CONSTANT)

public:
    using QObject::QObject;

    QVariantList sizeChoices() const;

    QColor textBackdrop() const { return LayoutMetrics::textBackdrop(); }
    double controlStripHeight() const { return LayoutMetrics::controlStripHeight; }
    QVariantList layoutChoices() const;

    Q_INVOKABLE LayoutMetrics::Content content(bool isCompactMode, bool usesSingleCatView) const;
    Q_INVOKABLE QSizeF containerSize(LayoutModeType::LayoutMode layoutMode, double windowSize,
                                     int sessionCount) const;
    Q_INVOKABLE int gridColumns(int count) const;
    Q_INVOKABLE double gridCellSize(QSizeF containerSize, int count) const;
    Q_INVOKABLE double horizontalBarCatSize(double containerHeight) const;
    // The fields of LayoutMetrics::InstanceCat by name.
    Q_INVOKABLE QVariantMap instanceCat(double size) const;
    Q_INVOKABLE bool isSelectedSize(double side, double windowSize) const;
    Q_INVOKABLE QString layoutViewIdentity(LayoutModeType::LayoutMode layoutMode) const;
    Q_INVOKABLE QColor stateColor(ClaudeStatusType::ClaudeStatus status) const;
    Q_INVOKABLE double scrolledBy(double position, double contentSize, double viewSize,
                                  QPointF angleDelta) const;
    // LayoutMetrics::toolTipPosition, or null where the tooltip has no room.
    Q_INVOKABLE QVariant toolTipPosition(const QRectF& panel, const QRectF& target, QSizeF tip,
                                         const QRectF& screen) const;
    Q_INVOKABLE QColor stateTextColor(ClaudeStatusType::ClaudeStatus status) const;
    Q_INVOKABLE QColor stripColor(ClaudeStatusType::ClaudeStatus status) const;
    Q_INVOKABLE QString stateName(ClaudeStatusType::ClaudeStatus status) const;
    // An icon named after the symbol it stands for, drawn in the colour given.
    Q_INVOKABLE QUrl icon(const QString& symbol, const QColor& color = Qt::white) const;
};
