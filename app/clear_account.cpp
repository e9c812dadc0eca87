#include "app/clear_account.h"

void OnClearClicked(WindowToolkit& toolkit) {
    toolkit.WriteText(Control::编辑框_QQ号码, "");
}
