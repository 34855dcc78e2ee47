#pragma once
// Where the product keeps its values, in both hives.
constexpr const wchar_t* kQuillboxKey = L"Software\\Velmora\\Quillbox";
