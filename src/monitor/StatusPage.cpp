#include "StatusPage.h"

#include "ArrowIndicator.h"
#include "Exchange.h"
#include "FlightRecorder.h"
#include "FloorDisplayText.h"
#include "FrameBuffer.h"
#include "GridListCtrl.h"
#include "LampIndicator.h"
#include "LinkWait.h"
#include "Requests.h"
#include "SerialChannel.h"
#include "SerialSettingsDialog.h"
#include "StatusDecoding.h"
#include "StatusPolls.h"
#include "TimelineWindow.h"
#include "TrafficWindow.h"

#include <QApplication>
#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>

#include <optional>

namespace {

// Advanced by every poll of the status page, for the whole run.
int pollPhase = 0;

} // namespace

StatusPage::StatusPage(PageHost& host, QWidget* parent)
    : Page(host, kIndex, parent), silence_(host, [this](bool silent) { showSilent(silent); })
{
    // "Times New Roman", 25 pixels high, normal weight, for the floor, the
    // mode and the running state; where it is missing a similar serif face,
    // and the Chinese glyphs from the CJK face.
    largeFont_.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                            QStringLiteral("DejaVu Serif"), QStringLiteral("WenQuanYi Micro Hei")});
    largeFont_.setStyleHint(QFont::Serif, QFont::PreferQuality);
    largeFont_.setPixelSize(22);
    largeFont_.setWeight(QFont::Normal);

    lamp_ = new LampIndicator(this);
    lamp_->setFixedSize(LampIndicator::kCell, LampIndicator::kCell);
    arrow_ = new ArrowIndicator(this);
    arrow_->setFixedSize(arrow_->sizeHint());

    for (int f = 0; f < FieldCount; ++f) {
        labels_[f] = new QLabel(this);
        labels_[f]->setTextFormat(Qt::PlainText);
    }
    for (Field f : {FloorField, ModeField, RunField}) {
        labels_[f]->setFont(largeFont_);
        labels_[f]->setMinimumHeight(QFontMetrics(largeFont_).height());
    }
    labels_[FloorField]->setObjectName(QStringLiteral("floorText"));
    labels_[ModeField]->setObjectName(QStringLiteral("modeText"));
    labels_[SpeedField]->setObjectName(QStringLiteral("speedText"));
    labels_[DoorField]->setObjectName(QStringLiteral("doorText"));
    labels_[LockField]->setObjectName(QStringLiteral("lockText"));
    labels_[LoadField]->setObjectName(QStringLiteral("loadText"));
    labels_[RunField]->setObjectName(QStringLiteral("runText"));
    labels_[SafetyField]->setObjectName(QStringLiteral("safetyText"));
    labels_[GroupField]->setObjectName(QStringLiteral("groupText"));

    floorList_ = new GridListCtrl(this);
    floorList_->setObjectName(QStringLiteral("floorList"));
    floorList_->setColumns({{QStringLiteral("楼层"), 38, Qt::AlignHCenter},
                            {QStringLiteral("指令"), 38, Qt::AlignHCenter},
                            {QStringLiteral("上召↑"), 52, Qt::AlignHCenter},
                            {QStringLiteral("下召↓"), 52, Qt::AlignHCenter}});
    // Grid lines; the header can be rearranged; several rows selectable.
    floorList_->setGridLines(true);
    floorList_->header()->setSectionsMovable(true);
    floorList_->header()->setSectionResizeMode(QHeaderView::Interactive);
    floorList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    floorList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int listWidth = 38 + 38 + 52 + 52 + 2 * floorList_->frameWidth() +
                          style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, floorList_);
    // Taller with the window for more floors at a glance; wider only up to
    // twice its width, as a mark far from its floor number is hard to place.
    floorList_->setMinimumWidth(listWidth);
    floorList_->setMaximumWidth(2 * listWidth);
    floorList_->setColumnsFillWidth(true);
    connect(floorList_, &GridListCtrl::listDoubleClicked, this, &StatusPage::registerCall);

    settingsButton_ = new QPushButton(QStringLiteral("串口设置"), this);
    settingsButton_->setObjectName(QStringLiteral("serialSettingsButton"));
    connect(settingsButton_, &QPushButton::clicked, this, &StatusPage::openSerialSettings);
    trafficButton_ = new QPushButton(QStringLiteral("通讯记录"), this);
    trafficButton_->setObjectName(QStringLiteral("trafficButton"));
    connect(trafficButton_, &QPushButton::clicked, this, [this] { TrafficWindow::showFor(window()); });
    timelineButton_ = new QPushButton(QStringLiteral("运行记录"), this);
    timelineButton_->setObjectName(QStringLiteral("timelineButton"));
    timelineButton_->setEnabled(host.flightRecorder() != nullptr);
    connect(timelineButton_, &QPushButton::clicked, this,
            [this] { recorder::TimelineWindow::showLive(window(), this->host().flightRecorder()); });
    saveRecordButton_ = recorder::saveRecordButton(host, this);

    auto* indicators = new QHBoxLayout;
    indicators->setSpacing(10);
    indicators->addWidget(lamp_, 0, Qt::AlignVCenter);
    indicators->addWidget(arrow_, 0, Qt::AlignVCenter);
    indicators->addStretch();

    auto* state = new QVBoxLayout;
    state->setSpacing(6);
    state->addLayout(indicators);
    state->addSpacing(4);
    for (Field f : {FloorField, ModeField, RunField})
        state->addWidget(labels_[f]);
    state->addSpacing(10);
    for (Field f : {SpeedField, DoorField, LockField, LoadField, SafetyField, GroupField})
        state->addWidget(labels_[f]);
    state->addStretch();
    // One above the other: side by side they would not fit the column.
    for (QPushButton* button : {settingsButton_, trafficButton_, timelineButton_, saveRecordButton_})
        state->addWidget(button, 0, Qt::AlignLeft);

    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(10, 10, 10, 10);
    page->setSpacing(16);
    page->addWidget(floorList_, 1);
    page->addLayout(state, 1);

    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &StatusPage::tick);
    probeTimer_.setSingleShot(true);
    probeTimer_.setInterval(kProbeAgainMs);
    connect(&probeTimer_, &QTimer::timeout, this, &StatusPage::probeAgain);
}

