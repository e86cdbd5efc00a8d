#pragma once

#include <QString>
#include <QVariantMap>
#include <functional>
#include <optional>

// Where lower layers send their usage events; the application hands in AnalyticsManager::track.
// No properties (std::nullopt) and empty properties differ: only the latter sends a "properties" object.
using UsageEventSink =
    std::function<void(const QString& event, const std::optional<QVariantMap>& properties)>;
