#pragma once
#include <cstdint>
#include <string>

// Starts `program` through the shell with `parameters`, hidden or shown. With
// `exitCode` the call waits for the program and stores its exit code there;
// without it the program runs on by itself. False (exit code untouched) when
// the program could not be started.
bool ExecuteProgram(const std::wstring& program, const std::wstring& parameters, bool hidden,
                    uint32_t* exitCode = nullptr);
