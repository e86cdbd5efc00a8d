#pragma once

#include "ClaudeStatus.h"
#include "LayoutMetrics.h"
#include "LayoutMode.h"
#include "PreferencesManager.h"
#include "QmlShared.h"

#include <QtQml/qqmlregistration.h>

// Types of the lower layers as QML sees them: the preferences store as the Preferences singleton, and
// the enumerations that views compare against (ClaudeStatus.NeedsInput, LayoutMode.Grid,
// PanelContent.CompactStrip).
struct PreferencesForeign
{
    Q_GADGET
    QML_FOREIGN(PreferencesManager)
    QML_NAMED_ELEMENT(Preferences)
    QML_SINGLETON
public:
    static PreferencesManager* create(QQmlEngine*, QJSEngine* engine)
    {
        return QmlShared<PreferencesManager>::create(engine);
    }
};

namespace ClaudeStatusForeign {
Q_NAMESPACE
QML_FOREIGN_NAMESPACE(ClaudeStatusType)
QML_NAMED_ELEMENT(ClaudeStatus)
} // namespace ClaudeStatusForeign

namespace LayoutModeForeign {
Q_NAMESPACE
QML_FOREIGN_NAMESPACE(LayoutModeType)
QML_NAMED_ELEMENT(LayoutMode)
} // namespace LayoutModeForeign

namespace PanelContentForeign {
Q_NAMESPACE
QML_FOREIGN_NAMESPACE(LayoutMetrics)
QML_NAMED_ELEMENT(PanelContent)
} // namespace PanelContentForeign
