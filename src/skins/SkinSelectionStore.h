#pragma once

#include <QUuid>
#include <functional>
#include <optional>

// The saved skin choice, kept by the preferences store; the application hands in its accessors.
struct SkinSelectionStore
{
    std::function<std::optional<QUuid>()> selectedSkinID;
    // Saves at once.
    std::function<void(const QUuid&)> setSelectedSkinID;
};
