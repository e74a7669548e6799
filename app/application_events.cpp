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
    if (dispatcher)
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TApplicationEvents::AboutToBlock);
    // The dispatcher's own wake-up signal cannot tell our queued delivery
    // from real work (and its order differs between dispatchers), so real
    // work is recognised by the events themselves.
    if (QCoreApplication* application = QCoreApplication::instance()) application->installEventFilter(this);
    // The first idle moment after enabling, even if the loop never blocks
    // before it (a loop that is busy with posted events).
    activity_ = true;
    AboutToBlock();
}

bool TApplicationEvents::eventFilter(QObject* watched, QEvent* event) {
    if (watched != this) activity_ = true;
    return QObject::eventFilter(watched, event);
}

void TApplicationEvents::AboutToBlock() {
    // Only one delivery per idle moment: the queued delivery itself is not
    // activity, so an application with nothing to do waits quietly.
    if (!enabled_ || pending_ || !activity_) return;
    pending_ = true;
    QMetaObject::invokeMethod(this, &TApplicationEvents::Deliver, Qt::QueuedConnection);
}

void TApplicationEvents::Deliver() {
    pending_ = false;
    activity_ = false;
    emit Idle();
}

}  // namespace tovra
