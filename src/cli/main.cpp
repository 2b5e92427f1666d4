// vardo-cli: the tool's services from the command line.

#include "CliOptions.h"
#include "FaultCommand.h"
#include "HistoryCommands.h"
#include "IdentityCommands.h"
#include "Output.h"
#include "ParamCommands.h"
#include "ParamFileCommands.h"
#include "RecordCommand.h"
#include "VardoVersion.h"
#include "WatchCommand.h"

#include <QCoreApplication>

namespace {

int run(const cli::CliOptions& options)
{
    using cli::Command;
    switch (options.command) {
    case Command::Info:
        return cli::runInfo(options);
    case Command::ClockSetNow:
    case Command::ClockSet:
        return cli::runClockSet(options);
    case Command::Faults:
        return cli::runFaults(options);
    case Command::ParamsRead:
        return cli::runParamsRead(options);
    case Command::ParamsWrite:
        return cli::runParamsWrite(options);
    case Command::ParamsShow:
        return cli::runParamsShow(options);
    case Command::ParamsDiff:
        return cli::runParamsDiff(options);
    case Command::Watch:
        return cli::runWatch(options);
    case Command::Record:
        return cli::runRecord(options);
    case Command::RecordExport:
        return cli::runRecordExport(options);
    case Command::HistoryList:
    case Command::HistoryShow:
    case Command::HistoryDiff:
    case Command::HistoryExport:
    case Command::HistoryNote:
    case Command::HistoryName:
    case Command::HistorySync:
    case Command::HistoryImport:
        return cli::runHistory(options);
    }
    return cli::kUsage;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vardo-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARDO_VERSION));

    const cli::ParsedCommandLine parsed = cli::parseCommandLine(QCoreApplication::arguments().mid(1));
    switch (parsed.kind) {
    case cli::ParsedCommandLine::Kind::Help:
        cli::printOut(cli::helpText());
        return cli::kSuccess;
    case cli::ParsedCommandLine::Kind::Version:
        cli::printOut(QStringLiteral("vardo-cli %1\n").arg(QStringLiteral(VARDO_VERSION)));
        return cli::kSuccess;
    case cli::ParsedCommandLine::Kind::UsageError:
        cli::printError(parsed.error + QStringLiteral(" (see vardo-cli --help)"));
        return cli::kUsage;
    case cli::ParsedCommandLine::Kind::Run:
        break;
    }
    return run(parsed.options);
}
