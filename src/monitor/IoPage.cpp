#include "IoPage.h"

#include "Exchange.h"
#include "FrameBuffer.h"
#include "IoReply.h"
#include "LampIndicator.h"
#include "Requests.h"
#include "SerialChannel.h"
#include "TimelineWindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kLampsPerRow = 11;

// Sets a lamp lit or dark red; a lamp already in that state is left alone.
void showBit(LampIndicator* lamp, bool set)
{
    const int state = set ? LampIndicator::Lit : LampIndicator::Dark;
    if (lamp->lampState() != state || lamp->colourRow() != LampIndicator::Red)
        lamp->setLamp(LampIndicator::Red, state, LampIndicator::Circular);
}

} // namespace

IoPage::IoPage(PageHost& host, QWidget* parent)
    : Page(host, kIndex, parent), silence_(host, [this](bool silent) { showSilent(silent); })
{
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(10, 10, 10, 10);
    page->setSpacing(4);

    const struct
    {
        const char* title;
        LampIndicator** lamps;
        const char* prefix;
    } groups[] = {
        {"主板输入(X):", inputLamps_.data(), "X"},
        {"轿厢板输入(TX):", inputLamps_.data() + 32, "TX"},
        {"主板输出(Y):", outputLamps_.data(), "Y"},
    };
    QFont numberFont = font();
    numberFont.setPixelSize(11);
    for (const auto& g : groups) {
        page->addWidget(new QLabel(QString::fromUtf8(g.title), this));
        auto* grid = new QGridLayout;
        grid->setContentsMargins(0, 2, 0, 10);
        grid->setHorizontalSpacing(4);
        grid->setVerticalSpacing(1);
        for (int i = 0; i < 32; ++i) {
            auto* lamp = new LampIndicator(this);
            lamp->setFixedSize(LampIndicator::kCell, LampIndicator::kCell);
            lamp->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(g.prefix)).arg(i));
            lamp->setLamp(LampIndicator::Red, LampIndicator::Grey, LampIndicator::Circular);
            g.lamps[i] = lamp;
            auto* number = new QLabel(QString::number(i), this);
            number->setFont(numberFont);
            number->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            const int row = 2 * (i / kLampsPerRow);
            const int column = i % kLampsPerRow;
            grid->addWidget(lamp, row, column, Qt::AlignHCenter | Qt::AlignBottom);
            grid->addWidget(number, row + 1, column, Qt::AlignHCenter | Qt::AlignTop);
            grid->setRowMinimumHeight(row + 1, 22);
        }
        for (int c = 0; c < kLampsPerRow; ++c)
            grid->setColumnStretch(c, 1);
        page->addLayout(grid);
    }
    page->addStretch();
    saveRecordButton_ = recorder::saveRecordButton(host, this);
    page->addWidget(saveRecordButton_, 0, Qt::AlignLeft);

    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &IoPage::tick);
}

IoPage::~IoPage() = default;

void IoPage::activate()
{
    silence_.shown();
    timer_.start(kPollMs);
}

void IoPage::deactivate()
{
    timer_.stop();
    silence_.hidden();
}

void IoPage::tick()
{
    // Nothing is written while another page is shown or an exchange runs.
    if (!isPageShown() || serialChannel.linkBusy)
        return;
    request::ioPoll();
    sendRequest();
    silence_.requested();
}

// Unknown, not the last state: each lamp stays grey until a reply sets it.
void IoPage::showSilent(bool silent)
{
    if (!silent)
        return;
    for (LampIndicator* lamp : inputLamps_)
        lamp->setLamp(LampIndicator::Red, LampIndicator::Grey, LampIndicator::Circular);
    for (LampIndicator* lamp : outputLamps_)
        lamp->setLamp(LampIndicator::Red, LampIndicator::Grey, LampIndicator::Circular);
}

void IoPage::frameArrived()
{
    const std::optional<monitor::IoReply> reply = monitor::parseIoReply(rxFrame.text());
    if (!reply)
        return;
    silence_.answered();
    for (int k = 0; k < reply->inputCount; ++k) {
        for (int j = 0; j < 8; ++j)
            showBit(inputLamps_[size_t(8 * k + j)], (reply->inputs[size_t(k)] >> j) & 1u);
    }
    for (int k = 0; k < reply->outputCount; ++k) {
        for (int j = 0; j < 8; ++j)
            showBit(outputLamps_[size_t(8 * k + j)], (reply->outputs[size_t(k)] >> j) & 1u);
    }
}
