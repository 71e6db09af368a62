#pragma once

#include <QWidget>

// A window that the main window creates once and then loads and unloads: showing it while
// it is not loaded runs Form_Load first, showing it while it is loaded only brings it
// forward, and closing it in any way unloads it (Form_Unload), which discards what its
// controls hold but keeps the object and its fields. Unloading closes the window as its close
// box does, so the program ends when it was the last window on screen.
class SecondaryWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SecondaryWindow(QWidget *parent = nullptr);

    bool isLoaded() const { return m_loaded; }
    // Loads the window if it is not loaded, then shows it non-modal and brings it forward.
    void showWindow();
    // Unloads and closes the window, as its close box does.
    void unload();

protected:
    virtual void Form_Load() { }
    virtual void Form_Unload() { }
    void closeEvent(QCloseEvent *event) override;
    // Puts the window in the middle of the screen.
    void centreOnScreen();

private:
    bool m_loaded = false;
};
