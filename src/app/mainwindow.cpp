#include "app/mainwindow.h"

frmMain *MainWindow = nullptr;
