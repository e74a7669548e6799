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

protected:
    // Sees every event of the application: any event for another object is
    // activity that makes the next wait an idle moment.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AboutToBlock();
    void Deliver();

    bool enabled_ = false;
    bool pending_ = false;   // a delivery is queued
    bool activity_ = true;   // an event was handled since the last delivery
};

}  // namespace tovra
