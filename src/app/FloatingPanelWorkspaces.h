#pragma once

class QWindow;

// Asks the window manager to show the window on every workspace. Only X11 (and XWayland) offers a way;
// elsewhere this does nothing.
namespace FloatingPanelWorkspaces {
void joinAll(QWindow& window);
} // namespace FloatingPanelWorkspaces
