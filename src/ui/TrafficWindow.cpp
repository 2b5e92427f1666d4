#include "TrafficWindow.h"

#include "Prompts.h"
#include "FlightRecorder.h"
#include "Recording.h"
#include "SerialChannel.h"
#include "TrafficModel.h"
#include "VardoVersion.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QDir>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTreeView>

namespace {

QPointer<TrafficWindow> theWindow;

} // namespace

TrafficWindow* TrafficWindow::showFor(QWidget* mainWindow)
{
    if (!theWindow)
        theWindow = new TrafficWindow(mainWindow);
    if (!theWindow->recording_)
        theWindow->startRecording();
    theWindow->show();
    theWindow->raise();
    theWindow->activateWindow();
    return theWindow;
}

TrafficWindow* TrafficWindow::instance()
{
    return theWindow;
}

void TrafficWindow::installShortcut(QWidget* window)
{
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), window);
    shortcut->setObjectName(QStringLiteral("trafficShortcut"));
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, window, [window] { showFor(window); });
}

TrafficWindow::TrafficWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("trafficWindow"));
    setWindowTitle(QStringLiteral("通讯记录"));

    model_ = new TrafficModel(log_, this);
    model_->setFrameFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    view_ = new QTreeView(this);
    view_->setObjectName(QStringLiteral("trafficList"));
    view_->setModel(model_);
    view_->setRootIsDecorated(false);
    view_->setItemsExpandable(false);
    view_->setUniformRowHeights(true);
    view_->setAlternatingRowColors(true);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setTextElideMode(Qt::ElideRight);
    QHeaderView* header = view_->header();
    header->setSectionResizeMode(QHeaderView::Interactive);
    const QFontMetrics text = view_->fontMetrics();
    const QFontMetrics frame(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const int pad = 16;
    header->resizeSection(TrafficModel::TimeColumn,
                          std::max(text.horizontalAdvance(QStringLiteral("0000000")),
                                   text.horizontalAdvance(QStringLiteral("时间(ms)"))) + pad);
    header->resizeSection(TrafficModel::DirectionColumn, text.horizontalAdvance(QStringLiteral("方向")) + pad);
    // Wide enough for the longest usual frame, the call poll's reply.
    header->resizeSection(TrafficModel::FrameColumn, frame.horizontalAdvance(QString(54, QLatin1Char('0'))) + pad);
    header->resizeSection(TrafficModel::VerdictColumn, text.horizontalAdvance(QStringLiteral("校验错误")) + pad);

    countLabel_ = new QLabel(this);
    countLabel_->setObjectName(QStringLiteral("entryCountLabel"));
    clearButton_ = new QPushButton(QStringLiteral("清除"), this);
    clearButton_->setObjectName(QStringLiteral("clearButton"));
    clearButton_->setAutoDefault(false);
    saveButton_ = new QPushButton(QStringLiteral("保存"), this);
    saveButton_->setObjectName(QStringLiteral("saveButton"));
    saveButton_->setAutoDefault(false);
    connect(clearButton_, &QPushButton::clicked, this, &TrafficWindow::clearLog);
    connect(saveButton_, &QPushButton::clicked, this, &TrafficWindow::saveLog);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(countLabel_, 1);
    buttons->addWidget(clearButton_);
    buttons->addWidget(saveButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addLayout(buttons);

    // Every column shown without a horizontal scroll bar.
    const QMargins margins = layout->contentsMargins();
    const int width = header->length() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view_) +
                      2 * view_->frameWidth() + margins.left() + margins.right();
    resize(width, width * 3 / 4);
    header->setStretchLastSection(true);

    refreshTimer_.setInterval(kRefreshMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &TrafficWindow::refresh);
    refresh();
}

TrafficWindow::~TrafficWindow()
{
    stopRecording();
}

void TrafficWindow::startRecording()
{
    log_.restart();
    startedUtc_ = QDateTime::currentDateTimeUtc();
    model_->reset();
    // A synchronous reply comes whole while an exchange holds the line;
    // bytes for the main window come one at a time and end at their ETX.
    traffic::LineTraffic* const log = &log_;
    observerId_ = serialChannel.addTrafficObserver([log](bool sent, const char* bytes, int count) {
        if (sent)
            log->recordSent(bytes, count);
        else
            log->recordReceived(bytes, count, serialChannel.linkBusy != 0);
    });
    recording_ = true;
    refreshTimer_.start();
    refresh();
}

void TrafficWindow::stopRecording()
{
    if (!recording_)
        return;
    serialChannel.removeTrafficObserver(observerId_);
    recording_ = false;
    refreshTimer_.stop();
    log_.closeIfQuiet(0);
    refresh();
}

void TrafficWindow::closeEvent(QCloseEvent* event)
{
    stopRecording();
    QWidget::closeEvent(event);
}

void TrafficWindow::refresh()
{
    log_.closeIfQuiet(kQuietMs);
    // Follows the newest entry unless the user has scrolled up.
    QScrollBar* bar = view_->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    if (model_->refresh() && atEnd)
        view_->scrollToBottom();
    countLabel_->setText(QStringLiteral("%1 条").arg(log_.size()));
}

void TrafficWindow::clearLog()
{
    log_.clear();
    model_->reset();
    refresh();
}

// As a recording: the same lines under a header, so that the timeline
// opens the file too.
void TrafficWindow::saveLog()
{
    const QString path = prompts::askSaveFile(QStringLiteral("通讯记录.rec"),
                                              QStringLiteral("运行记录(*.rec)|*.rec||"), QStringLiteral("rec"));
    if (path.isEmpty())
        return;
    recorder::RecordingHeader header;
    header.version = QStringLiteral(VARDO_VERSION);
    header.port = recorder::portText(serialChannel);
    header.start = startedUtc_;
    if (!recorder::writeRecording(path, header, log_.entries()))
        prompts::showMessage(QStringLiteral("通讯记录保存失败：无法写入文件 %1").arg(QDir::toNativeSeparators(path)));
}
