#pragma once

class frmMain;

// The running main window, through which every other window reaches the settings, the
// selection and the grid.
extern frmMain *MainWindow;
