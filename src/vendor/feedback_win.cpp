// The feedback form.
#include "app/main_win.h"

namespace corvana {

void TAppForm::SendFeedback1Click() {}

}  // namespace corvana
