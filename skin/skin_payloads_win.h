// The two files the program carries inside itself: the skin engine library and its skin.
#pragma once

// Resource ids, shared with the .rc.
#define IDR_SKIN_ENGINE_LIBRARY 101
#define IDR_SKIN_FILE 102

#ifndef RC_INVOKED
#include <cstddef>
#include <span>

using ByteSet = std::span<const std::byte>;

// The bytes of an embedded file; empty when the program lacks it.
ByteSet SkinEngineLibrary();
ByteSet SkinFile();
#endif
