#include "shell/dialog_host.h"

namespace rc::shell {

void DialogHost::Show() {
  if (!IsOpen()) {
    dialog_.reset();  // the closed one, if any: safe here, outside its window's handlers
    dialog_ = make_();
    if (!dialog_) return;  // its window could not be made: the command does nothing
  }
  dialog_->BringToFront();
}

}  // namespace rc::shell
