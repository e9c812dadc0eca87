// The skin engine library, bound at its first use and released when the program ends.
#pragma once

#include "toolkit/win_resource.h"

class SkinEngine {
public:
    // SkinH_AttachEx(skin path, password): 0 when the skin was applied.
    using AttachFunction = int(__stdcall*)(const char* skinPath, const char* password);

    // Loads jedata.dll from the program's directory, or else from the application and
    // system directories (never the current directory or PATH), and takes its entry
    // point. Null when either cannot be had.
    AttachFunction Attach();

private:
    UniqueModule library_;
    AttachFunction attach_ = nullptr;
};

inline constexpr wchar_t kSkinEngineFileName[] = L"jedata.dll";
inline constexpr char kSkinEngineEntryPoint[] = "SkinH_AttachEx";
