#pragma once
#include <string>

#include "support/handle_guard.h"

// Name of the per-logon-session instance mutex.
std::wstring SingletonMutexName(unsigned long sessionId);

// True when this process may run; the created mutex is kept in `holder`.
bool CheckSingleton(HandleGuard& holder);
