#include "serial/TSyncReceiver.h"

#include "serial/TSyncMailbox.h"

#include <QEvent>

TSyncReceiver::TSyncReceiver(TSyncMailbox& mailbox) : FMailbox(mailbox)
{
}

bool TSyncReceiver::event(QEvent* e)
{
    if (e->type() != QEvent::User)
        return QObject::event(e);
    FMailbox.RunPending();
    return true;
}
