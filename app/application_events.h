// Delivers the application's idle event: Idle is emitted each time the event
// loop has handled everything that was waiting and is about to wait for more,
// once per such moment. Delivery starts when Enable is called (the main
// window does so when it is first shown).
//
// The event is emitted from a queued call, never from inside the dispatcher's
// own notification, so a handler may open modal dialogs; their nested loops
// can then deliver further idle events, which the handler must expect.
#pragma once

#include <QObject>

namespace tovra {

class TApplicationEvents : public QObject {
    Q_OBJECT
public:
    explicit TApplicationEvents(QObject* parent = nullptr);

    void Enable();
    bool Enabled() const { return enabled_; }

signals:
    void Idle();

private:
    void AboutToBlock();
    void Deliver();

    bool enabled_ = false;
    bool pending_ = false;   // a delivery is queued
    bool activity_ = true;   // the loop has woken since the last delivery
};

}  // namespace tovra
