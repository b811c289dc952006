// kt7tool: the KT7-CU controller and its configuration images from the
// command line: identify, read, write with backup, verify, show, diff and
// report, for scripts and version control.

#include "tools/kt7tool/TStopSignal.h"
#include "tools/kt7tool/TToolCommandTable.h"
#include "tools/kt7tool/TToolCommands.h"
#include "tools/kt7tool/TToolError.h"
#include "tools/kt7tool/TToolOptions.h"
#include "tools/kt7tool/TToolOutput.h"

#include <algorithm>
#include <csignal>
#include <iostream>

int main(int argc, char** argv)
{
    // A closed pipe (kt7tool show | head) is an output error with a message,
    // not an end by a signal.
    std::signal(SIGPIPE, SIG_IGN);
    // So is a file grown past the size limit (ulimit -f): the write fails
    // with EFBIG, and what was made part-way is removed.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        const std::vector<TToolCommand>& commands = TToolCommandTable::all();
        const TToolOptions options = TToolOptions::parse(argc, argv, commands);
        if (options.version && !options.help) {
            TToolOutput::write("kt7tool " KT7CONFIG_VERSION "\n");
            return 0;
        }
        if (options.help) {
            TToolOutput::write(TToolOptions::usage(commands, options.command));
            return 0;
        }
        const auto entry = std::find_if(commands.begin(), commands.end(),
                                        [&](const TToolCommand& c) { return c.name == options.command; });
        // An entry without a handler is refused, never run as another command.
        if (!entry->run)
            throw TToolError(options.command + ": not handled by this kt7tool");
        TToolCommands handlers(options);
        const int status = (handlers.*entry->run)();
        // A stop signal that came after the last exchange still ends a
        // calling script, which must not take it for success.
        if (const int signal = TStopSignal::received()) {
            std::cerr << "kt7tool: " << TStopSignal::name(signal) << " came after the " << options.command
                      << " was complete\n";
            return TStopSignal::exitStatus(signal);
        }
        return status;
    } catch (const TToolError& e) {
        std::cerr << "kt7tool: " << e.what() << '\n';
        return e.status();
    } catch (const std::exception& e) {
        std::cerr << "kt7tool: " << e.what() << '\n';
        return TToolError::Failure;
    }
}
