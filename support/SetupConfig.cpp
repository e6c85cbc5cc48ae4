#include "support/SetupConfig.h"

SetupConfigRecord SetupConfig;
