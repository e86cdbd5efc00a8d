#pragma once

#include "UsageEventSink.h"

#include <functional>
#include <memory>

class HookInstaller;
class StatusManager;

// What the preferences and onboarding windows need of the application. Each window makes its own hook
// installer with makeHookInstaller the first time it is shown.
struct WindowContext
{
    StatusManager& statusManager;
    std::function<std::unique_ptr<HookInstaller>()> makeHookInstaller;
    UsageEventSink track;
};
