#include "adapters/posix/Files.h"
#include "cli/create/Options.h"
#include "create/Command.h"
