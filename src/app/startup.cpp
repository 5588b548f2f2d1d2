// SPDX-License-Identifier: MIT
#include "app/startup.h"

#include <ostream>
#include <string_view>

#include "app/export_command.h"
#include "core/path_text.h"
#include "core/settings.h"

namespace kerbview::app {

Startup Prepare(int argc, char** argv, std::ostream& out, std::ostream& err) {
    Startup startup;
    startup.options = ParseCommandLine(std::vector<std::string_view>(argv + 1, argv + argc));
    switch (startup.options.action) {
        case CommandLine::Action::Error:
            err << "kerbview: " << startup.options.error
                << "\nTry 'kerbview --help' for more information.\n";
            startup.exitStatus = 2;
            return startup;
        case CommandLine::Action::Version:
            out << VersionText();
            startup.exitStatus = 0;
            return startup;
        case CommandLine::Action::Export:
            startup.exitStatus = RunExport(startup.options.exportRequest, err);
            return startup;
        case CommandLine::Action::Help:
        case CommandLine::Action::Run: break;
    }
    startup.settings = ChooseSettingsFolder(ReadSettingsFolderFacts());
    if (startup.options.action == CommandLine::Action::Help) {
        out << HelpText(core::PathToUtf8(core::IniPathFor(startup.settings.path)),
                        startup.settings.besideExecutable);
        startup.exitStatus = 0;
        return startup;
    }
    if (const std::string error = CreateSettingsFolder(startup.settings); !error.empty()) {
        err << "kerbview: " << error << "; settings will not be saved\n";
    }
    if (!startup.options.launch.empty()) {
        ChildStart started = StartChild(startup.options.launch);
        if (!started.child) {
            err << "kerbview: cannot run '" << startup.options.launch.front()
                << "': " << started.error << "\n";
            startup.exitStatus = started.exitStatus;
            return startup;
        }
        startup.child = std::move(started.child);
    }
    return startup;
}

std::vector<char*> ToolkitArguments(const CommandLine& options, char** argv) {
    std::vector<char*> arguments{argv[0]};
    for (const int at : options.toolkitArguments) arguments.push_back(argv[at]);
    arguments.push_back(nullptr);
    return arguments;
}

}  // namespace kerbview::app
