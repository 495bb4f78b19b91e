#pragma once
// The program's command line: --help, --version and --minimized.
#include <QString>
#include <QStringList>

namespace qb {

struct CommandLine {
    bool minimized = false; // start in the notification area; the main window stays hidden after the splash
};

// What main does after reading the command line.
enum class CommandLineOutcome {
    Run,       // start the program with the options read
    ExitOk,    // --help or --version: print `message` on standard output and exit with 0
    ExitUsage, // an unknown option or a stray argument: print `message` on standard error and exit with 2
};

// Reads `arguments` (the program's name first). Needs no application object, so that --help and
// --version answer without a display.
CommandLineOutcome ParseCommandLine(const QStringList& arguments, CommandLine& options, QString& message);

// "<application name> <version>", as --version prints it.
QString VersionText();

} // namespace qb
