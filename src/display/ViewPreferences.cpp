#include "ViewPreferences.h"

#include "Log.h"
#include "QmlShared.h"

ViewPreferences* ViewPreferences::create(QQmlEngine*, QJSEngine* engine)
{
    return QmlShared<ViewPreferences>::create(engine);
}

void ViewPreferences::chooseLayoutMode(const QString& mode)
{
    if (const auto parsed = layoutModeFromRawValue(mode))
        applyLayoutMode(*parsed);
    else
        logLine(QStringLiteral("⚠️ Unknown layout mode: ") + mode);
}
