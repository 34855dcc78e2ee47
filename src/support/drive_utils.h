#pragma once
#include <string>

// Root ("D:\") of the fixed, non-USB, writable drive with the most free space
// available to the caller; a tie goes to the later letter. "A:\" when no
// drive qualifies.
std::wstring FindBestDrive();

// True when the volume's storage device reports the USB bus.
bool IsUsbDrive(wchar_t letter);

// Writes, reads back and deletes "<letter>:\test.tmp".
bool IsDriveWritable(wchar_t letter);
