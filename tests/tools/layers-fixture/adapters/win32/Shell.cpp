#include <windows.h>
#include <shellapi.h>
#include "platform/Ports.h"
