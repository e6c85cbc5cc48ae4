// The journal's ANSI code page through the platform's own conversion (CP_ACP).
#pragma once
#include "install/JournalReader.h"

AnsiCodec PlatformAnsiCodec();
