// SPDX-License-Identifier: MIT
// The stand-in simulator: a "RACE 07" window and live telemetry at the simulator's addresses.
#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstring>
#include <optional>

#include "fixed_memory.h"
#include "standin_window.h"
#include "telemetry/memory_map.h"

int main(int argc, char* argv[]) {
    using namespace kerbview;
    // These two are looked for by hand: the memory is set up before Qt's parser runs.
    const char* const kPrivate = "--private-memory";
    const char* const kImpostor = "--impostor";
    bool privateMemory = false;
    bool impostor = false;
    for (int i = 1; i < argc; ++i) {
        privateMemory = privateMemory || std::strcmp(argv[i], kPrivate) == 0;
        impostor = impostor || std::strcmp(argv[i], kImpostor) == 0;
    }

    // Mapped before Qt starts, while the address range is most likely still free.
    const telemetry::MemoryMap map = telemetry::LoadMemoryMap();
    std::optional<standin::FixedMemory> memory;
    if (!impostor) {
        // The track path's leading folders lie just before its address.
        memory.emplace(map.Lowest() - 64, map.End());
        if (!memory->Ok()) {
            std::fprintf(stderr, "sim-standin: %s\n", memory->Error().c_str());
            return 2;
        }
    }
    const std::string refused = privateMemory ? std::string() : standin::AllowMemoryReaders();
    if (!refused.empty()) {
        std::fprintf(stderr, "sim-standin: cannot allow readers (PR_SET_PTRACER): %s\n",
                     refused.c_str());
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sim-standin"));
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Stand-in RACE 07: live telemetry at the simulator's addresses. Commands on standard "
        "input: text|bytes|byte|int32|single|double ADDR VALUE, pause, resume, close, open, "
        "quit."));
    parser.addHelpOption();
    const QCommandLineOption script(QStringLiteral("script"),
                                    QStringLiteral("Run the commands in FILE after start."),
                                    QStringLiteral("FILE"));
    parser.addOption(script);
    parser.addOption(QCommandLineOption(
        QString::fromLatin1(kPrivate + 2),
        QStringLiteral("Do not let every process of the same user read this one's memory, as the "
                       "real simulator does not: under kernel.yama.ptrace_scope 1 only an "
                       "ancestor (kerbview --launch) may then read it.")));
    parser.addOption(QCommandLineOption(
        QString::fromLatin1(kImpostor + 2),
        QStringLiteral("Another program titled \"RACE 07\": the window without the telemetry, so "
                       "that nothing is readable at the simulator's addresses.")));
    const QCommandLineOption track(
        QStringLiteral("track"),
        QStringLiteral(
            "Track mode: publish every 5 ms, every displayed figure changing each time."));
    parser.addOption(track);
    const QCommandLineOption decoys(QStringLiteral("decoys"),
                                    QStringLiteral("Open N other top-level windows."),
                                    QStringLiteral("N"), QStringLiteral("0"));
    parser.addOption(decoys);
    const QCommandLineOption play(
        QStringLiteral("play"),
        QStringLiteral("Write the samples of the Kerbview recording FILE into the simulator's "
                       "memory at their recorded pace, instead of the session; at its end the "
                       "last sample stays."),
        QStringLiteral("FILE"));
    parser.addOption(play);
    const QCommandLineOption loop(QStringLiteral("loop"),
                                  QStringLiteral("With --play: start the recording again at its "
                                                 "end."));
    parser.addOption(loop);
    parser.process(app);

    const standin::MemoryWriter writer =
        memory ? standin::MemoryWriter(memory->Data(), memory->Start(), memory->Size())
               : standin::MemoryWriter(nullptr, 0, 0);
    standin::StandinController controller(writer, parser.value(script), parser.isSet(track),
                                          parser.value(decoys).toInt());
    if (parser.isSet(play) && !controller.Play(parser.value(play), parser.isSet(loop))) {
        return 2;
    }
    controller.Start();
    return app.exec();
}
