// linesaver-idle: starts the saver when the session has been idle for a
// while, or sets that up for every login.
#include "platform/idle/duration.h"
#include "platform/idle/saver_process.h"
#include "platform/idle/watcher.h"
#include "platform/posix/program_folder.h"
#include "programs/idle/idle_backends.h"
#include "programs/idle/session_watch.h"

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>

namespace {

using namespace linesaver::idle;

constexpr const char* kUsage =
    "usage: linesaver-idle [--after DURATION] [--run COMMAND] [--backend NAME] [--verbose] | --enable "
    "[--after DURATION] | --disable | --status";

int Usage(const std::string& problem) {
    std::fprintf(stderr, "linesaver-idle: %s; %s\n", problem.c_str(), kUsage);
    return 2;
}

std::string BackendNames() {
    std::string names;
    for (const auto& backend : IdleBackends()) names += std::string(names.empty() ? "" : ", ") + backend.name;
    return names;
}

bool KnownBackend(const std::string& name) {
    for (const auto& backend : IdleBackends())
        if (name == backend.name) return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Starts the linesaver screen saver when the session has been idle for a while."};
    std::string after = "5m", run, backend;
    bool verbose = false, enable = false, disable = false, status = false;
    auto* afterOption =
        app.add_option("--after", after, "idle time before the saver starts: 300s, 5m, 1h (default 5m)");
    auto* runOption = app.add_option("--run", run, "the saver's command (default: the linesaver beside this program)");
    auto* backendOption = app.add_option("--backend", backend, "use only this idle source: " + BackendNames());
    app.add_flag("--verbose", verbose, "one line on stderr per event");
    auto* enableFlag = app.add_flag("--enable", enable, "start a watcher at every login, and one now");
    auto* disableFlag = app.add_flag("--disable", disable, "undo --enable and end the running watcher");
    auto* statusFlag = app.add_flag("--status", status, "what this session's watcher knows, one fact a line");
    for (auto* flag : {disableFlag, statusFlag})
        flag->excludes(enableFlag)->excludes(afterOption)->excludes(runOption)->excludes(backendOption);
    statusFlag->excludes(disableFlag);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::ParseError& error) {
        return Usage(error.what());
    }
    if (disable) return DisableWatcher();
    if (status) return ShowStatus();

    WatcherOptions options;
    const auto idleAfter = ParseDuration(after);
    if (!idleAfter) return Usage("--after takes a time from 1s to 24h such as 300s, 5m or 1h30m, not '" + after + "'");
    options.idleAfter = *idleAfter;
    if (!backend.empty() && !KnownBackend(backend))
        return Usage("--backend is one of " + BackendNames() + ", not '" + backend + "'");
    options.backend = backend;
    options.verbose = verbose;
    if (run.empty()) {
        options.saverCommand = {linesaver::ExecutableFolder() + "/linesaver"};
    } else {
        std::string error;
        auto command = SplitCommand(run, error);
        if (!command) return Usage("--run '" + run + "': " + error);
        options.saverCommand = std::move(*command);
    }
    // A write to an X server or bus that has gone is an error to report,
    // not a reason to die.
    std::signal(SIGPIPE, SIG_IGN);

    if (enable) {
        std::vector<std::string> watcherArguments{"--after", FormatDuration(options.idleAfter)};
        if (!run.empty()) watcherArguments.insert(watcherArguments.end(), {"--run", run});
        if (!backend.empty()) watcherArguments.insert(watcherArguments.end(), {"--backend", backend});
        if (verbose) watcherArguments.push_back("--verbose");
        return EnableWatcher(options, watcherArguments);
    }
    return WatchSession(options);
}
