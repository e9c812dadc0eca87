// The click handler of 按钮_清空号码.
#pragma once

#include "toolkit/window_toolkit.h"

// Empties 编辑框_QQ号码; the list, the status line and the check box keep their contents.
void OnClearClicked(WindowToolkit& toolkit);
