#include "TimelineWindow.h"

#include "FlightRecorder.h"
#include "Page.h"
#include "Prompts.h"
#include "TimelineView.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>

namespace recorder {

namespace {

QPointer<TimelineWindow> theWindow;

const QString kTitle = QStringLiteral("运行记录");
const QString kFilter = QStringLiteral("运行记录(*.rec)|*.rec||");

QPushButton* button(const QString& text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TimelineWindow* TimelineWindow::showLive(QWidget* mainWindow, FlightRecorder* recorder)
{
    if (!theWindow)
        theWindow = new TimelineWindow(mainWindow);
    if (recorder)
        theWindow->goLive(recorder);
    theWindow->show();
    theWindow->raise();
    theWindow->activateWindow();
    return theWindow;
}

TimelineWindow* TimelineWindow::instance()
{
    return theWindow;
}

void TimelineWindow::installShortcut(QWidget* window, std::function<FlightRecorder*()> recorder)
{
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), window);
    shortcut->setObjectName(QStringLiteral("timelineShortcut"));
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, window, [window, recorder] { showLive(window, recorder()); });
}

TimelineWindow::TimelineWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("timelineWindow"));
    setWindowTitle(kTitle);

    view_ = new TimelineView;
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("timelineScroll"));
    scroll_->setWidget(view_);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    follow_ = new QCheckBox(QStringLiteral("跟随"), this);
    follow_->setObjectName(QStringLiteral("followBox"));
    connect(follow_, &QCheckBox::toggled, view_, &TimelineView::setFollowing);
    connect(view_, &TimelineView::followingEnded, follow_, [this] { follow_->setChecked(false); });

    QPushButton* fit = button(QStringLiteral("全部"), "fitButton", this);
    connect(fit, &QPushButton::clicked, view_, &TimelineView::fitAll);
    QPushButton* open = button(QStringLiteral("打开"), "openButton", this);
    connect(open, &QPushButton::clicked, this, &TimelineWindow::chooseFile);
    liveButton_ = button(QStringLiteral("实时"), "liveButton", this);
    liveButton_->setEnabled(false);
    connect(liveButton_, &QPushButton::clicked, this, [this] {
        if (recorder_)
            goLive(recorder_);
    });

    auto* ioLabel = new QLabel(QStringLiteral("I/O点:"), this);
    ioLabel->setObjectName(QStringLiteral("ioLabel"));
    ioChoice_ = new QComboBox(this);
    ioChoice_->setObjectName(QStringLiteral("ioChoice"));
    ioLabel->setBuddy(ioChoice_);
    for (const QString& prefix : {QStringLiteral("X"), QStringLiteral("TX"), QStringLiteral("Y")}) {
        for (int i = 0; i < 32; ++i)
            ioChoice_->addItem(prefix + QString::number(i));
    }
    QPushButton* add = button(QStringLiteral("添加"), "addIoButton", this);
    connect(add, &QPushButton::clicked, this, [this] { addIoPoint(ioChoice_->currentText()); });

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("timelineStatus"));
    connect(view_, &TimelineView::cursorsChanged, this, &TimelineWindow::updateStatus);

    auto* tools = new QHBoxLayout;
    tools->addWidget(follow_);
    tools->addWidget(fit);
    tools->addSpacing(12);
    tools->addWidget(ioLabel);
    tools->addWidget(ioChoice_);
    tools->addWidget(add);
    tools->addStretch();
    tools->addWidget(liveButton_);
    tools->addWidget(open);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(scroll_, 1);
    layout->addWidget(status_);
    resize(980, 640);

    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &TimelineWindow::takeNewFrames);
}

TimelineWindow::~TimelineWindow() = default;

void TimelineWindow::goLive(FlightRecorder* recorder)
{
    const bool same = live_ && recorder_ == recorder;
    recorder_ = recorder;
    live_ = true;
    liveButton_->setEnabled(false);
    setWindowTitle(kTitle);
    if (!same) {
        tracks_ = std::make_unique<TrackSet>(recorder->header());
        taken_ = recorder->ring().appended() - std::uint64_t(recorder->ring().size());
        view_->setTracks(tracks_.get(), false);
        takeNewFrames();
        view_->fitAll();
        follow_->setChecked(true);
    }
    refresh_.start();
}

