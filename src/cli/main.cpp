// vardo-cli: the tool's services from the command line.

#include "CliOptions.h"
#include "Commands.h"
#include "FileNames.h"
#include "Output.h"
#include "VardoVersion.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vardo-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARDO_VERSION));

    // The words as given, file names of any bytes included.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << cli::argumentText(argv[i]);

    const cli::ParsedCommandLine parsed = cli::parseCommandLine(arguments);
    int status = cli::kSuccess;
    switch (parsed.kind) {
    case cli::ParsedCommandLine::Kind::Help:
        cli::printOut(parsed.help);
        break;
    case cli::ParsedCommandLine::Kind::Version:
        cli::printOut(QStringLiteral("vardo-cli %1\n").arg(QStringLiteral(VARDO_VERSION)));
        break;
    case cli::ParsedCommandLine::Kind::UsageError:
        cli::printError(parsed.error + QStringLiteral(" (see vardo-cli --help)"));
        return cli::kUsage;
    case cli::ParsedCommandLine::Kind::Run:
        status = parsed.options.command->run(parsed.options);
        break;
    }
    // A result that did not get out is a failure, whatever the command
    // thought (for params diff, trouble rather than "different").
    if (!cli::standardOutputOk()) {
        cli::printError(QStringLiteral("cannot write to the standard output"));
        const bool diff = parsed.kind == cli::ParsedCommandLine::Kind::Run &&
                          parsed.options.command->words == QStringList{QStringLiteral("params"), QStringLiteral("diff")};
        return diff ? cli::kUsage : cli::kFailure;
    }
    return status;
}
