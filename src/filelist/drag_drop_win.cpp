// Files and folders dropped on the window.
#include "app/main_win.h"

namespace corvana {

void TAppForm::AllowDragDrop() {}

void TAppForm::FormDropFiles(HDROP drop) { DragFinish(drop); }

}  // namespace corvana
