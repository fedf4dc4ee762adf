#pragma once

#include <QQuickView>
#include <functional>

// The tray panel's window: frameless, above other windows, without a taskbar entry, on every
// desktop, sized by its content. It takes key input while shown (Escape, text fields), which
// on X11 means the window manager moves the keyboard focus to it; nothing else of the
// application is raised.
class PanelWindow : public QQuickView
{
    Q_OBJECT

public:
    explicit PanelWindow(QQmlEngine *engine);

    // Escape runs this when the content did not take the key; nothing happens while unset.
    void setDismissAction(std::function<void()> action) { m_dismiss = std::move(action); }

    // Shows the panel with its top-left corner at `position`, asks for the keyboard focus and
    // clears the focus item, so no control shows a focus ring on opening.
    void present(QPoint position);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void markAsPanelForX11();

    std::function<void()> m_dismiss;
};
