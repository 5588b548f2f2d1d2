// SPDX-License-Identifier: MIT
#pragma once

#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kerbview::telemetry::testing {

/// The kernel offers Landlock (Linux 5.13 and later, when enabled).
inline bool LandlockAvailable() {
    return ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION) >= 1;
}

/// Puts the calling process into a Landlock domain of its own. Inside it a process may read the
/// memory of processes started inside it (its descendants) and of no other, whatever its
/// privileges: a stand-in for kernel.yama.ptrace_scope 1, which test machines often lack. Only
/// system calls, so it may run between fork and exec. False when it could not be entered.
inline bool EnterLandlockDomain() {
    landlock_ruleset_attr attr{};
    attr.handled_access_fs = LANDLOCK_ACCESS_FS_MAKE_BLOCK;  // a ruleset must handle something
    const long ruleset = ::syscall(SYS_landlock_create_ruleset, &attr, sizeof attr, 0);
    if (ruleset < 0) return false;
    const bool entered = ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
                         ::syscall(SYS_landlock_restrict_self, ruleset, 0) == 0;
    ::close(static_cast<int>(ruleset));
    return entered;
}

}  // namespace kerbview::telemetry::testing
