#pragma once

#include "ConfigHome.h"
#include "ParamFile.h"
#include "SimController.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// vardo-cli as a script runs it: the real executable against the simulated
// controller, linked as COM1 in a private configuration folder, with a
// folder for the files it reads and writes.
struct CliRun
{
    bool normalExit = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class CliHarness
{
public:
    explicit CliHarness(SimOptions options = {});

    SimController& sim() { return *sim_; }
    ConfigHome& home() { return home_; }
    // Stops the simulated controller (its pseudo-terminal goes away).
    void stopSim() { sim_.reset(); }

    // The environment vardo-cli runs in, with extra entries as NAME=value.
    QProcessEnvironment environment(const QStringList& extra = {}) const;
    // Runs vardo-cli to its end; extra environment entries as NAME=value.
    CliRun run(const QStringList& arguments, const QStringList& environment = {});
    // Starts it, for a test that acts while it runs.
    void start(QProcess& process, const QStringList& arguments, const QStringList& environment = {});
    static CliRun finish(QProcess& process);

    QString file(const QString& name) const { return files_.filePath(name); }
    QString writeFile(const QString& name, const QByteArray& bytes) const;
    static QByteArray readFile(const QString& path);

    // What the simulated controller holds, as the window's save writes it.
    QByteArray heldFile();
    unsigned held(int index);
    // 'F' '5' requests the controller received.
    int parameterWrites();

    // A file of count records, index i holding value(i).
    template <class Value>
    static QByteArray recordFile(int count, Value value)
    {
        QList<ParamRecord> records;
        for (int i = 0; i < count; ++i)
            records.append({std::uint8_t(i), 0, std::uint16_t(value(i))});
        return encodeParamRecords(records);
    }

private:
    ConfigHome home_;
    std::unique_ptr<SimController> sim_;
    QTemporaryDir files_;
};

// The base of the command line's test cases: a fresh harness (controller,
// configuration folder, file folder) for every test function.
class CliTestCase : public QObject
{
    Q_OBJECT

protected:
    CliHarness& h() { return *h_; }
    SimController& sim() { return h_->sim(); }
    CliRun cli(const QStringList& arguments, const QStringList& environment = {})
    {
        return h_->run(arguments, environment);
    }
    QString file(const QString& name) const { return h_->file(name); }
    // Another simulated controller, for the rest of the test function.
    void restart(const SimOptions& options);

private Q_SLOTS:
    void init();
    void cleanup();

private:
    std::unique_ptr<CliHarness> h_;
};

// The lines of a text, without the empty one after its last line end.
QList<QByteArray> lines(const QByteArray& text);
