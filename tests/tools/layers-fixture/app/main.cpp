#include <QApplication>
#include "adapters/posix/Files.h"
#include "adapters/qt/Host.h"
#include "ui/Window.h"
