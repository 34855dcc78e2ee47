#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

enum class RunOutcome { kNotStarted, kExited, kCancelled };

// Starts `program` with `parameters` through the shell's "open" verb with a
// hidden window and waits until it ends or `cancelEvent` is signalled (the
// program then keeps running on its own). `exitCode` is set only on kExited.
RunOutcome RunAndWait(const std::wstring& program, const std::wstring& parameters, HANDLE cancelEvent,
                      uint32_t& exitCode);
