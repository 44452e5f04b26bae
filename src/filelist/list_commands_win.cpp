// Commands on the list: sorting, selecting, removing, clearing.
#include "app/main_win.h"

namespace corvana {

void TAppForm::Clear1Click() {}

void TAppForm::RemovefromList1Click() {}

void TAppForm::SelectAll1Click() {}

LRESULT TAppForm::ListView1ColumnClick(const NMLISTVIEW&) { return 0; }

LRESULT TAppForm::ListView1KeyDown(const NMLVKEYDOWN&) { return 0; }

}  // namespace corvana
