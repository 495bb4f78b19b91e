#include "shell/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#ifndef QB_VERSION
#define QB_VERSION "0"
#endif

namespace qb {

QString VersionText()
{
    return QCoreApplication::applicationName() + u' ' + QStringLiteral(QB_VERSION);
}

CommandLineOutcome ParseCommandLine(const QStringList& arguments, CommandLine& options, QString& message)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A personal firewall and connection monitor: it lists the programs' connections, asks about "
        "programs it has not seen before while they are frozen, and closes the connections of blocked "
        "programs."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption minimized(
        QStringLiteral("minimized"),
        QStringLiteral("Start in the notification area without showing the main window after the splash."));
    parser.addOption(minimized);

    const QString usageHint =
        QStringLiteral("Try '%1 --help' for more information.\n")
            .arg(arguments.isEmpty() ? QStringLiteral("quillbrook") : arguments.first());
    if (!parser.parse(arguments)) {
        message = parser.errorText() + u'\n' + usageHint;
        return CommandLineOutcome::ExitUsage;
    }
    if (!parser.positionalArguments().isEmpty()) {
        message = QStringLiteral("Unexpected argument '%1'.\n").arg(parser.positionalArguments().first()) +
                  usageHint;
        return CommandLineOutcome::ExitUsage;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        // Without an application object Qt cannot know the program's name.
        const QString name = arguments.isEmpty() ? QStringLiteral("quillbrook") : arguments.first();
        message = parser.helpText().replace(QStringLiteral("<executable_name>"), name);
        return CommandLineOutcome::ExitOk;
    }
    if (parser.isSet(version)) {
        message = VersionText() + u'\n';
        return CommandLineOutcome::ExitOk;
    }
    options.minimized = parser.isSet(minimized);
    return CommandLineOutcome::Run;
}

} // namespace qb