void TimelineWindow::takeNewFrames()
{
    if (!live_ || !recorder_ || !tracks_)
        return;
    const FrameRing& ring = recorder_->ring();
    const std::uint64_t first = ring.appended() - std::uint64_t(ring.size());
    // Frames the ring dropped before they were taken are lost to the view.
    if (taken_ < first)
        taken_ = first;
    const RecordingHeader header = recorder_->header();
    const bool learnt = header.floors != tracks_->header().floors || header.layout != tracks_->header().layout;
    if (learnt)
        tracks_->setHeader(header);
    const bool grew = learnt || taken_ < ring.appended();
    for (; taken_ < ring.appended(); ++taken_)
        tracks_->add(ring.at(int(taken_ - first)));
    if (grew) {
        view_->tracksChanged();
        updateStatus();
    }
}

bool TimelineWindow::openFile(const QString& path)
{
    const ReadResult read = readRecording(path);
    if (!read.recording) {
        prompts::showMessage(QStringLiteral("运行记录打不开：%1").arg(read.error));
        return false;
    }
    showRecording(*read.recording, QFileInfo(path).fileName());
    return true;
}

void TimelineWindow::showRecording(const Recording& recording, const QString& title)
{
    refresh_.stop();
    live_ = false;
    follow_->setChecked(false);
    liveButton_->setEnabled(recorder_ != nullptr);
    tracks_ = std::make_unique<TrackSet>(recording.header);
    tracks_->addAll(recording.entries);
    view_->setTracks(tracks_.get(), true);
    setWindowTitle(kTitle + QStringLiteral(" - ") + title);
    updateStatus();
}

bool TimelineWindow::addIoPoint(const QString& name)
{
    const int index = ioChoice_->findText(name);
    if (index < 0)
        return false;
    view_->addIoTrack(index < 64 ? TrackSet::inputTrack(index) : TrackSet::outputTrack(index - 64));
    return true;
}

void TimelineWindow::chooseFile()
{
    const QString path = prompts::askOpenFile(QString(), kFilter, QStringLiteral("rec"));
    if (!path.isEmpty())
        openFile(path);
}

void TimelineWindow::updateStatus()
{
    if (!tracks_)
        return;
    QStringList parts;
    parts << QStringLiteral("%1 个故障").arg(tracks_->faults().size());
    if (const auto a = view_->cursorA())
        parts << QStringLiteral("A %1").arg(isoTime(tracks_->header(), *a));
    if (const auto b = view_->cursorB())
        parts << QStringLiteral("B %1").arg(isoTime(tracks_->header(), *b));
    const QString span = view_->spanText();
    if (!span.isEmpty())
        parts << span;
    status_->setText(parts.join(QStringLiteral("    ")));
}

void TimelineWindow::closeEvent(QCloseEvent* event)
{
    refresh_.stop();
    QWidget::closeEvent(event);
}

QPushButton* saveRecordButton(PageHost& host, QWidget* page)
{
    QPushButton* save = button(QStringLiteral("保存记录"), "saveRecordButton", page);
    save->setEnabled(host.flightRecorder() != nullptr);
    QObject::connect(save, &QPushButton::clicked, page, [&host] {
        if (const FlightRecorder* recorder = host.flightRecorder())
            saveRecorderRing(*recorder);
    });
    return save;
}

bool saveRecorderRing(const FlightRecorder& recorder)
{
    const QString path = prompts::askSaveFile(QStringLiteral("运行记录.rec"), kFilter, QStringLiteral("rec"));
    if (path.isEmpty())
        return false;
    const Recording recording = recorder.snapshot();
    if (writeRecording(path, recording.header, recording.entries))
        return true;
    prompts::showMessage(QStringLiteral("运行记录保存失败：无法写入文件 %1").arg(QDir::toNativeSeparators(path)));
    return false;
}

} // namespace recorder
