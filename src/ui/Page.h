#pragma once

#include <QWidget>

namespace recorder {
class FlightRecorder;
}
namespace history {
class SessionRecord;
}

// What a page needs of the page host.
class PageHost
{
public:
    virtual ~PageHost() = default;
    // Index of the page on show.
    virtual int currentPage() const = 0;

    // A long read on the page shown that the user may end by choosing
    // another tab. While watching, user input is screened: a click on
    // another page's tab is remembered and carried out as a normal page
    // switch once the read has ended; any other click or key is dropped, so
    // that nothing starts a second exchange.
    virtual void watchTabChoice(bool on) { (void)on; }
    // Asked between two exchanges of such a read: takes the user input that
    // waited meanwhile; true once another tab has been chosen.
    virtual bool otherTabChosen() { return false; }

    // A live page shown tells whether the controller answers its requests:
    // true after its polls have gone unanswered for a while, false at the
    // next reply and when the page is hidden.
    virtual void showControllerSilent(bool silent) { (void)silent; }

    // The flight recorder of the run; null where there is none.
    virtual recorder::FlightRecorder* flightRecorder() const { return nullptr; }
    // The service record the pages keep their reads and writes in; none
    // when the host keeps none.
    virtual history::SessionRecord* serviceRecord() { return nullptr; }
};

// One tabbed page. The page host calls activate() when it shows the page
// (the page's focus handler: start reads and timers) and deactivate() when
// it hides it (the focus-lost handler). Buttons that give the focus back to
// their page call activate() again. A frame for the page shown arrives as
// WM_FRAME_ARRIVED with the frame in rxFrame and is handed to frameArrived().
class Page : public QWidget
{
    Q_OBJECT

public:
    Page(PageHost& host, int index, QWidget* parent = nullptr);

    virtual void activate() = 0;
    virtual void deactivate() {}
    virtual void frameArrived() {}
    // The link came back after a loss, perhaps to another controller: what
    // the page read before is not taken as the controller's any more. The
    // page shown is activated again right after.
    virtual void linkRestored() {}

    int pageIndex() const { return index_; }
    // True while this page is the one on show.
    bool isPageShown() const { return host_.currentPage() == index_; }
    PageHost& host() const { return host_; }

protected:
    bool event(QEvent* event) override;

private:
    PageHost& host_;
    int index_;
};
