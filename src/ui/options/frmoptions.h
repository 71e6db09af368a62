#pragma once

#include "core/files/platform.h"
#include "ui/widgets/controlarray.h"
#include "ui/widgets/secondarywindow.h"

#include <array>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class BrowserState;

// Edits the program settings: picture formats, delete mode, thumbnail loading, whether they
// are kept for the next start, and the order of the grid. The main window is out of use while it is
// open, and nothing is applied until "OK" succeeds.
class frmOptions : public SecondaryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmOptions)
public:
    static constexpr int formatCount = 4;
    static constexpr int moreFormatCount = 5;

    frmOptions(platform::Services &services, BrowserState &state, QWidget *parent = nullptr);
    ~frmOptions() override;

    QGroupBox *Frame4 = nullptr;
    ControlArray<QCheckBox> Check1;
    // The formats cameras, phones and the web write today, all off at start.
    QGroupBox *Frame5 = nullptr;
    ControlArray<QCheckBox> Check2;
    // A RAW file beside a JPEG of the same name is one picture with it.
    QCheckBox *KeepPairs = nullptr;
    QGroupBox *Frame1 = nullptr;
    QRadioButton *ToRecycle = nullptr;
    QRadioButton *PermDel = nullptr;
    QGroupBox *Frame3 = nullptr;
    QRadioButton *AutoThumb = nullptr;
    QRadioButton *ManualThumb = nullptr;
    // Thumbnails and the large preview in each picture's own proportions, off at start: the
    // pictures are stretched to their boxes otherwise.
    QCheckBox *KeepProportions = nullptr;
    // The choices are kept for the next start, off at start: each run starts from the start
    // values otherwise.
    QCheckBox *RememberChoices = nullptr;
    // The grid follows the time each picture was taken rather than its name; off at start.
    QCheckBox *OrderByTaken = nullptr;
    QPushButton *Command3 = nullptr;

    // The file-name pattern of each format, in the order of the check boxes. A box is ticked
    // when the pattern in effect lists its format, so the boxes show what the main window lists.
    std::array<QString, formatCount> FormatPattern;
    std::array<QString, moreFormatCount> MoreFormatPattern;

Q_SIGNALS:
    // Loaded, with its controls set: the main window keeps it in front of itself and centres
    // it on itself. Unloaded: the main window, back in use, takes the focus again.
    void loaded();
    void unloaded();

protected:
    void Form_Load() override;
    void Form_Unload() override;
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void Command3_Click();

private:
    void buildControls();
    void connectEvents();

    platform::Services &m_services;
    BrowserState &m_state;
};
