#include "ControllerSilence.h"

#include "Page.h"

ControllerSilence::ControllerSilence(PageHost& host, std::function<void(bool silent)> show)
    : host_(host), show_(std::move(show))
{
    clock_.start();
}

// A page that was grey when hidden stays grey until a reply.
void ControllerSilence::shown()
{
    watch_.answered();
    if (silent_)
        host_.showControllerSilent(true);
}

void ControllerSilence::hidden()
{
    if (silent_)
        host_.showControllerSilent(false);
}

void ControllerSilence::requested()
{
    watch_.requested(clock_.elapsed());
    if (!silent_ && watch_.silent(clock_.elapsed()))
        setSilent(true);
}

void ControllerSilence::answered()
{
    watch_.answered();
    if (silent_)
        setSilent(false);
}

void ControllerSilence::setSilent(bool silent)
{
    silent_ = silent;
    show_(silent);
    host_.showControllerSilent(silent);
}
