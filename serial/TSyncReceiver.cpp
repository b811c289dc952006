#include "serial/TSyncReceiver.h"

#include <QEvent>

TSyncReceiver::TSyncReceiver(std::function<void()> drain) : FDrain(std::move(drain))
{
}

bool TSyncReceiver::event(QEvent* e)
{
    if (e->type() != QEvent::User)
        return QObject::event(e);
    FDrain();
    return true;
}
