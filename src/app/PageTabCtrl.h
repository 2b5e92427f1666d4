#pragma once

#include "LinkSettings.h"
#include "Page.h"

#include <QTabWidget>

#include <array>
#include <memory>
#include <optional>

// 1 while the channel is (meant to be) open at the door-operator rate.
extern int doorLinkActive;

// The tab control holding the seven pages. Showing a page activates it and
// deactivates the one hidden; showing the door-operator page re-opens the
// channel at the door-operator rate, leaving it re-opens it at the elevator
// rate. The channel's bytes go to the tab control's parent, the main window.
class PageTabCtrl : public QTabWidget, public PageHost
{
    Q_OBJECT

public:
    explicit PageTabCtrl(QWidget* mainWindow);
    ~PageTabCtrl() override;

    // Inserts the seven tabs with their pages, shows page 0 and activates it.
    void createPages();
    bool hasPages() const { return pages_[0] != nullptr; }
    int pageCount() const { return int(pages_.size()); }
    Page* page(int index) const;
    // The page whose tab is selected; null while there are none.
    Page* shownPage() const;

    int currentPage() const override { return currentPage_; }

    // Opens the channel at the rate the page shown needs (the door
    // operator's or the elevator's), without any box; false when the port
    // does not open.
    bool reopenForShownPage();

    // The switch on a selection change (run by the tab control itself).
    void selectionChanged();

    void watchTabChoice(bool on) override;
    bool otherTabChosen() override;
    history::SessionRecord* serviceRecord() override { return record_.get(); }
    void showControllerSilent(bool silent) override;

    recorder::FlightRecorder* flightRecorder() const override { return recorder_; }
    void setFlightRecorder(recorder::FlightRecorder* recorder) { recorder_ = recorder; }

Q_SIGNALS:
    // The page shown says whether the controller answers it.
    void controllerSilenceChanged(bool silent);

protected:
    // Screens user input while a page's read watches for a tab choice.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showChosenTab();

    bool reopenChannel(const std::optional<LinkSettings>& settings, int baud);
    void reportPortFailure();

    std::array<Page*, 7> pages_{};
    int currentPage_ = 0;
    QWidget* mainWindow_;
    bool watchingTabChoice_ = false;
    recorder::FlightRecorder* recorder_ = nullptr;
    int chosenTab_ = -1;
    std::unique_ptr<history::SessionRecord> record_;
};
