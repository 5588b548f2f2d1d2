// SPDX-License-Identifier: MIT
#include "app/child_process.h"

#include <gtest/gtest.h>
#include <poll.h>

#include "core/temp_dir.h"

namespace kerbview::app {
namespace {

TEST(ChildProcess, ReportsExitStatusAsAShellDoesAndSignalsTheEndOnItsDescriptor) {
    core::testing::TempDir temp;
    temp.Write("not-executable", "#!/bin/sh\n");
    struct Case {
        std::vector<std::string> command;
        int status;
        bool started;
    };
    const Case cases[] = {
        {{"sh", "-c", "sleep 0.3; exit 7"}, 7, true},
        {{"sh", "-c", "kill -TERM $$"}, 128 + 15, true},
        {{"kerbview-no-such-command"}, 127, false},
        {{temp.File("not-executable")}, 126, false},
    };
    for (const Case& c : cases) {
        ChildStart start = StartChild(c.command);
        ASSERT_EQ(start.child != nullptr, c.started) << c.command[0];
        if (!start.child) {
            EXPECT_EQ(start.exitStatus, c.status) << c.command[0];
            EXPECT_FALSE(start.error.empty());
            continue;
        }
        if (c.status == 7) {
            EXPECT_EQ(start.child->Finished(), std::nullopt) << "still running";
        }
        // Where the system offers no descriptor the program polls; WaitFinished stands in.
        const int descriptor = start.child->EndDescriptor();
        pollfd end{descriptor, POLLIN, 0};
        const bool ended = descriptor >= 0 && ::poll(&end, 1, 10000) == 1;
        if (descriptor >= 0) {
            EXPECT_TRUE(ended) << "the end was not signalled";
        }
        EXPECT_EQ(ended ? start.child->Finished() : start.child->WaitFinished(), c.status)
            << c.command[2];
        EXPECT_EQ(start.child->WaitFinished(), c.status) << "asked again";
    }
}

}  // namespace
}  // namespace kerbview::app