StatusPage::~StatusPage() = default;

void StatusPage::activate()
{
    silence_.shown();
    probe();
}

// Without a reply (a controller switched on after the tool, a cable not
// plugged at its end) the page probes again a second later, as long as it
// is shown.
void StatusPage::probe()
{
    probeTimer_.stop();
    extendedLayout_ = true;
    std::optional<bool> extended;
    silence_.requested();
    {
        LinkBusyGuard busy;
        extended = probeExtendedLayout();
    }
    if (!extended) {
        silence_.requested();
        if (isPageShown())
            probeTimer_.start();
        return;
    }
    silence_.answered();
    extendedLayout_ = *extended;
    if (recorder::FlightRecorder* r = host().flightRecorder())
        r->setLayout(extendedLayout_ ? recorder::Layout::Long : recorder::Layout::Short);
    timer_.start(kPollMs);
}

// Never inside another exchange or under a box or dialog over the window:
// the next second tries again.
void StatusPage::probeAgain()
{
    if (!isPageShown() || timer_.isActive())
        return;
    const QWidget* modal = QApplication::activeModalWidget();
    if (serialChannel.linkBusy || (modal && modal != window())) {
        probeTimer_.start();
        return;
    }
    probe();
}

void StatusPage::deactivate()
{
    timer_.stop();
    probeTimer_.stop();
    silence_.hidden();
}

// The floor count may be another controller's now: it is read anew.
void StatusPage::linkRestored()
{
    rowCount_ = 0;
}

void StatusPage::tick()
{
    // Nothing is written while another page is shown or an exchange runs.
    if (!isPageShown() || serialChannel.linkBusy)
        return;
    if (rowCount_ == 0) {
        acquireFloorCount();
        return;
    }
    monitor::writeNextStatusPoll(pollPhase);
    lamp_->setLamp(LampIndicator::Red, LampIndicator::Grey, LampIndicator::Circular);
    silence_.requested();
}

void StatusPage::acquireFloorCount()
{
    std::optional<int> count;
    silence_.requested();
    {
        LinkBusyGuard busy;
        count = monitor::listedFloorCount(extendedLayout_, [](int parameter) -> std::optional<unsigned> {
            request::readParameter(parameter);
            if (transact(50, 20) == 0)
                return std::nullopt;
            return monitor::parseParameterReply(rxFrame.text());
        });
    }
    if (!count)
        return;
    silence_.answered();
    rowCount_ = *count;
    if (recorder::FlightRecorder* r = host().flightRecorder())
        r->setFloors(rowCount_);
    floorList_->clearRows();
    for (int r = 0; r < rowCount_; ++r)
        floorList_->appendRow({QString::asprintf("%i", rowCount_ - r)}, rowCount_ - r);
}

