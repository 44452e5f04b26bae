// What the shell does with the selected files: open, show, recycle, properties.
#include "app/main_win.h"

namespace corvana {

void TAppForm::Open1Click() {}

void TAppForm::ShowinExplorer1Click() {}

void TAppForm::SendtoRecycleBin1Click() {}

void TAppForm::Properties1Click() {}

}  // namespace corvana
