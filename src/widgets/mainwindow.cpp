#include "widgets/mainwindow.h"

frmMain *MainWindow = nullptr;
