#pragma once

#include <QVariant>
#include <optional>

// How a preference is kept in the settings file.
enum class PreferenceKind
{
    number,     // double
    boolean,    // bool
    uuid,       // QUuid, upper case without braces; a null id removes the key
    layoutMode, // LayoutMode, as its raw value
    text,       // QString
};

// A stored value read as its kind's type, or nothing when it is not a value of that kind (the default
// applies then). An INI file hands every value back as text, so text that reads cleanly counts.
std::optional<QVariant> readPreference(PreferenceKind kind, const QVariant& stored);
// What is written for a value; an invalid QVariant means the key is removed.
QVariant storedPreference(PreferenceKind kind, const QVariant& value);
