#pragma once

#include <QObject>
#include <memory>

class ApplicationServices;
class FloatingPanel;

// Owns the one floating panel: makes it at start-up, shows, hides and raises it.
class FloatingPanelController : public QObject
{
    Q_OBJECT
public:
    explicit FloatingPanelController(ApplicationServices& services, QObject* parent = nullptr);
    ~FloatingPanelController() override;

    FloatingPanel* floatingPanel() const { return m_floatingPanel.get(); }

    // Creates the panel, brings it to the front and starts following "WindowSizeChanged".
    void setupFloatingPanel();
    // "Show/Hide Window".
    void toggleFloatingWindow();
    void showFloatingWindow();
    // "WindowSizeChanged": the panel takes the size of what it shows, keeping its top edge.
    void windowSizeDidChange();

private:
    ApplicationServices& m_services;
    std::unique_ptr<FloatingPanel> m_floatingPanel;
};
