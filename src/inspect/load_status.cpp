#include "inspect/load_status.h"

namespace strovex {
namespace {

// The load in hand on this thread (the connection's: loads never nest across threads).
thread_local LoadStatus *current = nullptr;

} // namespace

LoadStatus::LoadStatus(Show show, qint64 delayMs, qint64 everyMs)
    : show_(std::move(show)), delayMs_(delayMs), everyMs_(everyMs), outer_(current)
{
    clock_.start();
    current = this;
}

LoadStatus::~LoadStatus()
{
    current = outer_;
}

void LoadStatus::step(const QString &text)
{
    if (current) {
        current->step_ = text;
        current->offer(true);
    }
}

void LoadStatus::tick()
{
    if (current)
        current->offer(false);
}

void LoadStatus::offer(bool newStep)
{
    if (!show_)
        return;
    const qint64 now = clock_.elapsed();
    if (now < delayMs_)
        return;
    if (!newStep && shownAt_ >= 0 && now - shownAt_ < everyMs_)
        return;
    shownAt_ = now;
    show_(step_);
}

} // namespace strovex
