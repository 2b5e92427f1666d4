// vardo-shots: takes the pictures of the user guide. It runs the real main
// window, with the real pages, against a simulated controller in the same
// process, linked as COM1 in a private configuration folder; it clicks tabs,
// buttons and list rows as a user does, waits for each page to fill and
// grabs every window and dialog into a PNG file. Dialogs are grabbed from
// inside their modal run and then cancelled, so nothing is written to the
// controller that a cancel would not write.
//
// Usage: vardo-shots --out DIR [--only NAME[,NAME...]]
// tools/screenshots builds it and runs it on a virtual X server with a
// window manager, so that title bars show; without a window manager the
// windows are grabbed without their frames.
//
// The pictures, in the order they are taken: page-status, window-traffic,
// dialog-serial-settings, page-general, dialog-date-time, page-shaft,
// page-io, page-faults, box-fault-description, page-elevator-params,
// dialog-value-entry, dialog-bit-mask, dialog-display-code,
// dialog-lockout-schedule, dialog-floor-period, dialog-ic-card,
// dialog-import-preview, box-reset-confirm, dialog-history, page-door-params,
// box-fault-report, window-timeline, box-lost-device, title-link-down.
//
// Exit status: 0 when every picture was made (the import preview and the
// reset question count only when the window has them), 1 otherwise.

#include "AppIcon.h"
#include "ConfigFolder.h"
#include "HistoryStore.h"
#include "MainDialog.h"
#include "Prompts.h"
#include "ReportList.h"
#include "SerialChannel.h"
#include "SimController.h"
#include "TimelineView.h"
#include "TimelineWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#ifdef VARDO_SHOTS_XCB
#include <xcb/xcb.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

// --- Output -------------------------------------------------------------------

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

void say(const QString& text)
{
    out() << text << Qt::endl;
}

void warn(const QString& text)
{
    out() << "vardo-shots: " << text << Qt::endl;
}

// --- Waiting ------------------------------------------------------------------

// Runs the event loop for ms milliseconds.
void settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

// Runs the event loop until ready() or the time is up; ready()'s last answer.
bool waitUntil(const std::function<bool()>& ready, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!ready()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

// --- Modal dialogs ------------------------------------------------------------

// What a modal widget shows, for the log.
QString describe(const QWidget* modal)
{
    QString text = QStringLiteral("\"%1\" (%2)").arg(modal->windowTitle(), modal->objectName());
    if (const auto* box = qobject_cast<const QMessageBox*>(modal))
        text += QStringLiteral(": ") + box->text();
    return text;
}

// Closes a modal widget the way its cancel button would.
void dismiss(QWidget* modal)
{
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        // "否" or a cancel where the box asks; else its only button.
        QAbstractButton* button = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            const QMessageBox::ButtonRole role = box->buttonRole(b);
            if (role == QMessageBox::NoRole || role == QMessageBox::RejectRole)
                button = b;
        }
        if (!button)
            button = box->escapeButton() ? box->escapeButton() : box->defaultButton();
        if (!button && !box->buttons().isEmpty())
            button = box->buttons().first();
        if (button) {
            button->click();
            return;
        }
    }
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}

// Answers one modal widget; true when it was the one expected (the answer
// has closed it), false to have it logged and dismissed.
using Answer = std::function<bool(QWidget* modal)>;

QSet<QWidget*>& modalsInHand()
{
    static QSet<QWidget*> set;
    return set;
}

// Runs action, which opens modal dialogs the way a user does and returns
// once they are closed (or opens none). Every modal widget that shows
// meanwhile is handed to answer from inside its own modal run, once it
// has been on screen long enough to be drawn and framed. Answers may call
// whileModal again for a dialog their dialog opens.
void whileModal(const std::function<void()>& action, const Answer& answer)
{
    constexpr int kShownMs = 500;
    QTimer timer;
    QPointer<QWidget> seen;
    QElapsedTimer seenFor;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modalsInHand().contains(modal))
            return;
        if (modal != seen) {
            seen = modal;
            seenFor.start();
            return;
        }
        if (seenFor.elapsed() < kShownMs)
            return;
        seen = nullptr;
        modalsInHand().insert(modal);
        QPointer<QWidget> guard(modal);
        const bool expected = answer(modal);
        if (guard && !expected) {
            warn(QStringLiteral("a dialog nobody waited for: %1").arg(describe(modal)));
            dismiss(modal);
        }
        modalsInHand().remove(modal);
    });
    timer.start(20);
    action();
    timer.stop();
}

