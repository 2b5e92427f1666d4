#include "CliHarness.h"

#include <QFile>
#include <QProcessEnvironment>

CliHarness::CliHarness(SimOptions options) : sim_(std::make_unique<SimController>(options))
{
    sim_->linkAs(1);
}

QProcessEnvironment CliHarness::environment(const QStringList& extra) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.path());
    for (const QString& entry : extra)
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    return env;
}

void CliHarness::start(QProcess& process, const QStringList& arguments, const QStringList& environment)
{
    process.setProcessEnvironment(this->environment(environment));
    process.start(QStringLiteral(VARDO_CLI_EXE), arguments);
}

CliRun CliHarness::finish(QProcess& process)
{
    CliRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.normalExit = process.exitStatus() == QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

CliRun CliHarness::run(const QStringList& arguments, const QStringList& environment)
{
    QProcess process;
    start(process, arguments, environment);
    return finish(process);
}

QString CliHarness::writeFile(const QString& name, const QByteArray& bytes) const
{
    QFile f(file(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}

QByteArray CliHarness::readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray CliHarness::heldFile()
{
    return sim().withElevator([](ElevatorModel& e) {
        QList<ParamRecord> records;
        for (int i = 0; i < e.parameterCount(); ++i)
            records.append({std::uint8_t(i), 0, std::uint16_t(e.parameter(i))});
        return encodeParamRecords(records);
    });
}

unsigned CliHarness::held(int index)
{
    return sim().withElevator([index](ElevatorModel& e) { return e.parameter(index); });
}

int CliHarness::parameterWrites()
{
    int writes = 0;
    for (const QByteArray& frame : sim().requests())
        writes += frame.mid(3, 2) == "F5" ? 1 : 0;
    return writes;
}

QList<QByteArray> lines(const QByteArray& text)
{
    QList<QByteArray> list = text.split('\n');
    if (!list.isEmpty() && list.last().isEmpty())
        list.removeLast();
    return list;
}

void CliTestCase::restart(const SimOptions& options)
{
    h_.reset();
    h_ = std::make_unique<CliHarness>(options);
}

void CliTestCase::init()
{
    h_ = std::make_unique<CliHarness>();
}

void CliTestCase::cleanup()
{
    h_.reset();
}
