#include "ConfigFolder.h"
#include "ConfigHome.h"
#include "LinkSettings.h"
#include "WindowState.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <memory>

namespace {

const QSize kMinimum(542, 718);
const QSize kAvailable(1920, 1040);

// Writes window.ini as someone (or a broken disk) left it.
void writeRaw(const QByteArray& text)
{
    QDir().mkpath(vardoConfigFolder());
    QFile file(windowStatePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

} // namespace

// The main window's size between starts, without a window.
class WindowStateTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ConfigHome> home_;

private Q_SLOTS:
    void init() { home_ = std::make_unique<ConfigHome>(); }
    void cleanup() { home_.reset(); }

    void nothing_stored_is_the_minimum()
    {
        const WindowState state = readWindowState(kMinimum, kAvailable);
        QCOMPARE(state.size, kMinimum);
        QVERIFY(!state.maximized);
        QVERIFY(!QFile::exists(windowStatePath()));
    }

    void stored_and_restored_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("maximized");
        QTest::newRow("larger") << QSize(1200, 900) << false;
        QTest::newRow("maximized") << QSize(800, 760) << true;
        QTest::newRow("the minimum") << kMinimum << false;
        QTest::newRow("the available size") << kAvailable << true;
    }
    void stored_and_restored()
    {
        QFETCH(QSize, size);
        QFETCH(bool, maximized);
        QVERIFY(writeWindowState({size, maximized}));
        const WindowState state = readWindowState(kMinimum, kAvailable);
        QCOMPARE(state.size, size);
        QCOMPARE(state.maximized, maximized);
    }

    // A file of its own beside settings.ini, which stays untouched.
    void apart_from_the_link_settings()
    {
        QCOMPARE(windowStatePath(), home_->path() + QStringLiteral("/VARDOCOM/window.ini"));
        QVERIFY(writeWindowState({QSize(1000, 800), true}));
        QVERIFY(QFile::exists(windowStatePath()));
        QVERIFY(!QFile::exists(vardoConfigFolder() + QStringLiteral("/settings.ini")));
        QVERIFY(!LinkSettings::read());

        home_->writeSettings("2N81", "19200", "38400", "L");
        QFile settings(vardoConfigFolder() + QStringLiteral("/settings.ini"));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        const QByteArray before = settings.readAll();
        settings.close();
        QVERIFY(writeWindowState({QSize(1100, 850), false}));
        QVERIFY(settings.open(QIODevice::ReadOnly));
        QCOMPARE(settings.readAll(), before);
        QCOMPARE(readWindowState(kMinimum, kAvailable).size, QSize(1100, 850));
    }

    void unusable_values_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("maximized");
        const QSize minimum = kMinimum;
        QTest::newRow("width not a number") << QByteArray("[MainWindow]\nwidth=wide\nheight=900\n") << minimum << false;
        QTest::newRow("height missing") << QByteArray("[MainWindow]\nwidth=1000\n") << minimum << false;
        QTest::newRow("fraction") << QByteArray("[MainWindow]\nwidth=1000.5\nheight=900\n") << minimum << false;
        QTest::newRow("list") << QByteArray("[MainWindow]\nwidth=1000, 2\nheight=900\n") << minimum << false;
        QTest::newRow("beyond int") << QByteArray("[MainWindow]\nwidth=99999999999\nheight=900\n") << minimum << false;
        QTest::newRow("negative") << QByteArray("[MainWindow]\nwidth=-1000\nheight=-900\n") << minimum << false;
        QTest::newRow("binary") << QByteArray("\x01\xff\xfe[[[\n=\n\x80") << minimum << false;
        QTest::newRow("both too small") << QByteArray("[MainWindow]\nwidth=300\nheight=200\n") << minimum << false;
        QTest::newRow("width too small") << QByteArray("[MainWindow]\nwidth=300\nheight=900\n")
                                         << QSize(minimum.width(), 900) << false;
        QTest::newRow("zero") << QByteArray("[MainWindow]\nwidth=0\nheight=0\n") << minimum << false;
        QTest::newRow("larger than the screen") << QByteArray("[MainWindow]\nwidth=5000\nheight=4000\n") << kAvailable
                                                << false;
        QTest::newRow("taller than the screen") << QByteArray("[MainWindow]\nwidth=1000\nheight=4000\n")
                                                << QSize(1000, kAvailable.height()) << false;
        QTest::newRow("maximized garbled") << QByteArray("[MainWindow]\nwidth=1000\nheight=900\nmaximized=perhaps\n")
                                           << QSize(1000, 900) << false;
        QTest::newRow("maximized as 1") << QByteArray("[MainWindow]\nwidth=1000\nheight=900\nmaximized=1\n")
                                        << QSize(1000, 900) << true;
    }
    void unusable_values()
    {
        QFETCH(QByteArray, file);
        QFETCH(QSize, size);
        QFETCH(bool, maximized);
        writeRaw(file);
        const WindowState state = readWindowState(kMinimum, kAvailable);
        QCOMPARE(state.size, size);
        QCOMPARE(state.maximized, maximized);
    }

    // The minimum wins over a screen smaller than the window can be.
    void screen_smaller_than_the_minimum()
    {
        QVERIFY(writeWindowState({QSize(1200, 900), false}));
        QCOMPARE(readWindowState(kMinimum, QSize(800, 600)).size, QSize(800, kMinimum.height()));
        QCOMPARE(readWindowState(kMinimum, QSize()).size, QSize(1200, 900));
    }
};

QTEST_GUILESS_MAIN(WindowStateTest)
#include "tst_window_state.moc"