// --- Pictures -----------------------------------------------------------------

// The rectangle of the window manager's frame around a top-level window,
// as the X server has it (Qt's own idea of the frame can lag behind a
// window manager that sizes its frame after mapping it); the window's own
// rectangle when nothing frames it.
QRect frameOf(const QWidget* window)
{
    const QRect own = window->geometry();
#ifdef VARDO_SHOTS_XCB
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !window->internalWinId())
        return own;
    xcb_connection_t* connection = x11->connection();
    xcb_window_t frame = xcb_window_t(window->internalWinId());
    // The ancestor that is a child of the root window.
    for (int depth = 0; depth < 8; ++depth) {
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection, xcb_query_tree(connection, frame), nullptr);
        if (!tree)
            return own;
        const xcb_window_t root = tree->root;
        const xcb_window_t parent = tree->parent;
        std::free(tree);
        if (parent == root || parent == XCB_NONE)
            break;
        frame = parent;
    }
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, frame), nullptr);
    if (!g)
        return own;
    const QRect outer(g->x, g->y, g->width + 2 * g->border_width, g->height + 2 * g->border_width);
    std::free(g);
    return outer.contains(own) ? outer : own;
#else
    return own;
#endif
}

class Camera
{
public:
    explicit Camera(QString folder) : folder_(std::move(folder)) {}

    // Grabs widget's top-level window with its frame when a window manager
    // frames the windows, else its contents; keeps height pixels from the
    // top when height > 0.
    bool shoot(QWidget* widget, const QString& name, int height = 0)
    {
        QWidget* window = widget->window();
        window->raise();
        const bool framed = framesWindows_ && !(window->windowFlags() & Qt::FramelessWindowHint);
        if (framed && !waitUntil([window] { return frameOf(window) != window->geometry(); }, 3000))
            warn(QStringLiteral("%1: the window manager has not framed the window").arg(name));
        QImage image;
        // A window drawn a moment late grabs as a speck: it is grabbed again.
        for (int attempt = 0; attempt < 5 && (image.width() < 40 || image.height() < 40); ++attempt) {
            if (attempt > 0)
                settle(300);
            QCoreApplication::processEvents();
            const QRect frame = frameOf(window);
            if (framed && frame != window->geometry() && window->screen())
                image = window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).toImage();
            else
                image = window->grab().toImage();
        }
        if (image.width() < 40 || image.height() < 40) {
            warn(QStringLiteral("%1: nothing to grab").arg(name));
            return false;
        }
        if (height > 0 && height < image.height())
            image = image.copy(0, 0, image.width(), height);
        const QString path = folder_ + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!save(image, path)) {
            warn(QStringLiteral("%1: cannot write %2").arg(name, path));
            return false;
        }
        say(QStringLiteral("  %1.png  %2 x %3, %4 bytes")
                .arg(name)
                .arg(image.width())
                .arg(image.height())
                .arg(QFileInfo(path).size()));
        return true;
    }

    // Whether a window manager frames the windows (then frames are grabbed).
    void setFramesWindows(bool on) { framesWindows_ = on; }

    // Offset of a widget's top edge within its window's picture.
    int topInPicture(const QWidget* widget) const
    {
        const QWidget* window = widget->window();
        const int frameTop = framesWindows_ ? window->geometry().top() - frameOf(window).top() : 0;
        return frameTop + widget->mapTo(window, QPoint(0, 0)).y();
    }

private:
    // Opaque, and with a palette when the picture has few enough colours
    // (no colour is lost either way); the strongest compression.
    static bool save(QImage image, const QString& path)
    {
        image = image.convertToFormat(QImage::Format_RGB32);
        QList<QRgb> colours;
        QSet<QRgb> seen;
        for (int y = 0; y < image.height() && colours.size() <= 256; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (!seen.contains(line[x])) {
                    seen.insert(line[x]);
                    colours << line[x];
                    if (colours.size() > 256)
                        break;
                }
            }
        }
        if (colours.size() <= 256)
            image = image.convertToFormat(QImage::Format_Indexed8, colours, Qt::ThresholdDither);
        const QString partial = path + QStringLiteral(".part");
        if (!image.save(partial, "PNG", 0))
            return false;
        QFile::remove(path);
        return QFile::rename(partial, path);
    }

    QString folder_;
    bool framesWindows_ = false;
};

// --- Parameter set files ----------------------------------------------------

