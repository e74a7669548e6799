#include "app/application_events.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace tovra {

TApplicationEvents::TApplicationEvents(QObject* parent) : QObject(parent) {}

void TApplicationEvents::Enable() {
    if (enabled_) return;
    enabled_ = true;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread());
    if (dispatcher) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TApplicationEvents::AboutToBlock);
        connect(dispatcher, &QAbstractEventDispatcher::awake, this, [this] { activity_ = true; });
    }
    // The first idle moment after enabling, even if the loop never blocks
    // before it (a loop that is busy with posted events).
    activity_ = true;
    AboutToBlock();
}

void TApplicationEvents::AboutToBlock() {
    // Only one delivery per idle moment: waking up for the queued delivery
    // itself does not count as new activity (Deliver clears it afterwards).
    if (!enabled_ || pending_ || !activity_) return;
    pending_ = true;
    QMetaObject::invokeMethod(this, &TApplicationEvents::Deliver, Qt::QueuedConnection);
}

void TApplicationEvents::Deliver() {
    pending_ = false;
    emit Idle();
    activity_ = false;
}

}  // namespace tovra
