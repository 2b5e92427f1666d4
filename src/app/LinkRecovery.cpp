#include "LinkRecovery.h"

#include "SerialChannel.h"

#include <QApplication>
#include <QWidget>

LinkRecovery::LinkRecovery(QWidget* window, std::function<bool()> reopen, std::function<void()> restored)
    : QObject(window), window_(window), reopen_(std::move(reopen)), restored_(std::move(restored))
{
    timer_.setInterval(kPeriodMs);
    connect(&timer_, &QTimer::timeout, this, &LinkRecovery::attempt);
}

void LinkRecovery::update()
{
    const bool wanted = serialChannel.lost() && !serialChannel.isOpen();
    if (wanted && !timer_.isActive())
        timer_.start();
    else if (!wanted)
        timer_.stop();
}

void LinkRecovery::attempt()
{
    if (!serialChannel.lost() || serialChannel.isOpen()) {
        timer_.stop();
        return;
    }
    // A page's steps or a box the user answers come first; the next second
    // tries again.
    const QWidget* modal = QApplication::activeModalWidget();
    if (serialChannel.linkBusy || (modal && modal != window_))
        return;
    if (!reopen_())
        return;
    timer_.stop();
    if (restored_)
        restored_();
}
