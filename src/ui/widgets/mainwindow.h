#pragma once

class frmMain;
class BrowserState;
class QWidget;

// The running main window, through which every other window reaches the settings, the
// selection and the grid.
extern frmMain *MainWindow;

// What the other windows reach of the main window without knowing it: its state, and its
// window to put it in front or centre on it. Both null when there is no main window.
BrowserState *mainState();
QWidget *mainWidget();