// Copies a parameter set file (4-byte records: index, 0, value low byte
// first) with three values changed, F1, F13 and F17 of the elevator.
bool writeOlderCopy(const QString& from, const QString& to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = in.readAll();
    if (bytes.isEmpty() || bytes.size() % 4 != 0)
        return false;
    const struct
    {
        int index;
        int change;
    } changes[] = {{0, -50}, {12, -50}, {16, +50}};
    for (qsizetype at = 0; at + 4 <= bytes.size(); at += 4) {
        for (const auto& c : changes) {
            if (std::uint8_t(bytes[at]) != c.index)
                continue;
            const int value = (std::uint8_t(bytes[at + 2]) | std::uint8_t(bytes[at + 3]) << 8) + c.change;
            const auto changed = std::uint16_t(std::clamp(value, 0, 65535));
            bytes[at + 2] = char(changed & 0xFF);
            bytes[at + 3] = char(changed >> 8);
        }
    }
    QFile out(to);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

// --- The session --------------------------------------------------------------

// Pages by tab position, as the page factory makes them.
enum Tab { StatusTab, GeneralTab, ShaftTab, IoTab, FaultTab, ElevatorParamTab, DoorParamTab };

// Elevator parameter indexes whose double click opens each editor.
constexpr int kValueIndex = 12;       // F13, the inspection speed
constexpr int kBitMaskIndex = 25;
constexpr int kDisplayCodeIndex = 65;
constexpr int kLockoutIndex = 161;
// A fault of the long table with a short description.
constexpr int kReportedFault = 9;

class Session
{
public:
    Session(const QString& folder, const QStringList& only) : camera_(folder), only_(only) {}

    int run();

private:
    bool wanted(const QString& name) const { return only_.isEmpty() || only_.contains(name); }
    bool anyWanted(std::initializer_list<const char*> names) const;

    QTabWidget* tabs() const { return tool_->findChild<QTabWidget*>(QStringLiteral("pageTabs")); }
    QWidget* page(int tab) const { return tabs() ? tabs()->widget(tab) : nullptr; }
    template <class T>
    T* child(int tab, const char* name) const
    {
        QWidget* p = page(tab);
        return p ? p->findChild<T*>(QLatin1String(name)) : nullptr;
    }
    // The tab's list has rows.
    bool listFilled(int tab, const char* list) const
    {
        const auto* tree = child<QTreeWidget>(tab, list);
        return tree && tree->topLevelItemCount() > 0;
    }

    void startController();
    void pullCable();
    bool showTab(int tab, const std::function<bool()>& filled, int timeoutMs);
    bool click(int tab, const char* button);
    void doubleClickRow(QTreeWidget* list, int row);
    bool doubleClickParameter(int index);
    // Opens a dialog by action and grabs it as name; dialog tells it apart.
    bool shootDialog(const QString& name, const std::function<void()>& action,
                     const std::function<bool(QWidget*)>& dialog);
    bool shootPage(int tab, const QString& name);
    // A box that comes by itself after trigger (within 15 s).
    bool shootBox(const QString& name, const std::function<void()>& trigger,
                  const std::function<bool(QWidget*)>& box);

    void statusPage();
    void generalPage();
    void shaftPage();
    void ioPage();
    void faultPage();
    void elevatorParamPage();
    void historyDialog();
    void doorParamPage();
    void faultReport();
    void timeline();
    void lostDevice();

    Camera camera_;
    QStringList only_;
    QTemporaryDir files_;
    std::unique_ptr<SimController> sim_;
    std::unique_ptr<MainDialog> tool_;
    QStringList missing_;
};

bool Session::anyWanted(std::initializer_list<const char*> names) const
{
    for (const char* name : names) {
        if (wanted(QLatin1String(name)))
            return true;
    }
    return false;
}

void Session::startController()
{
    SimOptions options;
    options.seed = 7;
    sim_ = std::make_unique<SimController>(options);
    sim_->linkAs(1);
}

// The adapter is pulled: the controller's end of the line closes and COM1
// names no device any more.
void Session::pullCable()
{
    sim_.reset();
    QDir().mkpath(vardoPortFolder());
    const QString link = vardoPortFolder() + QStringLiteral("/com1");
    QFile::remove(link);
    QFile::link(files_.filePath(QStringLiteral("no-such-device")), link);
}

// Clicks the tab (the page reads what it shows inside the click), then
// waits for filled().
bool Session::showTab(int tab, const std::function<bool()>& filled, int timeoutMs)
{
    QTabBar* bar = tabs() ? tabs()->tabBar() : nullptr;
    if (!bar || tab >= bar->count())
        return false;
    if (tabs()->currentIndex() != tab) {
        whileModal([&] { QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center()); },
                   [](QWidget*) { return false; });
    }
    if (!waitUntil(filled, timeoutMs))
        warn(QStringLiteral("page %1 did not fill in time").arg(bar->tabText(tab)));
    settle(400);
    return tabs()->currentIndex() == tab;
}

