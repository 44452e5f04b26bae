// Filling the file list: "Add Files...", "Add Folder...".
#include "app/main_win.h"

namespace corvana {

void TAppForm::AddFile1Click() {}

void TAppForm::AddFolder1Click() {}

}  // namespace corvana
