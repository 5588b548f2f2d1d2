// SPDX-License-Identifier: MIT
// The launcher is not implemented on Windows: there any process of the same user may read the
// simulator's memory, so Kerbview never needs to be its parent.
#include "app/child_process.h"

namespace kerbview::app {

ChildStart StartChild(const std::vector<std::string>&) {
    return {nullptr, "--launch is not available on Windows; start the simulator on its own", 126};
}

}  // namespace kerbview::app
