#include "globalhotkeylog.h"

Q_LOGGING_CATEGORY(logGlobalHotkey, "GlobalHotkey")
