#pragma once
// The face the toolkit's fonts use. Layouts name Latin faces; a language whose
// script those faces lack (Thai: Windows draws it only with a face that has
// the glyphs, not through font links) gets one face for every font instead.
#include <string>

namespace zelui {

// Face that replaces every layout font face; empty restores the layouts' own.
void SetFontFaceOverride(const std::wstring& face);
// The face to create for a layout's `face`.
std::wstring FontFaceFor(const std::wstring& face);
// True when the system has a font family of this name (aliases included).
bool IsFontFamilyInstalled(const std::wstring& face);

}  // namespace zelui
