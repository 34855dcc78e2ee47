#pragma once
// Reads a layout (the XML of the layout language) into a control tree.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/control.h"

namespace zelui {

struct FontDef {
    int id = 0;
    std::wstring name;
    int size = 12;  // pixels
    bool bold = false;
};

struct Layout {
    SIZE size{0, 0};          // client size of the window
    RECT caption{0, 0, 0, 0}; // as written (see CaptionRect)
    std::vector<FontDef> fonts;
    std::unique_ptr<Control> root;  // null when the layout holds no control
};

// Parses `xml` (UTF-8). Styles are expanded where a control names them, so an
// attribute written after "style" overrides the style's value. Returns false
// when the text is not XML or has no "Window" root; a layout without any
// control returns true with a null root.
bool ParseLayout(const std::string& xml, Layout& layout);

}  // namespace zelui
