#include "ui/widgets/mainwindow.h"

frmMain *MainWindow = nullptr;
