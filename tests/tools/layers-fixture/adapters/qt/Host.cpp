#include <QDialog>
#include <QtWidgets/QLabel>
#include "adapters/qt/Host.h"