void StatusPage::frameArrived()
{
    timer_.stop();
    const char* const frame = rxFrame.text();
    bool reply = true;
    if (const auto status = monitor::parseStatusReply(frame))
        showStatus(*status);
    else if (const auto calls = monitor::parseCallReply(frame))
        showCalls(*calls);
    else if (const auto speed = monitor::parseSpeedReply(frame))
        showSpeed(*speed);
    else
        reply = false;
    if (reply)
        silence_.answered();
    timer_.start(kPollMs);
}

// Grey texts keep the last state readable without passing it off as live;
// the lamp goes grey and the arrow dark until a status reply sets them.
void StatusPage::showSilent(bool silent)
{
    for (QLabel* label : labels_)
        label->setEnabled(!silent);
    if (silent) {
        lamp_->setLamp(LampIndicator::Red, LampIndicator::Grey, LampIndicator::Circular);
        arrow_->setCell(0);
    }
}

void StatusPage::showStatus(const monitor::StatusReply& reply)
{
    fields_[FloorField] = floorDisplayString(reply.floorCode);
    const monitor::StatusTexts s = monitor::decodeStatus(reply.byteA, reply.byteB);
    fields_[ModeField] = s.mode;
    arrow_->setCell(quint8(s.arrowCell));
    fields_[DoorField] = s.door;
    fields_[LockField] = s.lock;
    fields_[LoadField] = s.load;
    fields_[RunField] = s.run;
    if (s.running)
        lamp_->setLamp(LampIndicator::Green, LampIndicator::Lit, LampIndicator::Circular);
    else
        lamp_->setLamp(LampIndicator::Red, LampIndicator::Lit, LampIndicator::Circular);
    fields_[SafetyField] = s.safety;
    fields_[GroupField] = s.group;
    pushTexts();
}

void StatusPage::showCalls(const monitor::CallReply& reply)
{
    const struct
    {
        int column;
        const char* mark;
        const monitor::CallBits& bits;
    } groups[] = {{1, "√", reply.car}, {2, "↑", reply.up}, {3, "↓", reply.down}};
    for (const auto& g : groups) {
        const QString mark = QString::fromUtf8(g.mark);
        for (int p = 1; p <= rowCount_ && p <= monitor::kCallPositions; ++p)
            floorList_->setCell(rowCount_ - p, g.column, g.bits[size_t(p - 1)] ? mark : QString());
    }
}

void StatusPage::showSpeed(int mmPerSecond)
{
    fields_[SpeedField] = monitor::speedText(mmPerSecond);
    pushTexts();
}

void StatusPage::pushTexts()
{
    for (int f = 0; f < FieldCount; ++f)
        labels_[f]->setText(fields_[f]);
}

void StatusPage::registerCall()
{
    timer_.stop();
    const int row = floorList_->firstSelectedRow();
    // The kind of call follows the column that was clicked, wherever the
    // header shows it.
    char kind = 0;
    switch (floorList_->currentLogicalColumn()) {
    case 0:
    case 1:
        kind = '0';
        break;
    case 2:
        kind = '1';
        break;
    case 3:
        kind = '2';
        break;
    default:
        break;
    }
    if (row >= 0 && kind != 0) {
        request::registerCall(kind, int(floorList_->rowData(row)));
        sendRequest();
    }
    activate();
}

void StatusPage::openSerialSettings()
{
    timer_.stop();
    probeTimer_.stop();
    while (serialChannel.isOpen())
        serialChannel.close();
    QPointer<StatusPage> self(this);
    {
        SerialSettingsDialog dialog(window());
        dialog.exec();
    }
    if (self)
        timer_.start(kPollMs);
}

QString StatusPage::floorText() const { return labels_[FloorField]->text(); }
QString StatusPage::modeText() const { return labels_[ModeField]->text(); }
QString StatusPage::speedText() const { return labels_[SpeedField]->text(); }
QString StatusPage::doorText() const { return labels_[DoorField]->text(); }
QString StatusPage::lockText() const { return labels_[LockField]->text(); }
QString StatusPage::loadText() const { return labels_[LoadField]->text(); }
QString StatusPage::runText() const { return labels_[RunField]->text(); }
QString StatusPage::safetyText() const { return labels_[SafetyField]->text(); }
QString StatusPage::groupText() const { return labels_[GroupField]->text(); }