bool Session::click(int tab, const char* button)
{
    auto* b = child<QAbstractButton>(tab, button);
    if (!b) {
        warn(QStringLiteral("no button %1 on page %2").arg(QLatin1String(button)).arg(tab));
        return false;
    }
    QTest::mouseClick(b, Qt::LeftButton);
    return true;
}

void Session::doubleClickRow(QTreeWidget* list, int row)
{
    QTreeWidgetItem* item = list->topLevelItem(row);
    if (!item)
        return;
    list->scrollToItem(item);
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

bool Session::doubleClickParameter(int index)
{
    auto* list = child<ReportList>(ElevatorParamTab, "paramList");
    const int row = list ? list->rowWithData(index) : -1;
    if (row < 0) {
        warn(QStringLiteral("parameter index %1 is not listed").arg(index));
        return false;
    }
    doubleClickRow(list, row);
    return true;
}

bool Session::shootDialog(const QString& name, const std::function<void()>& action,
                          const std::function<bool(QWidget*)>& dialog)
{
    if (!wanted(name))
        return true;
    bool shot = false;
    whileModal(action, [&](QWidget* modal) {
        if (!dialog(modal))
            return false;
        shot = camera_.shoot(modal, name);
        dismiss(modal);
        return true;
    });
    if (!shot)
        missing_ << name;
    return shot;
}

bool Session::shootBox(const QString& name, const std::function<void()>& trigger,
                       const std::function<bool(QWidget*)>& box)
{
    bool answered = false;
    bool shot = false;
    whileModal(
        [&] {
            trigger();
            waitUntil([&answered] { return answered; }, 15000);
        },
        [&](QWidget* modal) {
            if (!box(modal))
                return false;
            answered = true;
            shot = wanted(name) && camera_.shoot(modal, name);
            dismiss(modal);
            return true;
        });
    if (!shot && wanted(name))
        missing_ << name;
    return shot;
}

bool Session::shootPage(int tab, const QString& name)
{
    if (!wanted(name))
        return true;
    if (tabs()->currentIndex() != tab || !camera_.shoot(tool_.get(), name)) {
        missing_ << name;
        return false;
    }
    return true;
}

// Objects the dialogs are told apart by.
bool named(QWidget* w, const char* objectName)
{
    return w->objectName() == QLatin1String(objectName);
}

bool titled(QWidget* w, const QString& part)
{
    return w->windowTitle().contains(part);
}

bool boxSaying(QWidget* w, const QString& start)
{
    const auto* box = qobject_cast<QMessageBox*>(w);
    return box && box->text().startsWith(start);
}

// --- The pages, one after another ---------------------------------------------

void Session::statusPage()
{
    // A few calls, so that the floor list shows its marks and the car runs.
    sim_->withElevator([](ElevatorModel& e) {
        const int top = e.floorCount();
        e.registerCall(ElevatorModel::CallKind::Car, top);
        e.registerCall(ElevatorModel::CallKind::Car, 2);
        e.registerCall(ElevatorModel::CallKind::Down, top - 1);
        e.registerCall(ElevatorModel::CallKind::Up, 3);
        return 0;
    });
    showTab(StatusTab,
            [this] {
                auto* floor = child<QLabel>(StatusTab, "floorText");
                return floor && !floor->text().isEmpty() && listFilled(StatusTab, "floorList");
            },
            15000);
    settle(1500);
    shootPage(StatusTab, QStringLiteral("page-status"));

    // The traffic window, opened by its button on this page.
    if (wanted(QStringLiteral("window-traffic"))) {
        click(StatusTab, "trafficButton");
        QWidget* traffic = nullptr;
        waitUntil(
            [&traffic] {
                for (QWidget* w : QApplication::topLevelWidgets()) {
                    if (named(w, "trafficWindow") && w->isVisible())
                        traffic = w;
                }
                return traffic != nullptr;
            },
            5000);
        if (traffic) {
            settle(2500);
            if (!camera_.shoot(traffic, QStringLiteral("window-traffic")))
                missing_ << QStringLiteral("window-traffic");
            traffic->close();
            settle(300);
        } else {
            missing_ << QStringLiteral("window-traffic");
        }
    }

    shootDialog(
        QStringLiteral("dialog-serial-settings"), [this] { click(StatusTab, "serialSettingsButton"); },
        [](QWidget* w) { return named(w, "serialSettingsDialog"); });
    settle(500);
}

void Session::generalPage()
{
    if (!anyWanted({"page-general", "dialog-date-time"}))
        return;
    showTab(GeneralTab,
            [this] {
                auto* edit = child<QLineEdit>(GeneralTab, "programNameEdit");
                return edit && !edit->text().isEmpty();
            },
            15000);
    settle(1200);  // a tick of the clock
    shootPage(GeneralTab, QStringLiteral("page-general"));
    shootDialog(
        QStringLiteral("dialog-date-time"), [this] { click(GeneralTab, "setClockButton"); },
        [](QWidget* w) { return named(w, "dateTimeDialog"); });
}

void Session::shaftPage()
{
    if (!wanted(QStringLiteral("page-shaft")))
        return;
    showTab(ShaftTab, [this] { return listFilled(ShaftTab, "shaftList"); }, 30000);
    shootPage(ShaftTab, QStringLiteral("page-shaft"));
}

void Session::ioPage()
{
    if (!wanted(QStringLiteral("page-io")))
        return;
    showTab(IoTab, [] { return true; }, 0);
    settle(1500);
    shootPage(IoTab, QStringLiteral("page-io"));
}

void Session::faultPage()
{
    if (!anyWanted({"page-faults", "box-fault-description"}))
        return;
    showTab(FaultTab, [this] { return listFilled(FaultTab, "faultList"); }, 30000);
    shootPage(FaultTab, QStringLiteral("page-faults"));
    // A double click on a record tells what its code means.
    shootDialog(
        QStringLiteral("box-fault-description"),
        [this] {
            if (listFilled(FaultTab, "faultList"))
                doubleClickRow(child<QTreeWidget>(FaultTab, "faultList"), 0);
        },
        [](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; });
}

void Session::elevatorParamPage()
{
    if (!anyWanted({"page-elevator-params", "dialog-value-entry", "dialog-bit-mask", "dialog-display-code",
                    "dialog-lockout-schedule", "dialog-floor-period", "dialog-ic-card", "dialog-import-preview",
                    "box-reset-confirm"}))
        return;
    showTab(ElevatorParamTab, [this] { return listFilled(ElevatorParamTab, "paramList"); }, 60000);
    shootPage(ElevatorParamTab, QStringLiteral("page-elevator-params"));

    shootDialog(
        QStringLiteral("dialog-value-entry"), [this] { doubleClickParameter(kValueIndex); },
        [](QWidget* w) { return named(w, "valueEntryDialog"); });
    shootDialog(
        QStringLiteral("dialog-bit-mask"), [this] { doubleClickParameter(kBitMaskIndex); },
        [](QWidget* w) { return named(w, "bitMaskDialog"); });
    shootDialog(
        QStringLiteral("dialog-display-code"), [this] { doubleClickParameter(kDisplayCodeIndex); },
        [](QWidget* w) { return named(w, "displayCodeDialog"); });

    // The lock-out schedule, and from it one floor's period.
    if (anyWanted({"dialog-lockout-schedule", "dialog-floor-period"})) {
        bool schedule = false;
        bool period = false;
        whileModal([this] { doubleClickParameter(kLockoutIndex); },
                   [&](QWidget* modal) {
                       if (!named(modal, "lockoutScheduleDialog"))
                           return false;
                       if (wanted(QStringLiteral("dialog-lockout-schedule")))
                           schedule = camera_.shoot(modal, QStringLiteral("dialog-lockout-schedule"));
                       auto* floors = modal->findChild<QTreeWidget*>(QStringLiteral("floorList"));
                       if (floors && floors->topLevelItemCount() > 0 && wanted(QStringLiteral("dialog-floor-period"))) {
                           whileModal([&] { doubleClickRow(floors, 0); },
                                      [&](QWidget* inner) {
                                          if (!named(inner, "floorPeriodDialog"))
                                              return false;
                                          period = camera_.shoot(inner, QStringLiteral("dialog-floor-period"));
                                          dismiss(inner);
                                          return true;
                                      });
                       }
                       dismiss(modal);
                       return true;
                   });
        if (!schedule && wanted(QStringLiteral("dialog-lockout-schedule")))
            missing_ << QStringLiteral("dialog-lockout-schedule");
        if (!period && wanted(QStringLiteral("dialog-floor-period")))
            missing_ << QStringLiteral("dialog-floor-period");
    }

    shootDialog(
        QStringLiteral("dialog-ic-card"), [this] { click(ElevatorParamTab, "cardButton"); },
        [](QWidget* w) { return named(w, "icCardDialog"); });

    // The import preview, where the page has one: the parameter set is
    // saved from this page, then a copy in which three values differ (as an
    // older backup would) is chosen for import; the preview is cancelled.
    if (wanted(QStringLiteral("dialog-import-preview"))) {
        const QString saved = files_.filePath(QStringLiteral("电梯参数.F"));
        const QString older = files_.filePath(QStringLiteral("电梯参数-旧.F"));
        const auto chooseFile = [](QWidget* modal, const QString& file) {
            auto* chooser = qobject_cast<QFileDialog*>(modal);
            if (!chooser)
                return false;
            // Typed into the name field, as a user may, whatever the
            // dialog proposed.
            chooser->selectFile(file);
            if (auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(file);
            static_cast<QDialog*>(chooser)->accept();  // as its Open or Save button
            return true;
        };
        whileModal([this] { click(ElevatorParamTab, "saveButton"); },
                   [&](QWidget* modal) { return chooseFile(modal, saved); });
        if (!writeOlderCopy(saved, older)) {
            warn(QStringLiteral("saving the parameter set did not write %1").arg(saved));
            missing_ << QStringLiteral("dialog-import-preview");
        } else {
            say(QStringLiteral("  (parameter set saved: %1 bytes)").arg(QFileInfo(saved).size()));
            bool preview = false;
            whileModal([this] { click(ElevatorParamTab, "importButton"); },
                       [&](QWidget* modal) {
                           if (chooseFile(modal, older))
                               return true;
                           if (!titled(modal, QStringLiteral("导入")) || qobject_cast<QMessageBox*>(modal))
                               return false;
                           preview = true;
                           if (!camera_.shoot(modal, QStringLiteral("dialog-import-preview")))
                               missing_ << QStringLiteral("dialog-import-preview");
                           dismiss(modal);
                           return true;
                       });
            if (!preview)
                say(QStringLiteral("  (no import preview in this window: dialog-import-preview skipped)"));
        }
    }

    // The question before all parameters go back to their factory values,
    // answered "否"; a window that does not ask resets the simulated ones.
    if (wanted(QStringLiteral("box-reset-confirm"))) {
        bool asked = false;
        whileModal([this] { click(ElevatorParamTab, "resetButton"); },
                   [&](QWidget* modal) {
                       auto* box = qobject_cast<QMessageBox*>(modal);
                       if (!box || box->buttons().size() < 2)
                           return false;
                       asked = true;
                       if (!camera_.shoot(modal, QStringLiteral("box-reset-confirm")))
                           missing_ << QStringLiteral("box-reset-confirm");
                       dismiss(modal);
                       return true;
                   });
        if (!asked)
            say(QStringLiteral("  (the reset asks nothing in this window: box-reset-confirm skipped)"));
    }
}

// The service record of the elevator read just now, as years of visits
// leave it: older snapshots with a few values changed, an edit, notes, and
// a second elevator; then the window's "历史" on it.
void Session::historyDialog()
{
    if (!wanted(QStringLiteral("dialog-history")))
        return;
    showTab(ElevatorParamTab, [this] { return listFilled(ElevatorParamTab, "paramList"); }, 60000);
    const std::unique_ptr<history::HistoryStore> store = history::HistoryStore::openFile(history::defaultStorePath());
    const QList<history::KnownController> known = store->controllers();
    const QList<history::Snapshot> now = known.isEmpty() ? QList<history::Snapshot>() : store->snapshots(known[0].key);
    if (now.isEmpty()) {
        warn(QStringLiteral("dialog-history: the read of the elevator page was not kept"));
        missing_ << QStringLiteral("dialog-history");
        return;
    }
    const history::Snapshot& today = now.first();
    const QDateTime base = today.stamp.at;
    const auto older = [&](int days, history::SnapshotKind kind, int changed, const QString& note,
                           const QString& user, int minutes = 0) {
        QList<history::KeptParameter> kept = today.parameters();
        for (int i = 0; i < changed; ++i)
            kept[(i * 7 + days) % kept.size()].value += unsigned(1 + i);
        history::Snapshot s = history::Snapshot::make(today.identity, today.layout, kind, kept);
        s.stamp.at = base.addDays(-days).addSecs(60 * minutes);
        s.stamp.user = user;
        s.note = note;
        store->add(s);
        return s;
    };
    older(1460, history::SnapshotKind::FileImport, 9, QStringLiteral("电梯参数-2022.F"), QStringLiteral("wang"));
    const history::Snapshot visit = older(400, history::SnapshotKind::Read, 4, {}, QStringLiteral("wang"));
    store->add(history::Note{QUuid::createUuid(), visit.id, QStringLiteral("更换门机后"), history::Stamp::now()});
    older(120, history::SnapshotKind::BeforeWrite, 3, {}, QStringLiteral("li"));
    older(120, history::SnapshotKind::AfterWrite, 1, {}, QStringLiteral("li"), 2);
    history::Edit edit{QUuid::createUuid(), today.controller, today.layout, 14, 5, 8, true, history::Stamp::now(), {}};
    edit.stamp.at = base.addDays(-30);
    edit.stamp.user = QStringLiteral("li");
    store->add(edit);
    history::Snapshot other = history::Snapshot::make(
        {QStringLiteral("VARDO M173 V3.21"), QStringLiteral("VD2020B11"), {}, QStringLiteral("COM1")}, today.layout,
        history::SnapshotKind::Read, today.parameters());
    other.stamp.at = base.addDays(-9);
    store->add(other);
    store->add(history::ControllerName{QUuid::createUuid(), other.controller, QStringLiteral("东塔2号梯"),
                                       history::Stamp::now()});
    shootDialog(
        QStringLiteral("dialog-history"), [this] { click(ElevatorParamTab, "historyButton"); },
        [](QWidget* w) { return named(w, "historyDialog"); });
}

void Session::doorParamPage()
{
    if (!wanted(QStringLiteral("page-door-params")))
        return;
    showTab(DoorParamTab, [this] { return listFilled(DoorParamTab, "paramList"); }, 60000);
    shootPage(DoorParamTab, QStringLiteral("page-door-params"));
}

// The controller reports a new fault by itself; the window shows its code.
void Session::faultReport()
{
    if (!wanted(QStringLiteral("box-fault-report")))
        return;
    showTab(StatusTab, [] { return true; }, 0);
    settle(500);
    shootBox(QStringLiteral("box-fault-report"), [this] { sim_->injectFault(kReportedFault); },
             [](QWidget* w) { return boxSaying(w, QStringLiteral("故障码")); });
    settle(500);
}

// The timeline of the last half minute, opened by its button on the status
// page while the car serves a few calls: a fault as a marker, the cursors
// on a run.
void Session::timeline()
{
    if (!wanted(QStringLiteral("window-timeline")))
        return;
    showTab(StatusTab, [] { return true; }, 0);
    waitUntil([this] { return !sim_->withElevator([](ElevatorModel& e) { return e.moving(); }); }, 60000);
    settle(2000);
    // A fault to mark, when the step before made none.
    if (tool_->flightRecorder().faultFiles().isEmpty()) {
        shootBox(QStringLiteral("box-fault-report"), [this] { sim_->injectFault(kReportedFault); },
                 [](QWidget* w) { return boxSaying(w, QStringLiteral("故障码")); });
    }
    settle(4000);
    sim_->withElevator([](ElevatorModel& e) {
        e.registerCall(ElevatorModel::CallKind::Car, e.floorCount());
        e.registerCall(ElevatorModel::CallKind::Down, 2);
        return 0;
    });
    settle(16000);
    click(StatusTab, "timelineButton");
    recorder::TimelineWindow* window = recorder::TimelineWindow::instance();
    if (!window || !waitUntil([window] { return window->isVisible(); }, 5000)) {
        missing_ << QStringLiteral("window-timeline");
        return;
    }
    window->resize(1100, 900);
    settle(1500);
    recorder::TimelineView* view = window->view();
    const recorder::TrackSet* tracks = window->tracks();
    window->followBox()->setChecked(false);
    view->showSpan(std::max(tracks->firstMs(), tracks->lastMs() - 30000), tracks->lastMs());
    view->setCursorA(tracks->lastMs() - 12000);
    view->setCursorB(tracks->lastMs() - 4000);
    settle(500);
    if (!camera_.shoot(window, QStringLiteral("window-timeline")))
        missing_ << QStringLiteral("window-timeline");
    window->close();
    settle(300);
}

// The adapter is pulled while the status page polls: one box, the title
// tells the line is down; plugged back, the window reconnects by itself.
void Session::lostDevice()
{
    if (!anyWanted({"box-lost-device", "title-link-down"}))
        return;
    showTab(StatusTab, [] { return true; }, 0);
    settle(500);
    shootBox(QStringLiteral("box-lost-device"), [this] { pullCable(); },
             [](QWidget* w) { return titled(w, QStringLiteral("Application Error")); });

    const QString linkDown = QStringLiteral("VARDO - 通讯中断");
    if (!waitUntil([this, &linkDown] { return tool_->windowTitle() == linkDown; }, 5000))
        warn(QStringLiteral("the title did not change to \"%1\"").arg(linkDown));
    settle(800);
    if (wanted(QStringLiteral("title-link-down"))) {
        // The title bar and the tabs below it.
        QTabBar* bar = tabs()->tabBar();
        const int height = camera_.topInPicture(bar) + bar->height() + 6;
        if (tool_->windowTitle() != linkDown ||
            !camera_.shoot(tool_.get(), QStringLiteral("title-link-down"), height))
            missing_ << QStringLiteral("title-link-down");
    }

    // Plugged back on COM1 (a new pseudo-terminal behind the same link):
    // the window takes the port again by itself.
    startController();
    if (waitUntil([this] { return tool_->windowTitle() == QLatin1String("VARDO"); }, 8000))
        say(QStringLiteral("  (the controller came back on COM1: the window reconnected by itself)"));
    else
        warn(QStringLiteral("the window did not reconnect after the controller came back"));
}

int Session::run()
{
    if (!files_.isValid()) {
        warn(QStringLiteral("no temporary folder"));
        return 1;
    }
    startController();
    tool_ = std::make_unique<MainDialog>();
    tool_->show();
    QTimer::singleShot(0, tool_.get(), [this] { tool_->startUp(); });
    // A window manager frames the window soon after it shows; without one
    // the pictures show the windows without their frames.
    if (waitUntil([this] { return frameOf(tool_.get()) != tool_->geometry(); }, 3000))
        camera_.setFramesWindows(true);
    else
        say(QStringLiteral("  (no window manager: the windows are grabbed without their frames)"));
    if (!waitUntil([this] { return tabs() && tabs()->count() == 7; }, 10000)) {
        warn(QStringLiteral("the main window made no pages (is COM1 the simulated controller?)"));
        return 1;
    }

    statusPage();
    generalPage();
    shaftPage();
    ioPage();
    faultPage();
    elevatorParamPage();
    historyDialog();
    doorParamPage();
    faultReport();
    timeline();
    lostDevice();

    tool_.reset();
    serialChannel.close();
    sim_.reset();
    if (!missing_.isEmpty()) {
        warn(QStringLiteral("not made: %1").arg(missing_.join(QStringLiteral(", "))));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // A configuration folder of its own: the settings as tools/demo writes
    // them, and the link com1 that the simulated controller places.
    QTemporaryDir config;
    if (!config.isValid()) {
        std::fprintf(stderr, "vardo-shots: no temporary folder\n");
        return 1;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    // The flight recorder's fault files and the service record, beside it.
    qputenv("XDG_DATA_HOME", QFile::encodeName(config.path() + QStringLiteral("/.local/share")));

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VARDO"));
    QApplication::setWindowIcon(appIcon());

    QString folder;
    QStringList only;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--out") && i + 1 < args.size())
            folder = args[++i];
        else if (args[i] == QLatin1String("--only") && i + 1 < args.size())
            only = args[++i].split(QLatin1Char(','), Qt::SkipEmptyParts);
        else {
            std::fprintf(stderr, "usage: vardo-shots --out DIR [--only NAME[,NAME...]]\n");
            return 2;
        }
    }
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        std::fprintf(stderr, "usage: vardo-shots --out DIR [--only NAME[,NAME...]]\n");
        return 2;
    }

    QDir().mkpath(vardoConfigFolder());
    QFile settings(vardoConfigFolder() + QStringLiteral("/settings.ini"));
    if (!settings.open(QIODevice::WriteOnly) ||
        settings.write("[General]\ncomwhole=1N81\ncombaud=9600\ncomdoorbaud=38400\nspecialcode=E\n") < 0) {
        std::fprintf(stderr, "vardo-shots: cannot write %s\n", qPrintable(settings.fileName()));
        return 1;
    }
    settings.close();

    serialChannel.setErrorReporter(prompts::showApplicationError);
    int result = 1;
    {
        Session session(QDir(folder).absolutePath(), only);
        result = session.run();
    }
    serialChannel.setErrorReporter({});
    return result;
}
