// SPDX-License-Identifier: MIT
#include "app/error_log.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace kerbview::app {
namespace {

using namespace std::chrono_literals;

// A fault that repeats every packet or request writes at most a line a second of its kind, and
// what was held back is counted in the next line of that kind or written once the kind is quiet.
// Kinds beyond the bound are only counted.
TEST(ErrorLog, EachKindIsWrittenAtMostOnceASecondAndWhatIsHeldBackIsCounted) {
    panel::DebugModel debug;
    std::ostringstream out;
    ErrorLog::Clock::time_point now{1h};
    {
        ErrorLog log(debug, out, [&] { return now; });
        struct Step {
            int ms;
            const char* procedure;  // a Report from it; a Notice when empty
            const char* text;       // nullptr: Flush
            const char* written;    // what the step adds to standard error, after "Kerbview: "
        };
        const Step steps[] = {
            {0, "Data", "997 bytes lost", "Data: 997 bytes lost"},
            {10, "Data", "40 bytes lost", ""},
            {20, "", "Qt: device not open", "Qt: device not open"},
            {30, "Data", "7 bytes lost", ""},
            {40, "Temps", "7 bytes lost", "Temps: 7 bytes lost"},
            {900, "", nullptr, ""},
            {1000, "Data", "8 bytes lost", "Data: 8 bytes lost (and 2 more like it, not shown)"},
            {1500, "Data", "9 bytes lost", ""},
            {1999, "", nullptr, ""},
            {2000, "", nullptr, "Data: 9 bytes lost"},
            {2100, "Data", "10 bytes lost", ""},
            {3100, "", "Client at 0x7f3a00 dropped", "Client at 0x7f3a00 dropped"},
            {3200, "", "Client at 0x81bc40 dropped", ""},
            {3300, "", "Client at 0x81bc41 dropped", ""},
        };
        for (const Step& step : steps) {
            now = ErrorLog::Clock::time_point{1h} + std::chrono::milliseconds(step.ms);
            const std::size_t before = out.str().size();
            if (step.text == nullptr) {
                log.Flush();
            } else if (*step.procedure != '\0') {
                log.Report({step.procedure, step.text}, false);
            } else {
                log.Notice(step.text);
            }
            EXPECT_EQ(out.str().substr(before),
                      *step.written ? "Kerbview: " + std::string(step.written) + "\n" : "")
                << "at " << step.ms << " ms";
        }
        out.str("");
    }
    // At the end, what is still held is written, whenever it came.
    EXPECT_EQ(out.str(),
              "Kerbview: Data: 10 bytes lost\n"
              "Kerbview: Client at 0x81bc41 dropped (and 1 more like it, not shown)\n");
    EXPECT_EQ(debug.Log().back(), "Client at 0x81bc41 dropped (and 1 more like it, not shown)");

    // A fresh debug window, to count the kinds written to it.
    debug = panel::DebugModel();
    ErrorLog log(debug, out, [&] { return now; });
    const std::size_t kinds = ErrorLog::kMaxKinds + 8;
    for (std::size_t i = 0; i < kinds; ++i) log.Notice("Qt: " + std::string(i + 1, 'x'));
    EXPECT_EQ(debug.Log().size(), ErrorLog::kMaxKinds);
    now += 1s;
    log.Flush();
    EXPECT_EQ(debug.Log().back(), "(8 more lines of other kinds not shown)");
    log.Notice("Qt: x");  // its kind forgotten by the flush: written again at once
    EXPECT_EQ(debug.Log().back(), "Qt: x");
}

}  // namespace
}  // namespace kerbview::app
